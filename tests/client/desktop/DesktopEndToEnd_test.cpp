// VantorPC end to end: the real program on a private X server against the real QRM, first
// with its simulated player, then driving a private MPD. The test clicks and drags at the
// skin's coordinates and checks through its own link that each command reached the player,
// and that what another client changes is drawn. Screenshots of each screen are kept under
// the build folder (desktop-shots/).

#include "tests/client/desktop/DesktopFixture.h"
#include "tests/server/player/mpd/MpdFixture.h"

namespace vantor {
namespace {

using test::WaitUntil;

TEST_F(DesktopRemoteTest, ControlsTheSimulatedPlayerAndFollowsIt) {
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ConnectOwnLink(qrm.XmlPort());
    WriteSettings(qrm.XmlPort(), false);
    StartRemote();

    // Without automatic connect the connect screen waits for its button.
    ASSERT_TRUE(WaitUntil([&] { return Shot("connect"); }, 10000));
    Click("connect", face::kScreenConnect);
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 20000)) << "no main screen";

    auto state = [&] {
        auto r = Ask(msg::GetPlayingStateRequest);
        auto* s = client::ResponseAs<CPlayingStateResponse>(r, msg::GetPlayingStateResponse);
        return s ? s->Body().playingState : -1;
    };
    Click("play", face::kScreenMain);
    EXPECT_TRUE(WaitUntil([&] { return state() == kPlaying; }, 10000)) << "play";
    Click("pause", face::kScreenMain);
    EXPECT_TRUE(WaitUntil([&] { return state() == kPaused; }, 10000)) << "pause";
    Click("next", face::kScreenMain);
    EXPECT_TRUE(WaitUntil(
        [&] {
            auto r = Ask(msg::GetPlaylistPositionRequest);
            auto* p = client::ResponseAs<CPositionResponse>(r, msg::GetPlaylistPositionResponse);
            return p && p->Body().position == 1;
        },
        10000))
        << "next";
    Shot("main");

    // Volume: dragged from a tenth to four fifths of the bar.
    const skin::Rect& volume = Rect("volumebar.back");
    const int vy = (volume.top + volume.bottom) / 2;
    m_window.Drag(volume.left + volume.Width() / 10, vy, volume.left + volume.Width() * 4 / 5, vy);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(Volume() - 80) <= 1; }, 10000)) << Volume();

    Click("shuffle", face::kScreenMain);
    EXPECT_TRUE(WaitUntil(
        [&] {
            auto r = Ask(msg::GetShuffleStateRequest);
            auto* s = client::ResponseAs<CShuffleStateResponse>(r, msg::GetShuffleStateResponse);
            return s && s->Body().shuffleState;
        },
        10000))
        << "shuffle";

    // Seek: a click half-way along the position bar (the track is 187 s long).
    const skin::Rect& position = Rect("positionbar.back");
    m_window.Click(position.left + position.Width() / 2, (position.top + position.bottom) / 2);
    EXPECT_TRUE(WaitUntil(
        [&] {
            auto r = Ask(msg::GetPlayPositionRequest);
            auto* p = client::ResponseAs<CPositionResponse>(r, msg::GetPlayPositionResponse);
            return p && std::abs(p->Body().position - 93) <= 3;
        },
        10000))
        << "seek";

    // Another client's volume is drawn: the fill ends near a fifth of the bar.
    ASSERT_EQ(m_link.SetVolume(20), 0);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Near(FacePixel(volume.left + volume.Width() * 15 / 100, vy), kAccent) &&
                   !Near(FacePixel(volume.left + volume.Width() * 30 / 100, vy), kAccent);
        },
        10000))
        << "volume set elsewhere not drawn";

    // The equaliser: its screen from the header bar, then the first band dragged to the top.
    m_window.Key("alt+e");
    ASSERT_TRUE(WaitUntil(
        [&] { return Near(FacePixel(Rect("eq").left + 20, Rect("eq").top + 60), 0x1f232b, 6); },
        10000));
    Shot("eq");
    const skin::Rect& band = Rect("eq.bar01");
    const int bx = (band.left + band.right) / 2;
    m_window.Drag(bx, (band.top + band.bottom) / 2, bx, band.top);
    EXPECT_TRUE(WaitUntil(
        [&] {
            auto r = Ask(msg::GetEqRequest);
            auto* eq = client::ResponseAs<CEqResponse>(r, msg::GetEqResponse);
            return eq && eq->Body().bands[0] >= 95;
        },
        10000))
        << "equaliser";

    m_window.Key("alt+l");
    ASSERT_TRUE(WaitUntil([&] { return !OnDeck(); }, 10000));
    Shot("playlist");
    // The editor's rows are reordered by dragging: the first row dropped below the last.
    auto items = [&] {
        auto request = client::requests::GetPlaylistItems(0, 50);
        std::unique_ptr<CResponseMessage> response;
        std::vector<std::string> rows;
        if (m_link.SendAndWait(*request, response) == 0) {
            if (auto* r = client::ResponseAs<CPlaylistItemsResponse>(response,
                                                                     msg::GetPlaylistItemsResponse))
                rows = r->Body().items;
        }
        return rows;
    };
    const std::vector<std::string> before = items();
    ASSERT_EQ(before.size(), 3u);
    const skin::Rect& editor = m_skin.FindWindowComponent("playlist.editor")->rect;
    m_window.Drag(editor.left + 60, editor.top + 8, editor.left + 60, editor.bottom - 12);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return items() == std::vector<std::string>{before[1], before[2], before[0]};
        },
        10000))
        << "reorder by drag";
    m_window.Key("alt+m");
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 10000));
    Click("nowplaying", face::kScreenMain);
    ASSERT_TRUE(WaitUntil([&] { return !OnDeck(); }, 10000));
    Shot("nowplaying");
    // A click on empty space returns to the screen shown before.
    m_window.Click(8, 8);
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 10000));

    // The server goes away: the remote says so and reconnects once it is back.
    m_link.Disconnect();
    qrm.Stop();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return TitleShows(client::kReconnectingText) ||
                   TitleShows(client::kNetworkDisconnectedText);
        },
        10000))
        << "no reconnecting status";
    Shot("reconnecting");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ConnectOwnLink(qrm.XmlPort());
    ASSERT_EQ(m_link.SetVolume(60), 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return Near(FacePixel(volume.left + volume.Width() * 55 / 100, vy), kAccent); },
        20000))
        << "did not reconnect";
    EXPECT_TRUE(m_window.IsRunning());
}

// The pictures of the documentation: every screen of every shipped skin, at the normal and
// the VGA size. Taken only when VANTOR_DOCS_SHOTS names the folder to write them to
// (scripts/desktop-screenshots.sh).
TEST_F(DesktopRemoteTest, DocumentationScreenshots) {
    const char* folder = std::getenv("VANTOR_DOCS_SHOTS");
    if (!folder || !*folder) GTEST_SKIP() << "VANTOR_DOCS_SHOTS not set";
    const std::string out = std::string(folder) + "/";
    std::filesystem::create_directories(out);
    m_display.Stop();
    ASSERT_TRUE(m_display.Start(1024, 1280));
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ConnectOwnLink(qrm.XmlPort());
    m_link.SetPlaylistPosition(1);
    m_link.Play();
    m_link.SetVolume(70);
    CEqSettings eq;
    eq.enabled = true;
    eq.preamp = 10;
    eq.bands = {60, 45, 25, 5, -10, -15, 0, 20, 40, 55};
    m_link.SetEq(eq);
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); };
    for (const char* skinName : {"default", "daylight"}) {
        for (int scale : {1, 2}) {
            const std::string folderName = scale == 1 ? "skins" : "skins_vga";
            const std::string file =
                kSkins + "/" + folderName + "/" + skinName + "/" + skinName + ".xml";
            const std::string prefix = std::string(skinName) + (scale == 1 ? "" : "-vga") + "-";
            WriteSettings(qrm.XmlPort(), false, file);
            StartRemote(scale);
            settle();
            ASSERT_TRUE(Shot(prefix + "connect", scale, scale == 1, out));
            int x = 0;
            int y = 0;
            test::RemoteWindow::Centre(m_skin, "connect", face::kScreenConnect, x, y);
            m_window.Click(x * scale, y * scale);
            settle();
            settle();
            m_window.Click(1, 1);  // the pointer away from the buttons
            ASSERT_TRUE(Shot(prefix + "main", scale, scale == 1, out));
            m_window.Key("alt+e");
            settle();
            ASSERT_TRUE(Shot(prefix + "eq", scale, scale == 1, out));
            m_window.Key("alt+l");
            settle();
            ASSERT_TRUE(Shot(prefix + "playlist", scale, scale == 1, out));
            m_window.Key("alt+m");
            settle();
            test::RemoteWindow::Centre(m_skin, "nowplaying", face::kScreenMain, x, y);
            m_window.Click(x * scale, y * scale);
            settle();
            ASSERT_TRUE(Shot(prefix + "nowplaying", scale, scale == 1, out));
            m_window.Stop();
        }
    }
}

TEST_F(DesktopRemoteTest, DrivesARealMpd) {
    test::CMpdInstance* mpd = test::CMpdInstance::Shared();
    ASSERT_NE(mpd, nullptr) << "no music folder or no mpd";
    mpd->Command(
        "command_list_begin\nclear\nstop\nrandom 0\nsetvol 50\nadd \"\"\ncommand_list_end");
    test::CQrmProcess qrm;
    qrm.SetConfig("PlayerType", "MPD");
    qrm.SetConfig("MPD\\Host", mpd->Host());
    qrm.SetConfig("MPD\\Port", std::to_string(mpd->Port()));
    qrm.SetConfig("MPD\\MusicDirectory", test::CMusicFolder::Shared().Root());
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    WriteSettings(qrm.XmlPort(), true);
    StartRemote();
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 20000)) << "no main screen";

    auto status = [&](const char* key, const std::string& want) {
        return WaitUntil([&] { return mpd->Status(key) == want; }, 10000);
    };
    Click("play", face::kScreenMain);
    EXPECT_TRUE(status("state", "play")) << mpd->Status("state");
    Click("next", face::kScreenMain);
    EXPECT_TRUE(status("song", "1")) << mpd->Status("song");
    const skin::Rect& volume = Rect("volumebar.back");
    const int vy = (volume.top + volume.bottom) / 2;
    m_window.Drag(volume.left + volume.Width() / 10, vy, volume.left + volume.Width() * 4 / 5, vy);
    EXPECT_TRUE(WaitUntil(
        [&] { return std::abs(std::atoi(mpd->Status("volume").c_str()) - 80) <= 2; }, 10000))
        << mpd->Status("volume");
    Click("shuffle", face::kScreenMain);
    EXPECT_TRUE(status("random", "1"));
    Click("pause", face::kScreenMain);
    EXPECT_TRUE(status("state", "pause"));
    Shot("mpd-main");

    // A volume set at the player itself is drawn.
    mpd->Command("setvol 30");
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Near(FacePixel(volume.left + volume.Width() * 25 / 100, vy), kAccent) &&
                   !Near(FacePixel(volume.left + volume.Width() * 40 / 100, vy), kAccent);
        },
        10000))
        << "volume set at the player not drawn";
    mpd->Command("command_list_begin\nclear\nstop\nrandom 0\ncommand_list_end");
}

}  // namespace
}  // namespace vantor
