// The iTunes adapter against the simulator running as a separate program, which the adapter
// starts itself from "Paths\iTunes".

#include "server/player/itunes/ITunesPlayer.h"
#include "platform/AutomationClient.h"
#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/itunes/ITunesArtProvider.h"
#include "server/player/itunes/ITunesSourceReader.h"
#include "tests/server/player/RecordingListener.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace vantor {
namespace {

using test::CRecordingListener;
using test::Eventually;
using Clock = std::chrono::steady_clock;

class CCollectingOwner : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem& item) override { names.push_back(item.name); }
    void StartUpdate() override {}
    std::vector<std::string> names;
};

class ITunesPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own per test: a simulator of an earlier test may still be ending.
        m_root = test::MakeTempDir("vantor-itunes-");
        m_root.pop_back();
        std::filesystem::create_directories(m_root + "/windows");
        ::setenv("VANTOR_WINDOWS_DIR", (m_root + "/windows").c_str(), 1);
        ::setenv("VANTOR_SIM_IDLE_EXIT", "30", 1);
        m_config = std::make_unique<CConfigStore>(m_root + "/");
        m_config->SetString("Paths\\iTunes", ITUNES_SIM_PATH, true, true);
        m_logger.AddSink(&m_log);
        m_player = std::make_unique<CWin32ITunesPlayer>(m_logger, *m_config);
        m_player->AddListener(&m_listener);
        ASSERT_EQ(m_player->Connect(), kResultSuccess);
    }

    void TearDown() override {
        m_player.reset();
        m_logger.RemoveSink(&m_log);
        std::filesystem::remove_all(m_root);  // the simulator quits once its socket is gone
    }

    // The test's own view of the simulator, as its user would act on it.
    CAutomationObject Sim(const char* progId = "iTunes.Application") {
        CAutomationObject object;
        EXPECT_EQ(CreateAutomationObject(progId, "", object), kS_OK);
        return object;
    }
    template <typename T>
    T Read(const CAutomationObject& object, const std::string& name) {
        T value{};
        EXPECT_EQ(object.Get(name, value), kS_OK) << name;
        return value;
    }
    std::map<std::string, int32_t> LibraryPlaylists() {
        CAutomationObject source = Read<CAutomationObject>(Sim(), "LibrarySource");
        CAutomationObject playlists = Read<CAutomationObject>(source, "Playlists");
        std::map<std::string, int32_t> counts;
        for (int32_t i = 1; i <= Read<int32_t>(playlists, "Count"); ++i) {
            CAutomationObject playlist;
            playlists.Get("Item", playlist, {i});
            counts[Read<std::string>(playlist, "Name")] =
                Read<int32_t>(Read<CAutomationObject>(playlist, "Tracks"), "Count");
        }
        return counts;
    }

    std::string m_root;
    std::unique_ptr<CConfigStore> m_config;
    CLogger m_logger;
    test::CRecordingSink m_log;
    CRecordingListener m_listener;
    std::unique_ptr<CWin32ITunesPlayer> m_player;
};

TEST_F(ITunesPlayerTest, OperationsReachITunesAndItsOwnChangesAreReported) {
    CAutomationObject app = Sim();
    EXPECT_EQ(m_player->SetVolume(30), kResultSuccess);
    EXPECT_EQ(Read<int32_t>(app, "SoundVolume"), 30);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kVolume,
                                   [](const auto& e) { return e.value == 30; }));
    ASSERT_EQ(app.Put("SoundVolume", int32_t{70}), kS_OK);  // behind the adapter's back
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kVolume,
                                   [](const auto& e) { return e.value == 70; }));

    EXPECT_EQ(m_player->Play(), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlayingState,
                                   [](const auto& e) { return e.value == kPlaying; }));
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kCurrentMedia));
    EXPECT_EQ(m_player->SetShuffleState(true), kResultSuccess);
    EXPECT_EQ(m_player->SetRepeatState(true), kResultSuccess);
    CAutomationObject playlist = Read<CAutomationObject>(app, "CurrentPlaylist");
    EXPECT_TRUE(Read<bool>(playlist, "Shuffle"));
    EXPECT_EQ(Read<int32_t>(playlist, "SongRepeat"), 2);
    EXPECT_TRUE(
        Eventually([&] { return m_player->GetShuffleState() && m_player->GetRepeatState(); }));

    EXPECT_EQ(m_player->SetTrackRating(80), kResultSuccess);
    int32_t rating = 0;
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultSuccess);
    EXPECT_EQ(rating, 80);

    std::vector<std::string> presets;
    EXPECT_EQ(m_player->GetEqPresets(presets), kResultSuccess);
    EXPECT_NE(std::ranges::find(presets, "Rock"), presets.end());
    EXPECT_EQ(m_player->SetEqPreset("Rock"), kResultSuccess);
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(app, "CurrentEQPreset"), "Name"), "Rock");
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kEq));
    CEqSettings eq;
    EXPECT_EQ(m_player->GetEq(eq), kResultSuccess);
    EXPECT_TRUE(eq.enabled);
    EXPECT_EQ(eq.bands[0], 42);  // +5 dB of 12
    EXPECT_EQ(m_player->SetEqPreset("No Such Preset"), kResultPlayerCommandFailed);
    EXPECT_TRUE(m_log.Contains(
        "ERROR: CWin32ITunesPlayer: Error calling SetEqPreset(): No appropriate object could "
        "be found [0x00000001]"));

    bool fullScreen = true;
    EXPECT_EQ(m_player->GetVideoMode(fullScreen), kResultNotSupported);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(m_player->PlaylistMove(0, 1), kResultNotSupported);
    // Clearing the library playlist would delete the user's library.
    EXPECT_EQ(m_player->PlaylistClear(), kResultInvalidState);
}

TEST_F(ITunesPlayerTest, PlayMediaOfAnAudioFileUsesOnlyTheQueuePlaylist) {
    CMusicItem first;
    first.path = "/music/queued/first.mp3";
    ASSERT_EQ(m_player->PlaylistAdd(first, -1), kResultSuccess);  // makes the queue
    std::map<std::string, int32_t> before = LibraryPlaylists();
    ASSERT_EQ(before["Vantor Queue"], 1);

    CMusicItem song;
    song.path = "/music/new/Fresh Song.mp3";
    ASSERT_EQ(m_player->PlayMedia(song), kResultSuccess);
    std::map<std::string, int32_t> after = LibraryPlaylists();
    EXPECT_EQ(after["Vantor Queue"], 1);
    after.erase("Vantor Queue");
    before.erase("Vantor Queue");
    before["Library"] += 1;  // the new file joined the library, as iTunes does
    EXPECT_EQ(after, before);
    CAutomationObject app = Sim();
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(app, "CurrentTrack"), "Name"),
              "Fresh Song");
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(app, "CurrentPlaylist"), "Name"),
              "Vantor Queue");
    EXPECT_EQ(Read<int32_t>(app, "PlayerState"), 1);
}

TEST_F(ITunesPlayerTest, PlaylistsOfEverySourcePlayAndQuittingReleasesITunes) {
    CPlaylistItem workout;
    workout.name = "Workout";  // on the portable player, not in the library
    ASSERT_EQ(m_player->PlayMedia(workout), kResultSuccess);
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(Sim(), "CurrentPlaylist"), "Name"),
              "Workout");
    workout.name = "Nowhere";
    EXPECT_EQ(m_player->PlayMedia(workout), kResultPlayerCommandFailed);

    ASSERT_EQ(Sim("iTunes.SimControl").Call("Quit"), kS_OK);
    CAutomationObject app;
    EXPECT_TRUE(Eventually([&] { return !m_player->Application(app); }));
    EXPECT_EQ(m_player->Play(), kResultPlayerComm);
}

TEST_F(ITunesPlayerTest, CallsDisabledThenEnabledPauseAndResumeTheMonitorsOnce) {
    CAutomationObject control = Sim("iTunes.SimControl");
    ASSERT_EQ(control.Call("DisableCalls"), kS_OK);
    const char* pausing = "CWin32ITunesPlayer: Pausing state threads due to COM calls state change";
    const char* resuming =
        "CWin32ITunesPlayer: Resuming state threads due to COM calls state change";
    ASSERT_TRUE(Eventually([&] { return m_log.Contains(pausing); }));
    EXPECT_EQ(m_player->Play(), kResultPlayerCommandFailed);  // refused while the dialog is up
    ASSERT_EQ(control.Call("EnableCalls"), kS_OK);
    ASSERT_TRUE(Eventually([&] { return m_log.Contains(resuming); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_log.Count(pausing), 1u);
    EXPECT_EQ(m_log.Count(resuming), 1u);
    // The monitors run again.
    m_listener.Clear();
    ASSERT_EQ(Sim().Put("SoundVolume", int32_t{12}), kS_OK);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kVolume,
                                   [](const auto& e) { return e.value == 12; }));
}

TEST_F(ITunesPlayerTest, AVanishedITunesAnswers102AndIsStartedAgain) {
    const int32_t pid = Read<int32_t>(Sim("iTunes.SimControl"), "ProcessId");
    ASSERT_TRUE(test::KillAndWait(pid));
    const auto started = Clock::now();
    EXPECT_EQ(m_player->Play(), kResultPlayerComm);
    EXPECT_TRUE(m_log.Contains(
        "iTunes was killed without notifying COM API users, attempting to restart iTunes "
        "automatically"));
    EXPECT_TRUE(m_log.Contains("[0x800706ba]"));
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(m_player->Play(), kResultSuccess);
    EXPECT_NE(Read<int32_t>(Sim("iTunes.SimControl"), "ProcessId"), pid);
}

TEST_F(ITunesPlayerTest, ArtworkOfTheCurrentTrackAndThePlaylistsOfEverySource) {
    // The second track carries JPEG artwork, the first none.
    const std::string target = m_root + "/art.jpg";
    CITunesArtProvider art(*m_player);
    ASSERT_EQ(m_player->SetPlaylistPosition(0), kResultSuccess);
    EXPECT_EQ(art.GetAlbumArt(CMusicItem(), target), kResultNoAlbumArt);
    ASSERT_EQ(m_player->SetPlaylistPosition(2), kResultSuccess);  // PNG
    ASSERT_EQ(art.GetAlbumArt(CMusicItem(), target), kResultSuccess);
    std::ifstream in(target, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "\x89PNG");
    EXPECT_FALSE(std::filesystem::exists(target + ".png"));

    CCollectingOwner owner;
    CITunesSourceReader reader(*m_player);
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);
    EXPECT_EQ(owner.names, (std::vector<std::string>{"Library", "Top Rated", "Road Trip",
                                                     "Pocket Player", "Workout", "Radio Tuner"}));
    EXPECT_TRUE(m_log.Contains("Found 3 sources"));
    EXPECT_TRUE(m_log.Contains("Fetching playlists for 'Pocket Player'"));
    EXPECT_TRUE(m_log.Contains("\tFound 2 playlists"));
    EXPECT_TRUE(m_log.Contains("\tAdding playlist 'Workout'"));
}

TEST_F(ITunesPlayerTest, StoppedAwayFromTheStartIsPausedAndTheCurrentPlaylistIsListed) {
    ASSERT_EQ(m_player->SetPlaylistPosition(1), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlaylistPosition,
                                   [](const auto& e) { return e.value == 1; }));
    ASSERT_EQ(m_player->SetPlayPosition(30), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlayPosition,
                                   [](const auto& e) { return e.value >= 30; }));
    ASSERT_EQ(m_player->Pause(), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlayingState,
                                   [](const auto& e) { return e.value == kPaused; }));
    ASSERT_EQ(m_player->Stop(), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlayingState,
                                   [](const auto& e) { return e.value == kStopped; }));

    std::vector<std::string> titles;
    int32_t total = 0;
    ASSERT_TRUE(Eventually([&] {
        m_player->GetPlaylistItems(titles, 1, 2, &total);
        return total == 13;
    }));
    EXPECT_EQ(titles, (std::vector<std::string>{"Low Pass", "Sidechain"}));

    CEqSettings eq;
    eq.enabled = true;
    eq.preamp = -50;
    eq.bands = {100, -100, 50, 0, 0, 0, 0, 0, 0, 25};
    ASSERT_EQ(m_player->SetEq(eq), kResultSuccess);
    CEqSettings back;
    ASSERT_EQ(m_player->GetEq(back), kResultSuccess);
    EXPECT_EQ(back.preamp, -50);
    EXPECT_EQ(back.bands, eq.bands);
    EXPECT_EQ(Read<double>(Read<CAutomationObject>(Sim(), "CurrentEQPreset"), "Band1"), 12.0);
}

}  // namespace
}  // namespace vantor
