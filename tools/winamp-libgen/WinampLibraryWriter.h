#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::tools {

// Options of a generated Winamp media library. The same options give the same files.
struct WinampLibraryOptions {
    int records = 1000;           // data records: audio tracks and videos together
    int videos = 2;               // of which videos
    uint32_t seed = 1;            // varies names
    int playlists = 80;           // entries of playlists.xml, a few of whose files are missing
    bool modernPlaylists = true;  // playlists.xml in Plugins/ml/playlists/, else in Plugins/ml/
    bool genMlViews = true;       // playlist views (mode 32) in gen_ml.ini, both key forms
    bool eightBitTexts = false;   // texts that Latin-1 holds as 8-bit bytes, as older
                                  // libraries have them; the rest stays UTF-16
    bool oldFileSize = false;     // "filesize" as a 32-bit integer, as older libraries have it
    std::string musicFolder = "C:\\Users\\Ann\\Music";  // where the files are said to be
};

// A record as the library holds it. Empty texts and track number 0 are fields the record
// does not have.
struct WinampLibraryTrack {
    std::string title;
    std::string artist;
    std::string album;
    std::string genre;
    std::string path;
    int trackNumber = 0;
    bool video = false;
};

struct WinampLibraryPlaylist {
    std::string name;
    std::string path;  // the playlist file
    bool exists = true;
    bool inGenMl = false;  // a gen_ml.ini view rather than a playlists.xml entry
};

struct WinampLibraryContent {
    std::vector<WinampLibraryTrack> tracks;  // in the primary index's order
    std::vector<WinampLibraryPlaylist> playlists;
};

// Writes "Plugins/ml/main.dat" and "main.idx", "Plugins/gen_ml.ini" and playlists.xml with
// its playlist files below `folder` (the player's settings folder), as the player writes
// them after years of use. False when a file cannot be written.
bool WriteWinampLibrary(const WinampLibraryOptions& options, const std::string& folder,
                        WinampLibraryContent* content = nullptr);

// The records WriteWinampLibrary writes for these options, without writing anything.
std::vector<WinampLibraryTrack> WinampLibraryTracks(const WinampLibraryOptions& options);

// Writes playlists.xml alone (UTF-16LE with a byte-order mark, one line) for `playlists`,
// whose file names are taken relative to the file's folder.
bool WriteWinampPlaylistsXml(const std::string& path,
                             const std::vector<WinampLibraryPlaylist>& playlists);

// Writes "paths.ini" into `winampDir`, moving the settings to `iniDir` (which may carry
// "{number}" special-folder tokens and '\').
bool WriteWinampPathsIni(const std::string& winampDir, const std::string& iniDir);

}  // namespace vantor::tools
