// The two monitor threads: the state monitor compares the current track, position, volume,
// flags, playing state and equaliser every 100 ms; the playlist monitor the library's track
// count and the current playlist every second.

#include "protocol/MessageType.h"
#include "server/player/itunes/ITunesErrors.h"
#include "server/player/itunes/ITunesPlayer.h"

#include <cstdlib>

namespace vantor {

namespace {

constexpr int kPlayPositionThreshold = 3;
constexpr int kTitlesRereadPasses = 5;
constexpr int32_t kITunesStopped = 0;
constexpr int32_t kRepeatOff = 0;

template <typename T>
bool Store(T& cached, const T& value) {
    if (cached == value) return false;
    cached = value;
    return true;
}

// The current track as an item and the text that tells tracks apart.
struct CTrackInfo {
    std::unique_ptr<CMediaItem> item;
    std::string key;
};

HRESULT ReadTrack(const CAutomationObject& track, CTrackInfo& info) {
    std::string name;
    std::string artist;
    std::string album;
    std::string location;
    int32_t duration = -1;
    int32_t rating = -1;
    int32_t videoKind = 0;
    HRESULT hr = track.Get("Name", name);
    if (Succeeded(hr)) hr = track.Get("Artist", artist);
    if (Succeeded(hr)) hr = track.Get("Album", album);
    if (Succeeded(hr)) hr = track.Get("Location", location);
    if (Succeeded(hr)) hr = track.Get("Duration", duration);
    if (Succeeded(hr)) hr = track.Get("Rating", rating);
    if (Succeeded(hr)) hr = track.Get("VideoKind", videoKind);
    if (Failed(hr)) return hr;
    if (videoKind != 0) {
        info.item = std::make_unique<CVideoItem>();
    } else {
        auto music = std::make_unique<CMusicItem>();
        music->artist = artist;
        music->album = album;
        info.item = std::move(music);
    }
    info.item->name = name;
    info.item->path = location;
    info.item->length = duration;
    info.item->rating = rating;
    info.key = name + '\n' + artist + '\n' + album + '\n' + location;
    return kS_OK;
}

}  // namespace

void CWin32ITunesPlayer::ResetCache() {
    std::lock_guard lock(m_stateMutex);
    m_playingState = kStopped;
    m_playlistPosition = -1;
    m_playPosition = 0;
    m_volume = 0;
    m_shuffle = false;
    m_repeat = false;
    m_libraryCount = -1;
    m_eq.reset();
    m_currentKey.clear();
    m_currentMedia.reset();
    m_titles.clear();
    m_playlistCount = -1;
    m_passesSinceTitles = 0;
}

void CWin32ITunesPlayer::StateMonitorPass() {
    CAutomationObject app;
    if (!Application(app)) return;
    IPlayerListener* listener = Listener();
    // Any failed call ends the pass: with calls refused (a dialog is open in iTunes) or iTunes
    // gone there is nothing to compare, and the next pass tries again.
    CAutomationObject track;
    if (Failed(app.Get("CurrentTrack", track))) return;
    CTrackInfo info;
    if (!track.IsNull() && Failed(ReadTrack(track, info))) return;
    bool trackChanged = false;
    {
        std::lock_guard lock(m_stateMutex);
        if (info.key != m_currentKey) {
            m_currentKey = info.key;
            m_currentMedia = info.item ? info.item->Clone() : nullptr;
            trackChanged = true;
        }
    }
    if (trackChanged && info.item && listener) listener->OnCurrentMediaChanged(*info.item);

    int32_t index = 0;
    if (!track.IsNull() && Failed(track.Get("Index", index))) return;
    const int32_t position = index - 1;
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_playlistPosition, position);
    }
    if (changed) {
        trackChanged = true;
        if (listener) listener->OnPlaylistPositionChanged(position);
    }

    int32_t volume = 0;
    if (Failed(app.Get("SoundVolume", volume))) return;
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_volume, volume);
    }
    if (changed && listener) listener->OnVolumeChanged(volume);

    CAutomationObject playlist;
    bool shuffle = false;
    int32_t repeat = kRepeatOff;
    if (Failed(app.Get("CurrentPlaylist", playlist)) || playlist.IsNull() ||
        Failed(playlist.Get("Shuffle", shuffle)) || Failed(playlist.Get("SongRepeat", repeat))) {
        return;
    }
    bool shuffleChanged = false;
    bool repeatChanged = false;
    {
        std::lock_guard lock(m_stateMutex);
        shuffleChanged = Store(m_shuffle, shuffle);
        repeatChanged = Store(m_repeat, repeat != kRepeatOff);
    }
    if (shuffleChanged && listener) listener->OnShuffleStateChanged(shuffle);
    if (repeatChanged && listener) listener->OnRepeatStateChanged(repeat != kRepeatOff);

    int32_t iTunesState = 0;
    int32_t seconds = 0;
    if (Failed(app.Get("PlayerState", iTunesState)) || Failed(app.Get("PlayerPosition", seconds))) {
        return;
    }
    // iTunes has no paused state: stopped away from the start is paused.
    const int32_t state =
        iTunesState != kITunesStopped ? kPlaying : (seconds != 0 ? kPaused : kStopped);
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_playingState, state);
    }
    if (changed && listener) listener->OnPlayingStateChanged(state);
    {
        std::lock_guard lock(m_stateMutex);
        changed = trackChanged || std::abs(seconds - m_playPosition) > kPlayPositionThreshold;
        m_playPosition = seconds;
    }
    if (changed && listener) listener->OnPlayPositionChanged(seconds);

    CEqSettings eq;
    CAutomationObject preset;
    double decibels = 0;
    if (Failed(app.Get("EQEnabled", eq.enabled)) || Failed(app.Get("CurrentEQPreset", preset)) ||
        preset.IsNull() || Failed(preset.Get("Preamp", decibels))) {
        return;
    }
    eq.preamp = itunes::EqValueFromDecibels(decibels);
    for (size_t band = 0; band < eq.bands.size(); ++band) {
        if (Failed(preset.Get("Band" + std::to_string(band + 1), decibels))) return;
        eq.bands[band] = itunes::EqValueFromDecibels(decibels);
    }
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_eq, std::optional<CEqSettings>(eq));
    }
    if (changed && listener) listener->OnEqChanged();
}

void CWin32ITunesPlayer::PlaylistMonitorPass() {
    CAutomationObject app;
    if (!Application(app)) return;
    IPlayerListener* listener = Listener();

    CAutomationObject library;
    CAutomationObject libraryTracks;
    int32_t libraryCount = 0;
    if (Succeeded(app.Get("LibraryPlaylist", library)) && !library.IsNull() &&
        Succeeded(library.Get("Tracks", libraryTracks)) && !libraryTracks.IsNull() &&
        Succeeded(libraryTracks.Get("Count", libraryCount))) {
        bool changed = false;
        {
            std::lock_guard lock(m_stateMutex);
            // The first count only sets the mark: the library was read when the server started.
            changed = m_libraryCount != -1 && m_libraryCount != libraryCount;
            m_libraryCount = libraryCount;
        }
        if (changed && listener) listener->OnLibraryChanged();
    }

    CAutomationObject playlist;
    CAutomationObject tracks;
    int32_t count = 0;
    if (Failed(app.Get("CurrentPlaylist", playlist)) || playlist.IsNull() ||
        Failed(playlist.Get("Tracks", tracks)) || tracks.IsNull() ||
        Failed(tracks.Get("Count", count))) {
        return;
    }
    {
        std::lock_guard lock(m_stateMutex);
        if (count == m_playlistCount && ++m_passesSinceTitles < kTitlesRereadPasses) return;
    }
    std::vector<std::string> titles;
    titles.reserve(static_cast<size_t>(count));
    for (int32_t index = 1; index <= count; ++index) {
        CAutomationObject track;
        std::string name;
        if (Failed(tracks.Get("Item", track, {index})) || track.IsNull() ||
            Failed(track.Get("Name", name))) {
            return;
        }
        titles.push_back(std::move(name));
    }
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        m_passesSinceTitles = 0;
        changed = count != m_playlistCount || titles != m_titles;
        m_playlistCount = count;
        m_titles = std::move(titles);
    }
    if (changed && listener) listener->OnPlaylistChanged();
}

}  // namespace vantor
