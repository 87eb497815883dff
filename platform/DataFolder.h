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

// The folder that stands for a Windows shell special folder, given by the number Windows
// gives it: 26 (application data) and 28 (local application data) are $XDG_DATA_HOME,
// 5 (documents) $XDG_DOCUMENTS_DIR, 13 (music) the music folder, 14 (videos)
// $XDG_VIDEOS_DIR, 39 (pictures) $XDG_PICTURES_DIR, 0 and 16 (desktop) $XDG_DESKTOP_DIR,
// 40 (profile) $HOME, each with its usual default below $HOME. "" for any other number.
// No trailing '/'; not created.
std::string GetSpecialFolder(int number);

// Create a folder and its missing parents. True when it exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace vantor
