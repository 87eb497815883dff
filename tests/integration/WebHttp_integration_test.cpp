// The HTTP channel of the real QRM: response formats, ranges, conditions, pipelining,
// bounded input, names that try to leave their folder, and the routes that need no player.

#include "tests/integration/WebHttpClient.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <thread>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::CHttpAnswer;
using test::CQrmProcess;
using test::CWebHttpClient;
using test::HttpGet;

constexpr const char* kDatePattern =
    "[A-Z][a-z]{2}, \\d{2} [A-Z][a-z]{2} \\d{4} \\d{2}:\\d{2}:\\d{2} GMT";

std::string Thousand() {
    std::string text(1000, ' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('A' + i % 26);
    return text;
}

// Resident memory of a process in KiB (peak when peak is set).
long MemoryKiB(pid_t pid, bool peak) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string key = peak ? "VmHWM:" : "VmRSS:";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    }
    return -1;
}

class WebHttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_workDir = test::MakeTempDir("vantor-web-");
        m_root = m_workDir + "root";
        test::WriteFileText(m_root + "/song.mp3", Thousand());
        test::WriteFileText(m_root + "/SONG.MP3", Thousand());
        test::WriteFileText(m_root + "/a b.html", "<p>spaces</p>");
        test::WriteFileText(m_root + "/docs/index.html", "<p>docs</p>");
        test::WriteFileText(m_root + "/nodocs/readme.txt", "no index here");
        test::WriteFileText(m_workDir + "clients/ppc.xml", "<VersionInformation/>");
        test::WriteFileText(m_workDir + "secret.txt", "SECRET");
        // Old enough for every If-Modified-Since date below.
        timeval times[2] = {{700000000, 0}, {700000000, 0}};
        ::utimes((m_root + "/song.mp3").c_str(), times);
        m_qrm.SetWorkingDirectory(m_workDir);
        m_qrm.SetConfig("Paths\\HTTPRoot", m_root);
        m_qrm.SetConfig("HTTP\\PollHoldSeconds", "2");
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        ASSERT_TRUE(test::WaitForFirstLibraryUpdate(m_qrm.HttpPort()));
    }
    void TearDown() override {
        m_qrm.Stop();
        std::error_code ec;
        fs::remove_all(m_workDir, ec);
    }

    std::optional<CHttpAnswer> Get(const std::string& target, const std::string& headers = "") {
        return HttpGet(m_qrm.HttpPort(), target, headers);
    }

    CQrmProcess m_qrm;
    std::string m_workDir;
    std::string m_root;
};

TEST_F(WebHttpTest, ByteRanges) {
    const std::string content = Thousand();
    struct Case {
        const char* range;
        int status;
        const char* contentRange;
        size_t first, count;
    } cases[] = {
        {"bytes=0-99", 206, "bytes 0-99/1000", 0, 100},
        {"bytes=-100", 206, "bytes 900-999/1000", 900, 100},
        {"bytes=900-", 206, "bytes 900-999/1000", 900, 100},
        {"0-99", 200, nullptr, 0, 1000},
        {"bytes=1000-", 416, "bytes */1000", 0, 0},
        {"bytes=5000-5100", 416, "bytes */1000", 0, 0},
    };
    for (const Case& c : cases) {
        auto answer = Get("/song.mp3", std::string("Range: ") + c.range + "\r\n");
        ASSERT_TRUE(answer) << c.range;
        EXPECT_EQ(answer->Status(), c.status) << c.range;
        EXPECT_EQ(answer->Header("Content-Range"),
                  c.contentRange ? std::optional<std::string>(c.contentRange) : std::nullopt)
            << c.range;
        if (c.status != 416) {
            EXPECT_EQ(answer->body, content.substr(c.first, c.count)) << c.range;
            EXPECT_EQ(answer->Header("Content-Length"), std::to_string(c.count));
        }
    }
}

TEST_F(WebHttpTest, IfModifiedSinceInAllThreeFormats) {
    struct Case {
        const char* date;
        int status;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 304}, {"Sunday, 06-Nov-94 08:49:37 GMT", 304},
        {"Sun Nov 16 08:49:37 1994", 304},      {"Sun, 06  Nov 1994 08:49:37 GMT", 200},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 200},
    };
    for (const Case& c : cases) {
        auto answer = Get("/song.mp3", std::string("If-Modified-Since: ") + c.date + "\r\n");
        ASSERT_TRUE(answer) << c.date;
        EXPECT_EQ(answer->Status(), c.status) << c.date;
        if (c.status == 304) {
            EXPECT_TRUE(std::regex_match(
                answer->header,
                std::regex(std::string("HTTP/1.1 304 Not Modified\r\nDate: ") + kDatePattern +
                           "\r\nServer: QRM/1.0\r\nConnection: Keep-Alive\r\n\r\n")))
                << answer->header;
            EXPECT_TRUE(answer->body.empty());
        }
    }
}

TEST_F(WebHttpTest, ExactResponseTexts) {
    auto file = Get("/a%20b.html");
    ASSERT_TRUE(file);
    EXPECT_TRUE(std::regex_match(
        file->header,
        std::regex(std::string("HTTP/1\\.1 200 OK\r\nDate: ") + kDatePattern +
                   "\r\nServer: QRM/1\\.0\r\nAccept-Ranges: bytes\r\nContent-Length: 13\r\n"
                   "Connection: Keep-Alive\r\nContent-Type: text/html\r\n\r\n")))
        << file->header;
    EXPECT_EQ(file->body, "<p>spaces</p>");

    auto upper = Get("/SONG.MP3");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->Header("Content-Type"), "");
    EXPECT_NE(upper->header.find("\r\nContent-Type: \r\n\r\n"), std::string::npos);

    auto missing = Get("/nothing.html");
    ASSERT_TRUE(missing);
    const std::string notFoundBody =
        "<html><head><title>404 Not Found</title></head><body><h1>404 Not Found</h1>Error 404 - "
        "File Not Found</body></html>";
    EXPECT_TRUE(std::regex_match(
        missing->header,
        std::regex(std::string("HTTP/1\\.1 404 Not Found\r\nDate: ") + kDatePattern +
                   "\r\nServer: QRM/1\\.0\r\nAccept-Ranges: bytes\r\nContent-Length: " +
                   std::to_string(notFoundBody.size()) +
                   "\r\nConnection: Keep-Alive\r\nContent-Type: text/html\r\n\r\n")))
        << missing->header;
    EXPECT_EQ(missing->body, notFoundBody);

    auto moved = Get("/docs");
    ASSERT_TRUE(moved);
    const std::string location = "http://127.0.0.1:" + std::to_string(m_qrm.HttpPort()) + "/docs/";
    const std::string movedBody =
        "<html><head><title>301 Moved Permanently</title></head><body><h1>301 Moved "
        "Permanently</h1>This document has moved to <a href=\"" +
        location + "\">" + location + "</a></body></html>";
    EXPECT_TRUE(std::regex_match(
        moved->header, std::regex(std::string("HTTP/1\\.1 301 Moved Permanently\r\nDate: ") +
                                  kDatePattern + "\r\nServer: QRM/1\\.0\r\nLocation: " + location +
                                  "\r\nContent-Length: " + std::to_string(movedBody.size()) +
                                  "\r\nConnection: close\r\nContent-Type: text/html\r\n\r\n")))
        << moved->header;
    EXPECT_EQ(moved->body, movedBody);
    EXPECT_EQ(Get("/nodocs")->Status(), 404);
}

TEST_F(WebHttpTest, PipelinedRequestsAreAnsweredInOrder) {
    CWebHttpClient client;
    ASSERT_TRUE(client.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(
        client.SendRaw("GET /a%20b.html HTTP/1.1\r\nHost: x\r\n\r\n"
                       "GET /song.mp3 HTTP/1.1\r\nHost: x\r\nRange: bytes=0-9\r\n\r\n"
                       "GET /missing HTTP/1.1\r\nHost: x\r\n\r\n"));
    auto first = client.Read();
    auto second = client.Read();
    auto third = client.Read();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->body, "<p>spaces</p>");
    EXPECT_EQ(second->body, Thousand().substr(0, 10));
    EXPECT_EQ(third->Status(), 404);
}

// Files are served by a few shared receiver threads; an answer a peer does not take at
// once goes on on a thread of that connection's own. Peers that stop reading in the middle
// of a file, more of them than there are shared threads, hold up nobody, and get every byte
// in order once they read again, on a connection that then serves anything.
TEST_F(WebHttpTest, PeersThatStopReadingAFileHoldUpNobody) {
    std::string content(6 * 1024 * 1024, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
    test::WriteFileText(m_root + "/large.bin", content);
    std::vector<std::unique_ptr<CWebHttpClient>> stalled;
    for (int i = 0; i < 6; ++i) {
        stalled.push_back(std::make_unique<CWebHttpClient>());
        ASSERT_TRUE(stalled.back()->Connect(m_qrm.HttpPort()));
        ASSERT_TRUE(stalled.back()->SendGet("/large.bin"));
    }
    CWebHttpClient other;
    ASSERT_TRUE(other.Connect(m_qrm.HttpPort()));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(other.SendGet("/a%20b.html"));
        auto answer = other.Read(3000);
        ASSERT_TRUE(answer) << "request " << i;
        EXPECT_EQ(answer->body, "<p>spaces</p>");
    }
    for (auto& peer : stalled) {
        auto answer = peer->Read(20000);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), 200);
        EXPECT_TRUE(answer->body == content) << "a body of " << answer->body.size() << " bytes";
    }
    CWebHttpClient& again = *stalled.front();
    ASSERT_TRUE(again.SendGet("/q?c=new"));
    auto queue = again.Read();
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue->Status(), 200);
    ASSERT_TRUE(again.SendGet("/song.mp3"));
    auto song = again.Read();
    ASSERT_TRUE(song);
    EXPECT_EQ(song->body, Thousand());
}

TEST_F(WebHttpTest, StartPageByBrowserKind) {
    struct Case {
        std::string headers, location;
    } cases[] = {
        {"Host: 10.0.0.2:3569\r\nUser-Agent: Mozilla/5.0 (iPhone; CPU iPhone OS 17_0 like Mac OS "
         "X) "
         "AppleWebKit/605.1.15 (KHTML, like Gecko) Mobile/15E148\r\n",
         "http://10.0.0.2:3569/iphone/"},
        {"Host: 10.0.0.2:3569\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows CE; PPC; "
         "240x320)\r\n",
         "http://10.0.0.2:3569/ppc/install.html"},
        {"Host: 10.0.0.2:3569\r\nUser-Agent: Mozilla/5.0 (X11; Linux x86_64)\r\n",
         "http://10.0.0.2:3569/iphone/phone.html"},
    };
    for (const Case& c : cases) {
        CWebHttpClient client;
        ASSERT_TRUE(client.Connect(m_qrm.HttpPort()));
        ASSERT_TRUE(client.SendRaw("GET / HTTP/1.1\r\n" + c.headers + "\r\n"));
        auto answer = client.Read();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), 301);
        EXPECT_EQ(answer->Header("Location"), c.location);
    }
}

TEST_F(WebHttpTest, NamesNeverLeaveTheirFolder) {
    test::WriteFileText(m_qrm.DataDir() + "cache/cover.jpg", "JPEG");
    EXPECT_EQ(Get("/art/cover.jpg")->body, "JPEG");
    EXPECT_EQ(Get("/clients/ppc.xml")->body, "<VersionInformation/>");
    for (const char* target :
         {"/art/../QRM.config", "/art/%2e%2e/QRM.config", "/art/%2E%2E%2FQRM.config",
          "/art/..%5cQRM.config", "/clients/../secret.txt", "/clients/%2e%2e/secret.txt",
          "/clients/sub%2f..%2f..%2fsecret.txt", "/../secret.txt", "/%2e%2e/secret.txt",
          "/%2e%2e%2fsecret.txt", "/docs/../../secret.txt", "/..%5csecret.txt"}) {
        auto answer = Get(target);
        ASSERT_TRUE(answer) << target;
        EXPECT_EQ(answer->Status(), 404) << target;
        EXPECT_EQ(answer->body.find("SECRET"), std::string::npos) << target;
        EXPECT_EQ(answer->body.find("Ports"), std::string::npos) << target;
    }
}

TEST_F(WebHttpTest, OversizedHeadersOrBodiesCloseOnlyThatConnection) {
    CWebHttpClient bystander;
    ASSERT_TRUE(bystander.Connect(m_qrm.HttpPort()));

    CWebHttpClient header;
    ASSERT_TRUE(header.Connect(m_qrm.HttpPort()));
    header.SendRaw("GET / HTTP/1.1\r\nX-Fill: " + std::string(70 * 1024, 'x'));
    EXPECT_TRUE(header.WaitForClose());

    CWebHttpClient body;
    ASSERT_TRUE(body.Connect(m_qrm.HttpPort()));
    body.SendRaw("POST /xml?m=x HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n" +
                 std::string(4096, 'y'));
    EXPECT_TRUE(body.WaitForClose());

    ASSERT_TRUE(bystander.SendGet("/a%20b.html"));
    auto answer = bystander.Read();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "<p>spaces</p>");
    EXPECT_TRUE(m_qrm.WaitForLog("closing it", 5000, 2));
}

TEST_F(WebHttpTest, HugeSparseFileStreamsInBoundedMemory) {
    constexpr int64_t kSize = 3LL * 1024 * 1024 * 1024;
    const std::string path = m_root + "/big.bin";
    { std::ofstream(path, std::ios::binary).put('S'); }
    ASSERT_EQ(::truncate(path.c_str(), kSize), 0);
    // What the running server holds before any of it is sent: the bound is on the growth,
    // not on the libraries a build links in.
    const long before = MemoryKiB(m_qrm.Pid(), true);
    ASSERT_GT(before, 0);

    CWebHttpClient client;
    ASSERT_TRUE(client.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(client.SendGet("/big.bin", "Range: bytes=-16\r\n"));
    auto tail = client.Read();
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail->Status(), 206);
    EXPECT_EQ(tail->Header("Content-Range"), "bytes 3221225456-3221225471/3221225472");
    EXPECT_EQ(tail->body, std::string(16, '\0'));

    // 256 MiB from near the end, read through; then the whole file's header.
    ASSERT_TRUE(client.SendGet("/big.bin", "Range: bytes=2952790016-\r\n"));
    int64_t received = 0;
    auto large = client.Read(60000, &received);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->Header("Content-Length"), "268435456");
    EXPECT_EQ(received, 268435456);

    CWebHttpClient whole;
    ASSERT_TRUE(whole.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(whole.SendGet("/big.bin"));
    auto header = whole.ReadHeader();
    ASSERT_TRUE(header);
    EXPECT_NE(header->find("\r\nContent-Length: 3221225472\r\n"), std::string::npos);
    whole.Close();
    EXPECT_LT(MemoryKiB(m_qrm.Pid(), true) - before, 16 * 1024)
        << "growth of QRM's peak resident memory";

    auto again = Get("/big.bin", "Range: bytes=0-0\r\n");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->body, "S");
}

TEST_F(WebHttpTest, QueuesPingsAndExpiry) {
    EXPECT_EQ(Get("/q?new")->Status(), 404);
    std::set<std::string> ids;
    for (int i = 0; i < 3; ++i) {
        auto created = Get("/q?c=new");
        ASSERT_TRUE(created);
        EXPECT_EQ(created->Header("Content-Type"), "text/plain");
        ids.insert(created->body);
    }
    EXPECT_EQ(ids.size(), 3u) << "queue ids made in the same second must differ";
    const std::string id = *ids.begin();

    // A held poll, released by a ping on another connection. Past the channel's first
    // seconds, where held polls are let go after one second.
    m_qrm.WaitUntilUpFor(std::chrono::seconds(6));
    CWebHttpClient poll;
    ASSERT_TRUE(poll.Connect(m_qrm.HttpPort()));
    ASSERT_TRUE(poll.SendGet("/q?c=" + id));
    EXPECT_FALSE(poll.Read(300)) << "an empty queue holds the poll";
    auto ping = Get("/q?c=ping&q=" + id);
    ASSERT_TRUE(ping);
    EXPECT_EQ(ping->body, "ok");
    auto released = poll.Read();
    ASSERT_TRUE(released);
    EXPECT_EQ(released->body, "<events><PingResponse></PingResponse></events>");

    // Held again on the same connection, then expired (the test setting holds for 2 s).
    ASSERT_TRUE(poll.SendGet("/q?c=" + id));
    auto expired = poll.Read(15000);
    ASSERT_TRUE(expired);
    EXPECT_EQ(expired->body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events></events>");
    EXPECT_EQ(Get("/q?c=1")->Status(), 404);
}

TEST_F(WebHttpTest, ProtocolBridge) {
    auto refused =
        Get("/xml?m=%3CNoSuchThing%3E%3CrequestId%3E3%3C/requestId%3E%3C/NoSuchThing%3E");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->Status(), 400);
    EXPECT_EQ(refused->Header("Content-Type"), "text/xml");
    EXPECT_NE(refused->body.find("<UnrecognizedRequest>"), std::string::npos);
    EXPECT_NE(refused->body.find("<returnCode>10</returnCode>"), std::string::npos);

    // Answered by the router itself, back on the same connection.
    auto details =
        Get("/xml?m=%3C%3Fxml%20version%3D%221.0%22%3F%3E%3CGetErrorDetailsRequest%3E"
            "%3CrequestId%3E8%3C/requestId%3E%3CreturnCode%3E100%3C/returnCode%3E%3C/"
            "GetErrorDetailsRequest%3E");
    ASSERT_TRUE(details);
    EXPECT_EQ(details->Status(), 200);
    EXPECT_EQ(details->body.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<GetErrorDetailsResponse>",
                                  0),
              0u)
        << details->body;
    EXPECT_NE(details->body.find("<requestId>8</requestId>"), std::string::npos);

    EXPECT_EQ(Get("/xml")->Status(), 404);
    EXPECT_EQ(Get("/media/12a")->Status(), 404);
    EXPECT_EQ(Get("/picture/anything.jpg")->Status(), 404);
}

}  // namespace
}  // namespace vantor
