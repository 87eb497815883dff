#pragma once

// Test support for everything that plays or reads real audio files: a music folder of
// tagged audio files generated once per test process, and temporary folders.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantor::test {

// One generated audio file with the tags written into it. Empty texts were not
// written at all, so the file lacks that tag.
struct GeneratedTrack {
    std::string uri;  // relative to the music folder, as MPD names it
    std::string title;
    std::string artist;
    std::string album;
    std::string genre;
    std::string trackTag;  // the raw track-number tag, e.g. "2/12"
    int seconds = 0;
    bool embeddedCover = false;
};

struct GeneratedPlaylist {
    std::string name;               // stored playlist name (file name without ".m3u")
    std::vector<std::string> uris;  // in playlist order
};

// A temporary folder removed with everything in it when the object goes.
class CTempFolder {
public:
    explicit CTempFolder(const std::string& prefix = "vantor-mpd");
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The shared music folder: generated once per test process (ffmpeg costs time)
// and read-only afterwards.
class CMusicFolder {
public:
    static const CMusicFolder& Shared();

    const std::string& Root() const { return m_root; }  // no trailing '/'
    const std::string& PlaylistFolder() const { return m_playlists; }
    const std::vector<GeneratedTrack>& Tracks() const { return m_tracks; }
    const std::vector<GeneratedPlaylist>& Playlists() const { return m_playlistList; }
    // By title, or by URI for the track without tags.
    const GeneratedTrack& Find(const std::string& titleOrUri) const;
    std::string AbsolutePath(const GeneratedTrack& track) const { return m_root + "/" + track.uri; }
    // Bytes of the picture embedded in the one track that has a cover, and of the
    // cover file that sits in one album folder.
    const std::string& EmbeddedCover() const { return m_embeddedCover; }
    const std::string& FolderCover() const { return m_folderCover; }
    const std::string& FolderCoverAlbum() const { return m_folderCoverAlbum; }
    bool Ok() const { return m_ok; }
    // The untagged MP3 stream every generated track carries.
    const std::string& Audio() const { return m_audio; }

private:
    CMusicFolder();
    bool Generate();

    CTempFolder m_temp;
    std::string m_root;
    std::string m_playlists;
    std::vector<GeneratedTrack> m_tracks;
    std::vector<GeneratedPlaylist> m_playlistList;
    std::string m_audio;
    std::string m_embeddedCover;
    std::string m_folderCover;
    std::string m_folderCoverAlbum;
    bool m_ok = false;
};

// Writes `count` tagged files below `root` (artist/album/n.mp3), spread over 10 genres,
// 12 tracks to an album and 4 albums to an artist, each `audio` behind its own ID3 tag.
bool GenerateLibrary(const std::string& root, int count, const std::string& audio);

// Runs a program (looked up in PATH) and waits; true when it exited with 0.
bool RunCommand(const std::vector<std::string>& argv, const std::string& stdoutFile = "");
// The ffmpeg command that writes a mono MP3 sine tone without any tag to `path`.
std::vector<std::string> ToneCommand(int frequency, int seconds, const std::string& path);

}  // namespace vantor::test
