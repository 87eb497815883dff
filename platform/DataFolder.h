#pragma once

#include <string>

namespace vantor {

// The per-user folder where the server keeps its files (configuration, logs, database,
// caches), always ending with '/' and created when missing. In order of precedence:
// the override set by SetDataFolderOverride, $VANTOR_DATA_DIR, then $XDG_DATA_HOME
// (default ~/.local/share) followed by "Quillmere/Vantor/". Any thread.
std::string GetDataFolder();

// Set once by the program's main from its command line, before any thread starts.
// An empty text removes the override.
void SetDataFolderOverride(const std::string& folder);

// The user's music folder: $XDG_MUSIC_DIR, else ~/Music (no trailing '/'; not created).
std::string GetMusicFolder();

// Create a folder and its missing parents. True when it exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace vantor
