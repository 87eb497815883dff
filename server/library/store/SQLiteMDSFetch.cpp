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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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

int CSQLiteMDS::Search(MediaItemList& out, const std::string& text, int32_t start, int32_t count) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    out.clear();
    if (start < 0) start = 0;
    std::string words = NormalizeSearchText(text);
    const std::string nameClause = BuildFoldedSearchClause("name", words);
    const std::string titleClause = BuildFoldedSearchClause("title", words);
    const std::string nameRank = BuildSearchRank("name", words);
    const std::string titleRank = BuildSearchRank("title", words);
    try {
        CppSQLiteConnection connection;
        OpenShortLived(connection);
        PrepareSearchFunctions(connection);
        connection.ExecDML(
            "create temp table search_results(id INTEGER, type INTEGER, name VARCHAR(256), "
            "sort_name VARCHAR(256), rank INTEGER);");
        const char* nameInsert =
            "INSERT INTO search_results(id, type, name, sort_name, rank) SELECT -1, %d, name, "
            "sort_name, %s FROM %s WHERE %s;";
        for (const auto& [type, table] :
             {std::pair{kMediaGenre, "audio_genres"}, std::pair{kMediaArtist, "audio_artists"},
              std::pair{kMediaAlbum, "audio_albums"}}) {
            connection.ExecDML(
                FormatSql(nameInsert, type, nameRank.c_str(), table, nameClause.c_str()));
        }
        connection.ExecDML(
            FormatSql("INSERT INTO search_results(id, type, name, sort_name, rank) SELECT id, %d, "
                      "title, sort_title, %s FROM audio_tracks WHERE %s;",
                      kMediaMusic, titleRank.c_str(), titleClause.c_str()));
        connection.ExecDML(FormatSql(
            "INSERT INTO search_results(id, type, name, sort_name, rank) SELECT id, %d, name, "
            "name, %s FROM playlists WHERE %s AND folder = 0;",
            kMediaPlaylist, nameRank.c_str(), nameClause.c_str()));
        connection.ExecDML(FormatSql(
            "INSERT INTO search_results(id, type, name, sort_name, rank) SELECT -1, %d, name, "
            "name, %s FROM playlists WHERE %s AND folder = 1;",
            kMediaPlaylistFolder, nameRank.c_str(), nameClause.c_str()));
        std::string query = "SELECT * FROM search_results ORDER BY rank, sort_name, name, type";
        if (start != 0 || count != -1) query += FormatSql(" LIMIT %d,%d;", start, count);
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
        connection.ExecDML("drop table search_results;");
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError(FormatSql("Error searching audio (%s): ", text.c_str()), e);
        return -1;
    }
}

}  // namespace vantor
