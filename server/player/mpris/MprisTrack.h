#pragma once

#include "protocol/MediaItem.h"
#include "server/player/mpris/DBusValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantor {

// What a player's "Metadata" says about one track.
struct CMprisTrack {
    std::string trackId;  // mpris:trackid, an object path
    std::string title;
    std::vector<std::string> artists;
    std::string album;
    std::string genre;   // the first genre
    std::string url;     // xesam:url, as the player sent it
    std::string artUrl;  // mpris:artUrl
    int64_t lengthUs = -1;
    int32_t trackNumber = 0;
    double userRating = -1;  // 0..1; negative when the player gives none

    bool IsEmpty() const { return trackId.empty() && title.empty() && url.empty(); }
    // Same track as far as a client can tell (a new art URL or length alone is a change too).
    bool SameAs(const CMprisTrack& other) const;
};

// Reads the fields above out of a Metadata dictionary; unknown keys are ignored.
CMprisTrack TrackFromMetadata(const CBusValue& metadata);

// The local file a URL names: "file:///a/b%20c.mp3" -> "/a/b c.mp3". Players differ in
// whether they escape the path, so the unescaped form is taken when that file exists and
// the text as it stands otherwise. Any other URL comes back unchanged.
std::string PathFromUrl(const std::string& url);
// "/a/b c.mp3" -> "file:///a/b%20c.mp3"; a text with "://" in it is already a URL.
std::string UrlFromPath(const std::string& path);

// The current media as a music item: title (else the file name), artists joined with ", ",
// album, genre and track number through the shared reader routines, length in seconds,
// rating 0..100 (0 when the player has none), and the local path when it plays a file.
std::unique_ptr<CMusicItem> TrackToMusicItem(const CMprisTrack& track);

// What a playlist line shows: "Artist - Title", the title alone, or the file name.
std::string TrackDisplayTitle(const CMprisTrack& track);

}  // namespace vantor
