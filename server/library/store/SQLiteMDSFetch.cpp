#include "server/library/store/SQLiteMDS.h"

#include "server/core/Logger.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/SearchMatch.h"

#include <utility>

namespace vantor {

namespace {

int32_t ToInt32(const std::string& text) {
    return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

const char* const kTrackFetchHead =
    "SELECT audio_tracks.id, audio_artists.name, audio_albums.name, audio_tracks.title, "
    "audio_tracks.path, audio_tracks.tracknum FROM audio_tracks, audio_artists, audio_albums "
    "WHERE ";
const char* const kTrackFetchTail =
    " AND audio_artists.id = audio_tracks.artist AND audio_albums.id = audio_tracks.album;";

void ReadTrackRow(const CppSQLiteCursor& cursor, CMusicItem& track) {
    track.id = ToInt32(cursor.FieldValue(0));
    track.mediaType = kMediaMusic;
    track.artist = cursor.FieldValue(1);
    track.album = cursor.FieldValue(2);
    track.name = cursor.FieldValue(3);
    track.path = cursor.FieldValue(4);
    track.trackNumber = cursor.FieldValue(5);
}

}  // namespace

int CSQLiteMDS::GetAudioTrack(int32_t id, CMusicItem& track) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor = connection.ExecQuery(
            std::string(kTrackFetchHead) + FormatSql("audio_tracks.id = %d", id) + kTrackFetchTail);
        if (!cursor.Eof()) ReadTrackRow(cursor, track);
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching audio track (%d): ", id), e);
        return -1;
    }
}

int CSQLiteMDS::GetAudioTrackByPath(const std::string& path, CMusicItem& track) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor =
            connection.ExecQuery(std::string(kTrackFetchHead) + "audio_tracks.path = '" +
                                 EscapeQuotes(path) + "'" + kTrackFetchTail);
        if (!cursor.Eof()) ReadTrackRow(cursor, track);
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching audio track (%s): ", path.c_str()), e);
        return -1;
    }
}

int CSQLiteMDS::GetPlaylist(int32_t id, CPlaylistItem& playlist) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor =
            connection.ExecQuery(FormatSql("SELECT name, path FROM playlists WHERE id = %d;", id));
        if (!cursor.Eof()) {
            playlist.id = id;
            playlist.name = cursor.FieldValue(0);
            playlist.path = cursor.FieldValue(1);
        }
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching playlist (%d): ", id), e);
        return -1;
    }
}

int CSQLiteMDS::GetRadioStation(int32_t id, CRadioStationItem& station) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor = connection.ExecQuery(
            FormatSql("SELECT name, path FROM radio_stations WHERE id = %d;", id));
        if (!cursor.Eof()) {
            station.id = id;
            station.name = cursor.FieldValue(0);
            station.path = cursor.FieldValue(1);
        }
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching radio station (%d): ", id), e);
        return -1;
    }
}

int CSQLiteMDS::GetVideo(int32_t id, CVideoItem& video) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor = connection.ExecQuery(
            FormatSql("SELECT videos.title, videos.path FROM videos WHERE videos.id = %d;", id));
        if (!cursor.Eof()) {
            video.id = id;
            video.name = cursor.FieldValue(0);
            video.path = cursor.FieldValue(1);
        }
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching video (%d): ", id), e);
        return -1;
    }
}

int CSQLiteMDS::GetTVShow(int32_t id, CTVItem& show) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor = connection.ExecQuery(FormatSql(
            "SELECT tv_series.name, tv_shows.title, tv_shows.description, tv_shows.recordtime, "
            "tv_shows.channel, tv_shows.channelname, tv_shows.rating, tv_shows.path FROM "
            "tv_shows, tv_series WHERE tv_shows.id = %d AND tv_series.id = tv_shows.series;",
            id));
        if (!cursor.Eof()) {
            show.id = id;
            show.series = cursor.FieldValue(0);
            show.name = cursor.FieldValue(1);
            show.description = cursor.FieldValue(2);
            show.recordTime = cursor.FieldValue(3);
            show.channel = cursor.FieldValue(4);
            show.channelName = cursor.FieldValue(5);
            show.parentalRating = cursor.FieldValue(6);
            show.path = cursor.FieldValue(7);
        }
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error fetching TV show (%d): ", id), e);
        return -1;
    }
}

int32_t CSQLiteMDS::GetMediaItemType(int32_t id) {
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor =
            connection.ExecQuery(FormatSql("SELECT type FROM media_index WHERE id = %d;", id));
        return cursor.Eof() ? 0 : ToInt32(cursor.FieldValue(0));
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error looking up media item type (%d): ", id), e);
        return -1;
    }
}

int CSQLiteMDS::GetMediaItem(int32_t id, std::unique_ptr<CMediaItem>& out) {
    out.reset();
    switch (GetMediaItemType(id)) {
        case kMediaMusic: {
            auto track = std::make_unique<CMusicItem>();
            int result = GetAudioTrack(id, *track);
            out = std::move(track);
            return result;
        }
        case kMediaVideo: {
            auto video = std::make_unique<CVideoItem>();
            int result = GetVideo(id, *video);
            out = std::move(video);
            return result;
        }
        case kMediaTV: {
            auto show = std::make_unique<CTVItem>();
            int result = GetTVShow(id, *show);
            out = std::move(show);
            return result;
        }
        case kMediaPlaylist: {
            auto playlist = std::make_unique<CPlaylistItem>();
            int result = GetPlaylist(id, *playlist);
            out = std::move(playlist);
            return result;
        }
        case kMediaRadio: {
            auto station = std::make_unique<CRadioStationItem>();
            int result = GetRadioStation(id, *station);
            out = std::move(station);
            return result;
        }
        default:
            return -1;
    }
}

bool CSQLiteMDS::HasMediaItems(int32_t mediaType) {
    const char* table = nullptr;
    switch (mediaType) {
        case kMediaMusic:
            table = "audio_tracks";
            break;
        case kMediaVideo:
            table = "videos";
            break;
        case kMediaTV:
            table = "tv_shows";
            break;
        case kMediaPlaylist:
            table = "playlists";
            break;
        case kMediaRadio:
            table = "radio_stations";
            break;
        default:
            return false;
    }
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        CppSQLiteCursor cursor =
            connection.ExecQuery(FormatSql("SELECT COUNT(*) FROM %s WHERE 1", table));
        return !cursor.Eof() && cursor.FieldInt(0) >= 1;
    } catch (const CppSQLiteException&) {
        return false;
    }
}

namespace {

// The rows of one kind that hold every word, by the search index: ids of `table` (the
// subquery is read as a list of ids).
std::string IndexedIds(int32_t type, const std::string& match) {
    return FormatSql("(SELECT rowid - %lld FROM %s WHERE %s MATCH '%s' AND rowid BETWEEN %lld AND "
                     "%lld)",
                     static_cast<long long>(SearchIndexRowId(type, 0)), kSearchIndexTable,
                     kSearchIndexTable, EscapeQuotes(match).c_str(),
                     static_cast<long long>(SearchIndexRowId(type, 0)),
                     static_cast<long long>(SearchIndexRowId(type + 1, 0) - 1));
}

bool HasSearchIndex(CppSQLiteConnection& connection) {
    CppSQLiteCursor cursor = connection.ExecQuery(
        FormatSql("SELECT 1 FROM sqlite_master WHERE name = '%s';", kSearchIndexTable));
    return !cursor.Eof();
}

}  // namespace

int CSQLiteMDS::Search(MediaItemList& out, const std::string& text, int32_t start, int32_t count) {
    out.clear();
    if (start < 0) start = 0;
    std::string words = NormalizeSearchText(text);
    const std::string nameRank = BuildSearchRank("name", words);
    const std::string titleRank = BuildSearchRank("title", words);
    const std::string nameClause = BuildFoldedSearchClause("name", words);
    const std::string titleClause = BuildFoldedSearchClause("title", words);
    const std::string match = BuildSearchIndexMatch(words);
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        PrepareSearchFunctions(connection);
        // The index names the rows that hold its words, and the clause still decides: the
        // index only spares reading the rows that cannot match, so both ways give the same
        // rows in the same order.
        const bool indexed = !match.empty() && m_useSearchIndex && HasSearchIndex(connection);
        auto where = [&](int32_t type, const std::string& clause, const std::string& idColumn) {
            if (!indexed) return clause;
            return idColumn + " IN " + IndexedIds(type, match) + " AND " + clause;
        };
        // One statement, ordered and cut to the page as it is read, so that only the rows of
        // the page are kept, however many match. `found` (the row's own id) orders rows alike
        // in every other column.
        const char* const names =
            "SELECT -1 AS id, %d AS type, name, sort_name, %s AS rank, id AS found FROM %s "
            "WHERE %s";
        std::string query = "SELECT id, type, name FROM (";
        for (const auto& [type, table] :
             {std::pair{kMediaGenre, "audio_genres"}, std::pair{kMediaArtist, "audio_artists"},
              std::pair{kMediaAlbum, "audio_albums"}}) {
            query += FormatSql(names, type, nameRank.c_str(), table,
                               where(type, nameClause, std::string(table) + ".id").c_str());
            query += " UNION ALL ";
        }
        query += FormatSql(
            "SELECT id, %d, title, sort_title, %s, id FROM audio_tracks WHERE %s UNION ALL ",
            kMediaMusic, titleRank.c_str(), where(kMediaMusic, titleClause, "audio_tracks.id").c_str());
        query += FormatSql(
            "SELECT id, %d, name, name, %s, id FROM playlists WHERE %s AND folder = 0 UNION ALL ",
            kMediaPlaylist, nameRank.c_str(), where(kMediaPlaylist, nameClause, "playlists.id").c_str());
        query += FormatSql("SELECT -1, %d, name, name, %s, id FROM playlists WHERE %s AND folder = 1",
                           kMediaPlaylistFolder, nameRank.c_str(),
                           where(kMediaPlaylistFolder, nameClause, "playlists.id").c_str());
        query += ") ORDER BY rank, sort_name, name, type, found";
        if (start != 0 || count != -1) query += FormatSql(" LIMIT %d,%d", start, count);
        query += ";";
        CppSQLiteCursor cursor = connection.ExecQuery(query);
        while (!cursor.Eof()) {
            auto item = std::make_unique<CMediaItem>();
            item->id = ToInt32(cursor.FieldValue(0));
            item->mediaType = ToInt32(cursor.FieldValue(1));
            item->name = cursor.FieldValue(2);
            out.push_back(std::move(item));
            cursor.NextRow();
        }
        cursor.Finalize();
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error searching audio (%s): ", text.c_str()), e);
        return -1;
    }
}

}  // namespace vantor
