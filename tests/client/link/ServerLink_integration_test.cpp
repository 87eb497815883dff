// The link against the real QRM with its simulated player: connecting and the initial
// state, the player's events reaching the cache and the listener, the connect worker
// retrying until a server comes up, and a restarted server noticed and reconnected.

#include <gtest/gtest.h>

#include "client/link/ConnectionKeeper.h"
#include "client/link/ServerLink.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"

namespace vantor::client {
namespace {

void ConfigureSimulatedServer(test::CQrmProcess& qrm) {
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
}

std::string Address(const test::CQrmProcess& qrm) {
    return "127.0.0.1:" + std::to_string(qrm.XmlPort());
}

class ServerLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ConfigureSimulatedServer(m_qrm);
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        m_link.SetListener(&m_listener);
    }
    void TearDown() override {
        m_link.Disconnect();
        m_link.SetListener(nullptr);
    }

    test::CQrmProcess m_qrm;
    test::RecordingListener m_listener;
    ServerLink m_link;
};

TEST_F(ServerLinkTest, ConnectsAndFollowsThePlayersEvents) {
    ASSERT_EQ(m_link.Connect(Address(m_qrm)), 0);
    EXPECT_EQ(m_link.ServerName(), Address(m_qrm));
    m_link.SendClientVersion("linux");
    ASSERT_TRUE(m_listener.WaitFor("version 11"));  // the server has no update for us
    m_link.RequestInitialState();
    // The play position is asked for last and always reported.
    ASSERT_TRUE(m_listener.WaitFor("position 0"));
    // The library's first indexing may announce itself meanwhile.
    std::vector<std::string> calls = m_listener.Calls();
    std::erase(calls, "library");
    EXPECT_EQ(calls,
              (std::vector<std::string>{"version 11", "capabilities", "volume 50", "position 0"}));
    EXPECT_EQ(m_link.State().volume, 50);

    // Each change made through the link comes back as the server's event.
    m_listener.Clear();
    m_link.SetVolume(30);
    ASSERT_TRUE(m_listener.WaitFor("volume 30"));
    m_link.SetShuffle(true);
    ASSERT_TRUE(m_listener.WaitFor("shuffle on"));
    m_link.SetRepeat(true);
    ASSERT_TRUE(m_listener.WaitFor("repeat on"));
    m_link.Play();
    ASSERT_TRUE(m_listener.WaitFor("state 0"));
    m_link.SetPlaylistPosition(2);
    ASSERT_TRUE(m_listener.WaitFor("row 2"));
    m_link.SetPlayPosition(40);
    ASSERT_TRUE(test::WaitUntil([&] { return m_link.State().playPosition >= 40; }));
    CMediaSelector file;
    file.path = "/music/new song.mp3";
    m_link.PlaylistAdd(file);
    ASSERT_TRUE(m_listener.WaitFor("playlist"));
    CEqSettings eq;
    eq.enabled = true;
    eq.preamp = 6;
    m_link.SetEq(eq);
    ASSERT_TRUE(m_listener.WaitFor("eq preamp 6"));

    calls = m_listener.Calls();
    auto at = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    EXPECT_LT(at("volume 30"), at("shuffle on"));
    EXPECT_LT(at("state 0"), at("row 2"));
    EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                           [](const std::string& c) { return c.rfind("media ", 0) == 0; }),
              calls.end());
    const PlayerState state = m_link.State();
    EXPECT_EQ(state.volume, 30);
    EXPECT_TRUE(state.shuffle);
    EXPECT_TRUE(state.repeat);
    EXPECT_EQ(state.playlistPosition, 2);
    EXPECT_EQ(state.eq.settings.preamp, 6);
}

TEST(ConnectWorkerTest, RetriesATypedAddressUntilTheServerComesUp) {
    test::CQrmProcess qrm;
    ConfigureSimulatedServer(qrm);
    ServerLink link;
    test::RecordingListener listener;
    link.SetListener(&listener);
    test::RecordingView view;
    ConnectWorker worker(link, view, "linux");
    worker.SetRetryPause(std::chrono::milliseconds(100));
    ASSERT_TRUE(worker.Start(Address(qrm), false));
    EXPECT_FALSE(worker.Start(Address(qrm), false));  // one at a time
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(worker.IsRunning());
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ASSERT_TRUE(test::WaitUntil([&] { return view.Connections() == 1; }, 20000));
    EXPECT_TRUE(listener.WaitFor("version 11"));  // the version request went out
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(view.Events(), (std::vector<std::string>{"connecting off", "connected"}));
    link.Disconnect();
    link.SetListener(nullptr);
}

TEST(ConnectionKeeperTest, ARestartedServerIsNoticedAndReconnected) {
    test::CQrmProcess qrm;
    ConfigureSimulatedServer(qrm);
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ServerLink link;
    test::RecordingListener listener;
    test::RecordingView view;
    view.connectScreen = false;
    ConnectionKeeper keeper(link, view, "linux", [](std::function<void()> run) { run(); });
    keeper.Worker().SetRetryPause(std::chrono::milliseconds(100));
    listener.onLost = [&] { keeper.OnConnectionLost(); };
    link.SetListener(&listener);
    view.SetStatusText("Artist - Title");
    keeper.Start(Address(qrm));
    ASSERT_TRUE(test::WaitUntil([&] { return view.Connections() == 1; }));

    ASSERT_EQ(qrm.Stop(), 0);
    ASSERT_TRUE(listener.WaitFor("lost"));
    ASSERT_TRUE(test::WaitUntil([&] { return view.StatusText() == kReconnectingText; }));
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ASSERT_TRUE(test::WaitUntil([&] { return view.Connections() == 2; }, 20000));
    EXPECT_TRUE(link.IsConnected());
    EXPECT_EQ(view.StatusText(), "Artist - Title");  // given back after the reconnect
    keeper.Stop();
    link.Disconnect();
    link.SetListener(nullptr);
}

}  // namespace
}  // namespace vantor::client
