#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantor::wmpsim {

// One entry of the media collection: its attributes by the player's names; "SourceURL" is the
// entry's location and "MediaType" its kind ("audio", "video", "playlist", "photo", ...).
struct CEntry {
    int32_t id = 0;
    std::map<std::string, std::string> attributes;
    std::string Attribute(const std::string& name) const {
        auto it = attributes.find(name);
        return it == attributes.end() ? std::string() : it->second;
    }
};

// The player behind the published control: the media collection, named playlists, the
// current playlist, transport with a clock, volume and the "shuffle" and "loop" modes.
// Changes go out through `onEvent` with the dispatch ids below and their arguments.
class CModel {
public:
    enum State : int32_t {
        kStopped = 1,
        kPaused = 2,
        kPlaying = 3,
        kScanForward = 4,
        kScanReverse = 5
    };
    enum Event : uint32_t {
        kPlayStateChange = 5101,
        kPositionChange = 5202,
        kCurrentPlaylistChange = 5804,
        kCurrentItemChange = 5806,
        kModeChange = 5808,
        kMediaCollectionChange = 5820,
    };

    std::function<void(uint32_t event, int32_t value, const std::string& text)> onEvent;

    std::map<int32_t, CEntry> entries;
    // Named playlists (the "playlist" entries' contents).
    std::map<std::string, std::vector<int32_t>> playlists;
    std::string remoteHost;

    // Reads entries from a file of "Attribute=Value" lines, entries separated by empty
    // lines; without a file a demo collection whose files live below `musicFolder`. Writes
    // the album-art file of every audio entry with a collection id into its folder when
    // that folder exists.
    void Load(const std::string& collectionFile, const std::string& musicFolder);
    // A new entry (or the one with that source URL); its id.
    int32_t EntryFor(const std::string& url);

    const std::vector<int32_t>& Current() const { return m_current; }
    std::string CurrentName() const { return m_currentName; }
    int32_t CurrentIndex() const { return m_index; }
    const CEntry* CurrentEntry() const;
    State GetState() const { return m_state; }
    double Position() const { return static_cast<double>(m_positionMs) / 1000.0; }
    void SetPosition(double seconds);
    int32_t Volume() const { return m_volume; }
    void SetVolume(int32_t volume) { m_volume = volume; }
    bool Mode(const std::string& name) const;
    void SetMode(const std::string& name, bool on);

    void Play();
    void Pause();
    void Stop();
    void Scan(State state);
    void Next();
    void Previous();
    void PlayIndex(int32_t index);
    // Replaces the current playlist.
    void SetCurrent(const std::string& name, std::vector<int32_t> ids);
    void Insert(int32_t index, int32_t id);
    void RemoveAt(int32_t index);
    void Move(int32_t from, int32_t to);
    void Clear();
    void Tick();

private:
    void SetState(State state);
    void ChangeItem(int32_t index);
    void PlaylistChanged();
    int32_t Duration(const CEntry& entry) const;

    std::vector<int32_t> m_current;
    std::string m_currentName = "Now Playing";
    int32_t m_index = -1;
    State m_state = kStopped;
    int64_t m_positionMs = 0;
    int32_t m_volume = 50;
    bool m_shuffle = false;
    bool m_loop = false;
    int32_t m_nextId = 1;
    std::chrono::steady_clock::time_point m_lastTick = std::chrono::steady_clock::now();
};

}  // namespace vantor::wmpsim
