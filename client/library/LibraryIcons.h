#pragma once

// The icons of the library list. Categories have their own icon, chosen by name ("Music",
// "Artists", ...); other rows get the icon of their type. Skins carry the icons as one
// strip, "library_icons.png": squares as high as the strip, in the order of LibraryIcon.

#include <string>

#include "client/library/LibraryPaths.h"

namespace vantor::client {

inline constexpr char kLibraryIconsFile[] = "library_icons.png";

enum class LibraryIcon {
    kMusic,
    kRadio,
    kVideo,
    kTV,
    kPictures,
    kArtists,
    kAlbums,
    kGenres,
    kTracks,
    kPodcasts,
    kPlaylists,
    kFolder,
    kArtist,
    kAlbum,
    kGenre,
    kTrack,
    kPlaylist,
    kInfo,
    kCount
};

LibraryIcon IconForRow(const LibraryRow& row);

}  // namespace vantor::client
