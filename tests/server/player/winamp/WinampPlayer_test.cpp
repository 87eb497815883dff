// The adapter's operations against the simulator running as a separate program.

#include "protocol/MessageType.h"
#include "protocol/ResultCodes.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"
#include "tests/server/player/winamp/WinampTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

using Kind = CRecordingListener::Kind;

std::vector<std::string> ThreeTracks() {
    std::vector<std::string> lines;
    for (const auto& part : {Entry("Artist One", "Song One", "/music/one.mp3", 240),
                             Entry("Artist Two", "Song Two", "/music/two.mp3", 180),
                             Entry("Artist Three", "Song Three", "/music/three.mp3", 300)}) {
        lines.insert(lines.end(), part.begin(), part.end());
    }
    lines.insert(lines.begin() + 1, "#EXTALB:Album One");
    return lines;
}

class WinampPlayerTest : public CWinampFixture {
protected:
    void ConnectWith(const std::vector<std::string>& playlist) {
        InstallWinamp(playlist);
        MakePlayer();
        ASSERT_EQ(m_player->Connect(), kResultSuccess);
        ASSERT_TRUE(m_listener.WaitFor(Kind::kCurrentMedia));
    }

    std::vector<std::string> SimPaths() {
        std::vector<std::string> titles;
        auto memory = m_probe->OpenWindowProcess(SimMain());
        const int32_t length = SimCommand(winamp::kGetListLength);
        for (int32_t i = 0; i < length; ++i) {
            char text[512] = {};
            const auto address =
                static_cast<RemoteAddress>(SimCommand(winamp::kGetPlaylistFile, i));
            memory->Read(address, text, sizeof(text) - 1);
            titles.emplace_back(text);
        }
        return titles;
    }

    std::vector<int32_t> SimEqRaw() {
        std::vector<int32_t> raw;
        for (int64_t i = 0; i <= winamp::kEqIndexAutoLoad; ++i) {
            raw.push_back(SimCommand(winamp::kGetEqData, i));
        }
        return raw;
    }
};

TEST_F(WinampPlayerTest, ConnectStartsWinampAndReportsItsState) {
    ConnectWith(ThreeTracks());
    EXPECT_EQ(m_windows->Starts(), 1);
    EXPECT_TRUE(m_sink.Contains("Starting Winamp"));
    EXPECT_TRUE(m_sink.Contains("Winamp version is 5.63"));
    EXPECT_TRUE(m_player->IsConnected());

    std::unique_ptr<CMediaItem> item;
    ASSERT_EQ(m_player->GetCurrentMedia(item), kResultSuccess);
    ASSERT_EQ(item->mediaType, kMediaMusic);
    const auto& music = static_cast<const CMusicItem&>(*item);
    EXPECT_EQ(music.artist, "Artist One");
    EXPECT_EQ(music.name, "Song One");
    EXPECT_EQ(music.album, "Album One");
    EXPECT_EQ(music.path, "/music/one.mp3");
    EXPECT_EQ(music.length, 240);
    EXPECT_EQ(music.rating, 0);

    ASSERT_TRUE(m_listener.WaitFor(Kind::kPlaylist));
    std::vector<std::string> titles;
    int32_t total = -1;
    m_player->GetPlaylistItems(titles, 1, 5, &total);
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Artist Two - Song Two", "Artist Three - Song Three"}));
    EXPECT_EQ(total, 3);
    EXPECT_EQ(m_player->GetPlaylistPosition(), 0);
    EXPECT_EQ(m_player->GetPlaylistLength(), 3);
    EXPECT_EQ(m_player->GetPlayingState(), kStopped);
}

TEST_F(WinampPlayerTest, TransportOperationsReachWinamp) {
    ConnectWith(ThreeTracks());
    struct Step {
        const char* name;
        std::function<int32_t()> operation;
        int32_t isPlaying;  // Winamp's answer afterwards: 1 playing, 3 paused, 0 stopped
        int32_t position;
    };
    const std::vector<Step> steps = {
        {"Play", [&] { return m_player->Play(); }, 1, 0},
        {"Pause", [&] { return m_player->Pause(); }, 3, 0},
        {"Pause again resumes", [&] { return m_player->Pause(); }, 1, 0},
        {"NextTrack", [&] { return m_player->NextTrack(); }, 1, 1},
        {"NextTrack", [&] { return m_player->NextTrack(); }, 1, 2},
        {"PreviousTrack", [&] { return m_player->PreviousTrack(); }, 1, 1},
        {"Stop", [&] { return m_player->Stop(); }, 0, 1},
        {"SetPlaylistPosition plays", [&] { return m_player->SetPlaylistPosition(2); }, 1, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.operation(), kResultSuccess);
        EXPECT_EQ(SimCommand(winamp::kIsPlaying), step.isPlaying);
        EXPECT_EQ(SimCommand(winamp::kGetListPos), step.position);
    }
    ASSERT_TRUE(
        m_listener.WaitFor(Kind::kPlayingState, [](const auto& e) { return e.value == kPlaying; }));

    EXPECT_EQ(m_player->SetPlayPosition(100), kResultSuccess);
    EXPECT_GE(SimCommand(winamp::kGetOutputTime), 100000);
    EXPECT_GE(m_player->GetPlayPosition(), 100);
    EXPECT_EQ(m_player->FastForward(), kResultSuccess);
    EXPECT_GE(SimCommand(winamp::kGetOutputTime), 105000);
    EXPECT_EQ(m_player->Rewind(), kResultSuccess);
    EXPECT_EQ(m_player->Rewind(), kResultSuccess);
    EXPECT_LT(SimCommand(winamp::kGetOutputTime), 104000);
}

TEST_F(WinampPlayerTest, VolumeShuffleAndRepeatReachWinampAndComeBack) {
    ConnectWith(ThreeTracks());
    for (int32_t volume : {0, 37, 100, 50}) {
        SCOPED_TRACE(volume);
        EXPECT_EQ(m_player->SetVolume(volume), kResultSuccess);
        EXPECT_EQ(SimCommand(winamp::kSetVolume, winamp::kQueryVolume),
                  winamp::VolumeToRaw(volume));
        EXPECT_TRUE(
            m_listener.WaitFor(Kind::kVolume, [&](const auto& e) { return e.value == volume; }));
        EXPECT_EQ(m_player->GetVolume(), volume);
    }
    for (bool on : {true, false}) {
        EXPECT_EQ(m_player->SetShuffleState(on), kResultSuccess);
        EXPECT_EQ(m_player->SetRepeatState(!on), kResultSuccess);
        EXPECT_EQ(SimCommand(winamp::kGetShuffle), on ? 1 : 0);
        EXPECT_EQ(SimCommand(winamp::kGetRepeat), on ? 0 : 1);
        EXPECT_TRUE(WaitUntil([&] {
            return m_player->GetShuffleState() == on && m_player->GetRepeatState() == !on;
        }));
    }
}

TEST_F(WinampPlayerTest, PlaylistEditing) {
    ConnectWith(ThreeTracks());
    MediaItemList items;
    for (const char* path : {"/new/a.mp3", "/new/b.mp3", "/new/c.mp3"}) {
        auto item = std::make_unique<CMusicItem>();
        item->path = path;
        items.push_back(std::move(item));
    }
    // Inserted one by one at 1, 2 and 3, so they keep their order.
    EXPECT_EQ(m_player->PlaylistAdd(items, 1), kResultSuccess);
    EXPECT_EQ(SimPaths(),
              (std::vector<std::string>{"/music/one.mp3", "/new/a.mp3", "/new/b.mp3", "/new/c.mp3",
                                        "/music/two.mp3", "/music/three.mp3"}));
    EXPECT_EQ(m_player->PlaylistAdd(items, -1), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 9);
    EXPECT_EQ(SimPaths().back(), "/new/c.mp3");

    CPlaylistItem playlist;
    playlist.path = "/lists/mix.m3u";
    EXPECT_EQ(m_player->PlaylistAdd(playlist, 2), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 9);

    EXPECT_EQ(m_player->PlaylistRemove(0), kResultSuccess);
    EXPECT_EQ(SimPaths().front(), "/new/a.mp3");
    ASSERT_TRUE(WaitUntil([&] { return m_player->GetPlaylistLength() == 8; }));
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<std::string> titles;
        m_player->GetPlaylistItems(titles, 0, -1, nullptr);
        return titles.size() == 8 && titles.front() == "a";
    }));

    EXPECT_EQ(m_player->PlaylistMove(0, 1), kResultNotSupported);
    EXPECT_EQ(m_player->PlaylistClear(), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 0);
}

TEST_F(WinampPlayerTest, PlayOnAnEmptyPlaylistSendsNothingAndSucceeds) {
    ConnectWith({});
    m_windows->ClearSent();
    EXPECT_EQ(m_player->Play(), kResultSuccess);
    for (const auto& sent : m_windows->Sent()) {
        EXPECT_NE(sent.message, kCommandMessage) << sent.wParam;
    }
    EXPECT_EQ(SimCommand(winamp::kIsPlaying), 0);
}

TEST_F(WinampPlayerTest, PlayMediaReplacesThePlaylistAndPlays) {
    ConnectWith(ThreeTracks());
    CMusicItem item;
    item.path = "/music/Solo Artist - Only Song.mp3";
    EXPECT_EQ(m_player->PlayMedia(item), kResultSuccess);
    EXPECT_EQ(SimPaths(), std::vector<std::string>{item.path});
    EXPECT_EQ(SimCommand(winamp::kIsPlaying), 1);
    // An untagged file: the title text is split into artist and title.
    ASSERT_TRUE(m_listener.WaitFor(Kind::kCurrentMedia,
                                   [](const auto& e) { return e.item->name == "Only Song"; }));
    std::unique_ptr<CMediaItem> current;
    ASSERT_EQ(m_player->GetCurrentMedia(current), kResultSuccess);
    EXPECT_EQ(static_cast<const CMusicItem&>(*current).artist, "Solo Artist");
}

TEST_F(WinampPlayerTest, EqualiserPresetsAndBands) {
    ConnectWith(ThreeTracks());
    std::vector<std::string> presets;
    EXPECT_EQ(m_player->GetEqPresets(presets), kResultSuccess);
    ASSERT_EQ(presets.size(), 18u);

    EXPECT_EQ(m_player->SetEqPreset("Rock"), kResultSuccess);
    EXPECT_EQ(SimEqRaw(), (std::vector<int32_t>{19, 24, 41, 45, 38, 25, 17, 14, 14, 14, 31, 1, 0}));
    EXPECT_EQ(m_player->SetEqPreset("rock"), kResultSuccess);  // names match exactly
    EXPECT_EQ(SimEqRaw()[0], 19);

    CEqSettings wanted;
    wanted.enabled = false;
    wanted.autoLoad = true;
    wanted.preamp = 0;
    wanted.bands = {100, -100, 0, 100, -100, 0, 100, -100, 0, 100};
    EXPECT_EQ(m_player->SetEq(wanted), kResultSuccess);
    EXPECT_EQ(SimEqRaw(), (std::vector<int32_t>{0, 63, 32, 0, 63, 32, 0, 63, 32, 0, 32, 0, 1}));
    CEqSettings read;
    EXPECT_EQ(m_player->GetEq(read), kResultSuccess);
    EXPECT_EQ(read, wanted);
    EXPECT_TRUE(m_listener.WaitFor(Kind::kEq));
}

TEST_F(WinampPlayerTest, VideoModeOnlyWhileAVideoPlays) {
    std::vector<std::string> playlist = ThreeTracks();
    const auto video = Entry("Director", "Film", "/video/film.mp4", 3600);
    playlist.insert(playlist.end(), video.begin(), video.end());
    ConnectWith(playlist);

    bool fullScreen = true;
    EXPECT_EQ(m_player->GetVideoMode(fullScreen), kResultMediaNotFound);
    EXPECT_EQ(m_player->Play(), kResultSuccess);
    EXPECT_EQ(m_player->SetVideoMode(true), kResultMediaNotFound);

    EXPECT_EQ(m_player->SetPlaylistPosition(3), kResultSuccess);
    EXPECT_EQ(m_player->GetVideoMode(fullScreen), kResultSuccess);
    EXPECT_FALSE(fullScreen);
    for (bool wanted : {true, true, false}) {
        EXPECT_EQ(m_player->SetVideoMode(wanted), kResultSuccess);
        EXPECT_EQ(SimCommand(winamp::kIsFullScreen), wanted ? 1 : 0);
    }
}

TEST_F(WinampPlayerTest, RatingsGoThroughTheMediaLibraryWindow) {
    ConnectWith(ThreeTracks());
    for (int32_t rating : {80, 0, 100, 20}) {
        EXPECT_EQ(m_player->SetTrackRating(rating), kResultSuccess);
        int32_t read = -1;
        EXPECT_EQ(m_player->GetTrackRating(read), kResultSuccess);
        EXPECT_EQ(read, rating);
    }
    // Steps of 20: a rating between two steps rounds down.
    EXPECT_EQ(m_player->SetTrackRating(59), kResultSuccess);
    int32_t read = -1;
    m_player->GetTrackRating(read);
    EXPECT_EQ(read, 40);
}

TEST_F(WinampPlayerTest, RatingsWithoutAMediaLibraryAreNotSupported) {
    InstallWinamp(ThreeTracks());
    StartSimulator({"--no-library"});
    MakePlayer();
    ASSERT_EQ(m_player->Connect(), kResultSuccess);
    EXPECT_EQ(m_windows->Starts(), 0);  // attached to the running one
    int32_t rating = -1;
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultNotSupported);
    EXPECT_EQ(m_player->SetTrackRating(60), kResultNotSupported);
}

TEST_F(WinampPlayerTest, WithoutWinampToStartOperationsFail) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* logLine;
    };
    const std::vector<Case> cases = {
        {"no folder configured", [&] { SetWinampFolder(""); },
         "ERROR: Unable to find Winamp path, can't start automatically"},
        {"no program in the folder", [&] { SetWinampFolder(m_winampDir); },
         "ERROR: Unable to start Winamp"},
        {"a program that never shows its windows",
         [&] {
             SetWinampFolder(m_winampDir);
             std::ofstream script(m_winampDir + "/Winamp.exe");
             script << "#!/bin/sh\nexit 0\n";
             script.close();
             std::filesystem::permissions(m_winampDir + "/Winamp.exe",
                                          std::filesystem::perms::owner_all);
             m_windows->SetFastSleep(true);
         },
         "ERROR: Unable to start Winamp, max window find attempts exceeded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        MakePlayer();
        EXPECT_EQ(m_player->Connect(), kResultPlayerComm);
        EXPECT_EQ(m_player->Play(), kResultPlayerComm);
        EXPECT_EQ(m_player->SetVolume(10), kResultPlayerComm);
        EXPECT_EQ(m_player->PlaylistClear(), kResultPlayerComm);
        EXPECT_EQ(m_player->GetPlaylistPosition(), -1);
        EXPECT_TRUE(m_sink.Contains(c.logLine));
        m_player.reset();
    }
}

TEST_F(WinampPlayerTest, PlaylistPositionQueryNeverStartsWinamp) {
    InstallWinamp(ThreeTracks());
    MakePlayer();
    EXPECT_EQ(m_player->GetPlaylistPosition(), -1);
    EXPECT_EQ(m_windows->Starts(), 0);
    EXPECT_EQ(m_player->PlaylistClear(), kResultSuccess);
    EXPECT_EQ(m_windows->Starts(), 1);
    EXPECT_EQ(m_player->GetPlaylistPosition(), 0);
}

// Without monitors nobody notices Winamp quitting; the next operation must not talk to the
// window that is gone but start Winamp again.
TEST_F(WinampPlayerTest, AnOperationAfterWinampQuitStartsItAgainEvenUnmonitored) {
    InstallWinamp(ThreeTracks());
    MakePlayer();
    ASSERT_EQ(m_player->PlaylistClear(), kResultSuccess);
    const pid_t first = SimPid();
    ASSERT_EQ(::kill(first, SIGKILL), 0);
    ASSERT_TRUE(WaitUntil([&] { return SimPid() != first; }));
    EXPECT_EQ(m_player->SetVolume(30), kResultSuccess);
    EXPECT_EQ(m_windows->Starts(), 2);
    EXPECT_EQ(SimCommand(winamp::kSetVolume, winamp::kQueryVolume), winamp::VolumeToRaw(30));
}

}  // namespace
}  // namespace vantor::test
