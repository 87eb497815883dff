// The web routes that reach the services of the real QRM: the protocol bridge answered by
// the player, broadcasts into the event queues, and media files found by the library.

#include "tests/integration/WebHttpClient.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

namespace vantor {
namespace {

using test::CHttpAnswer;
using test::CQrmProcess;
using test::CWebHttpClient;

std::string Encode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string Bridge(const std::string& name, const std::string& fields = "") {
    return "/xml?m=" +
           Encode("<" + name + "><requestId>5</requestId>" + fields + "</" + name + ">");
}

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class WebServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_workDir = test::MakeTempDir("vantor-websvc-");
        m_track = std::string(5000, '\0');
        for (size_t i = 0; i < m_track.size(); ++i) m_track[i] = static_cast<char>(i * 7);
        test::WriteFileText(m_workDir + "music/song one.mp3", m_track);
        test::WriteFileText(
            m_workDir + "library.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
            "\t<key>Major Version</key><integer>1</integer>\n\t<key>Tracks</key>\n\t<dict>\n"
            "\t\t<key>1000</key>\n\t\t<dict>\n"
            "\t\t\t<key>Track ID</key><integer>1000</integer>\n"
            "\t\t\t<key>Name</key><string>Streamable</string>\n"
            "\t\t\t<key>Artist</key><string>Tester</string>\n"
            "\t\t\t<key>Album</key><string>Bytes</string>\n"
            "\t\t\t<key>Genre</key><string>Test</string>\n"
            "\t\t\t<key>Kind</key><string>MPEG audio file</string>\n"
            "\t\t\t<key>Total Time</key><integer>5000</integer>\n"
            "\t\t\t<key>Track Type</key><string>File</string>\n"
            "\t\t\t<key>Location</key><string>file://localhost" +
                m_workDir +
                "music/song%20one.mp3</string>\n"
                "\t\t</dict>\n\t</dict>\n\t<key>Playlists</key>\n\t<array>\n\t</array>\n"
                "</dict>\n</plist>\n");
        m_qrm.SetWorkingDirectory(m_workDir);
        m_qrm.SetConfig("SimulatedPlayer", "true");
        m_qrm.SetConfig("PlayerType", "iTunes");
        m_qrm.SetConfig("Paths\\iTunesXML", m_workDir + "library.xml");
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        // A build without the player service leaves bridge requests unanswered.
        auto volume = Get(Bridge("GetVolumeRequest"), 5000);
        if (!volume) GTEST_SKIP() << "this server has no player service";
        ASSERT_TRUE(test::WaitForFirstLibraryUpdate(m_qrm.HttpPort()));
    }
    void TearDown() override {
        m_qrm.Stop();
        std::error_code ec;
        std::filesystem::remove_all(m_workDir, ec);
    }

    std::optional<CHttpAnswer> Get(const std::string& target, int timeoutMs = 5000,
                                   const std::string& headers = "") {
        return test::HttpGet(m_qrm.HttpPort(), target, headers, timeoutMs);
    }

    // Sets the volume and waits until the player service has announced it (it coalesces
    // changes for half a second), seen through a queue of its own.
    void SetVolumeAndWait(int volume) {
        std::string id = Get("/q?c=new")->body;
        ASSERT_EQ(Get(Bridge("SetVolumeRequest", "<volume>" + std::to_string(volume) + "</volume>"))
                      ->Status(),
                  200);
        const std::string expected = "<volume>" + std::to_string(volume) + "</volume>";
        for (int i = 0; i < 20; ++i) {
            auto events = Get("/q?c=" + id, 10000);
            ASSERT_TRUE(events);
            if (events->body.find(expected) != std::string::npos) return;
        }
        FAIL() << "no VolumeChangedEvent with " << expected;
    }

    CQrmProcess m_qrm;
    std::string m_workDir;
    std::string m_track;
};

TEST_F(WebServicesTest, BridgeRequestIsAnsweredThroughTheRouter) {
    auto answer = Get(Bridge("GetVolumeRequest"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Status(), 200);
    EXPECT_EQ(answer->Header("Content-Type"), "text/xml");
    EXPECT_TRUE(std::regex_search(
        answer->body,
        std::regex("^<\\?xml version=\"1.0\" encoding=\"UTF-8\"\\?>\n<GetVolumeResponse>\n"
                   "<requestId>5</requestId>\n<returnCode>0</returnCode>\n<volume>\\d+</volume>")))
        << answer->body;
}

TEST_F(WebServicesTest, IdleQueueKeepsOnlyTheNewestVolume) {
    const std::string idle = Get("/q?c=new")->body;
    for (int volume : {31, 32, 33}) SetVolumeAndWait(volume);
    auto events = Get("/q?c=" + idle);
    ASSERT_TRUE(events);
    EXPECT_EQ(Count(events->body, "<VolumeChangedEvent>"), 1) << events->body;
    EXPECT_NE(events->body.find("<volume>33</volume>"), std::string::npos) << events->body;
}

TEST_F(WebServicesTest, HeldPollIsAnsweredByTheNextBroadcast) {
    // Past the channel's first seconds, where held polls are let go after one second.
    m_qrm.WaitUntilUpFor(std::chrono::seconds(6));
    const std::string id = Get("/q?c=new")->body;
    CWebHttpClient poll;
    ASSERT_TRUE(poll.Connect(m_qrm.HttpPort()));
    // Drain whatever the start announced, then hold.
    for (;;) {
        ASSERT_TRUE(poll.SendGet("/q?c=" + id));
        if (!poll.Read(1500)) break;
    }
    ASSERT_EQ(Get(Bridge("SetVolumeRequest", "<volume>44</volume>"))->Status(), 200);
    // The simulated player may announce something of its own first; every answer must
    // still be a broadcast (never an empty expiry), and the volume change must come.
    bool volumeSeen = false;
    for (int i = 0; i < 5 && !volumeSeen; ++i) {
        if (i > 0) {
            ASSERT_TRUE(poll.SendGet("/q?c=" + id));
        }
        auto answer = poll.Read(10000);
        ASSERT_TRUE(answer);
        EXPECT_EQ(
            answer->body.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events><event>", 0),
            0u)
            << answer->body;
        volumeSeen = answer->body.find("<VolumeChangedEvent>") != std::string::npos &&
                     answer->body.find("<volume>44</volume>") != std::string::npos;
    }
    EXPECT_TRUE(volumeSeen);
}

TEST_F(WebServicesTest, MediaStreamsALibraryTrackWithRanges) {
    std::string id;
    for (int i = 0; i < 100 && id.empty(); ++i) {
        auto found = Get(Bridge("MediaSearchRequest",
                                "<any>Streamable</any><start>0</start>"
                                "<count>5</count>"));
        if (!found) GTEST_SKIP() << "this server has no library service";
        std::smatch match;
        if (std::regex_search(found->body, match, std::regex("<id>(\\d+)</id>"))) id = match[1];
        if (id.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(id.empty()) << "the library never listed the track";

    auto whole = Get("/media/" + id);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->Status(), 200);
    EXPECT_EQ(whole->Header("Content-Type"), "audio/mpeg");
    EXPECT_EQ(whole->body, m_track);

    struct Case {
        const char* range;
        const char* contentRange;
        size_t first, count;
    } cases[] = {
        {"bytes=0-99", "bytes 0-99/5000", 0, 100},
        {"bytes=-100", "bytes 4900-4999/5000", 4900, 100},
        {"bytes=4000-", "bytes 4000-4999/5000", 4000, 1000},
    };
    for (const Case& c : cases) {
        auto part = Get("/media/" + id, 5000, std::string("Range: ") + c.range + "\r\n");
        ASSERT_TRUE(part) << c.range;
        EXPECT_EQ(part->Status(), 206) << c.range;
        EXPECT_EQ(part->Header("Content-Range"), c.contentRange);
        EXPECT_EQ(part->body, m_track.substr(c.first, c.count)) << c.range;
    }
    EXPECT_EQ(Get("/media/987654")->Status(), 404);
}

}  // namespace
}  // namespace vantor
