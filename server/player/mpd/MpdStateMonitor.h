#pragma once

#include "protocol/MediaItem.h"
#include "server/player/MonitorThread.h"
#include "server/player/mpd/MpdConnection.h"
#include "server/player/mpd/MpdSong.h"
#include "server/player/mpd/MpdState.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

class CLogger;
class IPlayerListener;

// Watches MPD on a connection of its own: waits in "idle" for the player, mixer, options,
// queue, database, stored-playlist and sticker events, re-reads the state after each and
// tells the listener what changed. While MPD plays, a one-second tick re-reads the status so
// a play position that jumped is reported (3-second rule). When MPD goes away the state
// turns to stopped and the monitor reconnects with a growing delay (100 ms up to 2 s); the
// first state read afterwards is reported as a change.
//
// Thread-safe: the getters may be called from any thread; the listener is called on the
// monitor thread with no lock held.
class CMpdStateMonitor {
public:
    CMpdStateMonitor(CLogger& logger, CMpdAddress address, CMpdPaths& paths);
    ~CMpdStateMonitor();
    CMpdStateMonitor(const CMpdStateMonitor&) = delete;
    CMpdStateMonitor& operator=(const CMpdStateMonitor&) = delete;

    // Starts the thread and waits (up to the connection timeout) for its first attempt to
    // reach MPD. 0 when MPD answered, 102 when not (the thread keeps trying).
    int32_t Start();
    // Makes the thread return and waits for it.
    void Stop();
    bool IsRunning() const;

    void SetListener(IPlayerListener* listener);
    void ClearListener(IPlayerListener* listener);

    // True while the monitor's connection to MPD is up.
    bool IsReachable() const { return m_reachable.load(); }
    CMpdPlayerState State() const;
    // The play position now, counting on from the last status while playing.
    int32_t PlayPosition() const;
    std::unique_ptr<CMusicItem> CurrentItem() const;  // null when nothing is current
    std::string CurrentUri() const;
    std::vector<std::string> PlaylistTitles() const;

private:
    void Run();
    bool ConnectOnce();
    void Lost();
    // Reads the state after the events in `idleMask` (0: everything) and reports changes.
    bool Refresh(unsigned idleMask);
    // One idle round: false when the link broke or a stop was asked for.
    bool IdleRound();
    IPlayerListener* Listener();
    void Report(const CMpdChanges& changes, const CMpdPlayerState& state,
                const std::unique_ptr<CMusicItem>& item, bool libraryChanged);

    CLogger& m_logger;
    const CMpdAddress m_address;
    CMpdPaths& m_paths;
    CMpdConnection m_connection;  // used only on the monitor thread
    CMonitorThread m_thread;
    CMpdBackoff m_backoff;
    std::atomic<bool> m_reachable{false};

    mutable std::mutex m_stateMutex;
    CMpdPlayerState m_state;
    unsigned m_elapsedMs = 0;
    std::chrono::steady_clock::time_point m_elapsedAt;
    std::unique_ptr<CMusicItem> m_current;
    std::string m_currentUri;
    std::vector<std::string> m_titles;
};

}  // namespace vantor
