#pragma once

#include "protocol/MessageType.h"

#include <cstdint>

namespace vantor {

// The part of MPD's state the adapter reports changes of, as one pass of the monitor
// reads it from "status".
struct CMpdPlayerState {
    // Values that can never come from MPD, so the first pass after connecting reports
    // the current item and the playlist as changed.
    static constexpr int32_t kUnknownSong = -2;
    static constexpr unsigned kUnknownQueue = 0;

    int32_t volume = 0;
    bool shuffle = false;
    bool repeat = false;
    int32_t playingState = kStopped;
    int32_t playlistPosition = -1;
    int32_t songId = kUnknownSong;
    int32_t playPosition = 0;  // whole seconds
    unsigned queueVersion = kUnknownQueue;
    int32_t playlistLength = 0;
};

// Which listener callbacks one pass owes.
struct CMpdChanges {
    bool volume = false;
    bool shuffle = false;
    bool repeat = false;
    bool playingState = false;
    bool playlistPosition = false;
    bool currentMedia = false;
    bool playPosition = false;
    bool playlist = false;
};

// Compares a pass with the cached state. The play position counts as changed when it moved
// by 3 seconds or more (a seek, not playback going on) or when the item changed.
CMpdChanges CompareMpdStates(const CMpdPlayerState& cached, const CMpdPlayerState& fresh);

}  // namespace vantor
