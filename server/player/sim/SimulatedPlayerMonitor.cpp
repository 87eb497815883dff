#include "server/player/sim/SimulatedPlayer.h"

#include "protocol/MessageType.h"

#include <cstdlib>

namespace vantor {

namespace {

// Scanning moves the clock four times as fast as playing, backwards for rewinding.
int ClockRate(int32_t state) {
    if (state == kPlaying) return 1;
    if (state >= kFastForwarding && state <= kFastForwarding3) return 4;
    if (state >= kRewinding && state <= kRewinding3) return -4;
    return 0;
}

// A play position drift below this many seconds is the clock running, not a seek.
constexpr int32_t kPositionJumpSeconds = 3;

}  // namespace

// What the monitor compares from one pass to the next.
struct CSimulatedPlayer::Observed {
    IPlayerListener* listener = nullptr;
    int32_t position = -1;
    uint64_t itemVersion = 0;
    std::unique_ptr<CMediaItem> item;
    int32_t state = kStopped;
    int32_t seconds = 0;
    int32_t volume = 0;
    bool shuffle = false;
    bool repeat = false;
    CEqSettings eq;
    uint64_t playlistVersion = 0;
    uint64_t libraryVersion = 0;
};

void CSimulatedPlayer::AdvanceLocked(int64_t milliseconds) {
    const int rate = ClockRate(m_state);
    if (rate == 0 || !HasCurrentLocked()) return;
    m_playMs += milliseconds * rate;
    if (m_playMs < 0) {
        m_playMs = 0;
        m_state = kPlaying;
        return;
    }
    const int32_t length = m_playlist[static_cast<size_t>(m_position)]->length;
    if (length <= 0 || m_playMs < static_cast<int64_t>(length) * 1000) return;
    // The track ended: on to the next one, around with repeat, else stop at the end.
    if (m_position + 1 < PlaylistSize()) {
        JumpToLocked(m_position + 1);
    } else if (m_repeat) {
        JumpToLocked(0);
    } else {
        m_state = kStopped;
        m_playMs = 0;
    }
}

CSimulatedPlayer::Observed CSimulatedPlayer::ObserveLocked() const {
    Observed now;
    now.listener = m_listener;
    now.position = m_position;
    now.itemVersion = m_itemVersion;
    if (HasCurrentLocked()) now.item = m_playlist[static_cast<size_t>(m_position)]->Clone();
    now.state = m_state;
    now.seconds = static_cast<int32_t>(m_playMs / 1000);
    now.volume = m_volume;
    now.shuffle = m_shuffle;
    now.repeat = m_repeat;
    now.eq = m_eq;
    now.playlistVersion = m_playlistVersion;
    now.libraryVersion = m_libraryVersion;
    return now;
}

void CSimulatedPlayer::MonitorLoop() {
    Observed previous;
    bool first = true;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopMonitor) {
        lock.unlock();
        MonitorPass(previous, first);
        first = false;
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(kMonitorPeriodMs),
                        [this] { return m_stopMonitor; });
    }
}

void CSimulatedPlayer::MonitorPass(Observed& previous, bool first) {
    Observed now;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto tick = std::chrono::steady_clock::now();
        if (!m_clockFrozen) {
            AdvanceLocked(
                std::chrono::duration_cast<std::chrono::milliseconds>(tick - m_lastTick).count());
        }
        m_lastTick = tick;
        now = ObserveLocked();
    }
    // The first pass only learns the state, as a monitor attaching to a running player does.
    if (first) {
        previous = std::move(now);
        return;
    }
    IPlayerListener* listener = now.listener;
    const bool positionChanged = now.position != previous.position;
    const bool itemChanged = now.itemVersion != previous.itemVersion;
    const bool seconds = positionChanged || itemChanged ||
                         std::abs(now.seconds - previous.seconds) >= kPositionJumpSeconds;
    if (listener != nullptr) {
        if (positionChanged) listener->OnPlaylistPositionChanged(now.position);
        if (itemChanged && now.item) listener->OnCurrentMediaChanged(*now.item);
        if (now.state != previous.state) listener->OnPlayingStateChanged(now.state);
        if (now.volume != previous.volume) listener->OnVolumeChanged(now.volume);
        if (seconds) listener->OnPlayPositionChanged(now.seconds);
        if (now.eq != previous.eq) listener->OnEqChanged();
        if (now.shuffle != previous.shuffle) listener->OnShuffleStateChanged(now.shuffle);
        if (now.repeat != previous.repeat) listener->OnRepeatStateChanged(now.repeat);
        if (now.playlistVersion != previous.playlistVersion) listener->OnPlaylistChanged();
        if (now.libraryVersion != previous.libraryVersion) listener->OnLibraryChanged();
    }
    // The play position is remembered on every pass so that slow drift is never reported.
    previous = std::move(now);
}

}  // namespace vantor
