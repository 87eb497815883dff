#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantor::itunessim {

struct CTrack {
    int32_t id = 0;
    std::string name;
    std::string artist;
    std::string album;
    std::string genre;
    std::string location;    // file path
    int32_t duration = 180;  // seconds
    int32_t rating = 0;      // 0..100
    int32_t trackNumber = 0;
    int32_t artworkFormat = 0;  // 0 none, 1 JPEG, 2 PNG, 3 BMP
    int32_t videoKind = 0;      // 0 none, 1 movie, 3 TV show
};

struct CPlaylist {
    int32_t id = 0;
    std::string name;
    int32_t kind = 2;  // 1 library, 2 user
    std::vector<int32_t> tracks;
    bool shuffle = false;
    int32_t songRepeat = 0;  // 0 off, 1 one, 2 all
};

struct CSource {
    std::string name;
    int32_t kind = 1;  // 1 library, 2 portable player, 6 radio tuner
    std::vector<int32_t> playlists;
};

struct CPreset {
    std::string name;
    double preamp = 0;  // dB, -12..12
    std::array<double, 10> bands{};
};

// The player behind the published objects: a library of tracks, sources with playlists,
// transport with a clock that moves the position while playing, volume and equaliser.
// Events go out through `onEvent` with the dispatch ids of the application's event interface.
class CModel {
public:
    enum State : int32_t { kStopped = 0, kPlaying = 1, kFastForward = 2, kRewind = 3 };
    enum Event : uint32_t {
        kDatabaseChanged = 1,
        kPlayerPlay = 2,
        kPlayerStop = 3,
        kPlayingTrackChanged = 4,
        kCallsDisabled = 6,
        kCallsEnabled = 7,
        kQuitting = 8,
        kAboutToPromptUserToQuit = 9,
        kVolumeChanged = 10,
    };

    // A demo library whose files live below `musicFolder`.
    explicit CModel(const std::string& musicFolder);

    std::function<void(uint32_t event)> onEvent;

    std::map<int32_t, CTrack> tracks;
    std::map<int32_t, CPlaylist> playlists;
    std::vector<CSource> sources;
    std::vector<CPreset> presets;
    int32_t libraryPlaylist = 0;
    std::string libraryXmlPath;
    bool callsEnabled = true;
    bool eqEnabled = false;
    size_t currentPreset = 0;

    State GetState() const { return m_state; }
    int32_t Volume() const { return m_volume; }
    void SetVolume(int32_t volume);
    int32_t PositionSeconds() const;
    void SetPositionSeconds(int32_t seconds);
    int32_t CurrentPlaylist() const { return m_playlist; }
    int32_t CurrentIndex() const { return m_index; }
    const CTrack* Current() const;

    void Play();
    void Pause();
    void Stop();
    void Scan(State state);
    void Next();
    void Previous();
    // Makes the track at `index` of the playlist current and plays it.
    void PlayAt(int32_t playlistId, int32_t index);

    // Adds the file to the library (once per location) and to the playlist; the track id.
    int32_t AddFile(int32_t playlistId, const std::string& path);
    // A user playlist in the library source; its id.
    int32_t CreatePlaylist(const std::string& name);
    void DeletePlaylist(int32_t playlistId);
    // Removes the entry at `index` of the playlist (from the library playlist: everywhere).
    void RemoveAt(int32_t playlistId, int32_t index);
    // Advances the clock; moves to the next track at the end of one.
    void Tick();

private:
    int32_t NewTrack(CTrack track);
    void ChangeTrack(int32_t playlistId, int32_t index);

    State m_state = kStopped;
    int32_t m_volume = 60;
    int32_t m_playlist = 0;
    int32_t m_index = -1;
    int64_t m_positionMs = 0;
    std::chrono::steady_clock::time_point m_lastTick = std::chrono::steady_clock::now();
    int32_t m_nextId = 1;
};

}  // namespace vantor::itunessim
