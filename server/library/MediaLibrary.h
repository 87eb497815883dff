#pragma once

#include "server/core/WorkerThread.h"
#include "server/library/MediaReader.h"
#include "server/library/store/MediaDataStore.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantor {

class CLogger;

// Told when a library update has finished (successfully or not) and "library.db" may hold a
// new library. Called on the update thread.
class IMediaLibraryListener {
public:
    virtual ~IMediaLibraryListener();
    virtual void OnMediaLibraryChanged() = 0;
};

// The media library: the live store on "library.db", the update that rebuilds it from the
// player's library through a temporary store, and the readers that feed an update.
//
// Start and Stop run on the server's thread. Queries (Store, Browse) run on the threads that
// deliver library requests, between Start and Stop. The update runs on the thread
// "Media Library Update"; only one runs at a time.
class CMediaLibrary : public IMediaReaderOwner {
public:
    static constexpr float kLibraryVersion = 3.1f;
    static constexpr int kExtraReaderSlots = 5;
    using ReaderFactory = std::function<std::unique_ptr<IMediaReader>()>;

    // `dataFolder` ends with '/'. The factory makes the player's reader (it may return null).
    CMediaLibrary(CLogger& logger, std::string dataFolder, ReaderFactory readerFactory);
    ~CMediaLibrary() override;
    CMediaLibrary(const CMediaLibrary&) = delete;
    CMediaLibrary& operator=(const CMediaLibrary&) = delete;

    // Opens (creating when missing) the live store, creates the player's reader and starts an
    // update. The listener must outlive the next Stop.
    int Start(IMediaLibraryListener* listener);
    // Cancels a running update, waits for it, and releases the reader and the stores.
    void Stop();

    // IMediaReaderOwner
    void AddItem(const CMediaItem& item) override;
    void StartUpdate() override;
    // An update asked for by a user: the readers first have their players rescan their
    // files. While an update runs, one more follows it, so the request is never lost.
    void StartRescan();

    // Non-owning extra readers fed after the player's reader. False when the reader is
    // already present or every slot is taken (Add), or not present (Remove).
    bool AddReader(IMediaReader* reader);
    bool RemoveReader(IMediaReader* reader);

    bool IsUpdating() const;
    // The live store; null outside Start..Stop.
    IMediaDataStore* Store() const { return m_liveStore.get(); }
    // Blocks until no update runs (for callers that need a settled library).
    void WaitForUpdate() const;

    std::string LibraryPath() const { return m_dataFolder + "library.db"; }
    std::string TemporaryPath() const { return m_dataFolder + "_tmpLib.db"; }

private:
    void RunUpdate();
    void ReadAllLibraries(bool rescan);
    void RunOneUpdate(bool rescan);
    bool ReplaceLibraryFile();
    void RemoveStaleCopies();
    void SyncFolder();

    CLogger& m_logger;
    std::string m_dataFolder;
    ReaderFactory m_readerFactory;
    CWorkerThread m_updateThread;
    std::mutex m_updateStartMutex;  // one update start at a time
    mutable std::mutex m_activeMutex;
    mutable std::condition_variable m_activeChanged;
    bool m_updateActive = false;  // guarded by m_activeMutex; true from start to end of an update
    std::recursive_mutex m_readerMutex;
    std::unique_ptr<IMediaDataStore> m_liveStore;
    std::unique_ptr<IMediaDataStore> m_tempStore;  // only touched by the update thread
    std::unique_ptr<IMediaReader> m_reader;        // guarded by m_readerMutex
    std::array<IMediaReader*, kExtraReaderSlots> m_extraReaders{};  // guarded by m_readerMutex
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_rescanWanted{false};  // the next pass rescans; set by StartRescan
    std::atomic<bool> m_runAgain{false};      // a rescan came while an update ran
    // What the last finished update put into the library, for its log line.
    int m_tracksAdded = 0;                 // update thread only
    int m_playlistsAdded = 0;              // update thread only
    std::atomic<bool> m_accepting{false};  // updates may start (between Start and Stop)
    std::atomic<IMediaLibraryListener*> m_listener{nullptr};
};

}  // namespace vantor
