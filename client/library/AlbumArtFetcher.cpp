#include "client/library/AlbumArtFetcher.h"

#include <cstdlib>
#include <filesystem>

#include "client/update/ClientUpdater.h"
#include "client/update/HttpFetch.h"

namespace vantor::client {

namespace {

constexpr long kArtTimeoutSeconds = 10;

// ".jpg" of ".../Late Set.jpg"; "" when the location's last segment has none that looks
// like an extension.
std::string Extension(const std::string& url) {
    const size_t slash = url.find_last_of('/');
    const size_t dot = url.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = url.substr(dot);
    if (ext.size() > 6 || ext.find_first_of("?#&/\\") != std::string::npos) return "";
    return ext;
}

}  // namespace

AlbumArtFetcher::AlbumArtFetcher(std::string cacheFolder) : m_folder(std::move(cacheFolder)) {
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
}

std::string AlbumArtFetcher::DefaultCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = cache && *cache ? std::string(cache)
                             : home && *home ? std::string(home) + "/.cache"
                                             : std::string("/tmp");
    return base + "/Quillmere/Vantor/";
}

AlbumArtFetcher::Outcome AlbumArtFetcher::Fetch(const std::string& artUrl,
                                                const std::string& serverHost) {
    const std::string location =
        artUrl.empty() ? "" : ClientUpdater::DownloadLocation(artUrl, serverHost);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!location.empty() && location == m_last && std::filesystem::exists(m_lastFile))
        return {true, m_lastFile};
    m_last.clear();
    m_lastFile.clear();
    if (location.empty()) return {};
    const std::string file = m_folder + "albumart" + Extension(location);
    FetchOptions options;
    options.timeoutSeconds = kArtTimeoutSeconds;
    options.progress = [](int64_t received, int64_t total) {
        return received <= static_cast<int64_t>(kMaxAlbumArtBytes) &&
               total <= static_cast<int64_t>(kMaxAlbumArtBytes);
    };
    ++m_downloads;
    if (!FetchToFile(location, file, options).Ok()) return {};
    m_last = location;
    m_lastFile = file;
    return {false, file};
}

void AlbumArtFetcher::Forget() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_last.clear();
    m_lastFile.clear();
}

int AlbumArtFetcher::Downloads() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_downloads;
}

}  // namespace vantor::client
