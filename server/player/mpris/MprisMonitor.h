#pragma once

#include "server/player/MonitorThread.h"
#include "server/player/mpris/DBusConnection.h"
#include "server/player/mpris/DBusValue.h"
#include "server/player/mpris/MprisConfig.h"
#include "server/player/mpris/MprisNowPlaying.h"
#include "server/player/mpris/MprisState.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

class CLogger;
class IPlayerListener;

// Follows one media player on the bus with a connection of its own, on the thread
// "MPRIS State Monitor". Changes come from the player's signals: PropertiesChanged of the
// player, root and track-list interfaces, Seeked and the track-list signals. Nothing is
// polled except the play position, once a second while playing, so that a jump the player
// did not signal is still reported (3-second rule); that read takes the player interface's
// other properties along, which catches players that leave a change unsignalled. Players appearing and leaving are seen
// through NameOwnerChanged: while the player is gone the state is stopped and
// IsReachable() is false; when it (or, when no name is configured, any player) appears it
// is followed again. A lost bus is reopened with a growing delay (100 ms up to 2 s).
//
// Thread-safe: the getters may be called from any thread; the listener is called on the
// monitor thread with no lock held.
class CMprisMonitor {
public:
    CMprisMonitor(CLogger& logger, CMprisAddress address,
                  std::shared_ptr<CMprisNowPlaying> nowPlaying);
    ~CMprisMonitor();
    CMprisMonitor(const CMprisMonitor&) = delete;
    CMprisMonitor& operator=(const CMprisMonitor&) = delete;

    // Starts the thread and waits (up to the call timeout) for its first look at the bus.
    // 0 when a player was found, 102 when not (the thread keeps watching).
    int32_t Start();
    void Stop();

    void SetListener(IPlayerListener* listener);
    void ClearListener(IPlayerListener* listener);

    // True while a player is followed.
    bool IsReachable() const { return m_reachable.load(); }
    // The followed player's bus name; "" when there is none.
    std::string PlayerName() const;
    CMprisPlayerState State() const;
    // The play position now, counting on from the last report while playing.
    int64_t PositionUs() const;

    static constexpr int kPlayingTickMs = 1000;

private:
    using Clock = std::chrono::steady_clock;

    // What the signals since the last pass asked for.
    struct Pending {
        bool refreshAll = false;
        bool refreshPlayer = false;
        bool reloadTracks = false;
        bool reselect = false;
        bool lost = false;
        bool seeked = false;
        int64_t seekedUs = 0;
        BusDict playerChanges;
        bool Any() const {
            return refreshAll || refreshPlayer || reloadTracks || reselect || lost || seeked ||
                   !playerChanges.empty();
        }
    };

    void Run();
    bool OpenConnection();
    void CloseConnection();
    // Picks the player to follow and reads its whole state. False when the bus broke.
    bool SelectPlayer();
    // Reads the followed player's whole state into `fresh`. A negative errno on failure.
    int ReadAll(CMprisPlayerState& fresh);
    int ReadTracks(CMprisPlayerState& fresh);
    int ReadPosition(int64_t& positionUs);
    int GetAll(const char* interface, BusDict& properties);
    // Applies what the signals asked for. False when the bus broke.
    bool HandlePending();
    // One position check while playing. False when the bus broke.
    bool Tick();
    // A call to the player failed with `r`: the player or the bus went away, or it was a
    // refusal. False when the bus broke.
    bool CallFailed(int r, const CBusError& error);
    void Follow(const std::string& name, const std::string& owner);
    void Lost();
    void Commit(CMprisPlayerState fresh, bool forcePosition);
    void Report(const CMprisChanges& changes, const CMprisPlayerState& state);

    static int OnSignal(sd_bus_message* message, void* self, sd_bus_error* error);
    void HandleSignal(sd_bus_message* message);

    CLogger& m_logger;
    const CMprisAddress m_address;
    std::shared_ptr<CMprisNowPlaying> m_nowPlaying;
    CMonitorThread m_thread;
    std::atomic<bool> m_reachable{false};

    // Monitor thread only.
    BusPtr m_bus;
    std::vector<BusSlotPtr> m_matches;
    std::string m_owner;  // unique name of the followed player
    Pending m_pending;
    bool m_busLossLogged = false;
    int m_backoffMs = 100;
    Clock::time_point m_nextTick;

    mutable std::mutex m_stateMutex;
    std::string m_playerName;
    CMprisPlayerState m_state;
    Clock::time_point m_positionAt;
};

}  // namespace vantor
