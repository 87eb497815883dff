#include "client/library/LibraryPaths.h"

#include "protocol/MessageType.h"

namespace vantor::client {

namespace {

// The category folder below "\Music\" that holds items of a type; null for none.
const char* CategoryOf(int32_t type) {
    switch (type) {
        case kMediaPlaylistFolder:
            return "Playlists\\";
        case kMediaRadioFolder:
            return "Radio\\";
        case kMediaGenre:
            return "Genres\\";
        case kMediaArtist:
            return "Artists\\";
        case kMediaAlbum:
            return "Albums\\";
        default:
            return nullptr;
    }
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string::npos) next = path.size();
        if (next > pos) segments.push_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    return segments;
}

// The entry before the artists of a genre or the albums of an artist: it stands for the
// tracks of the listing it heads, not for an album of that name.
constexpr char kAllTracks[] = "All Tracks";

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
}

// An album listed under an artist or a genre stands for its tracks there: by the album's
// name alone, an album of another artist with the same name ("Greatest Hits") would be
// played or queued with it.
bool AlbumOfANarrowedListing(const std::string& current, const LibraryRow& row) {
    if (row.type != kMediaAlbum) return false;
    const std::string artists = std::string(kLibraryTop) + "\\Artists\\";
    const std::string genres = std::string(kLibraryTop) + "\\Genres\\";
    return current.rfind(artists, 0) == 0 || current.rfind(genres, 0) == 0;
}

}  // namespace

bool CanOpen(const LibraryRow& row) {
    return row.id == -1 && !row.info && row.type != kMediaInfo;
}

std::string FoldBackslashes(std::string path) {
    size_t at = 0;
    while ((at = path.find("\\\\", at)) != std::string::npos) path.erase(at, 1);
    return path;
}

std::string OpenPath(const std::string& current, const LibraryRow& row, bool inSearch) {
    std::string path;
    if (inSearch && CategoryOf(row.type)) {
        path = std::string(kLibraryTop) + "\\" + CategoryOf(row.type) + row.name;
    } else if (row.name.empty() && row.number >= 0) {
        path = current + "\\" + std::to_string(row.number);
    } else {
        path = current + "\\" + row.name;
    }
    return FoldBackslashes(path);
}

std::string ListingTitle(std::string path) {
    path = WithoutTrailingSlash(FoldBackslashes(path));
    if (path.rfind(kSearchPathPrefix, 0) == 0) return kSearchResultsTitle;
    if (path.empty() || path == "\\" || path == kLibraryTop) return kMediaLibraryTitle;
    return path.substr(path.find_last_of('\\') + 1);
}

std::vector<std::string> BreadcrumbEntries(const std::string& path) {
    std::vector<std::string> entries{kMediaLibraryTitle};
    for (std::string& segment : Segments(path)) {
        if (entries.size() >= kBreadcrumbLimit) break;
        entries.push_back(std::move(segment));
    }
    return entries;
}

std::string BreadcrumbPath(const std::string& path, size_t index) {
    if (index == 0) return kLibraryTop;
    std::string result;
    const std::vector<std::string> segments = Segments(path);
    for (size_t i = 0; i < segments.size() && i < index; ++i) result += "\\" + segments[i];
    return result.empty() ? std::string(kLibraryTop) : result;
}

CMediaSelector RowSelector(const std::string& current, const LibraryRow& row) {
    CMediaSelector selector;
    if (row.id >= 0) {
        selector.id = row.id;
    } else if (row.name == kAllTracks || AlbumOfANarrowedListing(current, row)) {
        selector.libPath = FoldBackslashes(current + "\\" + row.name);
    } else if (row.type == kMediaGenre || row.type == kMediaArtist || row.type == kMediaAlbum) {
        selector.libPath = std::string(kLibraryTop) + "\\" + CategoryOf(row.type) + row.name;
    } else if (current.rfind(kSearchPathPrefix, 0) == 0 && CategoryOf(row.type)) {
        selector.libPath = OpenPath(current, row, true);
    } else {
        selector.libPath = FoldBackslashes(current + "\\" + row.name);
    }
    return selector;
}

}  // namespace vantor::client
