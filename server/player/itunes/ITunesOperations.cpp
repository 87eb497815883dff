// The player operations: each fetches its own proxy of the application object and calls the
// iTunes member of the same meaning.

#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/player/itunes/ITunesErrors.h"
#include "server/player/itunes/ITunesPlayer.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr int32_t kLibraryPlaylistKind = 1;
constexpr int32_t kRepeatAll = 2;
constexpr int32_t kMaxClearedTracks = 100000;

// An object result that came back empty counts as a failed call.
HRESULT Required(HRESULT hr, const CAutomationObject& object) {
    return Succeeded(hr) && object.IsNull() ? kE_POINTER : hr;
}

}  // namespace

int32_t CWin32ITunesPlayer::Simple(const char* method, const char* callText) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    const HRESULT hr = app.Call(method);
    return Failed(hr) ? Report(callText, hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::Play() {
    return Simple("Play", "Error calling Play()");
}

int32_t CWin32ITunesPlayer::Pause() {
    return Simple("Pause", "Error calling Pause()");
}

int32_t CWin32ITunesPlayer::Stop() {
    return Simple("Stop", "Error calling Stop()");
}

int32_t CWin32ITunesPlayer::FastForward() {
    return Simple("FastForward", "Error calling FastForward()");
}

int32_t CWin32ITunesPlayer::Rewind() {
    return Simple("Rewind", "Error calling Rewind()");
}

int32_t CWin32ITunesPlayer::PreviousTrack() {
    return Simple("PreviousTrack", "Error calling PreviousTrack()");
}

int32_t CWin32ITunesPlayer::NextTrack() {
    return Simple("NextTrack", "Error calling NextTrack()");
}

int32_t CWin32ITunesPlayer::PutProperty(bool onCurrentPlaylist, const char* property,
                                        CVariant value, const char* callText) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject target = app;
    if (onCurrentPlaylist) {
        if (const int32_t result = CurrentPlaylist(app, target); result != kResultSuccess) {
            return result;
        }
    }
    const HRESULT hr = target.Put(property, std::move(value));
    return Failed(hr) ? Report(callText, hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::SetPlayPosition(int32_t seconds) {
    return PutProperty(false, "PlayerPosition", seconds, "Error calling SetPlayPosition()");
}

int32_t CWin32ITunesPlayer::SetVolume(int32_t volume) {
    return PutProperty(false, "SoundVolume", std::clamp(volume, 0, 100),
                       "Error calling SetVolume()");
}

int32_t CWin32ITunesPlayer::GetPlayPosition() {
    CAutomationObject app;
    int32_t seconds = 0;
    if (!Application(app) || Failed(app.Get("PlayerPosition", seconds))) return 0;
    return seconds;
}

int32_t CWin32ITunesPlayer::GetTrackRating(int32_t& rating) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject track;
    HRESULT hr = app.Get("CurrentTrack", track);
    if (Succeeded(hr) && track.IsNull()) return kResultMediaNotFound;
    if (Succeeded(hr)) hr = track.Get("Rating", rating);
    return Failed(hr) ? Report("Error calling GetTrackRating()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::SetTrackRating(int32_t rating) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject track;
    HRESULT hr = app.Get("CurrentTrack", track);
    if (Succeeded(hr) && track.IsNull()) return kResultMediaNotFound;
    if (Succeeded(hr)) hr = track.Put("Rating", std::clamp(rating, 0, 100));
    return Failed(hr) ? Report("Error calling SetTrackRating()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::GetEqPresets(std::vector<std::string>& presets) {
    presets.clear();
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject collection;
    int32_t count = 0;
    HRESULT hr = Required(app.Get("EQPresets", collection), collection);
    if (Succeeded(hr)) hr = collection.Get("Count", count);
    for (int32_t index = 1; Succeeded(hr) && index <= count; ++index) {
        CAutomationObject preset;
        std::string name;
        hr = Required(collection.Get("Item", preset, {index}), preset);
        if (Succeeded(hr)) hr = preset.Get("Name", name);
        if (Succeeded(hr)) presets.push_back(name);
    }
    return Failed(hr) ? Report("Error calling GetEqPresets()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::SetEqPreset(const std::string& name) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject collection;
    CAutomationObject preset;
    HRESULT hr = Required(app.Get("EQPresets", collection), collection);
    if (Succeeded(hr)) hr = collection.Get("ItemByName", preset, {name});
    if (Succeeded(hr) && preset.IsNull()) hr = kS_FALSE;  // no preset of that name
    if (hr == kS_OK) hr = app.Put("CurrentEQPreset", preset.AsArgument());
    if (hr == kS_OK) hr = app.Put("EQEnabled", true);
    return hr != kS_OK ? Report("Error calling SetEqPreset()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::GetEq(CEqSettings& settings) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject preset;
    double decibels = 0;
    HRESULT hr = app.Get("EQEnabled", settings.enabled);
    if (Succeeded(hr)) hr = Required(app.Get("CurrentEQPreset", preset), preset);
    if (Succeeded(hr)) hr = preset.Get("Preamp", decibels);
    settings.autoLoad = false;
    settings.preamp = itunes::EqValueFromDecibels(decibels);
    for (size_t band = 0; Succeeded(hr) && band < settings.bands.size(); ++band) {
        hr = preset.Get("Band" + std::to_string(band + 1), decibels);
        settings.bands[band] = itunes::EqValueFromDecibels(decibels);
    }
    return Failed(hr) ? Report("Error calling GetEq()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::SetEq(const CEqSettings& settings) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject preset;
    HRESULT hr = app.Put("EQEnabled", settings.enabled);
    if (Succeeded(hr)) hr = Required(app.Get("CurrentEQPreset", preset), preset);
    if (Succeeded(hr)) hr = preset.Put("Preamp", itunes::DecibelsFromEqValue(settings.preamp));
    for (size_t band = 0; Succeeded(hr) && band < settings.bands.size(); ++band) {
        hr = preset.Put("Band" + std::to_string(band + 1),
                        itunes::DecibelsFromEqValue(settings.bands[band]));
    }
    return Failed(hr) ? Report("Error calling SetEq()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::CurrentPlaylist(CAutomationObject& app, CAutomationObject& playlist) {
    const HRESULT hr = Required(app.Get("CurrentPlaylist", playlist), playlist);
    return Failed(hr) ? Report("Error calling GetCurrentPlaylist()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::SetPlaylistPosition(int32_t position) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject playlist;
    if (const int32_t result = CurrentPlaylist(app, playlist); result != kResultSuccess) {
        return result;
    }
    CAutomationObject tracks;
    CAutomationObject track;
    HRESULT hr = Required(playlist.Get("Tracks", tracks), tracks);
    if (Succeeded(hr)) hr = Required(tracks.Get("Item", track, {position + 1}), track);
    if (Succeeded(hr)) hr = track.Call("Play");
    return Failed(hr) ? Report("Error calling SetPlaylistPosition()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::PlaylistRemove(int32_t position) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject playlist;
    if (const int32_t result = CurrentPlaylist(app, playlist); result != kResultSuccess) {
        return result;
    }
    // Deleting from the library playlist deletes the track from the user's library.
    int32_t kind = 0;
    if (Succeeded(playlist.Get("Kind", kind)) && kind == kLibraryPlaylistKind) {
        return kResultInvalidState;
    }
    CAutomationObject tracks;
    CAutomationObject track;
    HRESULT hr = Required(playlist.Get("Tracks", tracks), tracks);
    if (Succeeded(hr)) hr = Required(tracks.Get("Item", track, {position + 1}), track);
    if (Succeeded(hr)) hr = track.Call("Delete");
    return Failed(hr) ? Report("Error calling PlaylistRemove()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::ClearPlaylist(CAutomationObject& playlist, const char* callText) {
    CAutomationObject tracks;
    int32_t count = 0;
    HRESULT hr = Required(playlist.Get("Tracks", tracks), tracks);
    if (Succeeded(hr)) hr = tracks.Get("Count", count);
    count = std::min(count, kMaxClearedTracks);
    for (; Succeeded(hr) && count > 0; --count) {
        CAutomationObject track;
        hr = Required(tracks.Get("Item", track, {count}), track);
        if (Succeeded(hr)) hr = track.Call("Delete");
    }
    return Failed(hr) ? Report(callText, hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::PlaylistClear() {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject playlist;
    if (const int32_t result = CurrentPlaylist(app, playlist); result != kResultSuccess) {
        return result;
    }
    int32_t kind = 0;
    if (Succeeded(playlist.Get("Kind", kind)) && kind == kLibraryPlaylistKind) {
        return kResultInvalidState;
    }
    return ClearPlaylist(playlist, "Error calling PlaylistClear()");
}

int32_t CWin32ITunesPlayer::SetShuffleState(bool on) {
    return PutProperty(true, "Shuffle", on, "Error calling SetShuffleState()");
}

int32_t CWin32ITunesPlayer::SetRepeatState(bool on) {
    return PutProperty(true, "SongRepeat", on ? kRepeatAll : 0, "Error calling SetRepeatState()");
}

HRESULT CWin32ITunesPlayer::GetQueue(CAutomationObject& app, CAutomationObject& queue) {
    const std::string name = m_config.GetString("QueuePlaylist", "Vantor Queue");
    CAutomationObject source;
    CAutomationObject playlists;
    HRESULT hr = Required(app.Get("LibrarySource", source), source);
    if (Succeeded(hr)) hr = Required(source.Get("Playlists", playlists), playlists);
    if (Succeeded(hr)) hr = playlists.Get("ItemByName", queue, {name});
    if (Succeeded(hr) && queue.IsNull()) {
        hr = Required(app.Call("CreatePlaylist", {name}, queue), queue);
    }
    return hr;
}

HRESULT CWin32ITunesPlayer::FindPlaylist(CAutomationObject& app, const std::string& name,
                                         CAutomationObject& playlist) {
    // The library source first, then the others (a portable player's playlists are listed
    // in the media tree too).
    CAutomationObject library;
    CAutomationObject playlists;
    HRESULT hr = Required(app.Get("LibrarySource", library), library);
    if (Succeeded(hr)) hr = Required(library.Get("Playlists", playlists), playlists);
    if (Succeeded(hr)) hr = playlists.Get("ItemByName", playlist, {name});
    if (Failed(hr) || !playlist.IsNull()) return hr;
    CAutomationObject sources;
    int32_t count = 0;
    hr = Required(app.Get("Sources", sources), sources);
    if (Succeeded(hr)) hr = sources.Get("Count", count);
    for (int32_t index = 1; Succeeded(hr) && index <= count && playlist.IsNull(); ++index) {
        CAutomationObject source;
        hr = Required(sources.Get("Item", source, {index}), source);
        if (Succeeded(hr)) hr = Required(source.Get("Playlists", playlists), playlists);
        if (Succeeded(hr)) hr = playlists.Get("ItemByName", playlist, {name});
    }
    // No playlist of that name: "no appropriate object".
    return Succeeded(hr) && playlist.IsNull() ? kS_FALSE : hr;
}

int32_t CWin32ITunesPlayer::PlayMedia(const CMediaItem& item) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    if (item.mediaType == kMediaPlaylist) {
        CAutomationObject playlist;
        HRESULT hr = FindPlaylist(app, item.name, playlist);
        if (hr == kS_OK) hr = playlist.Call("PlayFirstTrack");
        return hr != kS_OK ? Report("Error calling PlayPlaylist()", hr) : kResultSuccess;
    }
    if (item.mediaType == kMediaVideo || item.mediaType == kMediaTV) {
        const HRESULT hr = app.Call("PlayFile", {item.path});
        return Failed(hr) ? Report("Error calling PlayVideo()", hr) : kResultSuccess;
    }
    CAutomationObject queue;
    if (const HRESULT hr = GetQueue(app, queue); Failed(hr)) {
        return Report("Error calling GetQueue()", hr);
    }
    if (const int32_t result = ClearPlaylist(queue, "Error calling PlaylistClear()");
        result != kResultSuccess) {
        return result;
    }
    CAutomationObject track;
    HRESULT hr = Required(queue.Call("AddFile", {item.path}, track), track);
    if (Failed(hr)) return Report("Error calling PlaylistAdd()", hr);
    hr = track.Call("Play");
    return Failed(hr) ? Report("Error calling PlayItem()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    return PlaylistAddOneByOne(*this, items, position);
}

int32_t CWin32ITunesPlayer::PlaylistAdd(const CMediaItem& item, int32_t) {
    CAutomationObject app;
    if (!Application(app)) return kResultPlayerComm;
    CAutomationObject queue;
    if (const HRESULT hr = GetQueue(app, queue); Failed(hr)) {
        return Report("Error calling GetQueue()", hr);
    }
    CAutomationObject track;
    const HRESULT hr = queue.Call("AddFile", {item.path}, track);
    return Failed(hr) ? Report("Error calling PlaylistAdd()", hr) : kResultSuccess;
}

int32_t CWin32ITunesPlayer::PlaylistMove(int32_t, int32_t) {
    return kResultNotSupported;
}

int32_t CWin32ITunesPlayer::GetVideoMode(bool& fullScreen) {
    fullScreen = false;
    return kResultNotSupported;
}

int32_t CWin32ITunesPlayer::SetVideoMode(bool) {
    return kResultNotSupported;
}

void CWin32ITunesPlayer::GetCapabilities(CPlayerCapabilities& capabilities) {
    capabilities.supportsEq = true;
}

int32_t CWin32ITunesPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    std::lock_guard lock(m_stateMutex);
    if (!m_currentMedia) return kResultMediaNotFound;
    out = m_currentMedia->Clone();
    return kResultSuccess;
}

int32_t CWin32ITunesPlayer::GetPlaylistPosition() {
    std::lock_guard lock(m_stateMutex);
    return m_playlistPosition;
}

int32_t CWin32ITunesPlayer::GetVolume() {
    std::lock_guard lock(m_stateMutex);
    return m_volume;
}

int32_t CWin32ITunesPlayer::GetPlayingState() {
    std::lock_guard lock(m_stateMutex);
    return m_playingState;
}

int32_t CWin32ITunesPlayer::GetPlaylistLength() {
    std::lock_guard lock(m_stateMutex);
    return std::max(m_playlistCount, 0);
}

int32_t CWin32ITunesPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start,
                                             int32_t count, int32_t* total) {
    bool copied = false;
    {
        std::lock_guard lock(m_stateMutex);
        copied = CopyPlaylistTitles(m_titles, titles, start, count);
    }
    if (copied && total) {
        *total = GetPlaylistLength();
    }
    return kResultSuccess;
}

bool CWin32ITunesPlayer::GetShuffleState() {
    std::lock_guard lock(m_stateMutex);
    return m_shuffle;
}

bool CWin32ITunesPlayer::GetRepeatState() {
    std::lock_guard lock(m_stateMutex);
    return m_repeat;
}

}  // namespace vantor
