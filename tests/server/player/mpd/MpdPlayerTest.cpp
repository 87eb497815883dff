// The MPD adapter against a real, private mpd: what the adapter does shows up in MPD's own
// state, what is done to MPD directly reaches the listener, and MPD going away and coming
// back is survived.

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/mpd/MpdPlayer.h"
#include "tests/server/player/mpd/MpdFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>

namespace vantor {
namespace {

using test::CMpdInstance;
using test::CMusicFolder;
using Clock = std::chrono::steady_clock;

bool Eventually(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// Records every callback as a short text ("volume 40", "media Opening", "library").
class CRecordingListener : public IPlayerListener {
public:
    void OnVolumeChanged(int32_t v) override { Add("volume " + std::to_string(v)); }
    void OnShuffleStateChanged(bool on) override {
        Add(std::string("shuffle ") + (on ? "on" : "off"));
    }
    void OnRepeatStateChanged(bool on) override {
        Add(std::string("repeat ") + (on ? "on" : "off"));
    }
    void OnPlayingStateChanged(int32_t s) override { Add("state " + std::to_string(s)); }
    void OnPlaylistPositionChanged(int32_t p) override { Add("position " + std::to_string(p)); }
    void OnPlayPositionChanged(int32_t s) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seconds.push_back(s);
        m_events.push_back("seconds");
    }
    void OnCurrentMediaChanged(const CMediaItem& item) override { Add("media " + item.name); }
    void OnLibraryChanged() override { Add("library"); }
    void OnPlaylistChanged() override { Add("playlist"); }
    void OnEqChanged() override { Add("eq"); }

    bool Saw(const std::string& event, int timeoutMs = 5000) {
        return Eventually(
            [&] {
                std::lock_guard<std::mutex> lock(m_mutex);
                for (const auto& e : m_events) {
                    if (e == event) return true;
                }
                return false;
            },
            timeoutMs);
    }
    bool SawSeconds(int32_t low, int32_t high) {
        return Eventually([&] {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (int32_t s : m_seconds) {
                if (s >= low && s <= high) return true;
            }
            return false;
        });
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
        m_seconds.clear();
    }
    std::string Dump() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::string all;
        for (const auto& e : m_events) all += e + "; ";
        return all;
    }

private:
    void Add(std::string e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(std::move(e));
    }
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<int32_t> m_seconds;
};

class CCaptureSink : public ILogSink {
public:
    void Write(const std::string& text, int) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(text);
    }
    int Count(const std::string& part) {
        std::lock_guard<std::mutex> lock(m_mutex);
        int n = 0;
        for (const auto& l : m_lines) n += l.find(part) != std::string::npos;
        return n;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

class MpdPlayerTest : public ::testing::Test {
protected:
    static const CMusicFolder& Music() { return CMusicFolder::Shared(); }

    void SetUp() override {
        s_mpd = CMpdInstance::Shared();
        ASSERT_NE(s_mpd, nullptr) << "no music folder or no mpd";
        s_mpd->Command(
            "command_list_begin\nclear\nstop\nsetvol 50\nrandom 0\nrepeat 0\ncommand_list_end");
        m_logger.AddSink(&m_log);
        CMpdAddress address;
        address.host = s_mpd->Host();
        address.port = s_mpd->Port();
        m_player = std::make_unique<CMPDPlayer>(m_logger, address,
                                                std::make_shared<CMpdPaths>(Music().Root()));
        m_player->AddListener(&m_listener);
        ASSERT_EQ(m_player->Connect(), kResultSuccess);
        ASSERT_TRUE(Eventually([&] { return m_player->GetVolume() == 50; }));
        m_listener.Clear();
    }
    void TearDown() override {
        m_player->RemoveListener(&m_listener);
        m_player->Disconnect();
        m_player.reset();
        m_logger.RemoveSink(&m_log);
    }

    static CMusicItem Track(const std::string& title) {
        CMusicItem item;
        item.path = Music().AbsolutePath(Music().Find(title));
        return item;
    }
    static MediaItemList Tracks(std::initializer_list<const char*> titles) {
        MediaItemList list;
        for (const char* t : titles) list.push_back(Track(t).Clone());
        return list;
    }
    // The URIs of MPD's queue, in order.
    static std::vector<std::string> Queue() {
        std::vector<std::string> uris;
        std::istringstream in(s_mpd->Command("playlistinfo"));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("file: ", 0) == 0) uris.push_back(line.substr(6));
        }
        return uris;
    }
    static std::string Uri(const std::string& title) { return Music().Find(title).uri; }
    static bool StatusIs(const std::string& key, const std::string& value) {
        return Eventually([&] { return s_mpd->Status(key) == value; });
    }

    static CMpdInstance* s_mpd;
    CLogger m_logger;
    CCaptureSink m_log;
    CRecordingListener m_listener;
    std::unique_ptr<CMPDPlayer> m_player;
};

CMpdInstance* MpdPlayerTest::s_mpd = nullptr;

TEST_F(MpdPlayerTest, PlaysAnItemAndReportsItAsTheCurrentMusicItem) {
    ASSERT_EQ(m_player->PlayMedia(Track("Straße")), kResultSuccess);
    EXPECT_TRUE(StatusIs("state", "play"));
    EXPECT_EQ(Queue(), std::vector<std::string>{Uri("Straße")});
    EXPECT_TRUE(m_listener.Saw("media Straße")) << m_listener.Dump();
    EXPECT_TRUE(m_listener.Saw("state " + std::to_string(kPlaying)));

    std::unique_ptr<CMediaItem> current;
    ASSERT_EQ(m_player->GetCurrentMedia(current), kResultSuccess);
    auto* music = dynamic_cast<CMusicItem*>(current.get());
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->mediaType, kMediaMusic);
    EXPECT_EQ(music->name, "Straße");
    EXPECT_EQ(music->artist, "Kōji Ōta");
    EXPECT_EQ(music->album, "Über Wellen");
    EXPECT_EQ(music->genre, "Electronic");
    EXPECT_EQ(music->trackNumber, "03");
    EXPECT_EQ(music->length, 30);
    EXPECT_EQ(music->path, Music().AbsolutePath(Music().Find("Straße")));
    EXPECT_EQ(m_player->GetPlayingState(), kPlaying);
}

TEST_F(MpdPlayerTest, CommandsShowUpInMpdAndInTheGetters) {
    ASSERT_EQ(m_player->PlaylistAdd(Tracks({"Opening", "Second Wind", "Headlights"}), -1), 0);
    ASSERT_EQ(m_player->Play(), kResultSuccess);
    ASSERT_TRUE(StatusIs("state", "play"));
    auto elapsed = [] { return std::atof(s_mpd->Status("elapsed").c_str()); };

    struct Step {
        const char* what;
        std::function<int32_t()> command;
        std::function<bool()> inMpd;
        std::function<bool()> inGetter;
    };
    IPlayer& p = *m_player;
    const Step steps[] = {
        {"volume", [&] { return p.SetVolume(30); }, [] { return s_mpd->Status("volume") == "30"; },
         [&] { return p.GetVolume() == 30; }},
        {"shuffle", [&] { return p.SetShuffleState(true); },
         [] { return s_mpd->Status("random") == "1"; }, [&] { return p.GetShuffleState(); }},
        {"repeat", [&] { return p.SetRepeatState(true); },
         [] { return s_mpd->Status("repeat") == "1"; }, [&] { return p.GetRepeatState(); }},
        {"shuffle off", [&] { return p.SetShuffleState(false); },
         [] { return s_mpd->Status("random") == "0"; }, [&] { return !p.GetShuffleState(); }},
        {"seek", [&] { return p.SetPlayPosition(20); },
         [&] { return elapsed() >= 20 && elapsed() < 24; },
         [&] { return p.GetPlayPosition() >= 20 && p.GetPlayPosition() < 24; }},
        {"rewind", [&] { return p.Rewind(); }, [&] { return elapsed() >= 15 && elapsed() < 19; },
         [&] { return p.GetPlayPosition() < 19; }},
        {"fast forward", [&] { return p.FastForward(); },
         [&] { return elapsed() >= 20 && elapsed() < 24; },
         [&] { return p.GetPlayPosition() >= 20; }},
        {"pause", [&] { return p.Pause(); }, [] { return s_mpd->Status("state") == "pause"; },
         [&] { return p.GetPlayingState() == kPaused; }},
        {"resume", [&] { return p.Play(); }, [] { return s_mpd->Status("state") == "play"; },
         [&] { return p.GetPlayingState() == kPlaying; }},
        {"next", [&] { return p.NextTrack(); }, [] { return s_mpd->Status("song") == "1"; },
         [&] { return p.GetPlaylistPosition() == 1; }},
        {"jump", [&] { return p.SetPlaylistPosition(2); },
         [] { return s_mpd->Status("song") == "2"; }, [&] { return p.GetPlaylistPosition() == 2; }},
        {"previous", [&] { return p.PreviousTrack(); }, [] { return s_mpd->Status("song") == "1"; },
         [&] { return p.GetPlaylistPosition() == 1; }},
        {"stop", [&] { return p.Stop(); }, [] { return s_mpd->Status("state") == "stop"; },
         [&] { return p.GetPlayingState() == kStopped; }},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(step.command(), kResultSuccess) << step.what;
        EXPECT_TRUE(Eventually(step.inMpd)) << step.what;
        EXPECT_TRUE(Eventually(step.inGetter)) << step.what;
    }
}

TEST_F(MpdPlayerTest, EditsTheQueueAndListsItsTitles) {
    ASSERT_EQ(m_player->PlaylistAdd(Tracks({"Opening", "Granite", "misc/field recording.mp3"}), -1),
              kResultSuccess);
    ASSERT_EQ(m_player->PlaylistAdd(Track("Cellar Door"), 1), kResultSuccess);
    EXPECT_EQ(Queue(), (std::vector<std::string>{Uri("Opening"), Uri("Cellar Door"), Uri("Granite"),
                                                 Uri("misc/field recording.mp3")}));

    ASSERT_TRUE(Eventually([&] { return m_player->GetPlaylistLength() == 4; }));
    std::vector<std::string> titles;
    int32_t total = -1;
    EXPECT_EQ(m_player->GetPlaylistItems(titles, 1, 5, &total), kResultSuccess);
    EXPECT_EQ(titles, (std::vector<std::string>{"Mira Quartet - Cellar Door", "Basalt - Granite",
                                                "field recording.mp3"}));
    EXPECT_EQ(total, 4);

    EXPECT_EQ(m_player->PlaylistMove(0, 3), kResultSuccess);
    EXPECT_EQ(m_player->PlaylistRemove(0), kResultSuccess);
    EXPECT_EQ(Queue(), (std::vector<std::string>{Uri("Granite"), Uri("misc/field recording.mp3"),
                                                 Uri("Opening")}));
    EXPECT_TRUE(m_listener.Saw("playlist"));
    ASSERT_TRUE(Eventually([&] {
        m_player->GetPlaylistItems(titles, 0, -1, nullptr);
        return titles.size() == 3 && titles[2] == "The Rollers - Opening";
    }));

    EXPECT_EQ(m_player->PlaylistClear(), kResultSuccess);
    EXPECT_TRUE(Queue().empty());
    EXPECT_TRUE(Eventually([&] { return m_player->GetPlaylistLength() == 0; }));
}

TEST_F(MpdPlayerTest, PlaysAStoredPlaylistByName) {
    CPlaylistItem playlist;
    playlist.name = "Road Trip";
    ASSERT_EQ(m_player->PlayMedia(playlist), kResultSuccess);
    EXPECT_EQ(Queue(), Music().Playlists()[0].uris);
    EXPECT_TRUE(StatusIs("state", "play"));
    EXPECT_TRUE(StatusIs("song", "0"));

    playlist.name = "Quiet Evening";
    ASSERT_EQ(m_player->PlaylistAdd(playlist, 1), kResultSuccess);
    const auto& quiet = Music().Playlists()[1].uris;
    const auto queue = Queue();
    ASSERT_EQ(queue.size(), 5u);
    EXPECT_EQ(queue[1], quiet[0]);
    EXPECT_EQ(queue[2], quiet[1]);
}

TEST_F(MpdPlayerTest, ChangesMadeDirectlyInMpdReachTheListener) {
    struct Step {
        std::vector<std::string> mpc;
        std::string event;
    };
    const Step steps[] = {
        {{"volume", "40"}, "volume 40"},
        {{"random", "on"}, "shuffle on"},
        {{"random", "off"}, "shuffle off"},
        {{"repeat", "on"}, "repeat on"},
        {{"add", Uri("Opening")}, "playlist"},
        {{"add", Uri("Headlights")}, "playlist"},
        {{"play"}, "media Opening"},
        {{"play", "2"}, "position 1"},
        {{"pause"}, "state " + std::to_string(kPaused)},
        {{"save", "Saved From Test"}, "library"},
    };
    for (const auto& step : steps) {
        m_listener.Clear();
        ASSERT_TRUE(s_mpd->Mpc(step.mpc)) << step.mpc[0];
        EXPECT_TRUE(m_listener.Saw(step.event)) << step.mpc[0] << ": " << m_listener.Dump();
    }
    s_mpd->Mpc({"rm", "Saved From Test"});

    // A seek elsewhere is reported; playback moving on by itself is not.
    s_mpd->Mpc({"play"});
    m_listener.Clear();
    ASSERT_TRUE(s_mpd->Mpc({"seek", "15"}));
    EXPECT_TRUE(m_listener.SawSeconds(15, 17)) << m_listener.Dump();
    m_listener.Clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_FALSE(m_listener.Saw("seconds", 0)) << m_listener.Dump();
}

TEST_F(MpdPlayerTest, FailuresAnswerResultCodesAndLogMpdsMessageOnce) {
    ASSERT_EQ(m_player->PlaylistAdd(Track("Opening"), -1), kResultSuccess);
    CMusicItem missing;
    missing.path = Music().Root() + "/no/such/file.mp3";
    struct Case {
        const char* what;
        std::function<int32_t()> call;
        int32_t code;
    };
    const Case cases[] = {
        {"play a file MPD does not have", [&] { return m_player->PlayMedia(missing); }, 100},
        {"jump past the end", [&] { return m_player->SetPlaylistPosition(5); }, 100},
        {"remove past the end", [&] { return m_player->PlaylistRemove(5); }, 100},
        {"move past the end", [&] { return m_player->PlaylistMove(0, 5); }, 100},
        {"seek while stopped", [&] { return m_player->FastForward(); }, 103},
        {"rating with nothing current",
         [&] {
             int32_t r = 0;
             return m_player->GetTrackRating(r);
         },
         100},
        {"equaliser",
         [&] {
             CEqSettings eq;
             return m_player->GetEq(eq);
         },
         19},
        {"equaliser presets", [&] { return m_player->SetEqPreset("Rock"); }, 19},
        {"video mode", [&] { return m_player->SetVideoMode(true); }, 19},
    };
    for (const auto& c : cases) EXPECT_EQ(c.call(), c.code) << c.what;
    EXPECT_EQ(m_log.Count("No such directory"), 1);
    EXPECT_EQ(m_log.Count("Not playing"), 1);
    CPlayerCapabilities caps;
    caps.supportsEq = true;
    m_player->GetCapabilities(caps);
    EXPECT_FALSE(caps.supportsEq);
}

TEST_F(MpdPlayerTest, RatingsLiveInStickersAndSurviveAnMpdRestart) {
    ASSERT_EQ(m_player->PlayMedia(Track("Late Set")), kResultSuccess);
    ASSERT_TRUE(m_listener.Saw("media Late Set"));
    int32_t rating = -1;
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultSuccess);
    EXPECT_EQ(rating, 0);  // never rated
    EXPECT_EQ(m_player->SetTrackRating(80), kResultSuccess);
    EXPECT_EQ(m_player->SetTrackRating(101), kResultInvalidArgs);
    EXPECT_NE(
        s_mpd->Command("sticker get song \"" + Uri("Late Set") + "\" rating").find("rating=80"),
        std::string::npos);

    // MPD goes away: commands answer 102 at once and the listener hears that nothing plays.
    s_mpd->Stop();
    ASSERT_TRUE(Eventually([&] { return !m_player->IsReachable(); }));
    EXPECT_TRUE(m_listener.Saw("state " + std::to_string(kStopped)));
    const std::function<int32_t()> whileGone[] = {
        [&] { return m_player->Play(); },
        [&] { return m_player->SetVolume(10); },
        [&] { return m_player->PlaylistClear(); },
        [&] { return m_player->SetTrackRating(20); },
        [&] { return m_player->PlayMedia(Track("Opening")); },
        [&] {
            std::unique_ptr<CMediaItem> item;
            return m_player->GetCurrentMedia(item);
        },
    };
    for (const auto& call : whileGone) {
        const auto start = Clock::now();
        EXPECT_EQ(call(), kResultPlayerComm);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    }

    // Back again: the adapter reconnects by itself and reports the new state.
    m_listener.Clear();
    ASSERT_TRUE(s_mpd->Start(Music().Tracks().size()));
    ASSERT_TRUE(Eventually([&] { return m_player->IsReachable(); }, 8000));
    EXPECT_TRUE(m_listener.Saw("playlist"));
    ASSERT_EQ(m_player->PlayMedia(Track("Late Set")), kResultSuccess);
    ASSERT_TRUE(m_listener.Saw("media Late Set"));
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultSuccess);
    EXPECT_EQ(rating, 80);
    std::unique_ptr<CMediaItem> current;
    ASSERT_EQ(m_player->GetCurrentMedia(current), kResultSuccess);
    EXPECT_EQ(current->rating, 80);
}

}  // namespace
}  // namespace vantor
