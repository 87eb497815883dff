// The player operations, each through the calling thread's proxy of the control.

#include "protocol/ResultCodes.h"
#include "server/player/wmp/WMPPlayer.h"

#include <algorithm>
#include <cstdlib>

namespace vantor {

namespace {

HRESULT Required(HRESULT hr, const CAutomationObject& object) {
    return Succeeded(hr) && object.IsNull() ? kE_POINTER : hr;
}

}  // namespace

int32_t CWMPPlayer::ControlsCall(const char* method, const char* callText) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject controls;
    HRESULT hr = Required(player.Get("controls", controls), controls);
    if (Succeeded(hr)) hr = controls.Call(method);
    return Failed(hr) ? Report(callText, hr) : kResultSuccess;
}

int32_t CWMPPlayer::Play() {
    return ControlsCall("play", "Error calling play()");
}

int32_t CWMPPlayer::Pause() {
    return ControlsCall("pause", "Error calling pause()");
}

int32_t CWMPPlayer::Stop() {
    return ControlsCall("stop", "Error calling stop()");
}

int32_t CWMPPlayer::FastForward() {
    return ControlsCall("fastForward", "Error calling fastForward()");
}

int32_t CWMPPlayer::Rewind() {
    return ControlsCall("fastReverse", "Error calling fastReverse()");
}

int32_t CWMPPlayer::PreviousTrack() {
    return ControlsCall("previous", "Error calling previous()");
}

int32_t CWMPPlayer::NextTrack() {
    return ControlsCall("next", "Error calling next()");
}

HRESULT CWMPPlayer::CurrentPlaylist(CAutomationObject& player, CAutomationObject& playlist) {
    return Required(player.Get("currentPlaylist", playlist), playlist);
}

int32_t CWMPPlayer::SetPlaylistPosition(int32_t position) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject playlist;
    CAutomationObject media;
    CAutomationObject controls;
    HRESULT hr = CurrentPlaylist(player, playlist);
    if (Succeeded(hr)) hr = Required(playlist.Get("item", media, {position}), media);
    if (Succeeded(hr)) hr = Required(player.Get("controls", controls), controls);
    if (Succeeded(hr)) hr = controls.Call("playItem", {media.AsArgument()});
    return Failed(hr) ? Report("Error calling playItem()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::SetPlayPosition(int32_t seconds) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject controls;
    HRESULT hr = Required(player.Get("controls", controls), controls);
    if (Succeeded(hr)) hr = controls.Put("currentPosition", static_cast<double>(seconds));
    return Failed(hr) ? Report("Error calling put_currentPosition()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::GetPlayPosition() {
    CAutomationObject player;
    if (!Control(player)) return 0;
    CAutomationObject controls;
    double seconds = 0;
    HRESULT hr = Required(player.Get("controls", controls), controls);
    if (Succeeded(hr)) hr = controls.Get("currentPosition", seconds);
    if (Failed(hr)) {
        Report("Error calling get_currentPosition()", hr);
        return 0;
    }
    return static_cast<int32_t>(seconds);
}

int32_t CWMPPlayer::PlayMedia(const CMediaItem& item) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    if (item.mediaType == kMediaPlaylist) {
        CAutomationObject collection;
        CAutomationObject found;
        CAutomationObject playlist;
        int32_t count = 0;
        HRESULT hr = Required(player.Get("playlistCollection", collection), collection);
        if (Succeeded(hr)) hr = Required(collection.Call("getByName", {item.name}, found), found);
        if (Succeeded(hr)) hr = found.Get("count", count);
        if (Succeeded(hr) && count < 1) hr = kE_INVALIDARG;
        if (Succeeded(hr)) hr = Required(found.Get("item", playlist, {0}), playlist);
        if (Succeeded(hr)) hr = player.Put("currentPlaylist", playlist.AsArgument());
        return Failed(hr) ? Report("Error calling PlayPlaylist()", hr) : kResultSuccess;
    }
    CAutomationObject media;
    HRESULT hr = Required(player.Call("newMedia", {item.path}, media), media);
    if (Succeeded(hr)) hr = player.Put("currentMedia", media.AsArgument());
    return Failed(hr) ? Report("Error calling put_currentMedia()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    return PlaylistAddOneByOne(*this, items, position);
}

int32_t CWMPPlayer::PlaylistAdd(const CMediaItem& item, int32_t position) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject playlist;
    CAutomationObject media;
    HRESULT hr = CurrentPlaylist(player, playlist);
    if (Succeeded(hr)) hr = Required(player.Call("newMedia", {item.path}, media), media);
    if (Succeeded(hr)) {
        hr = position < 0 ? playlist.Call("appendItem", {media.AsArgument()})
                          : playlist.Call("insertItem", {position, media.AsArgument()});
    }
    return Failed(hr) ? Report("Error calling PlaylistAdd()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::PlaylistRemove(int32_t position) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject playlist;
    CAutomationObject media;
    HRESULT hr = CurrentPlaylist(player, playlist);
    if (Succeeded(hr)) hr = Required(playlist.Get("item", media, {position}), media);
    if (Succeeded(hr)) hr = playlist.Call("removeItem", {media.AsArgument()});
    return Failed(hr) ? Report("Error calling removeItem()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::PlaylistMove(int32_t from, int32_t to) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject playlist;
    HRESULT hr = CurrentPlaylist(player, playlist);
    if (Succeeded(hr)) hr = playlist.Call("moveItem", {from, to});
    return Failed(hr) ? Report("Error calling moveItem()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::PlaylistClear() {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject playlist;
    HRESULT hr = CurrentPlaylist(player, playlist);
    if (Succeeded(hr)) hr = playlist.Call("clear");
    return Failed(hr) ? Report("Error calling clear()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::SetVolume(int32_t volume) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject settings;
    HRESULT hr = Required(player.Get("settings", settings), settings);
    if (Succeeded(hr)) hr = settings.Put("volume", std::clamp(volume, 0, 100));
    return Failed(hr) ? Report("Error calling put_volume()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::SetMode(const char* mode, bool on) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject settings;
    HRESULT hr = Required(player.Get("settings", settings), settings);
    if (Succeeded(hr)) hr = settings.Call("setMode", {std::string(mode), on});
    return Failed(hr) ? Report("Error calling setMode()", hr) : kResultSuccess;
}

int32_t CWMPPlayer::SetShuffleState(bool on) {
    return SetMode("shuffle", on);
}

int32_t CWMPPlayer::SetRepeatState(bool on) {
    return SetMode("loop", on);
}

int32_t CWMPPlayer::GetTrackRating(int32_t& rating) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject media;
    HRESULT hr = player.Get("currentMedia", media);
    if (Succeeded(hr) && media.IsNull()) return kResultMediaNotFound;
    std::string text;
    if (Succeeded(hr)) hr = media.Call("getItemInfo", {std::string("UserRating")}, text);
    if (Failed(hr)) return Report("Error calling getItemInfo() for GetTrackRating()", hr);
    rating = std::atoi(text.c_str());
    return kResultSuccess;
}

int32_t CWMPPlayer::SetTrackRating(int32_t rating) {
    CAutomationObject player;
    if (!Control(player)) return kResultPlayerComm;
    CAutomationObject media;
    HRESULT hr = player.Get("currentMedia", media);
    if (Succeeded(hr) && media.IsNull()) return kResultMediaNotFound;
    if (Succeeded(hr)) {
        hr = media.Call("setItemInfo", {std::string("UserRating"), std::to_string(rating)});
    }
    return Failed(hr) ? Report("Error calling setItemInfo() for SetTrackRating()", hr)
                      : kResultSuccess;
}

int32_t CWMPPlayer::GetEqPresets(std::vector<std::string>& presets) {
    presets.clear();
    return kResultNotSupported;
}

int32_t CWMPPlayer::SetEqPreset(const std::string&) {
    return kResultNotSupported;
}

int32_t CWMPPlayer::GetEq(CEqSettings&) {
    return kResultNotSupported;
}

int32_t CWMPPlayer::SetEq(const CEqSettings&) {
    return kResultNotSupported;
}

int32_t CWMPPlayer::GetVideoMode(bool& fullScreen) {
    fullScreen = false;
    return kResultNotSupported;
}

int32_t CWMPPlayer::SetVideoMode(bool) {
    return kResultNotSupported;
}

void CWMPPlayer::GetCapabilities(CPlayerCapabilities&) {}

int32_t CWMPPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    std::lock_guard lock(m_stateMutex);
    if (!m_currentMedia) return kResultMediaNotFound;
    out = m_currentMedia->Clone();
    return kResultSuccess;
}

int32_t CWMPPlayer::GetPlaylistPosition() {
    std::lock_guard lock(m_stateMutex);
    return m_playlistPosition;
}

int32_t CWMPPlayer::GetVolume() {
    std::lock_guard lock(m_stateMutex);
    return m_volume;
}

int32_t CWMPPlayer::GetPlayingState() {
    std::lock_guard lock(m_stateMutex);
    return m_playingState;
}

int32_t CWMPPlayer::GetPlaylistLength() {
    std::lock_guard lock(m_stateMutex);
    return static_cast<int32_t>(m_titles.size());
}

int32_t CWMPPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start, int32_t count,
                                     int32_t* total) {
    std::lock_guard lock(m_stateMutex);
    if (CopyPlaylistTitles(m_titles, titles, start, count) && total) {
        *total = static_cast<int32_t>(m_titles.size());
    }
    return kResultSuccess;
}

bool CWMPPlayer::GetShuffleState() {
    std::lock_guard lock(m_stateMutex);
    return m_shuffle;
}

bool CWMPPlayer::GetRepeatState() {
    std::lock_guard lock(m_stateMutex);
    return m_repeat;
}

}  // namespace vantor
