#include "client/settings/ClientActions.h"

#include <algorithm>

namespace vantor::client {

namespace {

constexpr std::array<std::string_view, kActionCount> kNames = {
    "Play",          "Pause",          "Play/Pause (Toggle)", "Stop",
    "Next Song",     "Previous Song",  "Increase Volume",     "Decrease Volume",
    "Toggle Repeat", "Toggle Shuffle", "Fast Forward 5 sec.", "Rewind 5 sec.",
    "Now Playing",
};

}  // namespace

std::string_view ActionName(int32_t action) {
    if (action < 0 || action >= kActionCount) return {};
    return kNames[static_cast<size_t>(action)];
}

int32_t SteppedVolume(int32_t current, bool up) {
    return std::clamp(current + (up ? 5 : -5), 0, 100);
}

}  // namespace vantor::client
