#include "server/library/tree/MediaTree.h"
#include "protocol/ResultCodes.h"
#include "tests/server/library/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using test::Track;

std::unique_ptr<CRadioStationItem> Station(const std::string& name, const std::string& path = "") {
    auto item = std::make_unique<CRadioStationItem>();
    item->name = name;
    item->path = path;
    return item;
}

// A library with every kind of entry.
struct FullLibrary : test::StoreFixture {
    FullLibrary() {
        store.BeginUpdate();
        for (const CMusicItem& track : {Track("Ten", "Alpha", "First", "Rock", "10"),
                                        Track("Two", "Alpha", "First", "Rock", "02"),
                                        Track("Solo", "Alpha", "Second", "Rock", "01"),
                                        Track("Only", "Beta", "Lone", "Rock", "01"),
                                        Track("Other", "Beta", "Lone", "Rock", "02"),
                                        Track("Blue", "Gamma", "Night", "Jazz", "01"),
                                        Track("Ep 1", "Talker", "Show", "Podcast", "00")}) {
            store.AddAudioTrack(track);
        }
        std::vector<std::unique_ptr<CPlaylistItem>> mixes;
        mixes.push_back(test::Playlist("Chill"));
        store.AddPlaylist(*test::Playlist("Mixes", std::move(mixes)));
        store.AddPlaylist(*test::Playlist("Favourites"));
        auto smooth = Station("Smooth");
        smooth->children.push_back(Station("Smooth FM", "http://smooth.invalid/"));
        auto jazz = Station("Jazz");
        jazz->children.push_back(std::move(smooth));
        store.AddRadioStation(*jazz);
        store.AddRadioStation(*Station("News", "http://news.invalid/"));
        CVideoItem film;
        film.name = "Film";
        film.path = "/v/film.mkv";
        store.AddVideo(film);
        CTVItem episode;
        episode.name = "Episode";
        episode.series = "Series";
        episode.path = "/tv/e.mkv";
        store.AddTVShow(episode);
        store.EndUpdate();
    }
};

struct Browse {
    const char* path;
    bool returnAll;
    int32_t start;
    int32_t count;
    int code;
    const char* answeredPath;
    std::vector<std::string> entries;  // "type:name"
    int32_t total;
};

void Check(IMediaDataStore& store, const Browse& b, bool indexing = false) {
    MediaItemList items;
    std::string path = b.path;
    int32_t total = -7;
    int code = BrowseLibrary(store, indexing, items, path, b.returnAll, b.start, b.count, &total);
    std::vector<std::string> entries;
    for (const auto& item : items)
        entries.push_back(std::to_string(item->mediaType) + ":" + item->name);
    EXPECT_EQ(code, b.code) << b.path;
    EXPECT_EQ(path, b.answeredPath) << b.path;
    EXPECT_EQ(entries, b.entries) << b.path;
    EXPECT_EQ(total, b.total) << b.path;
}

TEST(MediaTree, BrowsesEveryState) {
    FullLibrary f;
    using V = std::vector<std::string>;
    const Browse cases[] = {
        {"\\", false, 0, -1, 0, "\\", V{"12:Music", "12:Radio", "12:Videos", "12:TV"}, 4},
        {"\\Music", false, 0, -1, 0, "\\Music",
         V{"12:Genres", "12:Artists", "12:Albums", "12:Podcasts", "12:Playlists", "12:Tracks"}, 6},
        {"\\Music\\Genres", false, 0, -1, 0, "\\Music\\Genres", V{"9:Jazz", "9:Podcast", "9:Rock"},
         3},
        // Artists alone have no "All Tracks" entry; under a genre they do.
        {"\\Music\\Artists", false, 0, -1, 0, "\\Music\\Artists",
         V{"10:Alpha", "10:Beta", "10:Gamma", "10:Talker"}, 4},
        {"\\Music\\Genres\\Rock", false, 0, -1, 0, "\\Music\\Genres\\Rock",
         V{"11:All Tracks", "10:Alpha", "10:Beta"}, 3},
        {"\\Music\\Genres\\Rock", false, 0, 2, 0, "\\Music\\Genres\\Rock",
         V{"11:All Tracks", "10:Alpha"}, 3},
        {"\\Music\\Genres\\Rock", false, 1, 10, 0, "\\Music\\Genres\\Rock",
         V{"10:Alpha", "10:Beta"}, 3},
        {"\\Music\\Genres\\Rock", false, 2, 10, 0, "\\Music\\Genres\\Rock", V{"10:Beta"}, 3},
        {"\\Music\\Genres\\Rock\\Alpha", false, 0, -1, 0, "\\Music\\Genres\\Rock\\Alpha",
         V{"11:All Tracks", "11:First", "11:Second"}, 3},
        // One album: its tracks straight away, under the album's path.
        {"\\Music\\Artists\\Beta", false, 0, -1, 0, "\\Music\\Artists\\Beta\\Lone",
         V{"1:Only", "1:Other"}, 2},
        {"\\Music\\Artists\\Alpha\\First", false, 0, -1, 0, "\\Music\\Artists\\Alpha\\First",
         V{"1:Two", "1:Ten"}, 2},
        {"\\Music\\Genres\\Rock\\All Tracks", false, 0, -1, 0, "\\Music\\Genres\\Rock\\All Tracks",
         V{"1:Only", "1:Other", "1:Solo", "1:Ten", "1:Two"}, 5},
        {"\\Music\\Podcasts", false, 0, -1, 0, "\\Music\\Genres\\Podcast",
         V{"11:All Tracks", "10:Talker"}, 2},
        {"\\Music\\Albums", false, 0, -1, 0, "\\Music\\Albums",
         V{"11:First", "11:Lone", "11:Night", "11:Second", "11:Show"}, 5},
        {"\\Music\\Playlists", false, 0, -1, 0, "\\Music\\Playlists", V{"5:Mixes", "4:Favourites"},
         1},
        {"\\Music\\Playlists\\Mixes", false, 0, -1, 0, "\\Music\\Playlists\\Mixes", V{"4:Chill"},
         1},
        {"\\Radio", false, 0, -1, 0, "\\Radio", V{"8:Jazz", "7:News"}, 1},
        {"\\Radio\\Jazz\\Smooth", false, 0, -1, 0, "\\Radio\\Jazz\\Smooth", V{"7:Smooth FM"}, 1},
        {"\\Videos", false, 0, -1, 0, "\\Videos", V{"2:Film"}, 1},
        {"\\TV", false, 0, -1, 0, "\\TV", V{"13:Series"}, 1},
        {"\\TV\\Series", false, 0, -1, 0, "\\TV\\Series", V{"3:Episode"}, 1},
        {"\\Music\\Search\\blue", false, 0, -1, 0, "\\Music\\Search\\blue", V{"1:Blue"}, 0},
        {"\\Pictures", false, 0, -1, 0, "\\Pictures", V{}, 0},
        {"\\Music\\Genres\\NoSuchGenre", false, 0, -1, 22, "\\Music\\Genres\\NoSuchGenre", V{}, 0},
        {"\\Music\\Genres\\rock", false, 0, -1, 22, "\\Music\\Genres\\rock", V{}, 0},
        {"\\Radio\\Smooth", false, 0, -1, 22, "\\Radio\\Smooth", V{}, 0},
        {"\\Nowhere", false, 0, -1, 22, "\\Nowhere", V{}, 0},
        // Every track below a list, in the list's order.
        {"\\Music", true, 0, -1, 22, "\\Music", V{}, 0},
        {"\\Music\\Albums", true, 0, -1, 0, "\\Music\\Albums",
         V{"1:Two", "1:Ten", "1:Only", "1:Other", "1:Blue", "1:Solo", "1:Ep 1"}, 7},
        {"\\Music\\Genres", true, 0, 3, 0, "\\Music\\Genres", V{"1:Blue", "1:Ep 1", "1:Solo"}, 7},
        {"\\Music\\Artists\\Alpha", true, 0, -1, 0, "\\Music\\Artists\\Alpha",
         V{"1:Solo", "1:Ten", "1:Two"}, 3},
    };
    for (const Browse& b : cases) Check(f.store, b);

    // With the flag, tracks carry their paths.
    MediaItemList items;
    std::string path = "\\Music\\Tracks";
    ASSERT_EQ(BrowseLibrary(f.store, false, items, path, true, 0, 1, nullptr), 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->path, "/music/Gamma/Blue.mp3");
}

TEST(MediaTree, SmallLibrariesShortcutTheRoot) {
    test::StoreFixture musicOnly;
    musicOnly.Fill({Track("Song", "Artist", "Album", "Pop")});
    const std::vector<std::string> music = {"12:Genres", "12:Artists", "12:Albums", "12:Playlists",
                                            "12:Tracks"};
    Check(musicOnly.store, {"", false, 0, -1, 0, "\\Music", music, 5});
    Check(musicOnly.store, {"\\", false, 0, -1, 0, "\\Music", music, 5});

    test::StoreFixture empty;
    Check(empty.store, {"\\", false, 0, -1, kResultLibraryIndexing, "\\", {}, 0}, true);
    Check(empty.store, {"\\", false, 0, -1, 0, "\\", {}, 0}, false);
}

}  // namespace
}  // namespace vantor
