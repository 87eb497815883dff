#include "server/library/art/AlbumArtFinder.h"

#include "protocol/MediaItem.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/art/AlbumArtNames.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vantor {

namespace fs = std::filesystem;

namespace {

constexpr int kSweepPeriodMs = 3600000;

}  // namespace

CAlbumArtFinder::CAlbumArtFinder(CLogger& logger, CConfigStore& config,
                                 const std::string& dataFolder)
    : m_logger(logger),
      m_config(config),
      m_cacheFolder(dataFolder),
      m_maxCacheAgeHours(config.GetInt("MaxCacheAge", 24)),
      m_folderProvider(config),
      m_onlineProvider(config),
      m_sweepTimer(logger) {
    if (!m_cacheFolder.empty() && m_cacheFolder.back() != '/') m_cacheFolder.push_back('/');
    m_cacheFolder += "cache/";
    std::error_code ec;
    fs::create_directories(m_cacheFolder, ec);
    if (ec)
        m_logger.LogCritical("ERROR: Unable to create album art cache folder %s",
                             m_cacheFolder.c_str());

    m_providers[kSecondList][0] = &m_onlineProvider;
    if (config.GetBool("UseFolderAlbumArt", true)) m_providers[kFirstList][0] = &m_folderProvider;

    if (m_maxCacheAgeHours >= 1) {
        m_sweepTimer.Init([this] { SweepCache(); }, kSweepPeriodMs);
        m_sweepTimer.Start();
    }
}

CAlbumArtFinder::~CAlbumArtFinder() {
    m_sweepTimer.Cancel();
}

int CAlbumArtFinder::FindAlbumArt(const CMusicItem& track, std::string& path) {
    CMusicItem copy(track);
    copy.artist = CleanName(copy.artist, false);
    copy.album = CleanName(copy.album, false);
    copy.name = CleanName(copy.name, true);
    if (copy.artist.empty() || copy.name.empty()) return -1;

    const std::string target =
        m_cacheFolder + MakeAlbumArtFileName(copy.artist, copy.album, copy.name);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        path = target;
        return 0;
    }

    copy.name = RemoveStopWords(copy.name);
    std::lock_guard<std::mutex> lock(m_providersMutex);
    for (const auto& list : m_providers) {
        for (IAlbumArtProvider* provider : list) {
            if (provider != nullptr && provider->GetAlbumArt(copy, target) == 0) {
                path = target;
                return 0;
            }
        }
    }
    return -1;
}

int CAlbumArtFinder::AddProvider(ProviderList list, IAlbumArtProvider* provider) {
    if (provider == nullptr) return -1;
    std::lock_guard<std::mutex> lock(m_providersMutex);
    auto& slots = m_providers[list];
    for (IAlbumArtProvider* present : slots) {
        if (present == provider) return 0;
    }
    for (IAlbumArtProvider*& slot : slots) {
        if (slot == nullptr) {
            slot = provider;
            return 0;
        }
    }
    return -1;
}

void CAlbumArtFinder::RemoveProvider(IAlbumArtProvider* provider) {
    std::lock_guard<std::mutex> lock(m_providersMutex);
    for (auto& list : m_providers) {
        for (IAlbumArtProvider*& slot : list) {
            if (slot == provider) slot = nullptr;
        }
    }
}

void CAlbumArtFinder::SweepCache() {
    if (m_maxCacheAgeHours < 1) return;
    const auto now = fs::file_time_type::clock::now();
    std::vector<fs::path> expired;
    std::error_code ec;
    for (fs::directory_iterator it(m_cacheFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError;
        if (it->is_directory(fileError)) continue;
        const auto written = it->last_write_time(fileError);
        if (fileError) continue;
        const auto ageHours =
            std::chrono::duration_cast<std::chrono::seconds>(now - written).count() / 3600;
        if (ageHours >= m_maxCacheAgeHours) expired.push_back(it->path());
    }
    for (const fs::path& file : expired) fs::remove(file, ec);
}

}  // namespace vantor
