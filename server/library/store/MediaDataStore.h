#pragma once

#include "protocol/MediaItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantor {

using StringArray = std::vector<std::string>;

// The persistent index of the media library. Every operation may be called from any thread;
// an implementation serialises them and blocks the caller while the database works.
// Results: 0 success, -1 failure (logged) unless stated. Id arguments: -1 (any negative) means
// "no filter". Paging: `start` 0-based, `count` -1 for all, `total` may be null and receives the
// number of rows of the unpaged list. Fills empty the output array first.
class IMediaDataStore {
public:
    virtual ~IMediaDataStore();

    // Creates the file with the empty schema unless it exists.
    virtual int CreateIfMissing() = 0;
    // Called by the owner before destroying the store.
    virtual int Shutdown() = 0;
    // Called once the file has been replaced by a new one: connections held open to the
    // old file are closed.
    virtual void ReleaseConnections() {}
    virtual void SetLibraryVersion(float version) = 0;

    // A fill: BeginUpdate, any number of adds and lookups, EndUpdate (indexes and commit).
    // The adds are valid only inside a fill; they copy what they need from the item.
    virtual int BeginUpdate() = 0;
    virtual int EndUpdate() = 0;
    virtual int AddAudioTrack(const CMusicItem& track) = 0;
    virtual int AddVideo(const CVideoItem& video) = 0;
    virtual int AddTVShow(const CTVItem& show) = 0;
    // The whole tree below the item; children are stored under the ids given to their folder.
    virtual int AddPlaylist(const CPlaylistItem& playlist) = 0;
    virtual int AddRadioStation(const CRadioStationItem& station) = 0;

    // Id of a genre (9), artist (10), album (11) or TV series (13) by exact name, else -1.
    virtual int32_t GetItemId(int32_t mediaType, const std::string& name) = 0;
    // Id of a playlist folder (5) or radio folder (8) by exact name and parent, else -1.
    virtual int32_t GetFolderId(int32_t mediaType, const std::string& name, int32_t parentId) = 0;

    virtual int GetAudioGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) = 0;
    virtual int GetAudioArtists(StringArray& out, int32_t genreId, int32_t start, int32_t count,
                                int32_t* total) = 0;
    virtual int GetAudioAlbums(StringArray& out, int32_t genreId, int32_t artistId, int32_t start,
                               int32_t count, int32_t* total) = 0;
    virtual int GetAudioTracks(MediaItemList& out, bool includePath, int32_t genreId,
                               int32_t artistId, int32_t albumId, int32_t start, int32_t count,
                               int32_t* total) = 0;
    // `order` is a media type: 10 by artist, 11 by album, 9 by genre, anything else by title.
    virtual int GetAllAudioTracks(MediaItemList& out, int32_t order, int32_t start, int32_t count,
                                  int32_t* total) = 0;
    // The single fetches leave the item unchanged and return 0 when no row matches.
    virtual int GetAudioTrackByPath(const std::string& path, CMusicItem& track) = 0;
    virtual int GetAudioTrack(int32_t id, CMusicItem& track) = 0;
    // A new item of the kind the id was stored as; -1 and no item for folders or unknown ids.
    virtual int GetMediaItem(int32_t id, std::unique_ptr<CMediaItem>& out) = 0;
    virtual int GetPlaylistFolders(MediaItemList& out, int32_t parentId, int32_t start,
                                   int32_t count, int32_t* total) = 0;
    virtual int GetPlaylists(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                             int32_t* total) = 0;
    virtual int GetPlaylist(int32_t id, CPlaylistItem& playlist) = 0;
    virtual int GetRadioStationFolders(MediaItemList& out, int32_t parentId, int32_t start,
                                       int32_t count, int32_t* total) = 0;
    virtual int GetRadioStations(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                                 int32_t* total) = 0;
    virtual int GetRadioStation(int32_t id, CRadioStationItem& station) = 0;
    virtual int GetVideoGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) = 0;
    virtual int GetVideos(MediaItemList& out, int32_t genreId, int32_t start, int32_t count,
                          int32_t* total) = 0;
    virtual int GetVideo(int32_t id, CVideoItem& video) = 0;
    virtual int GetTVSeries(StringArray& out, int32_t start, int32_t count, int32_t* total) = 0;
    virtual int GetTVShows(MediaItemList& out, int32_t seriesId, int32_t start, int32_t count,
                           int32_t* total) = 0;
    virtual int GetTVShow(int32_t id, CTVItem& show) = 0;
    // True when the kind (1, 2, 3, 4, 7) has at least one row; false for other kinds and failures.
    virtual bool HasMediaItems(int32_t mediaType) = 0;
    // Genres, artists, albums, tracks, playlists and playlist folders whose text holds every
    // word of `text`, ordered by sort name, name, type.
    virtual int Search(MediaItemList& out, const std::string& text, int32_t start,
                       int32_t count) = 0;
};

}  // namespace vantor
