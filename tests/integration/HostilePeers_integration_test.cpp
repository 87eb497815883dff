// The real QRM against peers that misbehave as anyone on the network could: a client that
// stops reading, empty datagrams, slow and silent connections, amplifying ranges, links out
// of served folders, guessed queue ids, requests the parser cannot take, ports already in
// use, and an interrupted library copy. Each case is one peer; the others must not notice.

#include "tests/integration/WebHttpClient.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include "protocol/Xml.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::CHttpAnswer;
using test::CQrmProcess;
using test::CUdpTestClient;
using test::CWebHttpClient;
using test::CXmlTestClient;
using test::HttpGet;

// A TCP connection to the loopback address that never reads, closed on scope exit.
class CRawConnection {
public:
    explicit CRawConnection(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~CRawConnection() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CRawConnection(const CRawConnection&) = delete;
    CRawConnection& operator=(const CRawConnection&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Send(const std::string& bytes) {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

private:
    int m_fd = -1;
};

// A field of the process's /proc status ("Threads", "VmRSS"), or -1.
long ProcStatus(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    }
    return -1;
}

std::string Request(const std::string& name, int requestId, const std::string& body = "") {
    return "<" + name + "><requestId>" + std::to_string(requestId) + "</requestId>" + body +
           "</" + name + ">";
}

// The next document with this root, skipping others; empty on timeout.
std::string ReadRoot(CXmlTestClient& client, const std::string& root, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        auto doc = client.ReadDocument(static_cast<int>(std::max<int64_t>(1, left.count())));
        if (!doc) return {};
        if (GetRootElementName(*doc) == root) return *doc;
    }
    return {};
}

int64_t MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---------------------------------------------------------------------------------------
// The XML channel and discovery.

class HostileXmlPeerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(m_qrm.Stop(), 0) << m_qrm.StdioText(); }
    CQrmProcess m_qrm;
};

TEST_F(HostileXmlPeerTest, AClientThatStopsReadingIsCutOffAndHoldsUpNobody) {
    // A library large enough that a few listings outgrow every socket buffer.
    const std::string library = m_qrm.DataDir() + "library.xml";
    tools::ITunesLibraryOptions options;
    options.tracks = 10000;
    options.includePlaylists = false;
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, library));
    m_qrm.SetConfig("SimulatedPlayer", "true");
    m_qrm.SetConfig("PlayerType", "iTunes");
    m_qrm.SetConfig("Paths\\iTunesXML", library);
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();

    CXmlTestClient good;
    ASSERT_TRUE(good.Connect(m_qrm.XmlPort()));
    bool indexed = false;  // the root answers 21 until the first indexing is over
    for (int i = 0; i < 600 && !indexed; ++i) {
        ASSERT_TRUE(good.SendDocument(Request("BrowseLibraryRequest", 1, "<path>\\</path>")));
        indexed = GetElementInt(ReadRoot(good, "BrowseLibraryResponse", 20000), "returnCode") == 0;
        if (!indexed) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(indexed);
    while (good.ReadDocument(500)) {
    }
    const std::string tracks =
        Request("BrowseLibraryRequest", 1, "<path>\\Music\\Tracks</path><count>-1</count>");

    CXmlTestClient stalled;
    ASSERT_TRUE(stalled.Connect(m_qrm.XmlPort(), "127.0.0.1", 4096));
    std::string burst;
    for (int i = 0; i < 10; ++i) burst += tracks + '\0';
    ASSERT_TRUE(stalled.SendRaw(burst));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // its answers pile up

    // The deadline is 2 s: another client's answer never waits longer than that and one
    // second more, and a broadcast still reaches it.
    auto start = Clock::now();
    ASSERT_TRUE(good.SendDocument(Request("GetVolumeRequest", 2)));
    EXPECT_NE(ReadRoot(good, "GetVolumeResponse", 10000), "");
    EXPECT_LT(MillisecondsSince(start), 3000);

    start = Clock::now();
    ASSERT_TRUE(good.SendDocument(Request("SetVolumeRequest", 3, "<volume>37</volume>")));
    std::string event = ReadRoot(good, "VolumeChangedEvent", 10000);
    EXPECT_EQ(GetElementInt(event, "volume"), 37) << event;
    EXPECT_LT(MillisecondsSince(start), 4000);

    EXPECT_TRUE(m_qrm.WaitForLog("did not take a document within 2000 ms, closing it.", 10000));
    EXPECT_NE(m_qrm.LogText().find("(127.0.0.1:"), std::string::npos);
}

TEST_F(HostileXmlPeerTest, SilentConnectionsGiveTheirSlotsBack) {
    m_qrm.SetConfig("XMLChannel\\FirstDocumentSeconds", "2");
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();

    CXmlTestClient talker;  // speaks at once and is never cut off
    ASSERT_TRUE(talker.Connect(m_qrm.XmlPort()));
    ASSERT_TRUE(talker.SendDocument(Request("GetErrorDetailsRequest", 1)));
    ASSERT_NE(ReadRoot(talker, "GetErrorDetailsResponse", 5000), "");

    std::vector<std::unique_ptr<CRawConnection>> silent;
    for (int i = 0; i < 99; ++i) {
        silent.push_back(std::make_unique<CRawConnection>(m_qrm.XmlPort()));
        ASSERT_TRUE(silent.back()->IsOpen());
    }
    ASSERT_TRUE(silent.back()->Send("<GetVolumeRe"));  // half a document is still silence
    {
        CRawConnection extra(m_qrm.XmlPort());  // the 101st: every slot is taken
        EXPECT_TRUE(m_qrm.WaitForLog("Unable to find an open XML channel client slot"));
    }

    EXPECT_TRUE(m_qrm.WaitForLog("sent no whole document within 2 s, closing it.", 15000, 99));
    CXmlTestClient later;
    ASSERT_TRUE(later.Connect(m_qrm.XmlPort()));
    ASSERT_TRUE(later.SendDocument(Request("GetErrorDetailsRequest", 2)));
    EXPECT_NE(ReadRoot(later, "GetErrorDetailsResponse", 5000), "");
    ASSERT_TRUE(talker.SendDocument(Request("GetErrorDetailsRequest", 3)));
    EXPECT_NE(ReadRoot(talker, "GetErrorDetailsResponse", 5000), "");
}

TEST_F(HostileXmlPeerTest, EmptyAndShortDatagramsLeaveDiscoveryRunning) {
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    CUdpTestClient peer;
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(peer.SendTo(m_qrm.DiscoveryPort(), ""));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(peer.SendTo(m_qrm.DiscoveryPort(), "\x01"));
    ASSERT_TRUE(peer.SendTo(m_qrm.DiscoveryPort(), std::string("\x01\x00\xFF", 3)));
    auto reply = peer.Receive(5000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->substr(0, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(m_qrm.CountInLog("discovery socket encountered error"), 0);
}

// A port that another program listens on makes a headless server end, saying why, instead
// of running on with nothing listening.
TEST(HostileStartTest, AChannelThatCannotListenEndsTheHeadlessServer) {
    for (const char* channel : {"XML", "HTTP"}) {
        SCOPED_TRACE(channel);
        CQrmProcess qrm;
        const bool xml = std::string(channel) == "XML";
        const int port = xml ? qrm.XmlPort() : qrm.HttpPort();
        const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(holder, 1), 0);

        EXPECT_FALSE(qrm.Start(20000));
        const int status = qrm.ExitStatus();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        const std::string stdio = qrm.StdioText();
        const std::string why = std::string("the ") + channel + " channel cannot listen on port " +
                                std::to_string(port) + ": Address already in use";
        EXPECT_NE(stdio.find("QRM: not started: " + why + "\n"), std::string::npos) << stdio;
        EXPECT_NE(qrm.LogText().find("ERROR: " + why), std::string::npos);
        EXPECT_NE(qrm.LogText().find(xml ? "ERROR: Error creating XML channel listen socket."
                                         : "ERROR: Unable to start HTTP channel"),
                  std::string::npos);
        EXPECT_EQ(qrm.CountInLog("Server is started"), 0);
        ::close(holder);
    }
}

// An update interrupted by a crash leaves its library-sized copy behind; the next start
// removes it.
TEST(HostileStartTest, AnUnfinishedLibraryCopyIsRemovedAtStart) {
    CQrmProcess qrm;
    const std::string stale = qrm.DataDir() + "library.db.Xy12Zw";
    const std::string kept = qrm.DataDir() + "library.db.notes";
    ASSERT_TRUE(test::WriteFileText(stale, std::string(100000, 'x')));
    ASSERT_TRUE(test::WriteFileText(kept, "not a copy"));
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_EQ(qrm.CountInLog("Removed an unfinished library copy: library.db.Xy12Zw"), 1);
    EXPECT_EQ(qrm.Stop(), 0);
}

// ---------------------------------------------------------------------------------------
// The HTTP channel.

class HostileHttpPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_workDir = test::MakeTempDir("vantor-hostile-");
        m_root = m_workDir + "root";
        m_file.resize(100 * 1024);
        for (size_t i = 0; i < m_file.size(); ++i) m_file[i] = static_cast<char>('a' + i % 23);
        test::WriteFileText(m_root + "/big.bin", m_file);
        test::WriteFileText(m_workDir + "secret.txt", "SECRET");
        m_qrm.SetWorkingDirectory(m_workDir);
        m_qrm.SetConfig("Paths\\HTTPRoot", m_root);
    }
    void TearDown() override {
        EXPECT_EQ(m_qrm.Stop(), 0) << m_qrm.StdioText();
        std::error_code ec;
        fs::remove_all(m_workDir, ec);
    }

    std::optional<CHttpAnswer> Get(const std::string& target, const std::string& headers = "") {
        return HttpGet(m_qrm.HttpPort(), target, headers);
    }

    // Sends raw bytes on a new connection; the answer, and whether the server then closed.
    std::pair<std::optional<CHttpAnswer>, bool> Refused(const std::string& bytes) {
        CWebHttpClient client;
        if (!client.Connect(m_qrm.HttpPort()) || !client.SendRaw(bytes)) return {{}, false};
        auto answer = client.Read();
        return {answer, client.WaitForClose()};
    }

    CQrmProcess m_qrm;
    std::string m_workDir;
    std::string m_root;
    std::string m_file;
};

TEST_F(HostileHttpPeerTest, SlowPeersAreBoundedInNumberAndTimeWhileHeldPollsGoOn) {
    m_qrm.SetConfig("HTTP\\MaxConnections", "20");
    m_qrm.SetConfig("HTTP\\RequestSeconds", "2");
    m_qrm.SetConfig("HTTP\\IdleSeconds", "3");
    m_qrm.SetConfig("HTTP\\PollHoldSeconds", "60");
    m_qrm.SetConfig("SimulatedPlayer", "true");
    m_qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    ASSERT_TRUE(test::WaitForFirstLibraryUpdate(m_qrm.HttpPort()));
    m_qrm.WaitUntilUpFor(std::chrono::seconds(6));  // past the channel's short first holds
    const long threadsBefore = ProcStatus(m_qrm.Pid(), "Threads");

    CWebHttpClient poll;
    ASSERT_TRUE(poll.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(poll.SendGet("/q?c=new"));
    auto created = poll.Read();
    ASSERT_TRUE(created);
    const std::string queue = created->body;
    ASSERT_TRUE(poll.SendGet("/q?c=" + queue));
    EXPECT_FALSE(poll.Read(300)) << "an empty queue holds the poll";

    // Nineteen peers that send one header byte each fill the channel up to its limit.
    std::vector<std::unique_ptr<CWebHttpClient>> slow;
    for (int i = 0; i < 19; ++i) {
        slow.push_back(std::make_unique<CWebHttpClient>());
        ASSERT_TRUE(slow.back()->Connect(m_qrm.HttpPort()));
        ASSERT_TRUE(slow.back()->SendRaw("G"));
    }
    auto refused = Refused("GET /big.bin HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(refused.first);
    EXPECT_EQ(refused.first->Status(), 503);
    EXPECT_TRUE(refused.second);
    EXPECT_TRUE(m_qrm.WaitForLog("Refused an HTTP connection from 127.0.0.1: 20 connections"));

    // The held poll still gets its event, through the XML channel's volume change.
    CXmlTestClient xml;
    ASSERT_TRUE(xml.Connect(m_qrm.XmlPort()));
    ASSERT_TRUE(xml.SendDocument(Request("SetVolumeRequest", 1, "<volume>61</volume>")));
    auto events = poll.Read(5000);
    ASSERT_TRUE(events);
    EXPECT_NE(events->body.find("<volume>61</volume>"), std::string::npos) << events->body;

    // Two seconds after their first byte the slow peers are answered 408 and closed, and
    // their threads are gone.
    for (auto& peer : slow) {
        auto answer = peer->Read(10000);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), 408);
        EXPECT_TRUE(peer->WaitForClose());
    }
    auto fine = Get("/big.bin");
    ASSERT_TRUE(fine);
    EXPECT_EQ(fine->Status(), 200);

    // A keep-alive connection with nothing to do is closed after the idle time; one whose
    // poll is held is not.
    CWebHttpClient idle;
    ASSERT_TRUE(idle.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(idle.SendGet("/big.bin"));
    ASSERT_TRUE(idle.Read());
    ASSERT_TRUE(poll.SendGet("/q?c=" + queue));
    EXPECT_TRUE(idle.WaitForClose(10000));
    ASSERT_TRUE(xml.SendDocument(Request("SetVolumeRequest", 2, "<volume>62</volume>")));
    events = poll.Read(5000);
    ASSERT_TRUE(events) << "the held poll outlived the idle time";
    EXPECT_NE(events->body.find("<volume>62</volume>"), std::string::npos);

    slow.clear();
    // Left: the poll's connection and the XML client (and a timer or two of the player).
    for (int i = 0; i < 50 && ProcStatus(m_qrm.Pid(), "Threads") > threadsBefore + 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LE(ProcStatus(m_qrm.Pid(), "Threads"), threadsBefore + 4);
}

TEST_F(HostileHttpPeerTest, RangesNeverSendMoreThanTheFileOrOtherBytesThanTheyName) {
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    auto two = Get("/big.bin", "Range: bytes=0-9,200-209\r\n");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->Status(), 206);
    EXPECT_EQ(two->Header("Content-Range"), "bytes 0-209/102400");
    EXPECT_EQ(two->Header("Content-Length"), "210");
    EXPECT_EQ(two->body, m_file.substr(0, 210));

    std::string many = "Range: bytes=0-";
    for (int i = 0; i < 4999; ++i) many += ",0-";
    auto amplified = Get("/big.bin", many + "\r\n");
    ASSERT_TRUE(amplified);
    EXPECT_EQ(amplified->Header("Content-Length"), "102400");
    EXPECT_EQ(amplified->body, m_file);
}

TEST_F(HostileHttpPeerTest, LinksOutOfServedFoldersAreNotFollowed) {
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    fs::create_directories(m_qrm.DataDir() + "cache");
    fs::create_symlink(m_workDir + "secret.txt", m_root + "/secret.html");
    fs::create_symlink(m_workDir + "secret.txt", m_qrm.DataDir() + "cache/secret.jpg");
    fs::create_symlink("/etc/passwd", m_root + "/passwd.txt");
    fs::create_symlink("big.bin", m_root + "/same.bin");  // stays inside: served
    for (const char* target : {"/secret.html", "/art/secret.jpg", "/passwd.txt"}) {
        auto answer = Get(target);
        ASSERT_TRUE(answer) << target;
        EXPECT_EQ(answer->Status(), 404) << target;
        EXPECT_EQ(answer->body.find("SECRET"), std::string::npos);
    }
    EXPECT_EQ(m_qrm.CountInLog("HTTP: Refused file outside its folder"), 3);
    auto inside = Get("/same.bin");
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->body, m_file);
}

TEST_F(HostileHttpPeerTest, QueueIdsCannotBeGuessedFromOneAnother) {
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    std::set<long> ids;
    int close = 0;
    long previous = 0;
    for (int i = 0; i < 40; ++i) {
        auto created = Get("/q?c=new");
        ASSERT_TRUE(created);
        ASSERT_NE(created->body.find_first_of("0123456789"), std::string::npos);
        ASSERT_EQ(created->body.find_first_not_of("0123456789"), std::string::npos);
        const long id = std::atol(created->body.c_str());
        close += std::labs(id - previous) < 100000 ? 1 : 0;
        previous = id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 40u);
    EXPECT_LE(close, 1) << "ids near the one before can be guessed";
}

TEST_F(HostileHttpPeerTest, RequestsTheParserCannotTakeAreAnsweredThenClosed) {
    ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    struct Case {
        std::string bytes;
        int status;
    };
    const Case cases[] = {
        // The bytes after the first body would otherwise pass for a second request.
        {"POST /x HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: 29\r\n\r\n"
         "GET /big.bin HTTP/1.1\r\n\r\n",
         400},
        {"POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nX-Pad: " + std::string(70 * 1024, 'p') + "\r\n\r\n", 431},
        {"POST /x HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n", 413},
        {"HELLO\r\n\r\n", 400},
        {"GET /big.bin\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        auto [answer, closed] = Refused(c.bytes);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), c.status);
        EXPECT_EQ(answer->Header("Connection"), "close");
        EXPECT_TRUE(closed);
    }
    auto fine = Get("/big.bin");
    ASSERT_TRUE(fine);
    EXPECT_EQ(fine->Status(), 200);
}

}  // namespace
}  // namespace vantor
