// The link against a stand-in server that sends exactly what the test says: framing across
// receives, text that is not UTF-8, the dispatch rules, the response wait and the full
// table of pending requests.

#include <gtest/gtest.h>

#include "client/link/ConnectionKeeper.h"
#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "protocol/Xml.h"
#include "tests/client/link/LinkTestSupport.h"

namespace vantor::client {
namespace {

using namespace std::string_literals;

class LinkStandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_server.Port(), 0);
        m_link.SetListener(&m_listener);
        m_link.SetDiagnostics(nullptr);
        ASSERT_EQ(m_link.Connect("127.0.0.1:" + std::to_string(m_server.Port())), 0);
        ASSERT_TRUE(m_server.Accept());
    }
    void TearDown() override {
        m_link.Disconnect();
        m_link.SetListener(nullptr);
    }

    // The request id of the n-th document the server received (from 1).
    int32_t RequestId(size_t n) {
        EXPECT_TRUE(m_server.WaitForDocuments(n));
        return GetElementInt(m_server.Documents().at(n - 1), "requestId");
    }

    test::StandInServer m_server;
    test::RecordingListener m_listener;
    ServerLink m_link;
};

std::string Event(const std::string& type, const std::string& body) {
    return "<" + type + ">" + body + "</" + type + ">";
}

TEST_F(LinkStandInTest, WholeDocumentsInOrderWhateverTheReceivesAndNotUtf8Dropped) {
    const std::string v = Event("VolumeChangedEvent", "<volume>11</volume>");
    // Two documents in one send.
    ASSERT_TRUE(
        m_server.Send(v + "\0"s + Event("VolumeChangedEvent", "<volume>12</volume>") + "\0"s));
    ASSERT_TRUE(m_listener.WaitFor("volume 12"));
    // One document over three sends, each read on its own, the last ending exactly at its zero.
    const std::string split = Event("VolumeChangedEvent", "<volume>13</volume>") + "\0"s;
    for (const auto& piece : {split.substr(0, 5), split.substr(5, 10), split.substr(15)}) {
        ASSERT_TRUE(m_server.Send(piece));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Not UTF-8: dropped, and the next one still arrives.
    ASSERT_TRUE(m_server.Send(Event("CurrentMediaChangedEvent", "<title>Caf\xE9</title>") + "\0"s +
                              Event("VolumeChangedEvent", "<volume>14</volume>") + "\0"s));
    ASSERT_TRUE(m_listener.WaitFor("volume 14"));
    EXPECT_EQ(m_listener.Calls(),
              (std::vector<std::string>{"volume 11", "volume 12", "volume 13", "volume 14"}));
}

TEST_F(LinkStandInTest, EventsChangeTheCacheAndCallOnlyWhatChanged) {
    const std::vector<std::string> events = {
        Event("VolumeChangedEvent", "<volume>40</volume>"),
        Event("VolumeChangedEvent", "<volume>40</volume>"),  // equal: no call
        Event("PlayPositionChangedEvent", "<position>7</position>"),
        Event("PlayPositionChangedEvent", "<position>7</position>"),  // always a call
        Event("PlayingStateChangedEvent", "<playingState>playing</playingState>"),
        Event("PlayingStateChangedEvent", "<playingState>playing</playingState>"),
        Event("ShuffleStateChangedEvent", "<shuffleState>true</shuffleState>"),
        Event("RepeatStateChangedEvent", "<repeatState>true</repeatState>"),
        Event("PlaylistPositionChangedEvent", "<position>2</position>"),
        Event("CurrentMediaChangedEvent",
              "<type>music</type><title>Song</title><length>90</length>"),
        Event("EqChangedEvent", "<enabled>true</enabled><preamp>3</preamp>"),
        Event("EqChangedEvent", "<enabled>true</enabled><preamp>3</preamp>"),
        Event("PlaylistChangedEvent", ""),
        Event("MediaLibraryChangedEvent", ""),
        Event("NoSuchEvent", ""),
        Event("VolumeChangedEvent", "<volume>41</volume>"),
    };
    std::string bytes;
    for (const auto& e : events) bytes += e + "\0"s;
    ASSERT_TRUE(m_server.Send(bytes));
    ASSERT_TRUE(m_listener.WaitFor("volume 41"));
    EXPECT_EQ(m_listener.Calls(),
              (std::vector<std::string>{"volume 40", "position 7", "position 7", "state 0",
                                        "shuffle on", "repeat on", "row 2", "media Song",
                                        "eq preamp 3", "playlist", "library", "volume 41"}));
    const PlayerState state = m_link.State();
    EXPECT_EQ(state.volume, 41);
    EXPECT_EQ(state.playingState, kPlaying);
    EXPECT_EQ(state.playlistPosition, 2);
    EXPECT_EQ(state.media.length, 90);
    EXPECT_TRUE(state.eq.settings.enabled);
}

TEST_F(LinkStandInTest, AsyncResponsesAreMatchedToTheirRequests) {
    m_link.BrowseLibrary("\\Music\\Genres", 0, 50);
    m_link.SendAsync(requests::Plain(msg::GetVolumeRequest));
    const int32_t browse = RequestId(1);
    const int32_t volume = RequestId(2);
    // Answered out of order; a response for no request is ignored; a failed answer leaves
    // the cache alone.
    ASSERT_TRUE(m_server.Send(
        "<GetVolumeResponse><requestId>" + std::to_string(volume) +
        "</requestId><returnCode>0</returnCode><volume>66</volume></GetVolumeResponse>\0"s +
        "<GetVolumeResponse><requestId>999</requestId><returnCode>0</returnCode>"
        "<volume>1</volume></GetVolumeResponse>\0"s +
        "<BrowseLibraryResponse><requestId>" + std::to_string(browse) +
        "</requestId><returnCode>0</returnCode></BrowseLibraryResponse>\0"s));
    ASSERT_TRUE(m_listener.WaitFor("listing \\Music\\Genres"));
    EXPECT_EQ(m_listener.Calls(),
              (std::vector<std::string>{"volume 66", "listing \\Music\\Genres"}));
    m_link.SendAsync(requests::Plain(msg::GetVolumeRequest));
    ASSERT_TRUE(m_server.Send("<GetVolumeResponse><requestId>" + std::to_string(RequestId(3)) +
                              "</requestId><returnCode>102</returnCode></GetVolumeResponse>\0"s));
    m_link.SendAsync(
        requests::Plain(msg::GetVolumeRequest));  // its response marks the end of the test
    ASSERT_TRUE(m_server.Send("<GetVolumeResponse><requestId>" + std::to_string(RequestId(4)) +
                              "</requestId><returnCode>0</returnCode><volume>67</volume>"
                              "</GetVolumeResponse>\0"s));
    ASSERT_TRUE(m_listener.WaitFor("volume 67"));
    EXPECT_FALSE(m_listener.Has("volume -1"));
}

TEST_F(LinkStandInTest, AWithheldResponseTimesOutAndIsDroppedWhenItComesLate) {
    auto request = requests::Plain(msg::GetVolumeRequest);
    std::unique_ptr<CResponseMessage> response;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_link.SendAndWait(*request, response), kLinkTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
    EXPECT_EQ(response, nullptr);
    const int32_t late = RequestId(1);
    ASSERT_TRUE(m_server.Send("<GetVolumeResponse><requestId>" + std::to_string(late) +
                              "</requestId><returnCode>0</returnCode><volume>5</volume>"
                              "</GetVolumeResponse>\0"s));

    // The next wait gets its own answer, not the late one, and nothing reached the listener.
    std::thread answer([&] {
        const int32_t id = RequestId(2);
        m_server.Send("<GetVolumeResponse><requestId>" + std::to_string(id) +
                      "</requestId><returnCode>0</returnCode><volume>9</volume>"
                      "</GetVolumeResponse>\0"s);
    });
    auto again = requests::Plain(msg::GetVolumeRequest);
    EXPECT_EQ(m_link.SendAndWait(*again, response), kLinkOk);
    answer.join();
    const auto* volume = ResponseAs<CVolumeResponse>(response, msg::GetVolumeResponse);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->Body().volume, 9);
    EXPECT_TRUE(m_listener.Calls().empty());
}

TEST_F(LinkStandInTest, TheHundredAndFirstOutstandingRequestFailsWith13) {
    for (int i = 0; i < 100; ++i) ASSERT_EQ(m_link.Play(), kLinkOk) << i;
    EXPECT_EQ(m_link.Play(), kLinkTableFull);
    auto request = requests::Plain(msg::GetVolumeRequest);
    std::unique_ptr<CResponseMessage> response;
    EXPECT_EQ(m_link.SendAndWait(*request, response), kLinkTableFull);
    ASSERT_TRUE(m_server.WaitForDocuments(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(m_server.Documents().size(), 100u);  // nothing else was sent

    // One answer frees one slot.
    ASSERT_TRUE(m_server.Send("<PlayResponse><requestId>" + std::to_string(RequestId(50)) +
                              "</requestId><returnCode>0</returnCode></PlayResponse>\0"s));
    EXPECT_TRUE(test::WaitUntil([&] { return m_link.Play() == kLinkOk; }));
}

TEST(LinkStandInDisconnectTest, AClosedConnectionIsReportedAndEndsAWait) {
    test::StandInServer server;
    test::RecordingListener listener;
    ServerLink link;
    link.SetListener(&listener);
    ASSERT_EQ(link.Connect("127.0.0.1:" + std::to_string(server.Port())), 0);
    ASSERT_TRUE(server.Accept());
    std::thread closer([&] {
        server.WaitForDocuments(1);
        server.Drop();
    });
    auto request = requests::Plain(msg::GetVolumeRequest);
    std::unique_ptr<CResponseMessage> response;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.SendAndWait(*request, response), kLinkTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    closer.join();
    EXPECT_TRUE(listener.WaitFor("lost"));
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(link.Play(), kLinkNotConnected);
    link.SetListener(nullptr);
}

}  // namespace
}  // namespace vantor::client

namespace vantor::client {
namespace {

TEST(NetworkMonitorTest, ANetworkThatGoesAndComesBackIsReconnected) {
    std::mutex mutex;
    std::string address = "10.0.0.1";
    auto monitor = std::make_unique<NetworkMonitor>(
        [&] {
            std::lock_guard<std::mutex> lock(mutex);
            return address;
        },
        std::chrono::milliseconds(10));
    auto setAddress = [&](const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        address = text;
    };
    test::StandInServer server;
    ServerLink link;
    test::RecordingView view;
    view.connectScreen = false;
    ConnectionKeeper keeper(
        link, view, "linux", [](std::function<void()> run) { run(); }, std::move(monitor));
    keeper.SetReconnectDelay(std::chrono::milliseconds(50));
    view.SetStatusText("Artist - Title");
    keeper.Keep("127.0.0.1:" + std::to_string(server.Port()));

    setAddress("127.0.0.1");  // no network: the machine's own address only
    ASSERT_TRUE(test::WaitUntil([&] { return view.StatusText() == kNetworkDisconnectedText; }));
    EXPECT_TRUE(keeper.Worker().IsNetworkDown());
    setAddress("10.0.0.2");
    ASSERT_TRUE(test::WaitUntil([&] { return view.Connections() == 1; }));
    EXPECT_TRUE(server.Accept());
    EXPECT_EQ(view.StatusText(), "Artist - Title");
    keeper.Stop();
    link.Disconnect();
}

}  // namespace
}  // namespace vantor::client
