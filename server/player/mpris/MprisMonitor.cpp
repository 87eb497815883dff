#include "server/player/mpris/MprisMonitor.h"

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/Player.h"
#include "server/player/mpris/MprisNames.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

constexpr int kMaxBackoffMs = 2000;
// A bound on what one player can make the server hold.
constexpr size_t kMaxTracks = 10000;

const char* const kMatches[] = {
    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
    "member='NameOwnerChanged',arg0namespace='org.mpris.MediaPlayer2'",
    "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
    "path='/org/mpris/MediaPlayer2'",
    "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked',"
    "path='/org/mpris/MediaPlayer2'",
    "type='signal',interface='org.mpris.MediaPlayer2.TrackList',path='/org/mpris/MediaPlayer2'",
};

bool HasKey(const BusDict& dict, const char* key) {
    return std::any_of(dict.begin(), dict.end(), [key](const auto& e) { return e.first == key; });
}

}  // namespace

CMprisMonitor::CMprisMonitor(CLogger& logger, CMprisAddress address,
                             std::shared_ptr<CMprisNowPlaying> nowPlaying)
    : m_logger(logger),
      m_address(std::move(address)),
      m_nowPlaying(nowPlaying ? std::move(nowPlaying) : std::make_shared<CMprisNowPlaying>()),
      m_thread(logger) {}

CMprisMonitor::~CMprisMonitor() {
    Stop();
}

int32_t CMprisMonitor::Start() {
    if (!m_thread.Start("MPRIS State Monitor", [this] { Run(); },
                        m_address.callTimeoutMs * 2 + 500)) {
        return kResultPlayerComm;
    }
    return m_reachable ? kResultSuccess : kResultPlayerComm;
}

void CMprisMonitor::Stop() {
    m_thread.Stop();
}

void CMprisMonitor::SetListener(IPlayerListener* listener) {
    m_thread.SetListener(listener);
}

void CMprisMonitor::ClearListener(IPlayerListener* listener) {
    m_thread.ClearListener(listener);
}

std::string CMprisMonitor::PlayerName() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_playerName;
}

CMprisPlayerState CMprisMonitor::State() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_state;
}

int64_t CMprisMonitor::PositionUs() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    int64_t us = m_state.positionUs;
    if (m_state.playingState == kPlaying) {
        us += std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_positionAt)
                  .count();
    }
    return us;
}

// ------------------------------------------------------------------ the loop

void CMprisMonitor::Run() {
    bool first = true;
    auto firstLookDone = [&] {
        if (!first) return;
        first = false;
        m_thread.FirstAttemptDone();
    };
    while (!m_thread.IsStopping()) {
        if (!m_bus) {
            const bool up = OpenConnection() && SelectPlayer();
            firstLookDone();
            if (!up) {
                CloseConnection();
                if (m_thread.WaitForWake(m_backoffMs)) break;
                m_backoffMs = std::min(kMaxBackoffMs, m_backoffMs * 2);
                continue;
            }
            m_backoffMs = 100;
        }
        // Dispatch everything that is queued, then act on it. The calls made while acting
        // may queue more messages, which the descriptor will not announce again, so every
        // action goes back to dispatching before the bus is waited on.
        int r = 0;
        while ((r = sd_bus_process(m_bus.get(), nullptr)) > 0) {
        }
        bool healthy = r >= 0;
        if (healthy && m_pending.Any()) {
            if (!HandlePending()) healthy = false;
            if (healthy) continue;
        }
        const bool playing = IsReachable() && State().playingState == kPlaying;
        if (healthy && playing && Clock::now() >= m_nextTick) {
            m_nextTick = Clock::now() + std::chrono::milliseconds(kPlayingTickMs);
            if (Tick()) continue;
            healthy = false;
        }
        if (!healthy) {
            CloseConnection();
            Lost();
            continue;
        }

        int timeoutMs = -1;
        if (playing) {
            timeoutMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             m_nextTick - Clock::now())
                                             .count()) +
                        1;
        } else {
            m_nextTick = Clock::now() + std::chrono::milliseconds(kPlayingTickMs);
        }
        uint64_t busTimeout = 0;
        if (sd_bus_get_timeout(m_bus.get(), &busTimeout) >= 0 && busTimeout != UINT64_MAX) {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            const uint64_t nowUs = static_cast<uint64_t>(ts.tv_sec) * 1000000u +
                                   static_cast<uint64_t>(ts.tv_nsec) / 1000u;
            const int busMs =
                busTimeout > nowUs ? static_cast<int>((busTimeout - nowUs + 999) / 1000) : 0;
            timeoutMs = timeoutMs < 0 ? busMs : std::min(timeoutMs, busMs);
        }
        const int events = sd_bus_get_events(m_bus.get());
        pollfd fds[2] = {{sd_bus_get_fd(m_bus.get()), static_cast<short>(events < 0 ? POLLIN : events), 0},
                         {m_thread.WakeFd(), POLLIN, 0}};
        poll(fds, 2, timeoutMs);
    }
    CloseConnection();
    m_reachable = false;
}

bool CMprisMonitor::OpenConnection() {
    const int r = OpenBus(m_address.bus, m_address.callTimeoutMs, m_bus);
    if (r < 0) {
        if (!m_busLossLogged) {
            m_busLossLogged = true;
            m_logger.LogCritical("ERROR: MPRIS: cannot connect to the %s bus: %s",
                                 m_address.bus.c_str(), std::strerror(-r));
        }
        return false;
    }
    for (const char* rule : kMatches) {
        sd_bus_slot* slot = nullptr;
        const int m = sd_bus_add_match(m_bus.get(), &slot, rule, &CMprisMonitor::OnSignal, this);
        if (m < 0) {
            m_logger.LogCritical("ERROR: MPRIS: cannot watch the bus: %s", std::strerror(-m));
            CloseConnection();
            return false;
        }
        m_matches.emplace_back(slot);
    }
    if (m_busLossLogged) m_logger.LogNormal("MPRIS: connected to the %s bus", m_address.bus.c_str());
    m_busLossLogged = false;
    return true;
}

void CMprisMonitor::CloseConnection() {
    m_matches.clear();
    m_bus.reset();
    m_owner.clear();
    m_pending = Pending();
}

// ------------------------------------------------------------------ the player

bool CMprisMonitor::SelectPlayer() {
    m_pending = Pending();
    CBusError error;
    std::vector<std::string> names;
    int r = ListBusNames(m_bus.get(), names, error);
    if (r < 0) return !IsBusBroken(r) && MapBusError(r, error.Get()) != kResultPlayerComm;
    const std::vector<std::string> candidates = MprisCandidates(m_address, names);
    std::string chosen;
    for (const auto& name : candidates) {
        CBusError statusError;
        sd_bus_message* reply = nullptr;
        r = sd_bus_get_property(m_bus.get(), name.c_str(), mpris::kObjectPath,
                                mpris::kPlayerInterface, "PlaybackStatus", statusError.Get(), &reply,
                                "s");
        if (r < 0) {
            if (IsBusBroken(r)) return false;
            continue;  // gone in between, or not answering: not a player to follow
        }
        BusMessagePtr owned(reply);
        const char* status = nullptr;
        if (chosen.empty()) chosen = name;
        if (sd_bus_message_read_basic(reply, SD_BUS_TYPE_STRING, &status) > 0 && status &&
            std::strcmp(status, "Playing") == 0) {
            chosen = name;
            break;
        }
    }
    if (chosen.empty()) {
        Lost();
        return true;
    }
    const char* owner = nullptr;
    CBusError ownerError;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call_method(m_bus.get(), mpris::kBusName, mpris::kBusPath, mpris::kBusInterface,
                           "GetNameOwner", ownerError.Get(), &reply, "s", chosen.c_str());
    if (r < 0) return CallFailed(r, ownerError);
    BusMessagePtr owned(reply);
    if (sd_bus_message_read_basic(reply, SD_BUS_TYPE_STRING, &owner) < 0 || !owner) return true;
    Follow(chosen, owner);
    CMprisPlayerState fresh;
    r = ReadAll(fresh);
    if (r < 0) {
        CBusError none;
        return CallFailed(r, none);
    }
    m_reachable = true;
    Commit(std::move(fresh), false);
    return true;
}

void CMprisMonitor::Follow(const std::string& name, const std::string& owner) {
    const bool changed = PlayerName() != name;
    m_owner = owner;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_playerName = name;
    }
    if (changed) m_logger.LogNormal("MPRIS: following the player %s", name.c_str());
}

int CMprisMonitor::GetAll(const char* interface, BusDict& properties) {
    properties.clear();
    CBusError error;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(m_bus.get(), m_owner.c_str(), mpris::kObjectPath,
                               mpris::kPropertiesInterface, "GetAll", error.Get(), &reply, "s",
                               interface);
    if (r < 0) return r;
    BusMessagePtr owned(reply);
    return ReadBusDict(reply, properties);
}

int CMprisMonitor::ReadPosition(int64_t& positionUs) {
    CBusError error;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_get_property(m_bus.get(), m_owner.c_str(), mpris::kObjectPath,
                                mpris::kPlayerInterface, "Position", error.Get(), &reply, "x");
    if (r < 0) return r;
    BusMessagePtr owned(reply);
    int64_t value = 0;
    r = sd_bus_message_read_basic(reply, SD_BUS_TYPE_INT64, &value);
    if (r > 0) positionUs = std::max<int64_t>(0, value);
    return r < 0 ? r : 0;
}

int CMprisMonitor::ReadTracks(CMprisPlayerState& fresh) {
    fresh.tracks.clear();
    BusDict trackList;
    int r = GetAll(mpris::kTrackListInterface, trackList);
    if (r < 0) return r;
    std::vector<std::string> ids;
    for (const auto& [name, value] : trackList) {
        if (name == "Tracks" && value.kind == CBusValue::kTexts) ids = value.texts;
        if (name == "CanEditTracks" && value.kind == CBusValue::kFlag) fresh.canEditTracks = value.flag;
    }
    if (ids.size() > kMaxTracks) ids.resize(kMaxTracks);
    if (ids.empty()) return 0;

    sd_bus_message* call = nullptr;
    r = sd_bus_message_new_method_call(m_bus.get(), &call, m_owner.c_str(), mpris::kObjectPath,
                                       mpris::kTrackListInterface, "GetTracksMetadata");
    if (r < 0) return r;
    BusMessagePtr ownedCall(call);
    r = sd_bus_message_open_container(call, SD_BUS_TYPE_ARRAY, "o");
    for (size_t i = 0; r >= 0 && i < ids.size(); ++i)
        r = sd_bus_message_append_basic(call, SD_BUS_TYPE_OBJECT_PATH, ids[i].c_str());
    if (r >= 0) r = sd_bus_message_close_container(call);
    if (r < 0) return r;
    CBusError error;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call(m_bus.get(), call, 0, error.Get(), &reply);
    if (r < 0) return r;
    BusMessagePtr owned(reply);
    r = sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "a{sv}");
    if (r < 0) return r;
    while (fresh.tracks.size() < kMaxTracks) {
        CBusValue metadata;
        metadata.kind = CBusValue::kDict;
        r = sd_bus_message_at_end(reply, false);
        if (r != 0) break;
        r = ReadBusDict(reply, metadata.entries);
        if (r < 0) return r;
        fresh.tracks.push_back(TrackFromMetadata(metadata));
    }
    return r < 0 ? r : 0;
}

int CMprisMonitor::ReadAll(CMprisPlayerState& fresh) {
    BusDict properties;
    int r = GetAll(mpris::kPlayerInterface, properties);
    if (r < 0) return r;
    ApplyPlayerProperties(properties, fresh);
    r = GetAll(mpris::kRootInterface, properties);
    if (r < 0) return r;
    for (const auto& [name, value] : properties) {
        if (name == "HasTrackList" && value.kind == CBusValue::kFlag) fresh.hasTrackList = value.flag;
    }
    if (fresh.hasTrackList) {
        r = ReadTracks(fresh);
        // A player that announces a track list but has none is taken at its other word.
        if (r < 0 && MapBusError(r, nullptr) != kResultPlayerComm && !IsBusBroken(r)) {
            fresh.hasTrackList = false;
            r = 0;
        }
    }
    return r;
}

bool CMprisMonitor::CallFailed(int r, const CBusError& error) {
    if (IsBusBroken(r)) return false;
    if (MapBusError(r, error.Get()) == kResultPlayerComm) {
        // The player left or hangs; NameOwnerChanged will tell when one is back.
        Lost();
        m_pending.reselect = true;
    }
    return true;
}

void CMprisMonitor::Lost() {
    const bool wasReachable = m_reachable.exchange(false);
    m_owner.clear();
    CMprisPlayerState gone;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        name = m_playerName;
        m_playerName.clear();
    }
    if (wasReachable) {
        m_logger.LogNormal("MPRIS: the player %s went away; waiting for a player", name.c_str());
        Commit(gone, false);
    }
}

// ------------------------------------------------------------------ signals

int CMprisMonitor::OnSignal(sd_bus_message* message, void* self, sd_bus_error*) {
    static_cast<CMprisMonitor*>(self)->HandleSignal(message);
    return 0;
}

void CMprisMonitor::HandleSignal(sd_bus_message* m) {
    if (sd_bus_message_is_signal(m, mpris::kBusInterface, "NameOwnerChanged")) {
        const char* name = nullptr;
        const char* oldOwner = nullptr;
        const char* newOwner = nullptr;
        if (sd_bus_message_read(m, "sss", &name, &oldOwner, &newOwner) < 0 || !name) return;
        const bool followed = !m_owner.empty() && PlayerName() == name;
        if (followed && (!newOwner || !*newOwner)) {
            m_pending.lost = true;
            m_pending.reselect = true;  // another player may be there
        } else if (followed) {
            m_owner = newOwner;  // the same name, a new process
            m_pending.refreshAll = true;
        } else if (m_owner.empty() && newOwner && *newOwner && m_address.Matches(name)) {
            m_pending.reselect = true;
        }
        return;
    }
    const char* sender = sd_bus_message_get_sender(m);
    if (m_owner.empty() || !sender || m_owner != sender) return;  // not the followed player

    if (sd_bus_message_is_signal(m, mpris::kPlayerInterface, "Seeked")) {
        int64_t position = 0;
        if (sd_bus_message_read_basic(m, SD_BUS_TYPE_INT64, &position) > 0) {
            m_pending.seeked = true;
            m_pending.seekedUs = std::max<int64_t>(0, position);
        }
        return;
    }
    if (sd_bus_message_is_signal(m, mpris::kTrackListInterface, nullptr)) {
        m_pending.reloadTracks = true;  // any change of the list: read it again
        return;
    }
    if (!sd_bus_message_is_signal(m, mpris::kPropertiesInterface, "PropertiesChanged")) return;
    const char* interface = nullptr;
    BusDict changed;
    if (sd_bus_message_read_basic(m, SD_BUS_TYPE_STRING, &interface) < 0 || !interface ||
        ReadBusDict(m, changed) < 0) {
        m_pending.refreshAll = true;  // could not read what changed: read everything
        return;
    }
    char** invalidated = nullptr;
    const bool anyInvalidated = sd_bus_message_read_strv(m, &invalidated) > 0 && invalidated &&
                                invalidated[0] != nullptr;
    if (invalidated) {
        for (char** s = invalidated; *s; ++s) free(*s);
        free(invalidated);
    }
    if (std::strcmp(interface, mpris::kPlayerInterface) == 0) {
        if (anyInvalidated) m_pending.refreshPlayer = true;
        for (auto& entry : changed) m_pending.playerChanges.push_back(std::move(entry));
    } else if (std::strcmp(interface, mpris::kTrackListInterface) == 0) {
        m_pending.reloadTracks = true;
    } else if (std::strcmp(interface, mpris::kRootInterface) == 0) {
        if (anyInvalidated || HasKey(changed, "HasTrackList")) m_pending.refreshAll = true;
    }
}

bool CMprisMonitor::HandlePending() {
    Pending pending = std::move(m_pending);
    m_pending = Pending();
    if (pending.lost) Lost();
    if (pending.reselect && m_owner.empty()) return SelectPlayer();
    if (m_owner.empty()) return true;

    CMprisPlayerState fresh = State();
    fresh.positionUs = PositionUs();
    int r = 0;
    if (pending.refreshAll) {
        CMprisPlayerState all;
        r = ReadAll(all);
        if (r >= 0) fresh = std::move(all);
    } else {
        ApplyPlayerProperties(pending.playerChanges, fresh);
        if (pending.refreshPlayer) {
            BusDict properties;
            r = GetAll(mpris::kPlayerInterface, properties);
            ApplyPlayerProperties(properties, fresh);
        }
        if (r >= 0 && pending.reloadTracks && fresh.hasTrackList) r = ReadTracks(fresh);
        // The position is not signalled with the other properties; after a change of track
        // or of the playing state it is read again so the clock starts from the truth.
        const CMprisPlayerState cached = State();
        if (r >= 0 && !pending.seeked &&
            (!cached.track.SameAs(fresh.track) || cached.playingState != fresh.playingState)) {
            r = ReadPosition(fresh.positionUs);
        }
    }
    if (r < 0) {
        CBusError none;
        return CallFailed(r, none);
    }
    if (pending.seeked) fresh.positionUs = pending.seekedUs;
    Commit(std::move(fresh), pending.seeked);
    return true;
}

bool CMprisMonitor::Tick() {
    if (m_owner.empty()) return true;
    // One call for the whole player interface costs what the position alone does, and it
    // also catches a change the player forgot to signal (some leave out Shuffle).
    CMprisPlayerState fresh = State();
    BusDict properties;
    const int r = GetAll(mpris::kPlayerInterface, properties);
    if (r < 0) {
        CBusError none;
        return CallFailed(r, none);
    }
    ApplyPlayerProperties(properties, fresh);
    Commit(std::move(fresh), false);
    return true;
}

// ------------------------------------------------------------------ reporting

void CMprisMonitor::Commit(CMprisPlayerState fresh, bool forcePosition) {
    CMprisChanges changes;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        CMprisPlayerState cached = m_state;
        if (cached.playingState == kPlaying) {
            cached.positionUs += std::chrono::duration_cast<std::chrono::microseconds>(
                                     Clock::now() - m_positionAt)
                                     .count();
        }
        changes = CompareMprisStates(cached, fresh);
        m_state = fresh;
        m_positionAt = Clock::now();
    }
    if (forcePosition) changes.playPosition = true;
    if (changes.currentMedia) m_nowPlaying->Set(PathFromUrl(fresh.track.url), fresh.track.artUrl);
    Report(changes, fresh);
}

void CMprisMonitor::Report(const CMprisChanges& changes, const CMprisPlayerState& state) {
    IPlayerListener* l = m_thread.Listener();
    if (!l) return;
    if (changes.playlist) l->OnPlaylistChanged();
    if (changes.playlistPosition) l->OnPlaylistPositionChanged(state.PlaylistPosition());
    if (changes.currentMedia) {
        if (state.track.IsEmpty()) {
            l->OnCurrentMediaChanged(CMediaItem());  // nothing is current any more
        } else {
            l->OnCurrentMediaChanged(*TrackToMusicItem(state.track));
        }
    }
    if (changes.playingState) l->OnPlayingStateChanged(state.playingState);
    if (changes.volume) l->OnVolumeChanged(state.volume);
    if (changes.playPosition)
        l->OnPlayPositionChanged(static_cast<int32_t>(state.positionUs / 1000000));
    if (changes.shuffle) l->OnShuffleStateChanged(state.shuffle);
    if (changes.repeat) l->OnRepeatStateChanged(state.repeat);
}

}  // namespace vantor
