#include "server/player/mpris/MprisPlayer.h"

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/mpris/MprisNames.h"

#include <cmath>
#include <cstring>

namespace vantor {

using mpris::kPlayerInterface;
using mpris::kTrackListInterface;

CMPRISPlayer::CMPRISPlayer(CLogger& logger, CMprisAddress address,
                           std::shared_ptr<CMprisNowPlaying> nowPlaying)
    : m_logger(logger), m_address(std::move(address)), m_monitor(logger, m_address, nowPlaying) {}

CMPRISPlayer::~CMPRISPlayer() {
    Disconnect();
}

int32_t CMPRISPlayer::Connect() {
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        if (m_started) return m_monitor.IsReachable() ? kResultSuccess : kResultPlayerComm;
        m_started = true;
    }
    m_logger.LogNormal("Connecting to MPRIS players on the %s bus", m_address.bus.c_str());
    return m_monitor.Start();
}

void CMPRISPlayer::Disconnect() {
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        if (!m_started) return;
        m_started = false;
        m_bus.reset();
    }
    m_monitor.Stop();
}

bool CMPRISPlayer::IsConnected() const {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return m_started;
}

int32_t CMPRISPlayer::AddListener(IPlayerListener* listener) {
    m_monitor.SetListener(listener);
    return kResultSuccess;
}

int32_t CMPRISPlayer::RemoveListener(IPlayerListener* listener) {
    m_monitor.ClearListener(listener);
    return kResultSuccess;
}

bool CMPRISPlayer::EnsureBus() {
    if (m_bus) return true;
    return OpenBus(m_address.bus, m_address.callTimeoutMs, m_bus) >= 0;
}

int32_t CMPRISPlayer::Call(const char* interface, const char* member, const Append& append) {
    const std::string destination = m_monitor.PlayerName();
    std::lock_guard<std::mutex> lock(m_commandMutex);
    if (!m_started || !m_monitor.IsReachable() || destination.empty()) return kResultPlayerComm;
    if (!EnsureBus()) return kResultPlayerComm;
    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(m_bus.get(), &call, destination.c_str(),
                                           mpris::kObjectPath, interface, member);
    if (r < 0) return kResultPlayerCommandFailed;
    BusMessagePtr owned(call);
    if (append && append(call) < 0) return kResultInvalidArgs;
    CBusError error;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call(m_bus.get(), call, 0, error.Get(), &reply);
    BusMessagePtr ownedReply(reply);
    if (r >= 0) return kResultSuccess;
    const int32_t code = MapBusError(r, error.Get());
    if (IsBusBroken(r)) m_bus.reset();  // the next command opens a new one
    if (code != kResultNotSupported) {
        m_logger.LogCritical("ERROR: MPRIS %s.%s failed: %s (0x%x)", interface, member,
                             error.Name().empty() ? std::strerror(-r) : error.Message().c_str(),
                             static_cast<unsigned>(-r));
    }
    return code;
}

int32_t CMPRISPlayer::SetProperty(const char* member, const char* type, const Append& append) {
    return Call(mpris::kPropertiesInterface, "Set", [&](sd_bus_message* m) {
        int r = sd_bus_message_append(m, "ss", kPlayerInterface, member);
        if (r >= 0) r = sd_bus_message_open_container(m, SD_BUS_TYPE_VARIANT, type);
        if (r >= 0) r = append(m);
        if (r >= 0) r = sd_bus_message_close_container(m);
        return r;
    });
}

int32_t CMPRISPlayer::Play() {
    return Call(kPlayerInterface, "Play");
}

int32_t CMPRISPlayer::Pause() {
    return Call(kPlayerInterface, "Pause");
}

int32_t CMPRISPlayer::Stop() {
    return Call(kPlayerInterface, "Stop");
}

int32_t CMPRISPlayer::FastForward() {
    return Call(kPlayerInterface, "Seek",
                [](sd_bus_message* m) { return sd_bus_message_append(m, "x", kSeekStepUs); });
}

int32_t CMPRISPlayer::Rewind() {
    return Call(kPlayerInterface, "Seek",
                [](sd_bus_message* m) { return sd_bus_message_append(m, "x", -kSeekStepUs); });
}

int32_t CMPRISPlayer::PreviousTrack() {
    return Call(kPlayerInterface, "Previous");
}

int32_t CMPRISPlayer::NextTrack() {
    return Call(kPlayerInterface, "Next");
}

int32_t CMPRISPlayer::SetPlaylistPosition(int32_t position) {
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    if (!state.hasTrackList) return kResultNotSupported;
    const std::string id = state.TrackIdAt(position);
    if (id.empty()) return kResultMediaNotFound;
    return Call(kTrackListInterface, "GoTo",
                [&](sd_bus_message* m) { return sd_bus_message_append(m, "o", id.c_str()); });
}

int32_t CMPRISPlayer::SetPlayPosition(int32_t seconds) {
    if (seconds < 0) return kResultInvalidArgs;
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    const int64_t target = static_cast<int64_t>(seconds) * 1000000;
    const std::string& id = state.track.trackId;
    if (id.empty() || id == mpris::kNoTrack) {
        // Without a track id only a relative seek is possible.
        const int64_t offset = target - m_monitor.PositionUs();
        return Call(kPlayerInterface, "Seek",
                    [offset](sd_bus_message* m) { return sd_bus_message_append(m, "x", offset); });
    }
    return Call(kPlayerInterface, "SetPosition", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ox", id.c_str(), target);
    });
}

int32_t CMPRISPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    out.reset();
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    if (state.track.IsEmpty()) return kResultMediaNotFound;
    out = TrackToMusicItem(state.track);
    return kResultSuccess;
}

int32_t CMPRISPlayer::GetPlaylistPosition() {
    return m_monitor.State().PlaylistPosition();
}

int32_t CMPRISPlayer::PlayMedia(const CMediaItem& item) {
    if (item.path.empty() || item.mediaType == kMediaPlaylist) return kResultMediaNotFound;
    const std::string url = UrlFromPath(item.path);
    return Call(kPlayerInterface, "OpenUri",
                [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", url.c_str()); });
}

int32_t CMPRISPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    return PlaylistAddOneByOne(*this, items, position);
}

int32_t CMPRISPlayer::PlaylistAdd(const CMediaItem& item, int32_t position) {
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    if (!state.hasTrackList || !state.canEditTracks) return kResultNotSupported;
    if (item.path.empty() || item.mediaType == kMediaPlaylist) return kResultMediaNotFound;
    // AddTrack inserts after a track; "NoTrack" means at the start.
    std::string after;
    if (position < 0 || position >= state.PlaylistLength()) {
        after = state.tracks.empty() ? mpris::kNoTrack : state.tracks.back().trackId;
    } else {
        after = position == 0 ? mpris::kNoTrack : state.TrackIdAt(position - 1);
    }
    const std::string url = UrlFromPath(item.path);
    return Call(kTrackListInterface, "AddTrack", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "sob", url.c_str(), after.c_str(), 0);
    });
}

int32_t CMPRISPlayer::PlaylistRemove(int32_t position) {
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    if (!state.hasTrackList || !state.canEditTracks) return kResultNotSupported;
    const std::string id = state.TrackIdAt(position);
    if (id.empty()) return kResultMediaNotFound;
    return Call(kTrackListInterface, "RemoveTrack",
                [&](sd_bus_message* m) { return sd_bus_message_append(m, "o", id.c_str()); });
}

int32_t CMPRISPlayer::PlaylistMove(int32_t, int32_t) {
    return kResultNotSupported;
}

int32_t CMPRISPlayer::PlaylistClear() {
    return kResultNotSupported;
}

int32_t CMPRISPlayer::GetVolume() {
    return m_monitor.State().volume;
}

int32_t CMPRISPlayer::SetVolume(int32_t volume) {
    const double value = VolumeToMpris(volume);
    return SetProperty("Volume", "d", [value](sd_bus_message* m) {
        return sd_bus_message_append_basic(m, SD_BUS_TYPE_DOUBLE, &value);
    });
}

int32_t CMPRISPlayer::GetPlayPosition() {
    return static_cast<int32_t>(m_monitor.PositionUs() / 1000000);
}

int32_t CMPRISPlayer::GetPlayingState() {
    return m_monitor.State().playingState;
}

int32_t CMPRISPlayer::GetPlaylistLength() {
    return m_monitor.State().PlaylistLength();
}

int32_t CMPRISPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start,
                                       int32_t count, int32_t* total) {
    const std::vector<std::string> cached = m_monitor.State().PlaylistTitles();
    if (CopyPlaylistTitles(cached, titles, start, count) && total) {
        *total = static_cast<int32_t>(cached.size());
    }
    return kResultSuccess;
}

int32_t CMPRISPlayer::GetTrackRating(int32_t& rating) {
    rating = 0;
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    const CMprisPlayerState state = m_monitor.State();
    if (state.track.IsEmpty()) return kResultMediaNotFound;
    if (state.track.userRating < 0) return kResultNotSupported;
    rating = TrackToMusicItem(state.track)->rating;
    return kResultSuccess;
}

int32_t CMPRISPlayer::SetTrackRating(int32_t) {
    return m_monitor.IsReachable() ? kResultNotSupported : kResultPlayerComm;
}

int32_t CMPRISPlayer::GetEqPresets(std::vector<std::string>& presets) {
    presets.clear();
    return kResultNotSupported;
}

int32_t CMPRISPlayer::SetEqPreset(const std::string&) {
    return kResultNotSupported;
}

int32_t CMPRISPlayer::GetEq(CEqSettings&) {
    return kResultNotSupported;
}

int32_t CMPRISPlayer::SetEq(const CEqSettings&) {
    return kResultNotSupported;
}

int32_t CMPRISPlayer::GetVideoMode(bool& fullScreen) {
    fullScreen = false;
    return kResultNotSupported;
}

int32_t CMPRISPlayer::SetVideoMode(bool) {
    return kResultNotSupported;
}

void CMPRISPlayer::GetCapabilities(CPlayerCapabilities& capabilities) {
    capabilities.supportsEq = false;
}

bool CMPRISPlayer::GetShuffleState() {
    return m_monitor.State().shuffle;
}

int32_t CMPRISPlayer::SetShuffleState(bool on) {
    const int value = on ? 1 : 0;
    return SetProperty("Shuffle", "b", [value](sd_bus_message* m) {
        return sd_bus_message_append_basic(m, SD_BUS_TYPE_BOOLEAN, &value);
    });
}

bool CMPRISPlayer::GetRepeatState() {
    return m_monitor.State().repeat;
}

int32_t CMPRISPlayer::SetRepeatState(bool on) {
    const char* status = on ? "Playlist" : "None";
    return SetProperty("LoopStatus", "s", [status](sd_bus_message* m) {
        return sd_bus_message_append_basic(m, SD_BUS_TYPE_STRING, status);
    });
}

}  // namespace vantor
