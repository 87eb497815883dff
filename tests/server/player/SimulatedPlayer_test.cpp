#include "server/player/sim/SimulatedPlayer.h"
#include "server/core/Logger.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<CMusicItem> Song(const std::string& title, int32_t length) {
    auto song = std::make_unique<CMusicItem>();
    song->name = title;
    song->length = length;
    return song;
}

// The play clock moves through the playlist as a player would at the end of each track.
TEST(SimulatedPlayerTest, ClockMovesOnAtTheEndOfATrack) {
    struct Case {
        const char* name;
        bool repeat;
        int32_t start;
        int64_t advanceMs;
        int32_t position;
        int32_t state;
        int32_t seconds;
    };
    const Case cases[] = {
        {"within the track", false, 0, 9500, 0, kPlaying, 9},
        {"into the next", false, 0, 10000, 1, kPlaying, 0},
        {"end of the list", false, 1, 10000, 1, kStopped, 0},
        {"around with repeat", true, 1, 10000, 0, kPlaying, 0},
    };
    CLogger logger;
    for (const Case& c : cases) {
        CSimulatedPlayer player(logger);
        player.PlaylistAdd(*Song("A", 10), -1);
        player.PlaylistAdd(*Song("B", 10), -1);
        player.SetRepeatState(c.repeat);
        player.SetPlaylistPosition(c.start);
        player.Play();
        player.AdvanceClock(c.advanceMs);
        EXPECT_EQ(player.GetPlaylistPosition(), c.position) << c.name;
        EXPECT_EQ(player.GetPlayingState(), c.state) << c.name;
        EXPECT_EQ(player.GetPlayPosition(), c.seconds) << c.name;
    }
}

class CPositionRecorder : public IPlayerListener {
public:
    void OnVolumeChanged(int32_t) override {}
    void OnShuffleStateChanged(bool) override {}
    void OnRepeatStateChanged(bool) override {}
    void OnPlayingStateChanged(int32_t) override {}
    void OnPlaylistPositionChanged(int32_t) override {}
    void OnPlayPositionChanged(int32_t seconds) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seconds.push_back(seconds);
    }
    void OnCurrentMediaChanged(const CMediaItem&) override {}
    void OnLibraryChanged() override {}
    void OnPlaylistChanged() override {}
    void OnEqChanged() override {}

    std::vector<int32_t> Take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_seconds);
    }

private:
    std::mutex m_mutex;
    std::vector<int32_t> m_seconds;
};

// The play position is reported on a jump of 3 s or more, or with a change of item; the
// clock's own drift is not.
TEST(SimulatedPlayerTest, MonitorReportsPositionJumpsButNotDrift) {
    CLogger logger;
    CSimulatedPlayer player(logger);
    CPositionRecorder recorder;
    player.AddListener(&recorder);
    player.PlaylistAdd(*Song("A", 600), -1);
    player.PlaylistAdd(*Song("B", 600), -1);
    player.Play();
    player.FreezeClock(true);  // only the test moves the clock: no drift from slow machines
    ASSERT_EQ(player.Connect(), 0);
    std::this_thread::sleep_for(300ms);
    recorder.Take();

    struct Case {
        const char* name;
        std::function<void()> change;
        bool reported;
    };
    const Case cases[] = {
        {"2 s drift", [&] { player.AdvanceClock(2000); }, false},
        {"3 s jump", [&] { player.AdvanceClock(3000); }, true},
        {"seek", [&] { player.SetPlayPosition(200); }, true},
        {"next item", [&] { player.SetPlaylistPosition(1); }, true},
    };
    for (const Case& c : cases) {
        c.change();
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(!recorder.Take().empty(), c.reported) << c.name;
    }
    player.RemoveListener(&recorder);
    player.Disconnect();
}

}  // namespace
}  // namespace vantor
