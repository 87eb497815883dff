// The client update against the real QRM, which serves "clients/linux.xml" and the
// installer: newer, older and equal versions, the checksum, the loopback rewrite, the
// installer started with its parameters, and a leftover installer deleted.

#include <gtest/gtest.h>

#include <filesystem>

#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "client/update/ClientUpdater.h"
#include "client/update/FileDigest.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"

namespace vantor::client {
namespace {

namespace fs = std::filesystem;

class RecordingPrompt : public UpdatePrompt {
public:
    bool AskYesNo(const std::string& text, const std::string& title) override {
        log.push_back("ask " + title + ": " + text);
        return answer;
    }
    void ShowProgress(const std::string& text) override { log.push_back(text); }
    void ShowError(const std::string& text, const std::string& title) override {
        log.push_back("error " + title + ": " + text.substr(0, text.find('\n')));
    }
    bool answer = true;
    std::vector<std::string> log;
};

class ClientUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_work = test::MakeTempDir("vantor-update-");
        m_install = m_work + "install/";
        fs::create_directories(m_install);
        // The installer records its arguments beside itself.
        m_installer = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments.txt\"\n";
        ASSERT_TRUE(test::WriteFileText(m_work + "clients/setup.sh", m_installer));
        m_checksum = Md5OfFile(m_work + "clients/setup.sh");
        ASSERT_EQ(m_checksum.size(), 32u);
        m_qrm.SetWorkingDirectory(m_work);
        m_qrm.SetConfig("SimulatedPlayer", "true");
        m_qrm.SetConfig("PlayerType", "iTunes");
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        // Through the name: the server still describes itself as 127.0.0.1.
        ASSERT_EQ(m_link.Connect("localhost:" + std::to_string(m_qrm.XmlPort())), 0);
    }
    void TearDown() override {
        m_link.Disconnect();
        fs::remove_all(m_work);
    }

    void Describe(const std::string& version, const std::string& checksum) {
        ASSERT_TRUE(
            test::WriteFileText(m_work + "clients/linux.xml",
                                "<VersionInformation><Name>Vantor</Name><Version>" + version +
                                    "</Version><Parameters>--quiet \"/opt/my dir\"</Parameters>"
                                    "<UpdateURL>setup.sh</UpdateURL><Checksum>" +
                                    checksum + "</Checksum></VersionInformation>"));
    }

    CClientVersionBody Offer() {
        auto request = requests::GetClientVersion("linux");
        std::unique_ptr<CResponseMessage> response;
        EXPECT_EQ(m_link.SendAndWait(*request, response), kLinkOk);
        const auto* offer =
            ResponseAs<CClientVersionResponse>(response, msg::GetClientVersionResponse);
        EXPECT_NE(offer, nullptr);
        EXPECT_EQ(offer->ReturnCode(), 0);
        return offer ? offer->Body() : CClientVersionBody{};
    }

    UpdateOutcome Run(RecordingPrompt& prompt) {
        ClientUpdater updater(prompt);
        return updater.OnClientVersion(Offer(),
                                       {kClientVersionText(), m_install, m_link.ServerHost()});
    }
    static std::string kClientVersionText() { return "1.0.3.1"; }

    test::CQrmProcess m_qrm;
    ServerLink m_link;
    std::string m_work;
    std::string m_install;
    std::string m_installer;
    std::string m_checksum;
};

TEST_F(ClientUpdateTest, ANewerVersionIsDownloadedCheckedAndStarted) {
    Describe("1.1.0.0", m_checksum);
    const CClientVersionBody offer = Offer();
    EXPECT_NE(offer.url.find("http://127.0.0.1:"), std::string::npos) << offer.url;
    RecordingPrompt prompt;
    ASSERT_EQ(Run(prompt), UpdateOutcome::kApplied);
    EXPECT_EQ(prompt.log,
              (std::vector<std::string>{
                  "ask Update Available: A new client version is available. Would you like to "
                  "upgrade now?",
                  "Downloading update...", "Applying update..."}));
    EXPECT_EQ(test::ReadFileText(m_install + "setup.sh"), m_installer);
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(m_install + "arguments.txt"); }));
    EXPECT_TRUE(test::WaitUntil([&] {
        return test::ReadFileText(m_install + "arguments.txt") == "--quiet\n/opt/my dir\n";
    }));
}

TEST_F(ClientUpdateTest, AChecksumThatDiffersFailsTheUpdate) {
    std::string upper = m_checksum;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(upper, m_checksum);
    Describe("2.0.0.0", upper);
    RecordingPrompt prompt;
    EXPECT_EQ(Run(prompt), UpdateOutcome::kFailed);
    ASSERT_EQ(prompt.log.size(), 3u);
    EXPECT_EQ(prompt.log[2],
              "error Error Applying Update: There was a problem downloading the update, please "
              "try again later.");
    EXPECT_FALSE(fs::exists(m_install + "setup.sh"));
    EXPECT_FALSE(fs::exists(m_install + "arguments.txt"));

    prompt.log.clear();
    prompt.answer = false;
    EXPECT_EQ(Run(prompt), UpdateOutcome::kDeclined);
    EXPECT_EQ(prompt.log.size(), 1u);
}

TEST_F(ClientUpdateTest, OlderAndEqualVersionsAreNotOfferedAndALeftoverGoes) {
    for (const std::string version : {"1.0.2.9", "1.0.3.1"}) {
        ASSERT_TRUE(test::WriteFileText(m_install + "setup.sh", "left behind"));
        Describe(version, m_checksum);
        RecordingPrompt prompt;
        EXPECT_EQ(Run(prompt), UpdateOutcome::kNoUpdate) << version;
        EXPECT_TRUE(prompt.log.empty());
        EXPECT_FALSE(fs::exists(m_install + "setup.sh")) << version;
    }
}

}  // namespace
}  // namespace vantor::client
