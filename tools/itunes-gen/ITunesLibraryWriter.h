#pragma once

#include <cstdint>
#include <string>

namespace vantor::tools {

// Options of a generated iTunes library file. The same options give the same bytes.
struct ITunesLibraryOptions {
    int tracks = 1000;             // track dictionaries, all kinds together
    uint32_t seed = 1;             // varies names and the mix of kinds
    bool windowsPaths = true;      // file://localhost/C:/... locations, else file:///Users/...
    bool crlf = true;              // Windows line ends, else LF only
    int playCountOffset = 0;       // added to every play count (and play date): a "played" file
    bool includePlaylists = true;  // false leaves out the "Playlists" key entirely
};

// What the generated file holds, for tests and benchmarks that check an import.
struct ITunesLibraryCounts {
    int music = 0;      // audio tracks with a name (podcast episodes included)
    int podcasts = 0;   // of which podcast episodes
    int videos = 0;     // movies and other videos with a location
    int tvShows = 0;    // TV episodes with a location
    int skipped = 0;    // tracks a reader must skip (music without a name, video without a file)
    int playlists = 0;  // playlist entries with a name, folders included
};

// Writes the whole property list into `out`.
ITunesLibraryCounts WriteITunesLibrary(const ITunesLibraryOptions& options, std::string& out);

// Writes the file; false when it cannot be written.
bool WriteITunesLibraryFile(const ITunesLibraryOptions& options, const std::string& path,
                            ITunesLibraryCounts* counts = nullptr);

}  // namespace vantor::tools
