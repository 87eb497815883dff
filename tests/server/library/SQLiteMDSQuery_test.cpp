#include "server/library/store/QueryText.h"
#include "server/library/store/SearchMatch.h"
#include "server/core/ConfigStore.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/StoreTestSupport.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vantor {
namespace {

using test::Names;
using test::StoreFixture;
using test::Track;

// Twelve genres g01..g12, one track each.
struct TwelveGenres : StoreFixture {
    TwelveGenres() {
        std::vector<CMusicItem> tracks;
        for (int i = 1; i <= 12; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "g%02d", i);
            tracks.push_back(Track(std::string("t") + name, "artist", "album", name));
        }
        Fill(tracks);
    }
};

TEST(SQLiteMDSQuery, PagesAndTotals) {
    TwelveGenres f;
    struct Case {
        int32_t start, count;
        size_t rows;
        const char* first;
    };
    const Case cases[] = {{0, -1, 12, "g01"}, {5, 10, 7, "g06"},  {20, 10, 0, ""},
                          {0, 3, 3, "g01"},   {11, -1, 1, "g12"}, {-3, -1, 12, "g01"}};
    for (const Case& c : cases) {
        StringArray genres{"stale"};
        int32_t total = -5;
        ASSERT_EQ(f.store.GetAudioGenres(genres, c.start, c.count, &total), 0);
        EXPECT_EQ(genres.size(), c.rows) << c.start << "," << c.count;
        EXPECT_EQ(total, 12) << c.start << "," << c.count;
        if (c.rows > 0) {
            EXPECT_EQ(genres.front(), c.first);
        }
        MediaItemList tracks;
        total = -5;
        ASSERT_EQ(f.store.GetAudioTracks(tracks, false, -1, -1, -1, c.start, c.count, &total), 0);
        EXPECT_EQ(tracks.size(), c.rows);
        EXPECT_EQ(total, 12);
    }
    StringArray none;
    EXPECT_EQ(f.store.GetAudioGenres(none, 5, 10, nullptr), 0);
    EXPECT_EQ(none.size(), 7u);
}

TEST(SQLiteMDSQuery, CountingRewrite) {
    struct Case {
        const char* query;
        const char* counted;
    };
    const Case cases[] = {
        {"SELECT id, title FROM videos WHERE 1 ORDER BY sort_title LIMIT 20,10;",
         "SELECT COUNT(*) FROM videos WHERE 1 ORDER BY sort_title LIMIT 1;"},
        {"SELECT * FROM audio_genres WHERE 1 ORDER BY sort_name;",
         "SELECT COUNT(*) FROM audio_genres WHERE 1 ORDER BY sort_name LIMIT 1;"},
        {"SELECT a.name FROM x, a WHERE 1", "SELECT COUNT(*) FROM x, a WHERE 1 LIMIT 1;"},
        {"SELECT id FROM t LIMIT 5,5", ""},  // limit not closed by ';'
        {"select id from t;", ""},           // no upper-case SELECT
        {"SELECT id, title from t;", ""},    // no " FROM"
    };
    for (const Case& c : cases) EXPECT_EQ(MakeCountQuery(c.query), c.counted) << c.query;

    StoreFixture f;
    f.Fill({Track("a", "b", "c", "d"), Track("e", "f", "g", "h")});
    EXPECT_EQ(
        f.store.GetTotalCountFromQuery("SELECT id, title FROM audio_tracks WHERE 1 LIMIT 0,1;"), 2);
    EXPECT_EQ(f.store.GetTotalCountFromQuery("SELECT id FROM nowhere WHERE 1;"), -1);
    EXPECT_TRUE(
        f.log.sink.Contains("CSQLiteMDS: Error calling GetTotalCountFromQuery: SQLITE_ERROR[1]"));
}

struct SearchLibrary : StoreFixture {
    SearchLibrary() {
        store.BeginUpdate();
        store.AddAudioTrack(Track("Love Me Do", "The Beatles", "Please Please Me", "Rock"));
        store.AddAudioTrack(Track("I Will Always Love You", "Whitney", "Bodyguard", "Soul"));
        store.AddAudioTrack(Track("You Love", "Lovers", "Lovely", "Pop"));
        std::vector<std::unique_ptr<CPlaylistItem>> children;
        children.push_back(test::Playlist("love songs"));
        auto folder = test::Playlist("Love folder", std::move(children));
        store.AddPlaylist(*folder);
        store.EndUpdate();
    }
    std::vector<std::string> Found(const std::string& text, int32_t start = 0, int32_t count = -1) {
        MediaItemList items;
        EXPECT_EQ(store.Search(items, text, start, count), 0);
        std::vector<std::string> found;
        for (const auto& item : items) {
            found.push_back(std::to_string(item->mediaType) + ":" + std::to_string(item->id) + ":" +
                            item->name);
        }
        return found;
    }
};

TEST(SQLiteMDSQuery, SearchMatchesEveryWordAnywhere) {
    SearchLibrary f;
    const std::vector<std::string> loveYou = {"1:2:I Will Always Love You", "1:3:You Love"};
    EXPECT_EQ(f.Found("love you"), loveYou);
    EXPECT_EQ(f.Found("  LOVE  you  "), loveYou);
    // A title equal to the whole text comes before the others.
    EXPECT_EQ(f.Found("you love"),
              (std::vector<std::string>{"1:3:You Love", "1:2:I Will Always Love You"}));
    EXPECT_EQ(f.Found("lovely"), (std::vector<std::string>{"11:-1:Lovely"}));
    EXPECT_EQ(f.Found("nothing like this"), std::vector<std::string>{});
    EXPECT_EQ(f.Found("o'brien"), std::vector<std::string>{});  // quote escaped, not an error
    const std::vector<std::string> all = f.Found("love");
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(f.Found("love", 1, 2), std::vector<std::string>(all.begin() + 1, all.begin() + 3));
    EXPECT_EQ(f.Found("love", -4, 1), std::vector<std::string>(all.begin(), all.begin() + 1));
    EXPECT_EQ(BuildSearchClause("name", "love you"),
              "( (name LIKE '%love%') AND (name LIKE '%you%') ) ");
    EXPECT_EQ(NormalizeSearchText("  a  b   c "), "a b  c");
}

// Names as users type them: without accents, in any case. A name equal to the text comes
// first, then names that contain it as typed, then those that match only without accents.
TEST(SQLiteMDSQuery, SearchIgnoresCaseAndAccentsWithExactNamesFirst) {
    StoreFixture f;
    f.Fill({Track("Jóga", "Björk", "Homogenic", "Electronic"),
            Track("Bjork Covers Live", "Various", "Tributes", "Pop"),
            Track("Straße", "Kōji Ōta", "Über Wellen", "Electronic"),
            Track("A Night with Ota", "Ota", "Live", "Jazz")});
    auto found = [&](const std::string& text) {
        MediaItemList items;
        EXPECT_EQ(f.store.Search(items, text, 0, -1), 0);
        std::vector<std::string> names;
        for (const auto& item : items) names.push_back(item->name);
        return names;
    };
    EXPECT_EQ(found("bjork"), (std::vector<std::string>{"Björk", "Bjork Covers Live"}));
    EXPECT_EQ(found("BJÖRK"), (std::vector<std::string>{"Björk", "Bjork Covers Live"}));
    EXPECT_EQ(found("strasse"), (std::vector<std::string>{"Straße"}));
    EXPECT_EQ(found("uber"), (std::vector<std::string>{"Über Wellen"}));
    EXPECT_EQ(found("koji ota"), (std::vector<std::string>{"Kōji Ōta"}));
    EXPECT_EQ(found("ota"), (std::vector<std::string>{"Ota", "A Night with Ota", "Kōji Ōta"}));
    EXPECT_EQ(found("joga"), (std::vector<std::string>{"Jóga"}));
    EXPECT_EQ(found("J_GA"), (std::vector<std::string>{"Jóga"}));  // "_" is still any letter

    EXPECT_EQ(SearchKey("Ærøskøbing ŒUVRE Łódź ÞING"), "aeroskobing oeuvre lodz thing");
    EXPECT_EQ(SearchKey("Bjo\xcc\x88rk"), "bjork");  // decomposed: o + combining diaeresis
    EXPECT_EQ(SearchKey("ΕΛΛΆΔΑ Ёлка"), "ελλαδα елка");
    EXPECT_EQ(SearchKey("東京 \xff"), "東京 \xff");  // no case, no accents; bad bytes kept
}

// Searches answered through the search index give exactly what reading every name gives:
// the same items in the same order, page by page, on a generated library with accents,
// CJK and Cyrillic names, plus names with "%", "_" and quotes in them.
TEST(SQLiteMDSQuery, SearchIndexAnswersAsReadingEveryNameDoes) {
    test::TempFolder folder;
    tools::ITunesLibraryOptions options;
    options.tracks = 3000;
    const std::string file = folder.File("library.xml");
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, file));
    StoreFixture f;
    struct : IMediaReaderOwner {
        void AddItem(const CMediaItem& item) override {
            if (auto* track = dynamic_cast<const CMusicItem*>(&item)) store->AddAudioTrack(*track);
            if (auto* list = dynamic_cast<const CPlaylistItem*>(&item)) store->AddPlaylist(*list);
        }
        void StartUpdate() override {}
        CSQLiteMDS* store = nullptr;
    } owner;
    owner.store = &f.store;
    test::TestLogger log;
    CConfigStore config(folder.Path());
    CITunesMediaReader reader(log.logger, config, file);
    reader.SetOwner(&owner);
    f.store.BeginUpdate();
    ASSERT_EQ(reader.Read(), 0);
    for (const char* title : {"100% Pure", "snake_case song", "50%_off Night", "Don't \"Stop\"",
                              "東京 Nights 夜", "Ёлка Night", "Night", "NÏGHT", "Café Nights",
                              "Cafe Nights Live", "Café Nights Live", "Late Cafe Nights",
                              "Late Café Nights"}) {
        f.store.AddAudioTrack(Track(title, "Odd Names", "Odd Album", "Rock"));
    }
    f.store.EndUpdate();

    CSQLiteMDS scan(f.store.GetPath(), log.logger);
    scan.UseSearchIndex(false);
    auto search = [](CSQLiteMDS& store, const std::string& text, int start, int count) {
        MediaItemList items;
        EXPECT_EQ(store.Search(items, text, start, count), 0);
        std::vector<std::string> rows;
        for (const auto& item : items) {
            rows.push_back(std::to_string(item->mediaType) + ":" + std::to_string(item->id) +
                           ":" + item->name);
        }
        return rows;
    };
    const char* texts[] = {"night", "NIGHT love", "  night   love ", "bjork", "BJÖRK", "cafe",
                           "café", "naive señor", "strasse", "zurich", "東京", "東京 夜",
                           "tokyo 夜", "ёлка", "ЁЛКА night", "ελλαδα", "rock & roll", "<intro>",
                           "don't", "\"stop\"", "100%", "%", "_", "50%_", "snake_case",
                           "e_c", "mix", "late child", "nothing like this", "ab", "",
                           "ab night", "100% pure", "snake_case song", "東京 nights", "cafe nights"};
    // Pages across the ranks too: "night" and "cafe nights" have exact names, then names
    // as typed, then names that match only once folded.
    const std::pair<int, int> pages[] = {{0, -1}, {0, 50}, {1, 2}, {2, 3}, {7, 13}, {400, 20}};
    size_t found = 0;
    for (const char* text : texts) {
        for (const auto& [start, count] : pages) {
            const auto indexed = search(f.store, text, start, count);
            EXPECT_EQ(indexed, search(scan, text, start, count))
                << "\"" << text << "\" from " << start << ", " << count;
            if (count == -1) found += indexed.size();
        }
    }
    EXPECT_GT(found, 3000u);  // the texts do find things
    // The index is there and filled; words it cannot know are left to the clause.
    EXPECT_NE(f.One("SELECT count(*) FROM search_index WHERE search_index MATCH '\"night\"'"), "0");
    EXPECT_EQ(f.One("SELECT count(*) FROM search_rows"), f.One("SELECT count(*) FROM search_index"));
    EXPECT_EQ(BuildSearchIndexMatch("NIGHT  Björk"), "\"night\" AND \"bjork\"");
    EXPECT_EQ(BuildSearchIndexMatch("ab night 50%_ 東京"), "\"night\"");
    for (const char* text : {"東京", "100%", "snake_case", ""}) {
        EXPECT_EQ(BuildSearchIndexMatch(text), "") << text;
    }
}

TEST(SQLiteMDSQuery, EmptySearchListsEverythingBySortNameNameType) {
    SearchLibrary f;
    // Playlists sort by their exact name (capitals first), others by lower-cased sort names.
    EXPECT_EQ(f.Found("   "),
              (std::vector<std::string>{"5:-1:Love folder", "10:-1:The Beatles", "11:-1:Bodyguard",
                                        "1:2:I Will Always Love You", "1:1:Love Me Do",
                                        "4:5:love songs", "11:-1:Lovely", "10:-1:Lovers",
                                        "11:-1:Please Please Me", "9:-1:Pop", "9:-1:Rock",
                                        "9:-1:Soul", "10:-1:Whitney", "1:3:You Love"}));
}

TEST(SQLiteMDSQuery, TrackFiltersOrderAlbumsByTrackNumberText) {
    StoreFixture f;
    f.Fill({Track("Ten", "A", "Album", "Rock", "10"), Track("Two", "A", "Album", "Rock", "2"),
            Track("One", "A", "Album", "Rock", "1"), Track("Other", "B", "Album", "Rock", "01"),
            Track("Elsewhere", "A", "Second", "Pop", "1")});
    int32_t artist = f.store.GetItemId(kMediaArtist, "A");
    int32_t album = f.store.GetItemId(kMediaAlbum, "Album");
    MediaItemList tracks;
    ASSERT_EQ(f.store.GetAudioTracks(tracks, true, -1, artist, album, 0, -1, nullptr), 0);
    EXPECT_EQ(Names(tracks), (std::vector<std::string>{"One", "Ten", "Two"}));
    EXPECT_EQ(tracks.front()->path, "/music/A/One.mp3");
    EXPECT_EQ(tracks.front()->mediaType, kMediaMusic);
    ASSERT_EQ(f.store.GetAudioTracks(tracks, false, -1, artist, -1, 0, -1, nullptr), 0);
    EXPECT_EQ(Names(tracks), (std::vector<std::string>{"Elsewhere", "One", "Ten", "Two"}));
    EXPECT_TRUE(tracks.front()->path.empty());
    ASSERT_EQ(f.store.GetAudioTracks(tracks, false, f.store.GetItemId(kMediaGenre, "Rock"), -1,
                                     album, 0, -1, nullptr),
              0);
    EXPECT_EQ(Names(tracks), (std::vector<std::string>{"Other", "One", "Ten", "Two"}));

    StringArray albums;
    ASSERT_EQ(f.store.GetAudioAlbums(albums, f.store.GetItemId(kMediaGenre, "Pop"), artist, 0, -1,
                                     nullptr),
              0);
    EXPECT_EQ(albums, (StringArray{"Second"}));
    ASSERT_EQ(f.store.GetAllAudioTracks(tracks, kMediaAlbum, 0, -1, nullptr), 0);
    EXPECT_EQ(Names(tracks), (std::vector<std::string>{"Other", "One", "Ten", "Two", "Elsewhere"}));
}

TEST(SQLiteMDSQuery, MediaItemsByIdAndKind) {
    StoreFixture f;
    f.store.BeginUpdate();
    f.store.AddAudioTrack(Track("Song", "Singer", "Record", "Pop"));
    std::vector<std::unique_ptr<CPlaylistItem>> children;
    children.push_back(test::Playlist("Inner"));
    f.store.AddPlaylist(*test::Playlist("Outer", std::move(children)));
    f.store.EndUpdate();

    std::unique_ptr<CMediaItem> item;
    ASSERT_EQ(f.store.GetMediaItem(1, item), 0);
    auto* track = dynamic_cast<CMusicItem*>(item.get());
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->artist, "Singer");
    EXPECT_EQ(track->album, "Record");
    EXPECT_EQ(f.store.GetMediaItem(2, item), -1);  // a playlist folder
    EXPECT_EQ(item, nullptr);
    ASSERT_EQ(f.store.GetMediaItem(3, item), 0);
    EXPECT_EQ(item->name, "Inner");
    EXPECT_EQ(f.store.GetMediaItem(99, item), -1);
    EXPECT_EQ(f.store.GetMediaItemType(2), kMediaPlaylistFolder);
    EXPECT_EQ(f.store.GetMediaItemType(99), 0);

    CMusicItem missing;
    EXPECT_EQ(f.store.GetAudioTrackByPath("/not/there.mp3", missing), 0);
    EXPECT_EQ(missing.id, -1);

    EXPECT_TRUE(f.store.HasMediaItems(kMediaMusic));
    EXPECT_TRUE(f.store.HasMediaItems(kMediaPlaylist));
    EXPECT_FALSE(f.store.HasMediaItems(kMediaVideo));
    EXPECT_FALSE(f.store.HasMediaItems(kMediaPhoto));
}

TEST(SQLiteMDSQuery, FailedListsLogTheirOperation) {
    test::TestLogger log;
    test::TempFolder folder;
    CSQLiteMDS store(folder.File("empty.db"), log.logger);  // no tables
    StringArray names;
    MediaItemList items;
    EXPECT_EQ(store.GetAudioGenres(names, 0, -1, nullptr), -1);
    EXPECT_EQ(store.GetTVShows(items, 3, 0, 10, nullptr), -1);
    EXPECT_EQ(store.Search(items, "x", 0, -1), -1);
    EXPECT_TRUE(log.sink.Contains(
        "CSQLiteMDS: Error loading string array: SQLITE_ERROR[1]: no such table"));
    EXPECT_TRUE(
        log.sink.Contains("ERROR: FillStringArray() failed for CSQLiteMDS::GetAudioGenres()"));
    EXPECT_TRUE(
        log.sink.Contains("ERROR: FillResultArrayFromQuery() failed for CSQLiteMDS::GetTVShows()"));
    EXPECT_TRUE(log.sink.Contains("CSQLiteMDS: Error searching audio (x): "));
}

}  // namespace
}  // namespace vantor
