#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The player's own text files around its media library: where its settings live
// ("paths.ini") and its playlist lists ("gen_ml.ini" views and "playlists.xml").

// The folder that holds the player's settings and library: the "inidir=" value of
// "paths.ini" in `winampDir`, with "{number}" tokens replaced by the special folders they
// name and '\' read as '/', when that names an existing folder; otherwise `winampDir`.
// A relative value is taken below `winampDir`. Never ends with '/'.
std::string WinampSettingsFolder(const std::string& winampDir);

struct WinampPlaylistEntry {
    std::string name;  // UTF-8
    std::string file;  // as written: a file name relative to its list's folder, or a path
};

// The playlist views of "gen_ml.ini": every "queryN_mode=32" view, named by
// "queryN_name_utf8=" (else "queryN_name=", 8-bit) with its file in "queryN_val_utf8="
// (else "queryN_val="). Values lose their surrounding white space. In file order.
std::vector<WinampPlaylistEntry> ParseGenMlViews(std::string_view text);

// The title and filename attributes of every <playlist> element of "playlists.xml", with
// entities decoded. In document order.
std::vector<WinampPlaylistEntry> ParsePlaylistsXml(std::string_view text);

// A playlist's file as a path: a name with no folder in it is taken in `folder` (ending with
// '/'); anything else (an absolute path, a path with '\') stays as it is.
std::string PlaylistFilePath(const std::string& folder, const std::string& file);

}  // namespace vantor
