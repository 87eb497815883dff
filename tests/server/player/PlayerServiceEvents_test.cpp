#include "tests/server/player/PlayerServiceFixture.h"

#include <thread>

namespace vantor {
namespace {

using namespace std::chrono_literals;
using test::Clock;
using test::CPlayerServiceHarness;
using test::Track;

// Milliseconds from `from` to `to`.
long long Between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

struct CoalescingCase {
    const char* name;
    int delayMs;
    int eventId;  // where the one coalesced message goes
    int32_t typeId;
    int spacingMs;                                            // between two changes of the burst
    std::function<void(CPlayerServiceHarness&, int)> change;  // the i-th change of a burst
};

// A burst of changes gives one message about `delayMs` after the last change, carrying the
// state at that time. Changes go through the simulated player and its monitor, except for
// the playlist: its 200 ms timer counts in 100 ms ticks, so only notifications less than
// 100 ms apart are sure to fall into one burst, which a monitor polling every 100 ms cannot
// promise. The scenarios run side by side so the slow library timer sets the test's length.
TEST(PlayerServiceEventsTest, BurstsOfChangesAreCoalescedIntoOneMessage) {
    const CoalescingCase cases[] = {
        {"volume", 500, event::PlayerBroadcast, msg::VolumeChangedEvent, 100,
         [](CPlayerServiceHarness& h, int i) { h.Player().SetVolume(10 + i); }},
        {"playlist", 200, event::PlayerBroadcast, msg::PlaylistChangedEvent, 50,
         [](CPlayerServiceHarness& h, int) { h.Service().OnPlaylistChanged(); }},
        {"equaliser", 500, event::PlayerBroadcast, msg::EqChangedEvent, 100,
         [](CPlayerServiceHarness& h, int i) {
             CEqSettings eq;
             h.Player().GetEq(eq);
             eq.bands[0] = i * 5;
             h.Player().SetEq(eq);
         }},
        {"library", 5000, event::LibraryRequest, msg::UpdateMediaLibraryRequest, 100,
         [](CPlayerServiceHarness& h, int) { h.Player().TouchLibrary(); }},
    };
    constexpr int kChanges = 10;
    std::vector<std::thread> runs;
    for (const CoalescingCase& c : cases) {
        runs.emplace_back([&c] {
            CPlayerServiceHarness harness(std::string("coalesce-") + c.name);
            harness.FireConnection(event::ConnectionAdded);
            std::this_thread::sleep_for(250ms);  // the monitor's first pass learns the state
            const auto spacing = std::chrono::milliseconds(c.spacingMs);
            Clock::time_point last;
            for (int i = 0; i < kChanges; ++i) {
                c.change(harness, i);
                last = Clock::now();
                std::this_thread::sleep_for(spacing);
            }
            ASSERT_TRUE(harness.WaitFor(c.eventId, c.typeId, 1,
                                        std::chrono::milliseconds(c.delayMs + 3000)))
                << c.name;
            // Nothing more follows the one message.
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(c.delayMs, 600)));
            const auto seen = harness.Seen(c.eventId, c.typeId);
            ASSERT_EQ(seen.size(), 1u) << c.name;
            const long long after = Between(last, *harness.SeenAt(c.eventId, c.typeId));
            EXPECT_GE(after, c.delayMs - 150) << c.name;
            EXPECT_LE(after, c.delayMs + 1500) << c.name;
            if (c.typeId == msg::VolumeChangedEvent) {
                EXPECT_EQ(dynamic_cast<const CVolumeEvent&>(*seen[0]).Body().volume,
                          10 + kChanges - 1);
                EXPECT_EQ(seen[0]->ClientId(), -1);
            }
            if (c.typeId == msg::EqChangedEvent) {
                EXPECT_EQ(dynamic_cast<const CEqEvent&>(*seen[0]).Body().bands[0],
                          (kChanges - 1) * 5);
            }
        });
    }
    for (std::thread& run : runs) run.join();
}

TEST(PlayerServiceEventsTest, OtherChangesAreBroadcastAtOnce) {
    CPlayerServiceHarness harness("immediate");
    CSimulatedPlayer& player = harness.Player();
    player.PlaylistAdd(*Track("Ana", "One"), -1);
    player.PlaylistAdd(*Track("Ben", "Two"), -1);
    harness.FireConnection(event::ConnectionAdded);
    std::this_thread::sleep_for(250ms);

    struct Case {
        const char* name;
        std::function<void()> change;
        int32_t typeId;
        std::function<bool(const CMessage&)> carries;
    };
    const Case cases[] = {
        {"shuffle", [&] { player.SetShuffleState(true); }, msg::ShuffleStateChangedEvent,
         [](const CMessage& m) {
             return dynamic_cast<const CShuffleStateEvent&>(m).Body().shuffleState;
         }},
        {"repeat", [&] { player.SetRepeatState(true); }, msg::RepeatStateChangedEvent,
         [](const CMessage& m) {
             return dynamic_cast<const CRepeatStateEvent&>(m).Body().repeatState;
         }},
        {"playing state", [&] { player.Play(); }, msg::PlayingStateChangedEvent,
         [](const CMessage& m) {
             return dynamic_cast<const CPlayingStateEvent&>(m).Body().playingState == kPlaying;
         }},
        {"playlist position", [&] { player.SetPlaylistPosition(1); },
         msg::PlaylistPositionChangedEvent,
         [](const CMessage& m) {
             return dynamic_cast<const CPositionEvent&>(m).Body().position == 1;
         }},
        {"current media", [&] { player.SetPlaylistPosition(0); }, msg::CurrentMediaChangedEvent,
         [](const CMessage& m) {
             return dynamic_cast<const CCurrentMediaEvent&>(m).Body().artist == "Ana";
         }},
        {"play position", [&] { player.SetPlayPosition(90); }, msg::PlayPositionChangedEvent,
         [](const CMessage& m) {
             const int32_t seconds = dynamic_cast<const CPositionEvent&>(m).Body().position;
             return seconds >= 90 && seconds <= 95;
         }},
    };
    for (const Case& c : cases) {
        std::this_thread::sleep_for(250ms);  // let the previous case's events settle
        harness.ClearSeen();
        c.change();
        const auto start = Clock::now();
        ASSERT_TRUE(harness.WaitFor(event::PlayerBroadcast, c.typeId, 1, 2000ms)) << c.name;
        // Within the monitor's period and generous scheduling slack.
        EXPECT_LE(Between(start, *harness.SeenAt(event::PlayerBroadcast, c.typeId)), 1000)
            << c.name;
        EXPECT_TRUE(c.carries(*harness.Seen(event::PlayerBroadcast, c.typeId).back())) << c.name;
    }
}

TEST(PlayerServiceEventsTest, PlayerStaysConnectedWhileClientsComeBackWithinTwoSeconds) {
    CPlayerServiceHarness harness("lifecycle");
    CSimulatedPlayer& player = harness.Player();
    EXPECT_FALSE(player.IsConnected()) << "no client yet";

    harness.FireConnection(event::ConnectionAdded);
    EXPECT_TRUE(player.IsConnected());
    harness.FireConnection(event::ConnectionRemoved);
    std::this_thread::sleep_for(1000ms);
    harness.FireConnection(event::ConnectionAdded);  // back within 2 s
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(player.IsConnected());
    EXPECT_EQ(player.ConnectCount(), 1);

    harness.FireConnection(event::ConnectionRemoved);
    const auto left = Clock::now();
    std::this_thread::sleep_for(1200ms);
    EXPECT_TRUE(player.IsConnected()) << "disconnected too early";
    while (player.IsConnected() && Clock::now() - left < 5s) std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(player.IsConnected());
    EXPECT_GE(Between(left, Clock::now()), 1900);
    EXPECT_EQ(harness.Service().ConnectionCount(), 0);
}

}  // namespace
}  // namespace vantor
