#pragma once

#include "protocol/EqSettings.h"
#include "protocol/MediaItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantor {

// What a player can do beyond the common operations.
struct CPlayerCapabilities {
    bool supportsEq = false;
};

// Change notifications from a player adapter. Called on the adapter's monitor threads, never
// with an adapter lock held, so a callback may call back into the player. The listener must
// outlive the adapter's monitors (remove it, then Disconnect, then destroy it).
class IPlayerListener {
public:
    virtual ~IPlayerListener() = default;

    virtual void OnVolumeChanged(int32_t volume) = 0;
    virtual void OnShuffleStateChanged(bool on) = 0;
    virtual void OnRepeatStateChanged(bool on) = 0;
    virtual void OnPlayingStateChanged(int32_t state) = 0;
    virtual void OnPlaylistPositionChanged(int32_t position) = 0;
    virtual void OnPlayPositionChanged(int32_t seconds) = 0;
    // The item stays owned by the caller; copy it (Clone) to keep it.
    virtual void OnCurrentMediaChanged(const CMediaItem& item) = 0;
    // The player's own media library changed.
    virtual void OnLibraryChanged() = 0;
    // The content of the current ("now playing") playlist changed.
    virtual void OnPlaylistChanged() = 0;
    virtual void OnEqChanged() = 0;
};

// One media player driven by the player service. Every operation may be called from any
// thread, also while the adapter's monitors run; operations block until the player answered.
// Result codes are protocol result codes (0 success, 19 not supported, 100 media not found,
// 102 player communication error, ...). Units: volume 0..100, positions and lengths in whole
// seconds, playlist positions from 0 (-1 none), ratings 0..100, equaliser values -100..+100.
// Plain-value getters answer from the state the monitors keep unless an adapter asks its
// player directly.
class IPlayer {
public:
    virtual ~IPlayer() = default;

    // Attaches to the player (starting it when needed) and starts the monitors.
    virtual int32_t Connect() = 0;
    // Stops the monitors (waits for them) and lets go of the player.
    virtual void Disconnect() = 0;
    virtual bool IsConnected() const = 0;
    // One listener only: a second call replaces the first. The player does not own it. 0.
    virtual int32_t AddListener(IPlayerListener* listener) = 0;
    // Clears the listener when it is the registered one. 0.
    virtual int32_t RemoveListener(IPlayerListener* listener) = 0;

    virtual int32_t Play() = 0;
    virtual int32_t Pause() = 0;
    virtual int32_t Stop() = 0;
    virtual int32_t FastForward() = 0;
    virtual int32_t Rewind() = 0;
    virtual int32_t PreviousTrack() = 0;
    virtual int32_t NextTrack() = 0;

    // Jumps to that item of the current playlist.
    virtual int32_t SetPlaylistPosition(int32_t position) = 0;
    virtual int32_t SetPlayPosition(int32_t seconds) = 0;
    // Fills `out` with a new item owned by the caller; 100 when nothing is current. An item
    // known only by its file path comes back as media type 0 with the path.
    virtual int32_t GetCurrentMedia(std::unique_ptr<CMediaItem>& out) = 0;
    virtual int32_t GetPlaylistPosition() = 0;
    // Plays this item now (replacing the current playlist where the player works that way).
    virtual int32_t PlayMedia(const CMediaItem& item) = 0;
    // Inserts the items at `position` (-1 appends). Adapters without a list version of their
    // own answer with PlaylistAddOneByOne.
    virtual int32_t PlaylistAdd(const MediaItemList& items, int32_t position) = 0;
    virtual int32_t PlaylistAdd(const CMediaItem& item, int32_t position) = 0;
    virtual int32_t PlaylistRemove(int32_t position) = 0;
    virtual int32_t PlaylistMove(int32_t from, int32_t to) = 0;
    virtual int32_t PlaylistClear() = 0;
    virtual int32_t GetVolume() = 0;
    virtual int32_t SetVolume(int32_t volume) = 0;
    virtual int32_t GetPlayPosition() = 0;
    // A PlayingState value (playing, paused, stopped, scanning steps).
    virtual int32_t GetPlayingState() = 0;
    virtual int32_t GetPlaylistLength() = 0;
    // Titles of the current playlist from `start` (negative: 0), `count` of them (negative:
    // up to the end). `titles` is emptied first; `total` (may be null) is set to the
    // playlist length only when titles were copied. Always 0.
    virtual int32_t GetPlaylistItems(std::vector<std::string>& titles, int32_t start, int32_t count,
                                     int32_t* total) = 0;
    // Kept for the players' operation order; nobody calls it. Always 19.
    virtual int32_t ReservedOperation();
    virtual int32_t GetTrackRating(int32_t& rating) = 0;
    virtual int32_t SetTrackRating(int32_t rating) = 0;
    // Names that SetEqPreset accepts.
    virtual int32_t GetEqPresets(std::vector<std::string>& presets) = 0;
    virtual int32_t SetEqPreset(const std::string& name) = 0;
    virtual int32_t GetEq(CEqSettings& settings) = 0;
    virtual int32_t SetEq(const CEqSettings& settings) = 0;
    virtual int32_t GetVideoMode(bool& fullScreen) = 0;
    virtual int32_t SetVideoMode(bool fullScreen) = 0;
    virtual void GetCapabilities(CPlayerCapabilities& capabilities) = 0;
    virtual bool GetShuffleState() = 0;
    virtual int32_t SetShuffleState(bool on) = 0;
    virtual bool GetRepeatState() = 0;
    virtual int32_t SetRepeatState(bool on) = 0;
    // Keeps the current play list among the player's own play lists under `name`. 11 for
    // a name the player cannot take (empty, or already taken); 19 (the default) for a
    // player that keeps no play lists of its own.
    virtual int32_t SavePlaylist(const std::string& name);
};

// Adds the items one by one through the single-item PlaylistAdd: the k-th at position + k,
// or appended when position is -1. Stops at the first failure and returns its code; 0 when
// all were added.
int32_t PlaylistAddOneByOne(IPlayer& player, const MediaItemList& items, int32_t position);

// Copies the titles that GetPlaylistItems answers with out of an adapter's cached list (same
// rules for start and count). Returns true when titles were copied, which is when the adapter
// then sets the total.
bool CopyPlaylistTitles(const std::vector<std::string>& cached, std::vector<std::string>& titles,
                        int32_t start, int32_t count);

}  // namespace vantor
