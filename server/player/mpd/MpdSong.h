#pragma once

#include "protocol/MediaItem.h"

#include <mpd/client.h>

#include <memory>
#include <mutex>
#include <string>

namespace vantor {

// Turns MPD's song URIs (relative to its music folder) into file paths and back. The
// music folder is known from the configuration or, over a local socket, from MPD itself;
// without it paths stay MPD's URIs, which MPD accepts back as they are.
class CMpdPaths {
public:
    explicit CMpdPaths(std::string musicDirectory = "") {
        SetMusicDirectory(std::move(musicDirectory));
    }

    void SetMusicDirectory(std::string directory);
    std::string MusicDirectory() const;  // no trailing '/'; empty when unknown
    bool IsKnown() const { return !MusicDirectory().empty(); }

    std::string ToPath(const std::string& uri) const;
    std::string ToUri(const std::string& path) const;

private:
    mutable std::mutex m_mutex;
    std::string m_directory;
};

// First value of a tag, or "".
std::string SongTag(const mpd_song* song, mpd_tag_type tag);

// The text a playlist line shows: "Artist - Title", the title alone, or the file name.
std::string SongDisplayTitle(const mpd_song* song);

// A music item with the song's tags: title (file name when there is none), artist, album,
// genre and track number through the library's shared routines ("(17)" -> "Rock", "7" ->
// "07"), length and path. Missing tags stay empty.
std::unique_ptr<CMusicItem> SongToMusicItem(const mpd_song* song, const CMpdPaths& paths);

}  // namespace vantor
