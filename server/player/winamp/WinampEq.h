#pragma once

#include <array>
#include <cstdint>

// Conversions between Winamp's raw units and the player interface's, and its presets.
namespace vantor::winamp {

// Raw equaliser sliders run 0 (full boost) to 63 (full cut); the interface's -100..+100.
int32_t EqValueFromRaw(int32_t raw);
int32_t EqRawFromValue(int32_t value);
// Raw volume 0..255; the interface's 0..100.
int32_t VolumeFromRaw(int32_t raw);
int32_t VolumeToRaw(int32_t volume);

struct CEqPreset {
    const char* name;
    std::array<int32_t, 10> bands;  // raw, lowest band first
};

constexpr int32_t kPresetPreamp = 31;
const std::array<CEqPreset, 18>& EqPresets();

}  // namespace vantor::winamp
