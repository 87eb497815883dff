// The server's software update against a local HTTP server: version comparison, the query,
// the beta endpoint, skipped versions, download, checksum, the installer's start, cancelling,
// and the refusal of plain http.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "client/update/FileDigest.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/MachineIdentity.h"
#include "server/core/ServerContext.h"
#include "server/shell/update/SoftwareUpdate.h"
#include "server/shell/update/UpdateNotify.h"
#include "server/shell/update/UpdateQuery.h"
#include "tests/server/core/CoreTestSupport.h"
#include "tests/server/library/art/LocalHttpServer.h"
#include "tests/support/QrmProcess.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Remembers what the update thread told the shell, one line per call.
class CRecordingNotify : public IUpdateNotify {
public:
    void OnUpdateOffer(const CVersionInfoBody& offer, bool newer) override {
        Add(std::string(newer ? "offer " : "newest ") + offer.version);
    }
    void OnCheckFailed(const std::string&) override { Add("failed"); }
    void OnDownloadProgress(int percent) override { lastPercent = percent; }
    void OnDownloadFinished() override { Add("verifying"); }
    void OnDownloadResult(bool ready) override { Add(ready ? "ready" : "download failed"); }
    void OnCheckEnded() override {}

    bool WaitFor(const std::string& call, std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
        });
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::atomic<int> lastPercent{-1};

private:
    void Add(std::string call) {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_changed.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_calls;
};

std::string Url(const test::CLocalHttpServer& server, const std::string& path) {
    return server.BaseUrl() + path;
}

std::string Document(const std::string& version, const std::string& url,
                     const std::string& checksum) {
    return "<?xml version=\"1.0\"?>\n<!-- served by the test -->\n<VersionInformation>"
           "<Name>Vantor</Name><Version>" +
           version +
           "</Version><Action>execute</Action>"
           "<Parameters>--quiet \"/opt/my dir\"</Parameters><UpdateURL>" +
           url + "</UpdateURL><Checksum>" + checksum +
           "</Checksum><Description>Fixes</Description>"
           "</VersionInformation>";
}

class SoftwareUpdateTest : public ::testing::Test {
protected:
    SoftwareUpdateTest()
        : m_folder(test::MakeTempDir("vantor-update-")),
          m_config(m_folder),
          m_bus(m_log.logger),
          m_context{m_log.logger, m_config, m_bus} {
        // The installer records its arguments beside itself.
        m_installer = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments.txt\"\n";
        m_checksum = client::Md5OfFile(WriteTemp("setup.sh", m_installer));
        m_http.SetAnswer("/files/setup.sh", m_installer);
        m_config.SetString("UpdateURL", Url(m_http, "/vantor/update.php"));
        m_config.SetBool("AllowInsecureUpdate", true);
    }
    ~SoftwareUpdateTest() override {
        m_update.reset();
        fs::remove_all(m_folder);
    }

    std::string WriteTemp(const std::string& name, const std::string& text) {
        const std::string path = m_folder + "tmp/" + name;
        EXPECT_TRUE(test::WriteFileText(path, text));
        return path;
    }
    void Offer(const std::string& path, const std::string& version,
               const std::string& checksum = "") {
        m_http.SetAnswer(path, Document(version, Url(m_http, "/files/setup.sh"),
                                        checksum.empty() ? m_checksum : checksum));
    }
    CSoftwareUpdate& Update() {
        if (!m_update) {
            m_update = std::make_unique<CSoftwareUpdate>(m_context, "1.0.3.2");
            m_update->SetNotify(&m_notify);
        }
        return *m_update;
    }
    // Runs a check to its end (a check that offers nothing ends by itself).
    void CheckToEnd(bool userStarted) {
        ASSERT_TRUE(Update().Start(userStarted));
        ASSERT_TRUE(WaitForIdle());
    }
    bool WaitForIdle() {
        for (int i = 0; i < 1000; ++i) {
            if (Update().GetState() == CSoftwareUpdate::kIdle) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    std::string Arguments() const { return test::ReadFileText(m_folder + "update/arguments.txt"); }

    std::string m_folder;
    test::CCapturedLogger m_log;
    CConfigStore m_config;
    CEventBus m_bus;
    CServerContext m_context;
    test::CLocalHttpServer m_http;
    CRecordingNotify m_notify;
    std::unique_ptr<CSoftwareUpdate> m_update;
    std::string m_installer;
    std::string m_checksum;
};

TEST_F(SoftwareUpdateTest, VersionsCompareByNumberAndTheQueryNamesThisInstallation) {
    Offer("/vantor/update.php", "1.0.3.10");
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.3.10"));
    EXPECT_TRUE(m_log.sink.Contains("New application version available: 1.0.3.10"));
    Update().Stop();
    EXPECT_EQ(Update().GetState(), CSoftwareUpdate::kIdle);

    const auto requests = m_http.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "/vantor/update.php?version=1.0.3.2&sid=" + GetAdapterAddress() + "%7C" +
                               GetVolumeSerial() + "&plat=" + std::to_string(kUpdatePlatformLinux));

    // Not newer: an automatic check says nothing, one the user started says so.
    Offer("/vantor/update.php", "1.0.3.2");
    CheckToEnd(false);
    EXPECT_EQ(m_notify.Calls().size(), 1u);
    CheckToEnd(true);
    EXPECT_EQ(m_notify.Calls().back(), "newest 1.0.3.2");
}

TEST_F(SoftwareUpdateTest, TheBetaEndpointWinsOnlyWhenNewer) {
    Offer("/vantor/update.php", "1.0.4.0");
    Offer("/beta/update.php", "1.0.5.0");
    m_config.SetString("BetaUpdateURL", Url(m_http, "/beta/update.php"));
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.5.0"));
    EXPECT_TRUE(m_log.sink.Contains("New application version available: 1.0.5.0 [beta]"));
    Update().Stop();

    Offer("/beta/update.php", "1.0.3.9");
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    Update().Stop();
}

TEST_F(SoftwareUpdateTest, ASkippedVersionIsOfferedOnlyToTheUserWhoAsks) {
    Offer("/vantor/update.php", "1.0.4.0");
    m_config.SetString("UpdateSkipVersion", "1.0.4.0");
    CheckToEnd(false);
    EXPECT_TRUE(m_notify.Calls().empty());
    EXPECT_TRUE(m_log.sink.Contains("New application version available: 1.0.4.0"));

    ASSERT_TRUE(Update().Start(true));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    // "Skip this version" stores it and ends the check.
    m_config.Remove("UpdateSkipVersion");
    Update().SkipVersion("1.0.4.0");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(m_config.GetString("UpdateSkipVersion", ""), "1.0.4.0");
}

TEST_F(SoftwareUpdateTest, AVerifiedDownloadStartsTheInstallerOnlyOnInstall) {
    Offer("/vantor/update.php", "1.0.4.0");
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    Update().AcceptDownload();
    ASSERT_TRUE(m_notify.WaitFor("ready"));
    EXPECT_TRUE(m_log.sink.Contains("Beginning download of new version"));
    EXPECT_TRUE(m_log.sink.Contains("Auto-update download successful"));
    EXPECT_EQ(m_notify.lastPercent, 100);
    EXPECT_EQ(test::ReadFileText(m_folder + "update/setup.sh"), m_installer);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Arguments(), "");  // not before the user says install

    Update().Install();
    ASSERT_TRUE(WaitForIdle());
    for (int i = 0; i < 500 && Arguments().empty(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(Arguments(), "--quiet\n/opt/my dir\n");
}

TEST_F(SoftwareUpdateTest, AFailedOrMismatchedDownloadInstallsNothing) {
    // The checksum in upper case is not the checksum.
    std::string upper = m_checksum;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    Offer("/vantor/update.php", "1.0.4.0", upper);
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    Update().AcceptDownload();
    ASSERT_TRUE(m_notify.WaitFor("download failed"));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(m_log.sink.Count("Auto-update download failed"), 1);
    EXPECT_FALSE(m_log.sink.Contains("Auto-update download successful"));
    EXPECT_TRUE(fs::exists(m_folder + "update/setup.sh"));  // kept, but not started

    // A download the server does not have.
    m_http.SetAnswer("/vantor/update.php",
                     Document("1.0.4.0", Url(m_http, "/files/missing.sh"), m_checksum));
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    Update().AcceptDownload();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(m_log.sink.Count("Auto-update download failed"), 2);
    EXPECT_FALSE(fs::exists(m_folder + "update/missing.sh"));
    EXPECT_EQ(Arguments(), "");
}

TEST_F(SoftwareUpdateTest, CancellingWhileWaitingEndsTheThread) {
    Offer("/vantor/update.php", "1.0.4.0");
    ASSERT_TRUE(Update().Start(false));
    ASSERT_TRUE(m_notify.WaitFor("offer 1.0.4.0"));
    EXPECT_EQ(Update().GetState(), CSoftwareUpdate::kChecking);
    Update().Cancel();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(m_log.sink.WaitFor("Thread[\"Software Update Thread\"] has ended", 5s));
    EXPECT_EQ(m_http.Requests().size(), 1u);  // nothing downloaded
}

TEST_F(SoftwareUpdateTest, PlainHttpIsRefusedUnlessAllowedAndNoEndpointMeansNoCheck) {
    Offer("/vantor/update.php", "1.0.4.0");
    m_config.SetBool("AllowInsecureUpdate", false);
    CheckToEnd(true);
    EXPECT_TRUE(
        m_log.sink.Contains("ERROR: Update check refused: " + Url(m_http, "/vantor/update.php") +
                            " is not an https address"));
    EXPECT_TRUE(m_http.Requests().empty());
    EXPECT_EQ(m_notify.Calls(), std::vector<std::string>{"failed"});

    m_config.Remove("UpdateURL");
    CheckToEnd(false);
    EXPECT_TRUE(m_http.Requests().empty());
    EXPECT_EQ(m_notify.Calls().size(), 1u);

    EXPECT_TRUE(IsUpdateUrlAllowed("HTTPS://example.org/u", false));
    EXPECT_FALSE(IsUpdateUrlAllowed("file:///tmp/setup.sh", true));
    EXPECT_FALSE(IsUpdateUrlAllowed("ftp://example.org/setup.sh", true));
}

// The real QRM without a window checks once it has started and, with nobody to ask, only
// logs what it found.
TEST(SoftwareUpdateServerTest, TheHeadlessServerChecksAfterStartingAndLogsTheOffer) {
    test::CLocalHttpServer http;
    http.SetAnswer("/vantor/update.php", Document("2.0.0.0", Url(http, "/files/setup.sh"), ""));
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("UpdateURL", Url(http, "/vantor/update.php"));
    qrm.SetConfig("AllowInsecureUpdate", "true");
    qrm.SetConfig("AutoUpdate", "true");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    EXPECT_TRUE(qrm.WaitForLog("New application version available: 2.0.0.0"));
    const std::string log = qrm.LogText();
    EXPECT_LT(log.find("Server is started"), log.find("New application version available"));
    EXPECT_EQ(qrm.Stop(), 0);
    EXPECT_EQ(http.Requests().size(), 1u);
}

}  // namespace
}  // namespace vantor
