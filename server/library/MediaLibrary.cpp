#include "server/library/MediaLibrary.h"

#include "server/core/Logger.h"
#include "server/library/store/SQLiteMDS.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantor {

IMediaReaderOwner::~IMediaReaderOwner() = default;
IMediaReader::~IMediaReader() = default;
IMediaLibraryListener::~IMediaLibraryListener() = default;

CMediaLibrary::CMediaLibrary(CLogger& logger, std::string dataFolder, ReaderFactory readerFactory)
    : m_logger(logger),
      m_dataFolder(std::move(dataFolder)),
      m_readerFactory(std::move(readerFactory)),
      m_updateThread(logger) {}

CMediaLibrary::~CMediaLibrary() {
    Stop();
}

int CMediaLibrary::Start(IMediaLibraryListener* listener) {
    if (m_liveStore) Stop();
    RemoveStaleCopies();
    m_listener.store(listener);
    auto live = std::make_unique<CSQLiteMDS>(LibraryPath(), m_logger);
    live->SetLibraryVersion(kLibraryVersion);
    // An empty library from the first moment, so that browsing works during the first update.
    live->CreateIfMissing();
    m_liveStore = std::move(live);
    {
        std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
        m_reader = m_readerFactory ? m_readerFactory() : nullptr;
        if (m_reader) m_reader->SetOwner(this);
    }
    m_accepting.store(true);
    StartUpdate();
    return 0;
}

void CMediaLibrary::Stop() {
    m_accepting.store(false);
    if (IsUpdating()) {
        m_cancel.store(true);
        std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
        if (m_reader) m_reader->Stop();
    }
    {
        std::lock_guard<std::mutex> lock(m_updateStartMutex);
        m_updateThread.Stop();
    }
    // The thread object gives up after a few seconds; the stores must outlive the update.
    WaitForUpdate();
    {
        std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
        m_reader.reset();
    }
    if (m_liveStore) m_liveStore->Shutdown();
    m_liveStore.reset();
    if (m_tempStore) m_tempStore->Shutdown();
    m_tempStore.reset();
    m_listener.store(nullptr);
    m_cancel.store(false);
}

void CMediaLibrary::StartUpdate() {
    std::lock_guard<std::mutex> lock(m_updateStartMutex);
    if (!m_accepting.load()) return;
    {
        std::lock_guard<std::mutex> active(m_activeMutex);
        if (m_updateActive) return;
        m_updateActive = true;
    }
    if (m_updateThread.Start("Media Library Update", [this] { RunUpdate(); }) != 0) {
        std::lock_guard<std::mutex> active(m_activeMutex);
        m_updateActive = false;
        m_activeChanged.notify_all();
    }
}

void CMediaLibrary::StartRescan() {
    m_rescanWanted.store(true);
    {
        std::lock_guard<std::mutex> active(m_activeMutex);
        if (m_updateActive) {
            m_runAgain.store(true);
            return;
        }
    }
    StartUpdate();
}

bool CMediaLibrary::IsUpdating() const {
    std::lock_guard<std::mutex> lock(m_activeMutex);
    return m_updateActive;
}

void CMediaLibrary::WaitForUpdate() const {
    std::unique_lock<std::mutex> lock(m_activeMutex);
    m_activeChanged.wait(lock, [this] { return !m_updateActive; });
}

void CMediaLibrary::AddItem(const CMediaItem& item) {
    IMediaDataStore* store = m_tempStore.get();
    if (store == nullptr) return;
    // By class as well as by type: a record of another class with a matching type is dropped.
    switch (item.mediaType) {
        case kMediaMusic:
            if (auto* track = dynamic_cast<const CMusicItem*>(&item)) {
                store->AddAudioTrack(*track);
                ++m_tracksAdded;
            }
            break;
        case kMediaVideo:
            if (auto* video = dynamic_cast<const CVideoItem*>(&item)) store->AddVideo(*video);
            break;
        case kMediaTV:
            if (auto* show = dynamic_cast<const CTVItem*>(&item)) store->AddTVShow(*show);
            break;
        case kMediaPlaylist:
            if (auto* playlist = dynamic_cast<const CPlaylistItem*>(&item)) {
                store->AddPlaylist(*playlist);
                ++m_playlistsAdded;
            }
            break;
        case kMediaRadio:
            if (auto* station = dynamic_cast<const CRadioStationItem*>(&item)) {
                store->AddRadioStation(*station);
            }
            break;
        default:
            break;
    }
}

bool CMediaLibrary::AddReader(IMediaReader* reader) {
    if (reader == nullptr) return false;
    std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
    for (IMediaReader* present : m_extraReaders) {
        if (present == reader) return false;
    }
    for (IMediaReader*& slot : m_extraReaders) {
        if (slot == nullptr) {
            slot = reader;
            reader->SetOwner(this);
            return true;
        }
    }
    return false;
}

bool CMediaLibrary::RemoveReader(IMediaReader* reader) {
    std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
    for (IMediaReader*& slot : m_extraReaders) {
        if (slot == reader && reader != nullptr) {
            slot = nullptr;
            return true;
        }
    }
    return false;
}

void CMediaLibrary::ReadAllLibraries(bool rescan) {
    m_cancel.store(false);
    IMediaReader* reader = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
        if (!m_reader && m_readerFactory) {
            m_reader = m_readerFactory();
            if (m_reader) m_reader->SetOwner(this);
        }
        reader = m_reader.get();
    }
    // The player's reader lives until Stop, which waits for this thread first.
    if (reader != nullptr) {
        if (rescan) reader->Rescan();
        if (!m_cancel.load()) reader->Read();
    }
    std::lock_guard<std::recursive_mutex> lock(m_readerMutex);
    for (IMediaReader* extra : m_extraReaders) {
        if (m_cancel.load()) break;
        if (extra == nullptr) continue;
        if (rescan) extra->Rescan();
        extra->Read();
    }
}

void CMediaLibrary::RunUpdate() {
    for (;;) {
        RunOneUpdate(m_rescanWanted.exchange(false));
        // Decided under the lock that StartRescan takes, so a rescan asked for just now
        // either finds the update still active or starts a new one.
        std::lock_guard<std::mutex> lock(m_activeMutex);
        if (!m_runAgain.exchange(false) || m_cancel.load()) {
            m_updateActive = false;
            m_activeChanged.notify_all();
            return;
        }
    }
}

void CMediaLibrary::RunOneUpdate(bool rescan) {
    m_tempStore = std::make_unique<CSQLiteMDS>(TemporaryPath(), m_logger);
    if (!m_tempStore) {
        m_logger.LogCritical(
            "ERROR: Unable to create temporary IMediaDataStore update cannot continue!");
        return;
    }
    m_logger.LogDetailed("Media Library Update Started");
    std::remove((TemporaryPath() + "-journal").c_str());
    std::remove(TemporaryPath().c_str());
    m_tempStore->SetLibraryVersion(kLibraryVersion);
    m_tempStore->CreateIfMissing();
    m_tempStore->BeginUpdate();
    m_tracksAdded = 0;
    m_playlistsAdded = 0;
    if (!m_cancel.load()) ReadAllLibraries(rescan);
    if (!m_cancel.load()) m_tempStore->EndUpdate();
    m_tempStore->Shutdown();
    m_tempStore.reset();
    if (!m_cancel.load() && ReplaceLibraryFile()) {
        m_logger.LogNormal("Media library indexed: %d tracks, %d playlists", m_tracksAdded,
                           m_playlistsAdded);
    }
    std::remove(TemporaryPath().c_str());
    m_logger.LogDetailed("Media Library Update Finished");
    IMediaLibraryListener* listener = m_listener.load();
    if (listener != nullptr) listener->OnMediaLibraryChanged();
}

// A copy that a crash interrupted ("library.db.XXXXXX", as earlier versions named the copy
// they renamed into place) would otherwise stay beside the library for good, as large as
// the library itself. Only one server runs on a data folder, and no update runs yet, so
// none of them is in use.
void CMediaLibrary::RemoveStaleCopies() {
    DIR* folder = opendir(m_dataFolder.c_str());
    if (folder == nullptr) return;
    const std::string prefix = "library.db.";
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (unlinkat(dirfd(folder), name.c_str(), 0) == 0)
            m_logger.LogNormal("Removed an unfinished library copy: %s", name.c_str());
    }
    closedir(folder);
}

// Makes the rename itself durable.
void CMediaLibrary::SyncFolder() {
    const int folder = open(m_dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    fsync(folder);
    close(folder);
}

// Renames the finished temporary library over "library.db", so that a query opening the
// file at any moment finds either the old or the new library, never a mix. (It used to be
// copied beside the library first: at a million tracks that copy took 4 of the import's
// 31 s.) The update has closed it; its pages are flushed before the rename, so that a crash
// right after it cannot leave a library.db whose pages never reached the disk.
bool CMediaLibrary::ReplaceLibraryFile() {
    const int file = open(TemporaryPath().c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = file >= 0;
    if (ok) {
        ok = fchmod(file, 0644) == 0 && fsync(file) == 0;
        ok = close(file) == 0 && ok;
    }
    if (ok) ok = std::rename(TemporaryPath().c_str(), LibraryPath().c_str()) == 0;
    if (ok) SyncFolder();
    if (!ok) {
        m_logger.LogCritical("ERROR: Unable to replace the media database %s: %s",
                             LibraryPath().c_str(), std::strerror(errno));
    }
    if (ok && m_liveStore) m_liveStore->ReleaseConnections();
    return ok;
}

}  // namespace vantor
