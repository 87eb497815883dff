#include "server/library/store/SQLiteMDS.h"

#include "server/core/Logger.h"
#include "server/library/store/QueryText.h"

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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor =
            connection->ExecQuery(std::string(kTrackFetchHead) + "audio_tracks.path = '" +
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor =
            connection->ExecQuery(FormatSql("SELECT name, path FROM playlists WHERE id = %d;", id));
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor = connection->ExecQuery(FormatSql(
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor =
            connection->ExecQuery(FormatSql("SELECT type FROM media_index WHERE id = %d;", id));
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
        auto connection = m_readers.Take();
        CppSQLiteCursor cursor =
            connection->ExecQuery(FormatSql("SELECT COUNT(*) FROM %s WHERE 1", table));
        return !cursor.Eof() && cursor.FieldInt(0) >= 1;
    } catch (const CppSQLiteException&) {
        return false;
    }
}

}  // namespace vantor
