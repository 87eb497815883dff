#pragma once

// The 13 player actions a key or hardware button can be bound to, in the order the
// buttons page lists them; FunctionKey<n> holds the key of action n - 1.

#include <array>
#include <cstdint>
#include <string_view>

namespace vantor::client {

enum class ClientAction : int32_t {
    kPlay = 0,
    kPause = 1,
    kPlayPauseToggle = 2,
    kStop = 3,
    kNextSong = 4,
    kPreviousSong = 5,
    kIncreaseVolume = 6,
    kDecreaseVolume = 7,
    kToggleRepeat = 8,
    kToggleShuffle = 9,
    kFastForward = 10,
    kRewind = 11,
    kNowPlaying = 12,
};

inline constexpr int32_t kActionCount = 13;

// "Play", "Pause", "Play/Pause (Toggle)", ... as the buttons page shows them; "" outside.
std::string_view ActionName(int32_t action);

// The volume an increase or decrease action sends: current + 5 or - 5, within 0..100.
int32_t SteppedVolume(int32_t current, bool up);

}  // namespace vantor::client
