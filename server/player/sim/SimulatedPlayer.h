#pragma once

#include "server/core/WorkerThread.h"
#include "server/player/Player.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

class CLogger;

// A player over in-memory state: a playlist, the position in it, a play clock, volume,
// shuffle and repeat, an equaliser with presets, ratings and a full-screen flag. While
// connected, a monitor thread ("Simulated Player Monitor") advances the clock every 100 ms
// and reports changes to the listener the way a real adapter's state monitor does: a value
// is reported when it differs from the one seen on the previous pass, the play position only
// on a jump of 3 s or more or together with a change of item. So a change made through an
// operation reaches the listener within about 100 ms, on the monitor's thread.
// Thread-safe: every operation may be called from any thread.
class CSimulatedPlayer : public IPlayer {
public:
    static constexpr int kMonitorPeriodMs = 100;
    static constexpr int32_t kDefaultVolume = 50;

    explicit CSimulatedPlayer(CLogger& logger);
    ~CSimulatedPlayer() override;

    int32_t Connect() override;
    void Disconnect() override;
    bool IsConnected() const override;
    int32_t AddListener(IPlayerListener* listener) override;
    int32_t RemoveListener(IPlayerListener* listener) override;

    int32_t Play() override;
    int32_t Pause() override;
    int32_t Stop() override;
    int32_t FastForward() override;
    int32_t Rewind() override;
    int32_t PreviousTrack() override;
    int32_t NextTrack() override;
    int32_t SetPlaylistPosition(int32_t position) override;
    int32_t SetPlayPosition(int32_t seconds) override;
    int32_t GetCurrentMedia(std::unique_ptr<CMediaItem>& out) override;
    int32_t GetPlaylistPosition() override;
    int32_t PlayMedia(const CMediaItem& item) override;
    int32_t PlaylistAdd(const MediaItemList& items, int32_t position) override;
    int32_t PlaylistAdd(const CMediaItem& item, int32_t position) override;
    int32_t PlaylistRemove(int32_t position) override;
    int32_t PlaylistMove(int32_t from, int32_t to) override;
    int32_t PlaylistClear() override;
    // Keeps the play list's titles under the name; a name already taken is refused.
    int32_t SavePlaylist(const std::string& name) override;
    int32_t GetVolume() override;
    int32_t SetVolume(int32_t volume) override;
    int32_t GetPlayPosition() override;
    int32_t GetPlayingState() override;
    int32_t GetPlaylistLength() override;
    int32_t GetPlaylistItems(std::vector<std::string>& titles, int32_t start, int32_t count,
                             int32_t* total) override;
    int32_t GetTrackRating(int32_t& rating) override;
    int32_t SetTrackRating(int32_t rating) override;
    int32_t GetEqPresets(std::vector<std::string>& presets) override;
    int32_t SetEqPreset(const std::string& name) override;
    int32_t GetEq(CEqSettings& settings) override;
    int32_t SetEq(const CEqSettings& settings) override;
    int32_t GetVideoMode(bool& fullScreen) override;
    int32_t SetVideoMode(bool fullScreen) override;
    void GetCapabilities(CPlayerCapabilities& capabilities) override;
    bool GetShuffleState() override;
    int32_t SetShuffleState(bool on) override;
    bool GetRepeatState() override;
    int32_t SetRepeatState(bool on) override;

    // Test and demo controls.

    // Every operation that returns a result code answers `code` (0: normal) and changes
    // nothing; Connect fails the same way.
    void SetFailure(int32_t code);
    // Reports OnLibraryChanged on the next monitor pass.
    void TouchLibrary();
    // Moves the play clock forward as if `milliseconds` had passed while playing.
    void AdvanceClock(int64_t milliseconds);
    // Stops (or restarts) the clock's own running, so that only AdvanceClock moves it.
    void FreezeClock(bool frozen);
    // A copy of the playlist, for checking what was played or added.
    MediaItemList PlaylistSnapshot() const;
    // Number of Connect calls that attached (not counting calls while connected).
    int ConnectCount() const;

private:
    struct Observed;

    // Operations below run with m_mutex held.
    bool HasCurrentLocked() const { return m_position >= 0 && m_position < PlaylistSize(); }
    int32_t PlaylistSize() const { return static_cast<int32_t>(m_playlist.size()); }
    void JumpToLocked(int32_t position);
    void AdvanceLocked(int64_t milliseconds);
    void ChangePlaylistLocked() { ++m_playlistVersion; }
    Observed ObserveLocked() const;

    void MonitorLoop();
    void MonitorPass(Observed& previous, bool first);

    CLogger& m_logger;
    CWorkerThread m_monitor;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_connected = false;
    bool m_stopMonitor = false;
    int m_connectCount = 0;
    IPlayerListener* m_listener = nullptr;
    int32_t m_failure = 0;

    MediaItemList m_playlist;
    std::map<std::string, std::vector<std::string>> m_savedPlaylists;
    int32_t m_position = -1;
    int32_t m_state = 2;  // stopped
    int64_t m_playMs = 0;
    int32_t m_volume = kDefaultVolume;
    bool m_shuffle = false;
    bool m_repeat = false;
    bool m_fullScreen = false;
    bool m_clockFrozen = false;
    CEqSettings m_eq;
    uint64_t m_playlistVersion = 0;
    uint64_t m_libraryVersion = 0;
    uint64_t m_itemVersion = 0;  // bumped whenever the current item may have changed
    std::chrono::steady_clock::time_point m_lastTick;
};

}  // namespace vantor
