// The library reader against a real mpd over the generated music folder: every track with
// exactly its tags (or the "Unknown ..." texts where a tag is missing), and the stored
// playlists.

#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/player/mpd/MpdMediaReader.h"
#include "tests/server/player/mpd/MpdFixture.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

namespace vantor {
namespace {

using test::CMpdInstance;
using test::CMusicFolder;

class CCollectingOwner : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem& item) override {
        if (auto* track = dynamic_cast<const CMusicItem*>(&item)) {
            tracks[track->path] = *track;
        } else if (auto* playlist = dynamic_cast<const CPlaylistItem*>(&item)) {
            playlists.push_back(playlist->name);
        }
        ++added;
    }
    void StartUpdate() override {}

    std::map<std::string, CMusicItem> tracks;  // by path
    std::vector<std::string> playlists;
    int added = 0;
};

class MpdMediaReaderTest : public ::testing::TestWithParam<unsigned> {};

// Windows smaller than the library make the reader page through MPD's database.
TEST_P(MpdMediaReaderTest, ReadsEveryTrackWithItsTagsAndTheStoredPlaylists) {
    CMpdInstance* mpd = CMpdInstance::Shared();
    ASSERT_NE(mpd, nullptr);
    const CMusicFolder& music = CMusicFolder::Shared();
    CLogger logger;
    CMpdAddress address;
    address.host = mpd->Host();
    address.port = mpd->Port();
    CMPDMediaReader reader(logger, address, std::make_shared<CMpdPaths>(music.Root()), GetParam());
    CCollectingOwner owner;
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);

    const size_t storedPlaylists = 2;
    EXPECT_EQ(owner.added, static_cast<int>(music.Tracks().size() + storedPlaylists));
    ASSERT_EQ(owner.tracks.size(), music.Tracks().size());
    struct Expected {
        const char* key;
        const char* name;
        const char* artist;
        const char* album;
        const char* genre;
        const char* track;
    };
    const Expected expected[] = {
        {"Opening", "Opening", "The Rollers", "First Light", "Rock", "01"},
        {"Second Wind", "Second Wind", "The Rollers", "First Light", "Rock", "02"},
        {"Granite", "Granite", "Basalt", "Stone Age", "Rock", "05"},
        {"Late Set", "Late Set", "Mira Quartet", "Blue Rooms", "Jazz", "02"},
        {"Straße", "Straße", "Kōji Ōta", "Über Wellen", "Electronic", "03"},
        {"misc/field recording.mp3", "field recording.mp3", "Unknown Artist", "Unknown Album",
         "Unknown Genre", ""},
    };
    for (const auto& e : expected) {
        const std::string path = music.AbsolutePath(music.Find(e.key));
        ASSERT_EQ(owner.tracks.count(path), 1u) << path;
        const CMusicItem& t = owner.tracks[path];
        EXPECT_EQ(t.mediaType, kMediaMusic);
        EXPECT_EQ(t.name, e.name);
        EXPECT_EQ(t.artist, e.artist);
        EXPECT_EQ(t.album, e.album);
        EXPECT_EQ(t.genre, e.genre);
        EXPECT_EQ(t.trackNumber, e.track);
        EXPECT_EQ(t.length, 30);
    }
    std::sort(owner.playlists.begin(), owner.playlists.end());
    EXPECT_EQ(owner.playlists, (std::vector<std::string>{"Quiet Evening", "Road Trip"}));
}

INSTANTIATE_TEST_SUITE_P(Windows, MpdMediaReaderTest, ::testing::Values(1000u, 3u));

// MPD keeps its database until told to look at the music folder again: a rescan does that
// and returns once MPD has, so the next read sees the new file.
TEST(MpdMediaReaderRescan, ARescanMakesMpdFindANewFileBeforeTheNextRead) {
    test::CTempFolder music("vantor-mpd-rescan");
    const std::string playlists = music.Path() + "/.playlists";
    ASSERT_EQ(mkdir(playlists.c_str(), 0755), 0);
    ASSERT_TRUE(test::RunCommand(test::ToneCommand(330, 1, music.Path() + "/first.mp3")));
    CMpdInstance mpd(music.Path(), playlists);
    ASSERT_TRUE(mpd.Start(1)) << mpd.Log();
    CLogger logger;
    CMpdAddress address;
    address.host = mpd.Host();
    address.port = mpd.Port();
    CMPDMediaReader reader(logger, address, std::make_shared<CMpdPaths>(music.Path()));
    CCollectingOwner owner;
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);
    EXPECT_EQ(owner.tracks.size(), 1u);

    ASSERT_TRUE(test::RunCommand(test::ToneCommand(440, 1, music.Path() + "/second.mp3")));
    owner.tracks.clear();
    ASSERT_EQ(reader.Read(), 0);
    EXPECT_EQ(owner.tracks.size(), 1u);  // MPD has not looked yet
    ASSERT_EQ(reader.Rescan(), 0);
    owner.tracks.clear();
    ASSERT_EQ(reader.Read(), 0);
    EXPECT_EQ(owner.tracks.size(), 2u);
    EXPECT_EQ(owner.tracks.count(music.Path() + "/second.mp3"), 1u);
    mpd.Stop();
    EXPECT_EQ(reader.Rescan(), -1);
}

TEST(MpdMediaReaderFailure, AnswersMinusOneWhenMpdIsNotThere) {
    CLogger logger;
    CMpdAddress address;
    address.port = test::FindFreePort();
    CMPDMediaReader reader(logger, address, nullptr);
    CCollectingOwner owner;
    reader.SetOwner(&owner);
    EXPECT_EQ(reader.Read(), -1);
    EXPECT_EQ(owner.added, 0);
}

}  // namespace
}  // namespace vantor
