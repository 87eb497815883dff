// The Windows Media Player adapter and library reader against the simulator running as a
// separate program, which they start themselves from "Paths\WMP".

#include "server/player/wmp/WMPPlayer.h"
#include "platform/AutomationClient.h"
#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/readers/wmp/WMPMediaReader.h"
#include "server/player/wmp/WMPArtProvider.h"
#include "tests/server/player/RecordingListener.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"
#include "tools/wmp-sim/GeneratedCollection.h"

#include <gtest/gtest.h>

#include <unistd.h>
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
namespace fs = std::filesystem;

class CCollectingOwner : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem& item) override { items.push_back(item.Clone()); }
    void StartUpdate() override {}
    MediaItemList items;
};

class WMPTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own per test: a simulator of an earlier test may still be ending.
        m_root = test::MakeTempDir("vantor-wmp-");
        m_root.pop_back();
        fs::create_directories(m_root + "/windows");
        fs::create_directories(m_root + "/player");
        ::setenv("VANTOR_WINDOWS_DIR", (m_root + "/windows").c_str(), 1);
        ::setenv("VANTOR_SIM_IDLE_EXIT", "30", 1);
        fs::create_symlink(WMP_SIM_PATH, m_root + "/player/wmplayer");
        m_config = std::make_unique<CConfigStore>(m_root + "/");
        m_config->SetString("Paths\\WMP", m_root + "/player/wmplayer", true, true);
        m_logger.AddSink(&m_log);
    }

    void TearDown() override {
        m_player.reset();
        m_logger.RemoveSink(&m_log);
        fs::remove_all(m_root);  // the simulator quits once its socket is gone
    }

    void Configure(const std::string& conf) {
        std::ofstream(m_root + "/player/wmp-sim.conf") << conf;
    }

    void Connect() {
        m_player = std::make_unique<CWMPPlayer>(m_logger, *m_config);
        m_player->AddListener(&m_listener);
        ASSERT_EQ(m_player->Connect(), kResultSuccess);
    }

    CAutomationObject Sim() {
        CAutomationObject player;
        EXPECT_EQ(CreateAutomationObject("WMPlayer.OCX", "", player), kS_OK);
        return player;
    }
    template <typename T>
    T Read(const CAutomationObject& object, const std::string& name, CVariantList args = {}) {
        T value{};
        EXPECT_EQ(object.Get(name, value, args), kS_OK) << name;
        return value;
    }
    template <typename T>
    T Call(const CAutomationObject& object, const std::string& name, CVariantList args = {}) {
        T value{};
        EXPECT_EQ(object.Call(name, args, value), kS_OK) << name;
        return value;
    }

    std::string m_root;
    std::unique_ptr<CConfigStore> m_config;
    CLogger m_logger;
    test::CRecordingSink m_log;
    CRecordingListener m_listener;
    std::unique_ptr<CWMPPlayer> m_player;
};

TEST_F(WMPTest, RatingsModesAndWhatThePlayerDoesNotSupport) {
    Connect();
    int32_t rating = 0;
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultMediaNotFound);  // nothing current yet
    ASSERT_EQ(m_player->Play(), kResultSuccess);
    CAutomationObject media = Read<CAutomationObject>(Sim(), "currentMedia");
    ASSERT_FALSE(media.IsNull());
    ASSERT_EQ(media.Call("setItemInfo", {std::string("UserRating"), std::string("75")}), kS_OK);
    EXPECT_EQ(m_player->GetTrackRating(rating), kResultSuccess);
    EXPECT_EQ(rating, 75);
    EXPECT_EQ(m_player->SetTrackRating(40), kResultSuccess);
    EXPECT_EQ(Call<std::string>(media, "getItemInfo", {std::string("UserRating")}), "40");

    CAutomationObject settings = Read<CAutomationObject>(Sim(), "settings");
    EXPECT_EQ(m_player->SetShuffleState(true), kResultSuccess);
    EXPECT_TRUE(Call<bool>(settings, "getMode", {std::string("shuffle")}));
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kShuffle,
                                   [](const auto& e) { return e.value == 1; }));
    ASSERT_EQ(settings.Call("setMode", {std::string("loop"), true}), kS_OK);
    EXPECT_TRUE(Eventually([&] { return m_player->GetRepeatState(); }));
    EXPECT_EQ(m_player->SetRepeatState(false), kResultSuccess);
    EXPECT_FALSE(Call<bool>(settings, "getMode", {std::string("loop")}));

    CEqSettings eq;
    EXPECT_EQ(m_player->GetEq(eq), kResultNotSupported);
    CPlayerCapabilities capabilities;
    capabilities.supportsEq = true;
    m_player->GetCapabilities(capabilities);
    EXPECT_TRUE(capabilities.supportsEq);  // untouched: nothing set
    bool fullScreen = true;
    EXPECT_EQ(m_player->GetVideoMode(fullScreen), kResultNotSupported);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(Read<std::string>(Sim(), "remoteHost"), "Remote");
}

TEST_F(WMPTest, PlaylistEditsAndPositionsReachThePlayerAndComeBack) {
    Connect();
    ASSERT_EQ(m_player->PlaylistClear(), kResultSuccess);
    for (const char* name : {"a", "b", "c"}) {
        CMusicItem item;
        item.path = std::string("/music/") + name + ".mp3";
        ASSERT_EQ(m_player->PlaylistAdd(item, -1), kResultSuccess);
    }
    CMusicItem first;
    first.path = "/music/first.mp3";
    ASSERT_EQ(m_player->PlaylistAdd(first, 0), kResultSuccess);
    ASSERT_EQ(m_player->PlaylistMove(3, 1), kResultSuccess);  // first, c, a, b
    ASSERT_EQ(m_player->PlaylistRemove(3), kResultSuccess);   // first, c, a
    std::vector<std::string> titles;
    ASSERT_TRUE(Eventually([&] {
        int32_t total = 0;
        m_player->GetPlaylistItems(titles, 0, -1, &total);
        return titles == std::vector<std::string>{"first", "c", "a"} && total == 3;
    })) << titles.size();
    EXPECT_EQ(m_player->PlaylistMove(0, 7), kResultPlayerCommandFailed);
    EXPECT_TRUE(
        m_log.Contains("CWMPPlayer: Error calling moveItem(): The parameter is incorrect. "
                       "[0x80070057]"));

    ASSERT_EQ(m_player->SetPlaylistPosition(2), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kPlaylistPosition,
                                   [](const auto& e) { return e.value == 2; }));
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kCurrentMedia,
                                   [](const auto& e) { return e.item->path == "/music/a.mp3"; }));
    EXPECT_EQ(m_player->SetVolume(35), kResultSuccess);
    EXPECT_TRUE(m_listener.WaitFor(CRecordingListener::kVolume,
                                   [](const auto& e) { return e.value == 35; }));

    CPlaylistItem evening;
    evening.name = "Evening Mix";
    ASSERT_EQ(m_player->PlayMedia(evening), kResultSuccess);
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(Sim(), "currentPlaylist"), "name"),
              "Evening Mix");
    CMusicItem file;
    file.path = "/music/single.mp3";
    ASSERT_EQ(m_player->PlayMedia(file), kResultSuccess);
    EXPECT_EQ(Read<std::string>(Read<CAutomationObject>(Sim(), "currentMedia"), "sourceURL"),
              "/music/single.mp3");
}

TEST_F(WMPTest, AlbumArtBesideTheTrackAndAVanishedPlayer) {
    const std::string folder = m_root + "/music/Ada Lovetone/Signal Lines";
    fs::create_directories(folder);
    Configure("music-dir=" + m_root + "/music\n");
    Connect();
    CWMPArtProvider art(*m_player);
    CMusicItem track;
    track.path = folder + "/1 Opening.wma";
    const std::string target = m_root + "/art.jpg";
    ASSERT_EQ(art.GetAlbumArt(track, target), kResultSuccess);
    EXPECT_TRUE(fs::exists(folder + "/AlbumArt_{00001}_Large.jpg"));
    EXPECT_EQ(fs::file_size(target), fs::file_size(folder + "/AlbumArt_{00001}_Large.jpg"));
    track.path = m_root + "/music/elsewhere/2.wma";
    EXPECT_EQ(art.GetAlbumArt(track, target + "2"), kResultNoAlbumArt);

    CAutomationObject sim = Sim();
    ASSERT_EQ(m_player->Play(), kResultSuccess);
    ASSERT_TRUE(test::KillAndWait(test::FindProcessStartedAs(m_root + "/player/wmplayer")));
    EXPECT_EQ(m_player->Play(), kResultPlayerComm);
    EXPECT_TRUE(
        m_log.Contains("CWMPPlayer: Error calling play(): The RPC server is unavailable. "
                       "[0x800706ba]"));
    EXPECT_EQ(m_player->Play(), kResultSuccess);
}

TEST_F(WMPTest, TheLibraryReaderTakesEveryKindWithItsAttributes) {
    const auto entries = wmpsim::GenerateCollection(2000, "/media");
    ASSERT_TRUE(wmpsim::WriteCollectionFile(entries, m_root + "/collection.txt"));
    Configure("collection=" + m_root + "/collection.txt\nmusic-dir=/media\n");
    CWMPMediaReader reader(m_logger, m_root + "/player/wmplayer");
    CCollectingOwner owner;
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);

    std::map<int32_t, int> kinds;
    for (const auto& item : owner.items) ++kinds[item->mediaType];
    EXPECT_EQ(kinds[kMediaMusic], 1200);
    EXPECT_EQ(kinds[kMediaVideo], 200);
    EXPECT_EQ(kinds[kMediaTV], 200);  // every brace and case variant of the class ids
    EXPECT_EQ(kinds[kMediaPlaylist], 200);
    EXPECT_EQ(owner.items.size(), 1800u);  // photos and radio skipped

    auto find = [&](const std::string& path) -> const CMediaItem* {
        for (const auto& item : owner.items) {
            if (item->path == path) return item.get();
        }
        return nullptr;
    };
    // Entry 0: no artist and no album, genre "Rock", track 1 written "1/15".
    const auto* track = dynamic_cast<const CMusicItem*>(find("/media///0.wma"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->artist, "Unknown Artist");
    EXPECT_EQ(track->album, "Unknown Album");
    EXPECT_EQ(track->genre, "Rock");
    EXPECT_EQ(track->trackNumber, "01");
    EXPECT_EQ(track->name, "Song 0");
    // Entry 1: genre "(13)", a name in Cyrillic.
    track = dynamic_cast<const CMusicItem*>(find("/media/Artist 1/Album 1/1.wma"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->genre, "Pop");
    EXPECT_EQ(track->name, "Пісня 1");
    EXPECT_EQ(track->trackNumber, "02");
    // Entry 3 has no genre; entry 5 "(9)Heavy" keeps what follows the parenthesis.
    EXPECT_EQ(dynamic_cast<const CMusicItem*>(find("/media/Artist 3/Album 3/3.wma"))->genre,
              "Unknown Genre");
    EXPECT_EQ(dynamic_cast<const CMusicItem*>(find("/media/Artist 5/Album 5/5.wma"))->genre,
              "Heavy");
    // Entry 17 has a subtitle, entry 27 none.
    const auto* show = dynamic_cast<const CTVItem*>(find("/media/Recorded TV/Show 17.dvr-ms"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->series, "Show 17");
    EXPECT_EQ(show->name, "Episode 17");
    EXPECT_EQ(show->channel, "9");
    EXPECT_EQ(show->channelName, "Station 9");
    EXPECT_EQ(show->description, "About 17");
    show = dynamic_cast<const CTVItem*>(find("/media/Recorded TV/Show 27.dvr-ms"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->series, "Single Run");
    EXPECT_EQ(show->name, "Show 7");
    EXPECT_EQ(dynamic_cast<const CVideoItem*>(find("/media/Videos/Film 6.wmv"))->genre,
              "Unknown Genre");
    EXPECT_EQ(find("/media/Playlists/Playlist 8.wpl")->name, "Playlist 8");
    EXPECT_EQ(find("/media/Other/9"), nullptr);
}

TEST(WMPTvTest, ClassIdsAreComparedWithoutBracesAndCase) {
    EXPECT_TRUE(CWMPMediaReader::IsRecordedTv("{db9830bd-3ab3-4fab-8a37-1a995f7ff74b}",
                                              "BA7F258A-62F7-47A9-B21F-4651C42A000E"));
    EXPECT_FALSE(CWMPMediaReader::IsRecordedTv("{DB9830BD-3AB3-4FAB-8A37-1A995F7FF74B}", ""));
    EXPECT_FALSE(CWMPMediaReader::IsRecordedTv("", "{BA7F258A-62F7-47A9-B21F-4651C42A000E}"));
}

}  // namespace
}  // namespace vantor
