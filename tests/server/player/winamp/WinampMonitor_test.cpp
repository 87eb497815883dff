// The two monitors against the simulator: what they report, when, and Winamp quitting.

#include "protocol/MessageType.h"
#include "protocol/ResultCodes.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"
#include "tests/server/player/winamp/WinampTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace vantor::test {
namespace {

using Kind = CRecordingListener::Kind;

class WinampMonitorTest : public CWinampFixture {
protected:
    void ConnectWith(const std::vector<std::string>& playlist) {
        InstallWinamp(playlist);
        MakePlayer();
        ASSERT_EQ(m_player->Connect(), kResultSuccess);
        ASSERT_TRUE(m_listener.WaitFor(Kind::kCurrentMedia));
        ASSERT_TRUE(m_listener.WaitFor(Kind::kPlaylist));
    }

    static std::vector<std::string> UntaggedFiles(int count, const std::string& last) {
        std::vector<std::string> lines;
        for (int i = 1; i < count; ++i) {
            lines.push_back("/m/track" + std::to_string(i) + ".mp3");
        }
        lines.push_back(last);
        return lines;
    }
};

TEST_F(WinampMonitorTest, WindowTitleGivesTheCurrentItem) {
    ConnectWith(UntaggedFiles(12, "/m/Artist - Song.mp3"));
    m_listener.Clear();
    ASSERT_EQ(m_player->SetPlaylistPosition(11), kResultSuccess);
    EXPECT_EQ(SimTitle(), "12. Artist - Song - Winamp");
    ASSERT_TRUE(m_listener.WaitFor(Kind::kCurrentMedia));
    std::unique_ptr<CMediaItem> item;
    ASSERT_EQ(m_player->GetCurrentMedia(item), kResultSuccess);
    EXPECT_EQ(static_cast<const CMusicItem&>(*item).artist, "Artist");
    EXPECT_EQ(item->name, "Song");
    EXPECT_EQ(item->path, "/m/Artist - Song.mp3");
    EXPECT_EQ(item->length, 200);
}

TEST_F(WinampMonitorTest, PlayPositionSkipsSmallDriftsButComesWithANewItem) {
    ConnectWith(UntaggedFiles(3, "/m/last.mp3"));
    ASSERT_EQ(m_player->Play(), kResultSuccess);
    ASSERT_EQ(m_player->Pause(), kResultSuccess);
    ASSERT_TRUE(
        m_listener.WaitFor(Kind::kPlayingState, [](const auto& e) { return e.value == kPaused; }));
    ASSERT_TRUE(WaitForPasses(2));
    m_listener.Clear();

    // While paused the position only moves when told to: 1 s, then 2 s further.
    for (int32_t seconds : {1, 3}) {
        ASSERT_EQ(m_player->SetPlayPosition(seconds), kResultSuccess);
        ASSERT_TRUE(WaitForPasses(3));
        EXPECT_EQ(m_listener.Count(Kind::kPlayPosition), 0u) << seconds;
    }
    ASSERT_EQ(m_player->SetPlayPosition(6), kResultSuccess);
    EXPECT_TRUE(
        m_listener.WaitFor(Kind::kPlayPosition, [](const auto& e) { return e.value == 6; }));

    // Back within 3 s of the cached position, but on another item: reported in that pass.
    ASSERT_EQ(m_player->Pause(), kResultSuccess);
    ASSERT_EQ(m_player->SetPlayPosition(1), kResultSuccess);
    ASSERT_EQ(m_player->Pause(), kResultSuccess);
    ASSERT_TRUE(WaitForPasses(3));
    m_listener.Clear();
    ASSERT_EQ(m_player->NextTrack(), kResultSuccess);
    ASSERT_EQ(m_player->Pause(), kResultSuccess);
    ASSERT_TRUE(m_listener.WaitFor(Kind::kPlayPosition));
    const auto events = m_listener.Events();
    size_t positionChange = events.size();
    size_t playPosition = events.size();
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Kind::kPlaylistPosition && positionChange == events.size()) {
            positionChange = i;
            EXPECT_EQ(events[i].value, 1);
        }
        if (events[i].kind == Kind::kPlayPosition && playPosition == events.size()) {
            playPosition = i;
            EXPECT_LT(events[i].value, 3);
        }
    }
    ASSERT_LT(positionChange, playPosition);
    // Only the same pass's other changes lie between them.
    for (size_t i = positionChange + 1; i < playPosition; ++i) {
        EXPECT_TRUE(events[i].kind == Kind::kCurrentMedia ||
                    events[i].kind == Kind::kPlayingState || events[i].kind == Kind::kVolume)
            << events[i].kind;
    }
}

TEST_F(WinampMonitorTest, ChangesMadeInWinampItselfAreReported) {
    ConnectWith(UntaggedFiles(3, "/m/last.mp3"));
    struct Case {
        const char* name;
        std::function<void()> change;
        Kind kind;
        int32_t value;
    };
    const std::vector<Case> cases = {
        {"volume", [&] { SimCommand(winamp::kSetVolume, 51); }, Kind::kVolume, 20},
        {"shuffle", [&] { SimCommand(winamp::kSetShuffle, 1); }, Kind::kShuffle, 1},
        {"repeat", [&] { SimCommand(winamp::kSetRepeat, 1); }, Kind::kRepeat, 1},
        {"playlist position", [&] { SimCommand(winamp::kSetPlaylistPos, 2); },
         Kind::kPlaylistPosition, 2},
        {"equaliser",
         [&] {
             // The monitor's own reads may come between this pair and move its target.
             do {
                 SimCommand(winamp::kGetEqData, 4);
                 SimCommand(winamp::kSetEqData, 0);
             } while (SimCommand(winamp::kGetEqData, 4) != 0);
         },
         Kind::kEq, 0},
        {"playlist",
         [&] {
             const std::string path = "/m/added.mp3";
             m_probe->SendCopyData(SimMain(), winamp::kCopyPlayFile, path.c_str(), path.size() + 1);
         },
         Kind::kPlaylist, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_listener.Clear();
        c.change();
        EXPECT_TRUE(m_listener.WaitFor(c.kind, [&](const auto& e) { return e.value == c.value; }));
    }
    std::vector<std::string> titles;
    int32_t total = 0;
    m_player->GetPlaylistItems(titles, 3, 1, &total);
    EXPECT_EQ(titles, std::vector<std::string>{"added"});
    EXPECT_EQ(total, 4);
}

TEST_F(WinampMonitorTest, QuittingIsNoticedAndTheNextOperationStartsWinampAgain) {
    ConnectWith(UntaggedFiles(2, "/m/last.mp3"));
    const pid_t first = SimPid();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(m_player->IsAttached());

    const auto killed = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(first, SIGKILL), 0);
    // Noticed by the next monitor pass (100 ms); the limit leaves room for slow machines.
    ASSERT_TRUE(WaitUntil([&] { return !m_player->IsAttached(); }, 3000));
    const auto noticedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - killed)
                               .count();
    RecordProperty("noticed_ms", static_cast<int>(noticedMs));
    EXPECT_TRUE(m_player->IsConnected());

    EXPECT_EQ(m_player->Play(), kResultSuccess);
    EXPECT_EQ(m_windows->Starts(), 2);
    EXPECT_NE(SimPid(), first);
    EXPECT_EQ(SimCommand(winamp::kIsPlaying), 1);
    EXPECT_TRUE(m_player->IsAttached());
}

TEST_F(WinampMonitorTest, DisconnectStopsReportingAndConnectStartsAfresh) {
    ConnectWith(UntaggedFiles(2, "/m/last.mp3"));
    m_player->Disconnect();
    EXPECT_FALSE(m_player->IsConnected());
    m_listener.Clear();
    SimCommand(winamp::kSetVolume, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_listener.Events().size(), 0u);

    ASSERT_EQ(m_player->Connect(), kResultSuccess);
    EXPECT_EQ(m_windows->Starts(), 1);
    // The cache starts empty again, so the state is reported anew.
    EXPECT_TRUE(m_listener.WaitFor(Kind::kCurrentMedia));
    EXPECT_TRUE(m_listener.WaitFor(
        Kind::kVolume, [](const auto& e) { return e.value == winamp::VolumeFromRaw(10); }));
}

// Writing the equaliser takes read-then-write pairs; the state monitor reads the equaliser in
// every pass. Were a pair split by a monitor read, Winamp would write the wrong slider.
TEST_F(WinampMonitorTest, EqualiserWritesAreNotRedirectedByMonitorReads) {
    ConnectWith(UntaggedFiles(2, "/m/last.mp3"));
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            std::unique_ptr<CMediaItem> item;
            m_player->GetCurrentMedia(item);
            std::vector<std::string> titles;
            m_player->GetPlaylistItems(titles, 0, -1, nullptr);
            m_player->GetVolume();
            m_player->GetPlayingState();
            CEqSettings eq;
            m_player->GetEq(eq);
        }
    });
    for (int round = 0; round < 15; ++round) {
        CEqSettings wanted;
        wanted.enabled = round % 2 == 0;
        wanted.preamp = round % 2 == 0 ? 100 : -100;
        for (size_t band = 0; band < wanted.bands.size(); ++band) {
            wanted.bands[band] = (band + static_cast<size_t>(round)) % 2 == 0 ? 100 : -100;
        }
        ASSERT_EQ(m_player->SetEq(wanted), kResultSuccess);
        for (size_t band = 0; band < wanted.bands.size(); ++band) {
            EXPECT_EQ(SimCommand(winamp::kGetEqData, static_cast<int64_t>(band)),
                      winamp::EqRawFromValue(wanted.bands[band]))
                << "round " << round << " band " << band;
        }
    }
    done = true;
    reader.join();
}

}  // namespace
}  // namespace vantor::test
