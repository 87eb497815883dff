#include "server/library/store/SQLiteMDS.h"

#include "server/core/Logger.h"
#include "server/library/store/QueryText.h"

#include <cstdlib>

namespace vantor {

namespace {

std::unique_ptr<CMediaItem> NewListItem(int32_t mediaType) {
    std::unique_ptr<CMediaItem> item;
    switch (mediaType) {
        case kMediaMusic:
            item = std::make_unique<CMusicItem>();
            break;
        case kMediaVideo:
            item = std::make_unique<CVideoItem>();
            break;
        case kMediaTV:
            item = std::make_unique<CTVItem>();
            break;
        case kMediaPlaylist:
        case kMediaPlaylistFolder:
            item = std::make_unique<CPlaylistItem>();
            break;
        case kMediaRadio:
        case kMediaRadioFolder:
            item = std::make_unique<CRadioStationItem>();
            break;
        default:
            item = std::make_unique<CMediaItem>();
            break;
    }
    item->mediaType = mediaType;
    return item;
}

int32_t ToInt32(const std::string& text) {
    return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

int32_t CSQLiteMDS::GetTotalCountFromQuery(const std::string& query) {
    std::string counting = MakeCountQuery(query);
    if (counting.empty()) return -1;
    try {
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(counting);
        return cursor.Eof() ? -1 : static_cast<int32_t>(cursor.FieldInt(0));
    } catch (const CppSQLiteException& e) {
        LogError("Error calling GetTotalCountFromQuery: ", e);
        return -1;
    }
}

int CSQLiteMDS::FillStringArray(StringArray& out, std::string query, int column, int32_t start,
                                int32_t count, int32_t* total) {
    out.clear();
    if (query.empty()) return -1;
    bool limited = ApplyPaging(query, start, count);
    try {
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(query);
        while (!cursor.Eof()) {
            out.push_back(cursor.FieldValue(column));
            cursor.NextRow();
        }
    } catch (const CppSQLiteException& e) {
        LogError("Error loading string array: ", e);
        return -1;
    }
    if (total != nullptr) {
        *total = limited ? GetTotalCountFromQuery(query) : static_cast<int32_t>(out.size());
    }
    return 0;
}

int CSQLiteMDS::FillResultArrayFromQuery(MediaItemList& out, int32_t mediaType, std::string query,
                                         int32_t start, int32_t count, int32_t* total) {
    out.clear();
    if (query.empty()) return -1;
    bool limited = ApplyPaging(query, start, count);
    try {
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(query);
        while (!cursor.Eof()) {
            std::unique_ptr<CMediaItem> item = NewListItem(mediaType);
            item->id = ToInt32(cursor.FieldValue(0));
            item->name = cursor.FieldValue(1);
            if (cursor.NumFields() > 2) item->path = cursor.FieldValue(2);
            out.push_back(std::move(item));
            cursor.NextRow();
        }
    } catch (const CppSQLiteException& e) {
        LogError("Error loading result array: ", e);
        return -1;
    }
    if (total != nullptr) {
        *total = limited ? GetTotalCountFromQuery(query) : static_cast<int32_t>(out.size());
    }
    return 0;
}

// ---- name lists ----

#define VANTOR_CHECK_FILL(result, fill, operation)                                            \
    do {                                                                                      \
        if ((result) == -1) {                                                                 \
            m_logger.LogCritical("ERROR: " fill "() failed for CSQLiteMDS::" operation "()"); \
        }                                                                                     \
    } while (false)

int CSQLiteMDS::GetAudioGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) {
    int result = FillStringArray(out, "SELECT * FROM audio_genres WHERE 1 ORDER BY sort_name;", 1,
                                 start, count, total);
    VANTOR_CHECK_FILL(result, "FillStringArray", "GetAudioGenres");
    return result;
}

int CSQLiteMDS::GetVideoGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) {
    int result = FillStringArray(out, "SELECT * FROM video_genres WHERE 1 ORDER BY sort_name;", 1,
                                 start, count, total);
    VANTOR_CHECK_FILL(result, "FillStringArray", "GetVideoGenres");
    return result;
}

int CSQLiteMDS::GetTVSeries(StringArray& out, int32_t start, int32_t count, int32_t* total) {
    int result = FillStringArray(out, "SELECT * FROM tv_series WHERE 1 ORDER BY sort_name;", 1,
                                 start, count, total);
    VANTOR_CHECK_FILL(result, "FillStringArray", "GetTVSeries");
    return result;
}

int CSQLiteMDS::GetAudioArtists(StringArray& out, int32_t genreId, int32_t start, int32_t count,
                                int32_t* total) {
    int result = 0;
    if (genreId >= 0) {
        result = FillStringArray(
            out,
            FormatSql("SELECT audio_artists.name FROM audio_genre_artists, audio_artists WHERE "
                      "audio_genre_artists.genre = %d AND audio_genre_artists.artist = "
                      "audio_artists.id ORDER BY audio_artists.sort_name",
                      genreId),
            0, start, count, total);
    } else {
        result = FillStringArray(out, "SELECT * FROM audio_artists WHERE 1 ORDER BY sort_name;", 1,
                                 start, count, total);
    }
    VANTOR_CHECK_FILL(result, "FillStringArray", "GetAudioArtists");
    return result;
}

int CSQLiteMDS::GetAudioAlbums(StringArray& out, int32_t genreId, int32_t artistId, int32_t start,
                               int32_t count, int32_t* total) {
    std::string query;
    int column = 0;
    if (genreId < 0 && artistId < 0) {
        query = "SELECT * FROM audio_albums WHERE 1 ORDER BY sort_name;";
        column = 1;
    } else if (genreId < 0) {
        query = FormatSql(
            "SELECT audio_albums.name FROM audio_artist_albums, audio_albums WHERE "
            "audio_artist_albums.artist = %d AND audio_artist_albums.album = audio_albums.id ORDER "
            "BY audio_albums.sort_name",
            artistId);
    } else if (artistId < 0) {
        query = FormatSql(
            "SELECT audio_albums.name FROM audio_genre_albums, audio_albums WHERE "
            "audio_genre_albums.genre = %d AND audio_genre_albums.album = audio_albums.id ORDER BY "
            "audio_albums.sort_name",
            genreId);
    } else {
        query = FormatSql(
            "SELECT audio_albums.name FROM audio_artist_albums, audio_genre_albums, audio_albums "
            "WHERE audio_artist_albums.artist = %d AND audio_artist_albums.album = audio_albums.id "
            "AND audio_genre_albums.genre = %d and audio_genre_albums.album = audio_albums.id "
            "ORDER "
            "BY audio_albums.sort_name",
            artistId, genreId);
    }
    int result = FillStringArray(out, query, column, start, count, total);
    VANTOR_CHECK_FILL(result, "FillStringArray", "GetAudioAlbums");
    return result;
}

// ---- item lists ----

int CSQLiteMDS::GetAudioTracks(MediaItemList& out, bool includePath, int32_t genreId,
                               int32_t artistId, int32_t albumId, int32_t start, int32_t count,
                               int32_t* total) {
    std::string query = "SELECT id, title ";
    if (includePath) query += ", path ";
    if (genreId < 0 && artistId < 0 && albumId < 0) {
        query += "FROM audio_tracks WHERE 1 ORDER BY sort_title";
    } else {
        query += "FROM audio_tracks WHERE ";
        if (albumId >= 0) query += FormatSql("album = %d AND ", albumId);
        if (artistId >= 0) query += FormatSql("artist = %d AND ", artistId);
        if (genreId >= 0) query += FormatSql("genre = %d AND ", genreId);
        query.resize(query.size() - 4);
        query += "ORDER BY ";
        if (albumId >= 0) query += "tracknum, ";
        query += "sort_title";
    }
    int result = FillResultArrayFromQuery(out, kMediaMusic, query, start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetAudioTracks");
    return result;
}

int CSQLiteMDS::GetAllAudioTracks(MediaItemList& out, int32_t order, int32_t start, int32_t count,
                                  int32_t* total) {
    const char* query = nullptr;
    switch (order) {
        case kMediaArtist:
            query =
                "SELECT audio_tracks.id, audio_tracks.title, audio_tracks.path FROM audio_tracks "
                "INNER JOIN audio_artists ON audio_artists.id = audio_tracks.artist WHERE 1 ORDER "
                "BY audio_artists.sort_name, audio_tracks.sort_title";
            break;
        case kMediaAlbum:
            query =
                "SELECT audio_tracks.id, audio_tracks.title, audio_tracks.path FROM audio_tracks "
                "INNER JOIN audio_albums ON audio_albums.id = audio_tracks.album WHERE 1 ORDER BY "
                "audio_albums.sort_name, audio_tracks.tracknum, audio_tracks.sort_title";
            break;
        case kMediaGenre:
            query =
                "SELECT audio_tracks.id, audio_tracks.title, audio_tracks.path FROM audio_tracks "
                "INNER JOIN audio_genres ON audio_genres.id = audio_tracks.genre INNER JOIN "
                "audio_artists ON audio_artists.id = audio_tracks.artist WHERE 1 ORDER BY "
                "audio_genres.sort_name, audio_artists.sort_name, audio_tracks.sort_title";
            break;
        default:
            query = "SELECT id, title, path FROM audio_tracks WHERE 1 ORDER BY sort_title";
            break;
    }
    int result = FillResultArrayFromQuery(out, kMediaMusic, query, start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetAllAudioTracks");
    return result;
}

int CSQLiteMDS::GetPlaylistFolders(MediaItemList& out, int32_t parentId, int32_t start,
                                   int32_t count, int32_t* total) {
    int result = FillResultArrayFromQuery(
        out, kMediaPlaylistFolder,
        FormatSql("SELECT -1, name, path FROM playlists WHERE parent = %d AND folder = 1 ORDER BY "
                  "name;",
                  parentId),
        start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetPlaylistFolders");
    return result;
}

int CSQLiteMDS::GetPlaylists(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                             int32_t* total) {
    int result = FillResultArrayFromQuery(
        out, kMediaPlaylist,
        FormatSql("SELECT id, name, path FROM playlists WHERE parent = %d AND folder = 0 ORDER BY "
                  "name;",
                  parentId),
        start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetPlaylists");
    return result;
}

int CSQLiteMDS::GetRadioStationFolders(MediaItemList& out, int32_t parentId, int32_t start,
                                       int32_t count, int32_t* total) {
    int result = FillResultArrayFromQuery(
        out, kMediaRadioFolder,
        FormatSql("SELECT -1, name, path FROM radio_stations WHERE parent = %d AND folder = 1 "
                  "ORDER BY name;",
                  parentId),
        start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetRadioStationFolders");
    return result;
}

int CSQLiteMDS::GetRadioStations(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                                 int32_t* total) {
    int result = FillResultArrayFromQuery(
        out, kMediaRadio,
        FormatSql("SELECT id, name, path FROM radio_stations WHERE parent = %d AND folder = 0 "
                  "ORDER BY name;",
                  parentId),
        start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetRadioStations");
    return result;
}

int CSQLiteMDS::GetVideos(MediaItemList& out, int32_t genreId, int32_t start, int32_t count,
                          int32_t* total) {
    std::string query =
        genreId >= 0
            ? FormatSql("SELECT id, title FROM videos WHERE genre = %d ORDER BY sort_title",
                        genreId)
            : std::string("SELECT id, title FROM videos WHERE 1 ORDER BY sort_title");
    int result = FillResultArrayFromQuery(out, kMediaVideo, query, start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetVideos");
    return result;
}

int CSQLiteMDS::GetTVShows(MediaItemList& out, int32_t seriesId, int32_t start, int32_t count,
                           int32_t* total) {
    std::string query =
        seriesId >= 0
            ? FormatSql("SELECT id, title FROM tv_shows WHERE series = %d ORDER BY sort_title",
                        seriesId)
            : std::string("SELECT id, title FROM tv_shows WHERE 1 ORDER BY sort_title");
    int result = FillResultArrayFromQuery(out, kMediaTV, query, start, count, total);
    VANTOR_CHECK_FILL(result, "FillResultArrayFromQuery", "GetTVShows");
    return result;
}

#undef VANTOR_CHECK_FILL

}  // namespace vantor
