// The real QRM driving the iTunes and Windows Media Player simulators, which the server
// starts itself from the configured program paths, as a client sees it over the XML channel.

#include "platform/AutomationClient.h"
#include "protocol/LibraryMessages.h"
#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "tests/support/MessageSession.h"
#include "tests/support/QrmProcess.h"
#include "tools/wmp-sim/GeneratedCollection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class AutomationPlayerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = test::MakeTempDir("vantor-automation-e2e-");
        m_windowsDir = m_root + "w";
        fs::create_directories(m_windowsDir);
        fs::create_directories(m_root + "player");
        // This process reaches the simulator too, as its user would.
        ::setenv("VANTOR_WINDOWS_DIR", m_windowsDir.c_str(), 1);
        m_qrm.SetEnv("VANTOR_WINDOWS_DIR", m_windowsDir);
        m_qrm.SetEnv("VANTOR_SIM_IDLE_EXIT", "30");
    }

    void TearDown() override {
        m_session.Close();
        EXPECT_EQ(m_qrm.Stop(), 0);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);  // the simulator quits once its socket is gone
    }

    // Puts the simulator in place as the player's program, with its configuration.
    std::string Install(const char* simulator, const std::string& name, const std::string& confName,
                        const std::string& conf) {
        const std::string program = m_root + "player/" + name;
        fs::create_symlink(simulator, program);
        std::ofstream(m_root + "player/" + confName) << conf;
        return program;
    }

    void StartAndConnect() {
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        ASSERT_TRUE(m_session.Connect(m_qrm.XmlPort()));
    }

    CAutomationObject Sim(const char* progId, int timeoutMs = 15000) {
        CAutomationObject object;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Failed(CreateAutomationObject(progId, "", object)) && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return object;
    }

    std::unique_ptr<CMessage> Expect(int32_t typeId,
                                     const std::function<bool(const CMessage&)>& check = {},
                                     int timeoutMs = 5000) {
        auto message = m_session.Expect(typeId, check, timeoutMs);
        if (!message) ADD_FAILURE() << "no " << msg::TypeNameFromId(typeId);
        return message;
    }

    int32_t Request(CRequestMessage& request, int32_t responseType, int timeoutMs = 5000) {
        if (!m_session.Send(request)) return -1;
        return m_session.ResultOf(responseType, timeoutMs);
    }
    int32_t Request(int32_t requestType, int32_t responseType, int timeoutMs = 5000) {
        CRequestMessage request(requestType);
        return Request(request, responseType, timeoutMs);
    }

    // The names listed under a library path; empty when the path is not there (yet).
    std::set<std::string> Browse(const std::string& path, int32_t* total = nullptr) {
        CBrowseLibraryRequest browse(msg::BrowseLibraryRequest);
        browse.Body().path = path;
        browse.Body().paging.includeTotalCount = total != nullptr;
        std::set<std::string> names;
        if (!m_session.Send(browse)) return names;
        auto response = m_session.Expect(msg::BrowseLibraryResponse, {}, 10000);
        if (!response) return names;
        const auto& listing = static_cast<const CBrowseLibraryResponse&>(*response);
        for (const CLibraryEntry& entry : listing.Body().results) names.insert(entry.name);
        if (total) *total = listing.Body().paging.totalCount;
        return names;
    }

    bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return true;
    }

    // The common walk through the player requests; `settle` reads the simulator's side.
    void PlayVolumeShuffleRepeatSeek(const std::function<int32_t()>& simVolume) {
        EXPECT_EQ(Request(msg::PlayRequest, msg::PlayResponse), kResultSuccess)
            << m_qrm.StdioText();
        EXPECT_TRUE(Expect(msg::PlayingStateChangedEvent, [](const CMessage& m) {
            return static_cast<const CPlayingStateEvent&>(m).Body().playingState == kPlaying;
        }));
        CVolumeRequest volume(msg::SetVolumeRequest);
        volume.Body().volume = 40;
        EXPECT_EQ(Request(volume, msg::SetVolumeResponse), kResultSuccess);
        EXPECT_TRUE(Expect(msg::VolumeChangedEvent, [](const CMessage& m) {
            return static_cast<const CVolumeEvent&>(m).Body().volume == 40;
        }));
        EXPECT_EQ(simVolume(), 40);
        CShuffleStateRequest shuffle(msg::SetShuffleStateRequest);
        shuffle.Body().shuffleState = true;
        EXPECT_EQ(Request(shuffle, msg::SetShuffleStateResponse), kResultSuccess);
        EXPECT_TRUE(Expect(msg::ShuffleStateChangedEvent));
        CRepeatStateRequest repeat(msg::SetRepeatStateRequest);
        repeat.Body().repeatState = true;
        EXPECT_EQ(Request(repeat, msg::SetRepeatStateResponse), kResultSuccess);
        EXPECT_TRUE(Expect(msg::RepeatStateChangedEvent));
        CPositionRequest seek(msg::SetPlayPositionRequest);
        seek.Body().position = 100;
        EXPECT_EQ(Request(seek, msg::SetPlayPositionResponse), kResultSuccess);
        EXPECT_TRUE(Expect(msg::PlayPositionChangedEvent, [](const CMessage& m) {
            return static_cast<const CPositionEvent&>(m).Body().position >= 100;
        }));
        CTrackRatingRequest rating(msg::SetTrackRatingRequest);
        rating.Body().rating = 60;
        EXPECT_EQ(Request(rating, msg::SetTrackRatingResponse), kResultSuccess);
        ASSERT_TRUE(m_session.Send(msg::GetTrackRatingRequest));
        auto answer = Expect(msg::GetTrackRatingResponse);
        ASSERT_TRUE(answer);
        EXPECT_EQ(static_cast<CTrackRatingResponse&>(*answer).Body().rating, 60);
    }

    // Kills the simulator outright: the next request answers 102 promptly, the one after
    // finds the player started again.
    void SurviveKill(int pid) {
        ASSERT_TRUE(test::KillAndWait(pid));
        const auto killed = Clock::now();
        EXPECT_EQ(Request(msg::PauseRequest, msg::PauseResponse, 15000), kResultPlayerComm);
        EXPECT_LT(Clock::now() - killed, std::chrono::seconds(10));
        EXPECT_EQ(Request(msg::PlayRequest, msg::PlayResponse), kResultSuccess);
    }

    std::string m_root;
    std::string m_windowsDir;
    test::CQrmProcess m_qrm;
    test::CMessageSession m_session;
};

TEST_F(AutomationPlayerEndToEnd, ITunesFollowsTheClientAndTheClientFollowsITunes) {
    const std::string program =
        Install(ITUNES_SIM_PATH, "iTunes.exe", "itunes-sim.conf",
                "library-xml=" + m_root + "player/iTunes Music Library.xml\n");
    m_qrm.SetConfig("PlayerType", "iTunes");
    m_qrm.SetConfig("Paths\\iTunes", program);
    StartAndConnect();
    CAutomationObject app = Sim("iTunes.Application");  // the connection started it
    ASSERT_FALSE(app.IsNull());

    PlayVolumeShuffleRepeatSeek([&] {
        int32_t volume = -1;
        app.Get("SoundVolume", volume);
        return volume;
    });
    // A change made in iTunes itself reaches the client.
    ASSERT_EQ(app.Put("SoundVolume", int32_t{65}), kS_OK);
    EXPECT_TRUE(Expect(msg::VolumeChangedEvent, [](const CMessage& m) {
        return static_cast<const CVolumeEvent&>(m).Body().volume == 65;
    }));

    CEqPresetRequest preset(msg::SetEqPresetRequest);
    preset.Body().preset = "Rock";
    EXPECT_EQ(Request(preset, msg::SetEqPresetResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::EqChangedEvent));
    CPlaylistAddRequest add(msg::PlaylistAddRequest);
    add.Body().selector.path = "/music/extra.mp3";
    EXPECT_EQ(Request(add, msg::PlaylistAddResponse), kResultSuccess);
    CPlayMediaRequest play(msg::PlayMediaRequest);
    play.Body().path = "/music/extra.mp3";
    EXPECT_EQ(Request(play, msg::PlayMediaResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlaylistChangedEvent, {}, 8000));  // now the queue plays

    // The library file iTunes names is indexed, and the playlists of every source appear.
    ASSERT_TRUE(Eventually(
        [&] {
            const auto names = Browse("\\Music\\Playlists");
            return names.contains("Workout") && names.contains("Radio Tuner") &&
                   names.contains("Road Trip");
        },
        30000));
    EXPECT_TRUE(Browse("\\Music\\Artists").contains("Mira Calloway"));

    int32_t pid = 0;
    Sim("iTunes.SimControl").Get("ProcessId", pid);
    SurviveKill(pid);
}

TEST_F(AutomationPlayerEndToEnd, WindowsMediaPlayerLibraryAndPlayer) {
    const std::string collection = m_root + "collection.txt";
    ASSERT_TRUE(
        wmpsim::WriteCollectionFile(wmpsim::GenerateCollection(2000, "/media"), collection));
    const std::string program = Install(WMP_SIM_PATH, "wmplayer", "wmp-sim.conf",
                                        "collection=" + collection + "\nmusic-dir=/media\n");
    m_qrm.SetConfig("PlayerType", "WMP");
    m_qrm.SetConfig("Paths\\WMP", program);
    StartAndConnect();

    ASSERT_TRUE(Eventually([&] { return Browse("\\").contains("Music"); }, 60000));
    EXPECT_EQ(Browse("\\"), (std::set<std::string>{"Music", "Videos", "TV"}));
    EXPECT_EQ(Browse("\\Music\\Genres"),
              (std::set<std::string>{"Rock", "Pop", "Unknown Genre", "Jazz", "Heavy"}));
    EXPECT_EQ(Browse("\\TV"), (std::set<std::string>{"Show 7", "Show 17", "Single Run"}));
    EXPECT_TRUE(Browse("\\TV\\Show 17").contains("Episode 17"));
    int32_t total = 0;
    Browse("\\Videos", &total);
    EXPECT_EQ(total, 200);
    Browse("\\Music\\Playlists", &total);
    EXPECT_EQ(total, 200);
    EXPECT_TRUE(Browse("\\Music\\Artists").contains("Unknown Artist"));
    EXPECT_TRUE(Browse("\\Music\\Genres\\Pop\\Artist 1\\Album 1").contains("Пісня 1"));

    CAutomationObject player = Sim("WMPlayer.OCX");
    ASSERT_FALSE(player.IsNull());
    PlayVolumeShuffleRepeatSeek([&] {
        CAutomationObject settings;
        int32_t volume = -1;
        player.Get("settings", settings);
        settings.Get("volume", volume);
        return volume;
    });
    // A file the player takes into its collection: the library is read again.
    CAutomationObject media;
    ASSERT_EQ(player.Call("newMedia", {std::string("/media/new/Fresh.wma")}, media), kS_OK);
    EXPECT_TRUE(Expect(msg::MediaLibraryChangedEvent, {}, 30000));
    EXPECT_TRUE(Browse("\\Music\\Tracks").contains("Fresh"));

    CPlaylistMoveRequest move(msg::PlaylistMoveRequest);
    move.Body().position = 0;
    move.Body().newPosition = 2;
    EXPECT_EQ(Request(move, msg::PlaylistMoveResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlaylistChangedEvent, {}, 8000));

    SurviveKill(test::FindProcessStartedAs(program));
}

}  // namespace
}  // namespace vantor
