#include "tests/server/library/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace vantor {
namespace {

using test::StoreFixture;
using test::Track;

TEST(SQLiteMDSStore, CreatesTheSchemaStatementByStatement) {
    StoreFixture f;
    const std::vector<std::string> expected = {
        "table|media_index|CREATE TABLE media_index(id INTEGER PRIMARY KEY, type INTEGER)",
        "table|info|create table info(lastUpdated INTEGER, libVersion FLOAT)",
        "table|playlists|create table playlists(id INTEGER PRIMARY KEY, parent INTEGER, folder "
        "INTEGER, name VARCHAR(256), path VARCHAR(500))",
        "table|radio_stations|create table radio_stations(id INTEGER PRIMARY KEY, parent INTEGER, "
        "folder INTEGER, name VARCHAR(256), path VARCHAR(500))",
        "table|audio_genres|create table audio_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), "
        "sort_name VARCHAR(50))",
        "table|audio_artists|create table audio_artists(id INTEGER PRIMARY KEY, name VARCHAR(100), "
        "sort_name VARCHAR(100))",
        "table|audio_albums|create table audio_albums(id INTEGER PRIMARY KEY, name VARCHAR(100), "
        "sort_name VARCHAR(100))",
        "table|audio_genre_artists|create table audio_genre_artists(genre INTEGER, artist INTEGER)",
        "table|audio_genre_albums|create table audio_genre_albums(genre INTEGER, album INTEGER)",
        "table|audio_artist_albums|create table audio_artist_albums(artist INTEGER, album INTEGER)",
        "table|audio_tracks|create table audio_tracks(id INTEGER PRIMARY KEY, genre INTEGER, "
        "artist "
        "INTEGER, album INTEGER, title VARCHAR(255), sort_title VARCHAR(255), tracknum "
        "VARCHAR(10), path VARCHAR(500))",
        "table|video_genres|create table video_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), "
        "sort_name VARCHAR(50))",
        "table|videos|create table videos(id INTEGER PRIMARY KEY, genre INTEGER, title "
        "VARCHAR(255), sort_title VARCHAR(255), path VARCHAR(500))",
        "table|tv_genres|create table tv_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), "
        "sort_name "
        "VARCHAR(50))",
        "table|tv_series|create table tv_series(id INTEGER PRIMARY KEY, name VARCHAR(100), "
        "sort_name VARCHAR(100))",
        "table|tv_shows|create table tv_shows(id INTEGER PRIMARY KEY, genre INTEGER, series "
        "INTEGER, title VARCHAR(255), sort_title VARCHAR(255), description VARCHAR(500), "
        "recordtime VARCHAR(255), channel VARCHAR(100), channelname VARCHAR(255), rating "
        "VARCHAR(255), path VARCHAR(500))",
    };
    // The library keeps each statement's text but writes its first two words in capitals.
    std::vector<std::string> stored =
        f.Rows("select type, name, sql from sqlite_master order by rowid;");
    for (std::string& row : stored) {
        size_t at = row.find("CREATE TABLE");
        if (at != std::string::npos && row.find("media_index") == std::string::npos) {
            row.replace(at, 12, "create table");
        }
    }
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(f.Rows("select lastUpdated, libVersion from info;"),
              (std::vector<std::string>{"0|3.1"}));

    // No index before a fill ends; the sixteen afterwards, in order, then the ones that let
    // listings and lookups by album, artist, genre, path and parent skip the scan, and the
    // search's.
    f.Fill({Track("a", "b", "c", "d")});
    const std::vector<std::string> indexes = {
        "audio_genre_names|audio_genres|(name)",
        "audio_artist_names|audio_artists|(name)",
        "audio_album_names|audio_albums|(name)",
        "audio_track_titles|audio_tracks|(title)",
        "audio_genre_sort_names|audio_genres|(sort_name)",
        "audio_artist_sort_names|audio_artists|(sort_name)",
        "audio_album_sort_names|audio_albums|(sort_name)",
        "audio_track_sort_titles|audio_tracks|(sort_title)",
        "audio_ga_g|audio_genre_artists|(genre)",
        "audio_ga_a|audio_genre_artists|(artist)",
        "audio_gb_g|audio_genre_albums|(genre)",
        "audio_gb_b|audio_genre_albums|(album)",
        "audio_ab_a|audio_artist_albums|(artist)",
        "audio_ab_b|audio_artist_albums|(album)",
        "playlist_names|playlists|(name)",
        "radio_names|radio_stations|(name)",
        "audio_track_albums|audio_tracks|(album)",
        "audio_track_artists|audio_tracks|(artist)",
        "audio_track_genres|audio_tracks|(genre)",
        "audio_track_paths|audio_tracks|(path)",
        "video_genre_ids|videos|(genre)",
        "tv_show_series|tv_shows|(series)",
        "playlist_parents|playlists|(parent)",
        "radio_parents|radio_stations|(parent)",
        "search_rows_key|search_rows|(key_hash)",  // the search's exact names
    };
    EXPECT_EQ(f.Rows("select name, tbl_name, substr(sql, instr(sql, '(')) from sqlite_master "
                     "where type = 'index' order by rowid;"),
              indexes);
    auto plan = [&f](const std::string& query) {
        std::string text;
        for (const std::string& row : f.Rows("explain query plan " + query)) text += row + "\n";
        return text;
    };
    EXPECT_NE(plan("SELECT id, title FROM audio_tracks WHERE album = 1 AND artist = 2 ORDER BY "
                   "tracknum, sort_title").find("USING INDEX audio_track_"),
              std::string::npos);
    EXPECT_NE(plan("SELECT audio_tracks.id FROM audio_tracks, audio_artists, audio_albums WHERE "
                   "audio_tracks.path = 'x' AND audio_artists.id = audio_tracks.artist AND "
                   "audio_albums.id = audio_tracks.album;")
                  .find("USING INDEX audio_track_paths"),
              std::string::npos);
}

TEST(SQLiteMDSStore, ApostrophesAreStoredIntact) {
    StoreFixture f;
    f.store.BeginUpdate();
    f.store.AddAudioTrack(Track("Don't Stop", "Guns 'n' Roses", "Rock 'n' Roll", "Rock", "01",
                                "/music/o'brien/don't.mp3"));
    CVideoItem video;
    video.name = "Singin' in the Rain";
    video.path = "/films/singin' in the rain.mkv";
    video.genre = "Musical's";
    EXPECT_EQ(f.store.AddVideo(video), 0);
    CTVItem show;
    show.name = "Who's Line";
    show.series = "Whose Line Is It Anyway?";
    show.description = "it's improv";
    show.path = "/tv/who's line.mkv";
    EXPECT_EQ(f.store.AddTVShow(show), 0);
    auto playlist = test::Playlist("Rock 'n' Roll Classics");
    playlist->path = "/playlists/rock 'n' roll.m3u";
    EXPECT_EQ(f.store.AddPlaylist(*playlist), 0);
    f.store.EndUpdate();

    CMusicItem track;
    EXPECT_EQ(f.store.GetAudioTrackByPath("/music/o'brien/don't.mp3", track), 0);
    EXPECT_EQ(track.name, "Don't Stop");
    EXPECT_EQ(track.artist, "Guns 'n' Roses");
    EXPECT_EQ(track.album, "Rock 'n' Roll");

    CVideoItem readVideo;
    EXPECT_EQ(f.store.GetVideo(2, readVideo), 0);
    EXPECT_EQ(readVideo.name, "Singin' in the Rain");
    EXPECT_EQ(readVideo.path, "/films/singin' in the rain.mkv");
    CTVItem readShow;
    EXPECT_EQ(f.store.GetTVShow(3, readShow), 0);
    EXPECT_EQ(readShow.name, "Who's Line");
    EXPECT_EQ(readShow.description, "it's improv");
    EXPECT_EQ(readShow.path, "/tv/who's line.mkv");
    CPlaylistItem readPlaylist;
    EXPECT_EQ(f.store.GetPlaylist(4, readPlaylist), 0);
    EXPECT_EQ(readPlaylist.name, "Rock 'n' Roll Classics");
    EXPECT_EQ(readPlaylist.path, "/playlists/rock 'n' roll.m3u");
    EXPECT_EQ(f.store.GetItemId(kMediaAlbum, "Rock 'n' Roll"), 1);
}

TEST(SQLiteMDSStore, SharedNamesAndRelationsAreAddedOnce) {
    StoreFixture f;
    f.Fill({Track("One", "Artist", "Album", "Rock", "01"),
            Track("Two", "Artist", "Album", "Rock", "02"),
            Track("Three", "artist", "Album", "Rock", "03")});
    // Case matters for identity, not for sorting.
    EXPECT_EQ(f.Rows("select id, name, sort_name from audio_artists order by id;"),
              (std::vector<std::string>{"1|Artist|artist", "2|artist|artist"}));
    EXPECT_EQ(f.One("select count(*) from audio_albums;"), "1");
    EXPECT_EQ(f.One("select count(*) from audio_genres;"), "1");
    EXPECT_EQ(f.Rows("select * from audio_genre_artists;"),
              (std::vector<std::string>{"1|1", "1|2"}));
    EXPECT_EQ(f.Rows("select * from audio_genre_albums;"), (std::vector<std::string>{"1|1"}));
    EXPECT_EQ(f.Rows("select * from audio_artist_albums;"),
              (std::vector<std::string>{"1|1", "2|1"}));
    EXPECT_EQ(f.Rows("select id, genre, artist, album, title, sort_title, tracknum from "
                     "audio_tracks order by id;"),
              (std::vector<std::string>{"1|1|1|1|One|one|01", "2|1|1|1|Two|two|02",
                                        "3|1|2|1|Three|three|03"}));
    EXPECT_EQ(f.Rows("select * from media_index;"),
              (std::vector<std::string>{"1|1", "2|1", "3|1"}));
}

TEST(SQLiteMDSStore, NamesInOtherScriptsKeepTheirTextAndSortLowerCased) {
    StoreFixture f;
    f.Fill({Track("a", "Ωmega", "x", "g"), Track("b", "Ёлка", "x", "g"),
            Track("c", "東京", "x", "g"), Track("d", "The Beatles", "x", "g"),
            Track("e", "  The  ", "x", "g"), Track("f", "ÉCOLE", "x", "g"),
            Track("g", "alpha", "x", "g")});
    EXPECT_EQ(
        f.Rows("select name, sort_name from audio_artists order by id;"),
        (std::vector<std::string>{"Ωmega|ωmega", "Ёлка|ёлка", "東京|東京", "The Beatles|beatles",
                                  "  The  |the", "ÉCOLE|école", "alpha|alpha"}));
    StringArray artists;
    int32_t total = 0;
    ASSERT_EQ(f.store.GetAudioArtists(artists, -1, 0, -1, &total), 0);
    EXPECT_EQ(artists,
              (StringArray{"alpha", "The Beatles", "  The  ", "ÉCOLE", "Ωmega", "Ёлка", "東京"}));
    EXPECT_EQ(total, 7);
}

TEST(SQLiteMDSStore, PlaylistTreesGetDepthFirstIdsAndEmptyFoldersAreLeaves) {
    StoreFixture f;
    std::vector<std::unique_ptr<CPlaylistItem>> inner;
    inner.push_back(test::Playlist("Deep"));
    std::vector<std::unique_ptr<CPlaylistItem>> children;
    children.push_back(test::Playlist("Sub", std::move(inner)));
    children.push_back(test::Playlist("Leaf"));
    auto folder = test::Playlist("Folder", std::move(children));
    auto empty = test::Playlist("Empty folder");
    f.store.BeginUpdate();
    EXPECT_EQ(f.store.AddPlaylist(*folder), 0);
    EXPECT_EQ(f.store.AddPlaylist(*empty), 0);
    CRadioStationItem station;
    station.name = "Jazz";
    auto smooth = std::make_unique<CRadioStationItem>();
    smooth->name = "Smooth FM";
    smooth->path = "http://radio.invalid/smooth";
    station.children.push_back(std::move(smooth));
    EXPECT_EQ(f.store.AddRadioStation(station), 0);
    f.store.EndUpdate();

    EXPECT_EQ(f.Rows("select id, parent, folder, name from playlists order by id;"),
              (std::vector<std::string>{"1|-1|1|Folder", "2|1|1|Sub", "3|2|0|Deep", "4|1|0|Leaf",
                                        "5|-1|0|Empty folder"}));
    EXPECT_EQ(
        f.Rows("select id, parent, folder, name, path from radio_stations order by id;"),
        (std::vector<std::string>{"6|-1|1|Jazz|", "7|6|0|Smooth FM|http://radio.invalid/smooth"}));
    EXPECT_EQ(f.Rows("select * from media_index order by id;"),
              (std::vector<std::string>{"1|5", "2|5", "3|4", "4|4", "5|4", "6|8", "7|7"}));
    EXPECT_EQ(f.store.GetFolderId(kMediaPlaylistFolder, "Sub", 1), 2);
    EXPECT_EQ(f.store.GetFolderId(kMediaPlaylistFolder, "Sub", -1), -1);
    EXPECT_EQ(f.store.GetFolderId(kMediaRadioFolder, "Jazz", -1), 6);
}

TEST(SQLiteMDSStore, AFailedMediaIndexInsertConsumesAnId) {
    StoreFixture f;
    {
        // Occupy the id the next track would get.
        CppSQLiteConnection db;
        db.Open(f.store.GetPath());
        db.ExecDML("insert into media_index values (1, 2);");
    }
    f.store.BeginUpdate();
    EXPECT_EQ(f.store.AddAudioTrack(Track("First", "a", "b", "c")), -1);
    EXPECT_EQ(f.store.AddAudioTrack(Track("Second", "a", "b", "c")), 0);
    f.store.EndUpdate();
    EXPECT_TRUE(f.log.sink.Contains(
        "CSQLiteMDS: Error adding media index entry track: SQLITE_CONSTRAINT[19]"));
    EXPECT_EQ(f.Rows("select id, title from audio_tracks;"),
              (std::vector<std::string>{"2|Second"}));
}

TEST(SQLiteMDSStore, LookupsOutsideTheirTypesTouchNothing) {
    test::TestLogger log;
    // The folder does not exist: any attempt to open the file would fail and be logged.
    CSQLiteMDS store("/nonexistent-folder-for-vantor/library.db", log.logger);
    for (int32_t type :
         std::vector<int32_t>{kMediaFolder, kMediaMusic, kMediaPlaylist, kMediaInfo, 99}) {
        EXPECT_EQ(store.GetItemId(type, "x"), -1) << type;
    }
    EXPECT_EQ(store.GetFolderId(kMediaPlaylist, "x", -1), -1);
    EXPECT_TRUE(log.sink.Lines().empty());
    EXPECT_EQ(store.GetItemId(kMediaArtist, "x"), -1);
    EXPECT_TRUE(log.sink.Contains("CSQLiteMDS: Error looking up field ID: SQLITE_CANTOPEN[14]: "));
}

TEST(SQLiteMDSStore, AFileThatCannotBeCreatedIsReported) {
    test::TestLogger log;
    CSQLiteMDS store("/nonexistent-folder-for-vantor/library.db", log.logger);
    EXPECT_EQ(store.CreateIfMissing(), -1);
    EXPECT_TRUE(
        log.sink.Contains("CSQLiteMDS: Error creating media database: SQLITE_CANTOPEN[14]: unable "
                          "to open database file"));
    EXPECT_EQ(store.BeginUpdate(), -1);
    EXPECT_TRUE(
        log.sink.Contains("CSQLiteMDS: Error opening media database: SQLITE_CANTOPEN[14]: "));
    EXPECT_EQ(store.AddAudioTrack(Track("a", "b", "c", "d")), -1);
    EXPECT_FALSE(store.HasMediaItems(kMediaMusic));
}

TEST(SQLiteMDSStore, AnExistingFileIsKeptAndFillsFindItsNames) {
    StoreFixture f;
    f.Fill({Track("One", "Artist", "Album", "Rock")});
    CSQLiteMDS again(f.store.GetPath(), f.log.logger);
    again.SetLibraryVersion(3.1f);
    EXPECT_EQ(again.CreateIfMissing(), 0);
    EXPECT_EQ(again.BeginUpdate(), 0);
    // Names already in the file are found, so no second row with the same id is attempted.
    EXPECT_EQ(again.AddAudioTrack(Track("Two", "Artist", "Album", "Rock")), 0);
    EXPECT_EQ(again.EndUpdate(), -1);  // the indexes exist already
    EXPECT_TRUE(f.log.sink.Contains("CSQLiteMDS: Error finishing update: SQLITE_ERROR[1]: index "));
    EXPECT_EQ(f.One("select count(*) from audio_tracks;"), "1");  // nothing committed
}

// Queries keep their connections open between calls; a library renamed over the file
// must still be what the next query reads, and the old file must not be kept open.
TEST(SQLiteMDSStore, QueriesReadTheFileThatReplacedTheOldOne) {
    StoreFixture f;
    f.Fill({Track("Old Song", "Artist", "Album", "Rock")});
    auto titles = [&f](const std::string& text) {
        MediaItemList items;
        EXPECT_EQ(f.store.Search(items, text, 0, -1), 0);
        return test::Names(items);
    };
    EXPECT_EQ(titles("song"), std::vector<std::string>{"Old Song"});
    EXPECT_EQ(f.store.GetItemId(kMediaArtist, "Artist"), 1);

    CSQLiteMDS next(f.folder.File("next.db"), f.log.logger);
    next.SetLibraryVersion(3.1f);
    next.CreateIfMissing();
    next.BeginUpdate();
    next.AddAudioTrack(Track("New Song", "Other", "Other Album", "Pop"));
    next.AddAudioTrack(Track("Newer Song", "Artist", "Album", "Rock"));
    next.EndUpdate();
    ASSERT_EQ(std::rename(next.GetPath().c_str(), f.store.GetPath().c_str()), 0);
    EXPECT_EQ(titles("song"), (std::vector<std::string>{"New Song", "Newer Song"}));
    EXPECT_EQ(f.store.GetItemId(kMediaArtist, "Artist"), 2);

    // Once told, the store holds no connection to any file.
    f.store.ReleaseConnections();
    std::filesystem::path fds("/proc/self/fd");
    int open = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fds)) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        open += !error && target.filename() == "library.db";
    }
    EXPECT_EQ(open, 0);
}

}  // namespace
}  // namespace vantor
