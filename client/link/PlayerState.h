#pragma once

// The link's copy of the player's state, kept up to date from responses and events.

#include <cstdint>
#include <string>

#include "protocol/EqSettings.h"
#include "protocol/MessageType.h"
#include "protocol/PlayerMessages.h"

namespace vantor::client {

struct CachedEq {
    CEqSettings settings;
    std::string presetName;  // the preset last chosen through this link; "" when none
    bool operator==(const CachedEq&) const = default;
};

struct PlayerState {
    int32_t playingState = kStopped;
    int32_t playlistPosition = -1;
    int32_t volume = 0;
    bool shuffle = false;
    bool repeat = false;
    CCurrentMedia media;       // title, artist, album, length, rating as the server sent them
    int32_t playPosition = 0;  // seconds
    CachedEq eq;
};

}  // namespace vantor::client
