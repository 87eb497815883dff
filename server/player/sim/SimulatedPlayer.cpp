#include "server/player/sim/SimulatedPlayer.h"

#include "protocol/MessageType.h"
#include "protocol/ResultCodes.h"

#include <algorithm>
#include <array>

namespace vantor {

namespace {

struct CEqPreset {
    const char* name;
    int32_t preamp;
    std::array<int32_t, 10> bands;
};

constexpr std::array<CEqPreset, 5> kPresets = {{
    {"Flat", 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"Rock", 0, {40, 25, -15, -25, -10, 20, 45, 55, 55, 55}},
    {"Classical", 0, {0, 0, 0, 0, 0, 0, -35, -35, -35, -45}},
    {"Dance", 0, {55, 45, 15, 0, 0, -30, -35, -35, 0, 0}},
    {"Full Bass", 0, {50, 50, 50, 30, 10, -20, -40, -50, -55, -55}},
}};

std::string DisplayTitle(const CMediaItem& item) {
    if (const auto* music = dynamic_cast<const CMusicItem*>(&item);
        music && !music->artist.empty()) {
        return music->artist + " - " + music->name;
    }
    return item.name.empty() ? item.path : item.name;
}

}  // namespace

CSimulatedPlayer::CSimulatedPlayer(CLogger& logger) : m_logger(logger), m_monitor(logger) {}

CSimulatedPlayer::~CSimulatedPlayer() {
    Disconnect();
}

int32_t CSimulatedPlayer::Connect() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_failure != 0) return m_failure;
        if (m_connected) return kResultSuccess;
        m_connected = true;
        m_stopMonitor = false;
        ++m_connectCount;
        m_lastTick = std::chrono::steady_clock::now();
    }
    if (m_monitor.Start("Simulated Player Monitor", [this] { MonitorLoop(); }) != 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connected = false;
        return kResultPlayerComm;
    }
    return kResultSuccess;
}

void CSimulatedPlayer::Disconnect() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connected = false;
        m_stopMonitor = true;
    }
    m_wake.notify_all();
    m_monitor.Stop();
}

bool CSimulatedPlayer::IsConnected() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connected;
}

int32_t CSimulatedPlayer::AddListener(IPlayerListener* listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = listener;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::RemoveListener(IPlayerListener* listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_listener == listener) m_listener = nullptr;
    return kResultSuccess;
}

// Every operation below takes the lock and answers the injected failure first.
#define VANTOR_SIM_GUARD()                     \
    std::lock_guard<std::mutex> lock(m_mutex); \
    if (m_failure != 0) return m_failure

int32_t CSimulatedPlayer::Play() {
    VANTOR_SIM_GUARD();
    if (m_playlist.empty()) return kResultSuccess;
    if (!HasCurrentLocked()) JumpToLocked(0);
    m_state = kPlaying;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::Pause() {
    VANTOR_SIM_GUARD();
    if (m_state != kStopped) m_state = kPaused;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::Stop() {
    VANTOR_SIM_GUARD();
    m_state = kStopped;
    m_playMs = 0;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::FastForward() {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultInvalidState;
    m_state = kFastForwarding;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::Rewind() {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultInvalidState;
    m_state = kRewinding;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::PreviousTrack() {
    VANTOR_SIM_GUARD();
    if (m_playlist.empty()) return kResultInvalidState;
    int32_t target = m_position - 1;
    if (target < 0) target = m_repeat ? PlaylistSize() - 1 : 0;
    JumpToLocked(target);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::NextTrack() {
    VANTOR_SIM_GUARD();
    if (m_playlist.empty()) return kResultInvalidState;
    int32_t target = m_position + 1;
    if (target >= PlaylistSize()) target = m_repeat ? 0 : PlaylistSize() - 1;
    JumpToLocked(target);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetPlaylistPosition(int32_t position) {
    VANTOR_SIM_GUARD();
    if (position < 0 || position >= PlaylistSize()) return kResultInvalidArgs;
    JumpToLocked(position);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetPlayPosition(int32_t seconds) {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultInvalidState;
    if (seconds < 0) return kResultInvalidArgs;
    m_playMs = static_cast<int64_t>(seconds) * 1000;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultMediaNotFound;
    out = m_playlist[static_cast<size_t>(m_position)]->Clone();
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetPlaylistPosition() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_position;
}

int32_t CSimulatedPlayer::PlayMedia(const CMediaItem& item) {
    VANTOR_SIM_GUARD();
    m_playlist.clear();
    m_playlist.push_back(item.Clone());
    ChangePlaylistLocked();
    JumpToLocked(0);
    m_state = kPlaying;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    VANTOR_SIM_GUARD();
    if (position < -1 || position > PlaylistSize()) return kResultInvalidArgs;
    size_t at = position == -1 ? m_playlist.size() : static_cast<size_t>(position);
    for (const auto& item : items) {
        if (!item) continue;
        if (position != -1 && static_cast<int32_t>(at) <= m_position) ++m_position;
        m_playlist.insert(m_playlist.begin() + static_cast<std::ptrdiff_t>(at), item->Clone());
        ++at;
    }
    ChangePlaylistLocked();
    return kResultSuccess;
}

int32_t CSimulatedPlayer::PlaylistAdd(const CMediaItem& item, int32_t position) {
    MediaItemList one;
    one.push_back(item.Clone());
    return PlaylistAdd(one, position);
}

int32_t CSimulatedPlayer::PlaylistRemove(int32_t position) {
    VANTOR_SIM_GUARD();
    if (position < 0 || position >= PlaylistSize()) return kResultInvalidArgs;
    m_playlist.erase(m_playlist.begin() + position);
    ChangePlaylistLocked();
    if (position < m_position) {
        --m_position;
    } else if (position == m_position) {
        // The current item went away: the next one (or none) becomes current.
        if (m_position >= PlaylistSize()) {
            m_position = PlaylistSize() - 1;
            if (m_position < 0) m_state = kStopped;
        }
        m_playMs = 0;
        ++m_itemVersion;
    }
    return kResultSuccess;
}

int32_t CSimulatedPlayer::PlaylistMove(int32_t from, int32_t to) {
    VANTOR_SIM_GUARD();
    if (from < 0 || from >= PlaylistSize() || to < 0 || to >= PlaylistSize()) {
        return kResultInvalidArgs;
    }
    auto moved = std::move(m_playlist[static_cast<size_t>(from)]);
    m_playlist.erase(m_playlist.begin() + from);
    m_playlist.insert(m_playlist.begin() + to, std::move(moved));
    if (m_position == from) {
        m_position = to;
    } else if (from < m_position && to >= m_position) {
        --m_position;
    } else if (from > m_position && to <= m_position) {
        ++m_position;
    }
    ChangePlaylistLocked();
    return kResultSuccess;
}

int32_t CSimulatedPlayer::PlaylistClear() {
    VANTOR_SIM_GUARD();
    m_playlist.clear();
    ChangePlaylistLocked();
    m_position = -1;
    m_state = kStopped;
    m_playMs = 0;
    ++m_itemVersion;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SavePlaylist(const std::string& name) {
    VANTOR_SIM_GUARD();
    if (name.empty() || m_savedPlaylists.count(name) != 0) return kResultInvalidArgs;
    std::vector<std::string>& titles = m_savedPlaylists[name];
    for (const auto& item : m_playlist) titles.push_back(item->name);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetVolume() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_volume;
}

int32_t CSimulatedPlayer::SetVolume(int32_t volume) {
    VANTOR_SIM_GUARD();
    m_volume = std::clamp(volume, 0, 100);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetPlayPosition() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int32_t>(m_playMs / 1000);
}

int32_t CSimulatedPlayer::GetPlayingState() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

int32_t CSimulatedPlayer::GetPlaylistLength() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return PlaylistSize();
}

int32_t CSimulatedPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start,
                                           int32_t count, int32_t* total) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> all;
    all.reserve(m_playlist.size());
    for (const auto& item : m_playlist) all.push_back(DisplayTitle(*item));
    if (CopyPlaylistTitles(all, titles, start, count) && total != nullptr) {
        *total = PlaylistSize();
    }
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetTrackRating(int32_t& rating) {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultMediaNotFound;
    rating = std::max(0, m_playlist[static_cast<size_t>(m_position)]->rating);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetTrackRating(int32_t rating) {
    VANTOR_SIM_GUARD();
    if (!HasCurrentLocked()) return kResultMediaNotFound;
    if (rating < 0 || rating > 100) return kResultInvalidArgs;
    m_playlist[static_cast<size_t>(m_position)]->rating = rating;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetEqPresets(std::vector<std::string>& presets) {
    VANTOR_SIM_GUARD();
    presets.clear();
    for (const CEqPreset& preset : kPresets) presets.emplace_back(preset.name);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetEqPreset(const std::string& name) {
    VANTOR_SIM_GUARD();
    for (const CEqPreset& preset : kPresets) {
        if (name == preset.name) {
            m_eq.preamp = preset.preamp;
            m_eq.bands = preset.bands;
            return kResultSuccess;
        }
    }
    return kResultInvalidArgs;
}

int32_t CSimulatedPlayer::GetEq(CEqSettings& settings) {
    VANTOR_SIM_GUARD();
    settings = m_eq;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetEq(const CEqSettings& settings) {
    VANTOR_SIM_GUARD();
    m_eq = settings;
    m_eq.preamp = std::clamp(m_eq.preamp, -100, 100);
    for (int32_t& band : m_eq.bands) band = std::clamp(band, -100, 100);
    return kResultSuccess;
}

int32_t CSimulatedPlayer::GetVideoMode(bool& fullScreen) {
    VANTOR_SIM_GUARD();
    fullScreen = m_fullScreen;
    return kResultSuccess;
}

int32_t CSimulatedPlayer::SetVideoMode(bool fullScreen) {
    VANTOR_SIM_GUARD();
    m_fullScreen = fullScreen;
    return kResultSuccess;
}

void CSimulatedPlayer::GetCapabilities(CPlayerCapabilities& capabilities) {
    capabilities.supportsEq = true;
}

bool CSimulatedPlayer::GetShuffleState() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shuffle;
}

int32_t CSimulatedPlayer::SetShuffleState(bool on) {
    VANTOR_SIM_GUARD();
    m_shuffle = on;
    return kResultSuccess;
}

bool CSimulatedPlayer::GetRepeatState() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_repeat;
}

int32_t CSimulatedPlayer::SetRepeatState(bool on) {
    VANTOR_SIM_GUARD();
    m_repeat = on;
    return kResultSuccess;
}

#undef VANTOR_SIM_GUARD

void CSimulatedPlayer::SetFailure(int32_t code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failure = code;
}

void CSimulatedPlayer::TouchLibrary() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_libraryVersion;
}

void CSimulatedPlayer::AdvanceClock(int64_t milliseconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    AdvanceLocked(milliseconds);
}

void CSimulatedPlayer::FreezeClock(bool frozen) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clockFrozen = frozen;
}

MediaItemList CSimulatedPlayer::PlaylistSnapshot() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    MediaItemList copy;
    for (const auto& item : m_playlist) copy.push_back(item->Clone());
    return copy;
}

int CSimulatedPlayer::ConnectCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connectCount;
}

void CSimulatedPlayer::JumpToLocked(int32_t position) {
    m_position = position;
    m_playMs = 0;
    ++m_itemVersion;
}

}  // namespace vantor
