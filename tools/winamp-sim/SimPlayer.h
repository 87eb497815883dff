#pragma once

#include "platform/WindowPublisher.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vantor::winampsim {

struct CTrack {
    std::string path;
    std::string artist;
    std::string title;
    std::string album;
    int32_t lengthSeconds = 200;
    int32_t rating = 0;   // stars, 0..5
    bool tagged = false;  // whether the file carries artist/title information
    bool video = false;
};

// The player behind the simulated windows: a playlist, transport state with a clock that
// moves the play position while playing, volume, flags and equaliser in the raw units the
// window messages use. Playlist texts live in the published memory, as the real program
// hands out pointers to them.
class CSimPlayer {
public:
    enum State : int32_t { kStopped = 0, kPlaying = 1, kPaused = 3 };

    explicit CSimPlayer(CProcessMemoryArena& memory) : m_memory(memory) {}

    // Inserts at `index` (-1 or past the end appends).
    void Add(CTrack track, int32_t index = -1);
    void Remove(int32_t index);
    void Clear();
    int32_t Length() const { return static_cast<int32_t>(m_entries.size()); }
    int32_t Position() const { return m_position; }
    void SetPosition(int32_t index);
    const CTrack* Current() const;
    const CTrack* FindByPath(const std::string& path) const;
    // Tags of files the player knows from its media library: a file added by name later
    // shows them, as the real player reads a file's tags.
    void AddKnownTrack(CTrack track);
    // The track for a file added by name: its known tags, or none.
    CTrack TrackFor(const std::string& path) const;
    void SetCurrentRating(int32_t stars);
    RemoteAddress PathAddress(int32_t index) const;
    RemoteAddress TitleAddress(int32_t index) const;
    // What the playlist shows for a track: "Artist - Title", or the file name without folder
    // and extension for untagged files.
    static std::string DisplayTitle(const CTrack& track);
    // The main window's title.
    std::string WindowTitle() const;

    State GetState() const { return m_state; }
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    void Skip(int32_t milliseconds);
    // -1 when nothing plays.
    int32_t PlayPositionMs() const;
    bool JumpTo(int32_t milliseconds);
    // Moves on at the end of a track.
    void Tick();

    int32_t volume = 200;  // 0..255
    // Bands 0..9 and the preamp start flat; then enabled and auto-load.
    std::array<int32_t, 13> eq{32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 0, 0};
    int32_t eqIndex = 0;  // the value the next equaliser write sets
    bool shuffle = false;
    bool repeat = false;
    bool fullScreen = false;

private:
    using Clock = std::chrono::steady_clock;
    struct CEntry {
        CTrack track;
        RemoteAddress pathAddress = 0;
        RemoteAddress titleAddress = 0;
    };

    void StartAt(int32_t milliseconds);

    CProcessMemoryArena& m_memory;
    std::map<std::string, CTrack> m_known;
    std::vector<CEntry> m_entries;
    int32_t m_position = 0;
    State m_state = kStopped;
    int32_t m_baseMs = 0;
    Clock::time_point m_startedAt{};
};

// Reads an extended M3U list ("#EXTINF:seconds,Artist - Title", "#EXTALB:Album", then the
// path). Entries with an EXTINF line count as tagged.
std::vector<CTrack> ReadPlaylistFile(const std::string& path);
// A track for a file added by name only.
CTrack TrackForFile(const std::string& path);

}  // namespace vantor::winampsim
