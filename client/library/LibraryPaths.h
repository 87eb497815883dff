#pragma once

// The library tree's paths as the browser uses them: opening a row, listing titles, the
// breadcrumb, and the path the context menu's requests name.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/MediaSelector.h"

namespace vantor::client {

inline constexpr char kLibraryTop[] = "\\Music";
inline constexpr char kSearchPathPrefix[] = "\\Music\\Search\\";
inline constexpr char kSearchPlaceholder[] = "Search";
inline constexpr char kMediaLibraryTitle[] = "Media Library";
inline constexpr char kSearchResultsTitle[] = "Search Results";
inline constexpr char kIndexingText[] = "Initial indexing in progress...";
inline constexpr int32_t kLibraryPageSize = 50;
inline constexpr size_t kBreadcrumbLimit = 51;
// Search-as-you-type waits this long after the last keystroke.
inline constexpr int kSearchDelayMs = 1500;

// One row of a listing as received.
struct LibraryRow {
    int32_t id = -1;  // -1: a container, opened by path
    int32_t type = 0;
    std::string name;
    // A numeric key for a container the server names by number only (its entry carries no
    // name but digits in its path field); -1 for none.
    int32_t number = -1;
    bool info = false;  // the "Initial indexing in progress..." line
};

// Rows whose id is -1 (and that are no info line) are containers and can be opened.
bool CanOpen(const LibraryRow& row);

// "\\" folded to "\" throughout.
std::string FoldBackslashes(std::string path);

// The path that opening `row` of the listing at `current` browses to: from a search
// listing the row's category under "\Music\" (Playlists, Radio, Genres, Artists, Albums by
// type); otherwise the current path and the row's name (or number).
std::string OpenPath(const std::string& current, const LibraryRow& row, bool inSearch);

// "Media Library" at the top, "Search Results" for a search, else the path's last segment.
std::string ListingTitle(std::string path);

// "Media Library" and then each segment of the path, at most kBreadcrumbLimit entries.
std::vector<std::string> BreadcrumbEntries(const std::string& path);
// The path up to and including entry `index` of BreadcrumbEntries (0: the top).
std::string BreadcrumbPath(const std::string& path, size_t index);

// What "Play now" and "Add to queue" ask for: genres, artists and albums by their category
// path, other containers by the current path and name, and single media (tracks,
// playlists) by their id, so that the chosen row is what plays.
CMediaSelector RowSelector(const std::string& current, const LibraryRow& row);

}  // namespace vantor::client
