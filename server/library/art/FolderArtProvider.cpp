#include "server/library/art/FolderArtProvider.h"

#include "protocol/MediaItem.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFixedPatterns =
    "album.jpg;albumartlarge.jpg;cover.jpg;folder.jpg;thumb.jpg;";

std::string Trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

void SplitPatterns(const std::string& list, std::vector<std::string>& out) {
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
}

// Regular files of the folder, sorted by name so that the first match does not depend on
// the order the file system happens to list them in.
std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

CFolderArtProvider::CFolderArtProvider(CConfigStore& config) : m_config(config) {}

std::vector<std::string> CFolderArtProvider::Patterns(const CMusicItem& track) const {
    std::string configured = Trimmed(m_config.GetString("AlbumArtFiles", ""));
    if (configured.empty() || configured.back() != ';') configured.push_back(';');
    ReplaceAll(configured, "%ARTIST", track.artist);
    ReplaceAll(configured, "%ALBUM", track.album);
    ReplaceAll(configured, "%TITLE", track.name);

    std::vector<std::string> patterns;
    SplitPatterns(configured, patterns);
    SplitPatterns(kFixedPatterns, patterns);
    return patterns;
}

int CFolderArtProvider::GetAlbumArt(const CMusicItem& track, const std::string& targetPath) {
    const size_t slash = track.path.rfind('/');
    if (slash == std::string::npos) return -1;
    const std::string folder = track.path.substr(0, slash + 1);

    if (!m_config.GetBool("PreferFolderAlbumArt", false)) {
        const bool albumMissing =
            !track.album.empty() && folder.find(track.album) == std::string::npos;
        const bool artistMissing =
            !track.artist.empty() && folder.find(track.artist) == std::string::npos;
        if (albumMissing && artistMissing) return -1;
    }

    const std::vector<std::string> files = ListFiles(folder);
    if (files.empty()) return -1;
    for (const std::string& pattern : Patterns(track)) {
        for (const std::string& name : files) {
            // Cover files come from systems whose names ignore case ("Folder.jpg").
            if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
            std::error_code ec;
            fs::copy_file(folder + name, targetPath, fs::copy_options::overwrite_existing, ec);
            if (ec) return -1;
            fs::permissions(targetPath,
                            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read,
                            ec);
            return 0;
        }
    }
    return -1;
}

}  // namespace vantor
