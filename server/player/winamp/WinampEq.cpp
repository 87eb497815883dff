#include "server/player/winamp/WinampEq.h"

#include <algorithm>

namespace vantor::winamp {

int32_t EqValueFromRaw(int32_t raw) {
    // 31 and 32 both sit in the middle; 32 counts as exactly flat.
    const double centred = raw == 32 ? 31.5 : raw;
    return static_cast<int32_t>(-(centred - 31.5) / 31.5 * 100.0);
}

int32_t EqRawFromValue(int32_t value) {
    return static_cast<int32_t>(-value * 0.01 * 31.5 + 31.5 + 0.5);
}

int32_t VolumeFromRaw(int32_t raw) {
    return std::clamp(static_cast<int32_t>(raw * 100.0 / 255.0 + 0.5), 0, 100);
}

int32_t VolumeToRaw(int32_t volume) {
    return static_cast<int32_t>(volume * 0.01 * 255.0 + 0.5);
}

const std::array<CEqPreset, 18>& EqPresets() {
    static const std::array<CEqPreset, 18> presets = {{
        {"Classical", {31, 31, 31, 31, 31, 31, 44, 44, 44, 48}},
        {"Club", {31, 31, 26, 22, 22, 22, 26, 31, 31, 31}},
        {"Dance", {16, 20, 28, 32, 32, 42, 44, 44, 32, 32}},
        {"Flat", {32, 32, 32, 32, 32, 32, 32, 32, 32, 32}},
        {"Full Bass", {16, 16, 16, 22, 29, 39, 46, 49, 50, 50}},
        {"Full Bass & Treble", {20, 22, 31, 44, 40, 29, 18, 14, 12, 12}},
        {"Full Treble", {48, 48, 48, 39, 27, 14, 6, 6, 6, 4}},
        {"Laptop Speakers/Headphones", {24, 14, 23, 38, 36, 29, 24, 16, 11, 8}},
        {"Large Hall", {15, 15, 22, 22, 31, 40, 40, 40, 31, 31}},
        {"Live", {40, 31, 25, 23, 22, 22, 25, 27, 27, 28}},
        {"Party", {20, 20, 31, 31, 31, 31, 31, 31, 20, 20}},
        {"Pop", {35, 24, 20, 19, 23, 34, 36, 36, 35, 35}},
        {"Reggae", {31, 31, 33, 42, 31, 21, 21, 31, 31, 31}},
        {"Rock", {19, 24, 41, 45, 38, 25, 17, 14, 14, 14}},
        {"Ska", {36, 40, 39, 33, 25, 22, 17, 16, 14, 16}},
        {"Soft", {24, 29, 34, 36, 34, 25, 18, 16, 14, 12}},
        {"Soft Rock", {25, 25, 28, 33, 39, 41, 38, 33, 27, 17}},
        {"Techno", {19, 22, 31, 41, 40, 31, 19, 16, 16, 17}},
    }};
    return presets;
}

}  // namespace vantor::winamp
