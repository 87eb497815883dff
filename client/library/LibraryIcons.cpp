#include "client/library/LibraryIcons.h"

#include "protocol/MessageType.h"

namespace vantor::client {

LibraryIcon IconForRow(const LibraryRow& row) {
    static const struct {
        const char* name;
        LibraryIcon icon;
    } kCategories[] = {
        {"Music", LibraryIcon::kMusic},
        {"Radio", LibraryIcon::kRadio},
        {"Video", LibraryIcon::kVideo},
        {"Videos", LibraryIcon::kVideo},
        {"TV", LibraryIcon::kTV},
        {"Pictures", LibraryIcon::kPictures},
        {"Artists", LibraryIcon::kArtists},
        {"Albums", LibraryIcon::kAlbums},
        {"Genres", LibraryIcon::kGenres},
        {"Tracks", LibraryIcon::kTracks},
        {"All Tracks", LibraryIcon::kTracks},
        {"Podcasts", LibraryIcon::kPodcasts},
        {"Playlists", LibraryIcon::kPlaylists},
    };
    if (row.info) return LibraryIcon::kInfo;
    // Names are categories only for containers: a track called "Radio" is a track.
    if (row.id == -1) {
        for (const auto& category : kCategories)
            if (row.name == category.name) return category.icon;
    }
    switch (row.type) {
        case kMediaGenre:
            return LibraryIcon::kGenre;
        case kMediaArtist:
            return LibraryIcon::kArtist;
        case kMediaAlbum:
            return LibraryIcon::kAlbum;
        case kMediaPlaylist:
            return LibraryIcon::kPlaylist;
        case kMediaRadio:
        case kMediaRadioFolder:
            return LibraryIcon::kRadio;
        case kMediaVideo:
            return LibraryIcon::kVideo;
        case kMediaTV:
        case kMediaTVSeries:
            return LibraryIcon::kTV;
        case kMediaPhoto:
            return LibraryIcon::kPictures;
        case kMediaInfo:
            return LibraryIcon::kInfo;
        case kMediaPlaylistFolder:
        case kMediaFolder:
            return LibraryIcon::kFolder;
        default:
            return row.id == -1 ? LibraryIcon::kFolder : LibraryIcon::kTrack;
    }
}

}  // namespace vantor::client
