#pragma once

#include "server/core/PeriodicTimer.h"
#include "server/library/art/FolderArtProvider.h"
#include "server/library/art/OnlineArtProvider.h"

#include <array>
#include <mutex>
#include <string>

namespace vantor {

class CMusicItem;
class CLogger;
class CConfigStore;

// Finds a picture for an audio track: from the cache folder ("cache" in the data folder) when
// it was found before, else from the providers of the first list, then of the second, storing
// what one of them finds in the cache. An hourly sweep deletes cache files older than
// "MaxCacheAge" hours (below 1: never).
class CAlbumArtFinder {
public:
    static constexpr int kProvidersPerList = 5;
    enum ProviderList { kFirstList = 0, kSecondList = 1 };

    // Creates the cache folder below dataFolder and starts the sweep timer. The folder-art
    // provider joins the first list when "UseFolderAlbumArt" is set (default), the online
    // provider always joins the second.
    CAlbumArtFinder(CLogger& logger, CConfigStore& config, const std::string& dataFolder);
    ~CAlbumArtFinder();

    CAlbumArtFinder(const CAlbumArtFinder&) = delete;
    CAlbumArtFinder& operator=(const CAlbumArtFinder&) = delete;

    // Any thread; blocks while providers work. Returns 0 with the cache file's path, or -1.
    int FindAlbumArt(const CMusicItem& track, std::string& path);

    // Any thread. Non-owning: the provider must stay alive until it is removed again. Adding
    // one already in the list, or to a full list, does nothing (returns -1 when full).
    // Removing waits for a search that is using the provider to finish.
    int AddProvider(ProviderList list, IAlbumArtProvider* provider);
    void RemoveProvider(IAlbumArtProvider* provider);

    const std::string& CacheFolder() const { return m_cacheFolder; }

    // Deletes cache files whose age in whole hours reached "MaxCacheAge". Runs on the sweep
    // timer's thread; public so that it can be run at once.
    void SweepCache();

    COnlineArtProvider& OnlineProvider() { return m_onlineProvider; }

private:
    CLogger& m_logger;
    CConfigStore& m_config;
    std::string m_cacheFolder;
    int m_maxCacheAgeHours;
    CFolderArtProvider m_folderProvider;
    COnlineArtProvider m_onlineProvider;

    // Providers are added and removed by adapters connecting on other threads while a
    // search may be running.
    std::mutex m_providersMutex;
    std::array<std::array<IAlbumArtProvider*, kProvidersPerList>, 2> m_providers{};

    CPeriodicTimer m_sweepTimer;
};

}  // namespace vantor
