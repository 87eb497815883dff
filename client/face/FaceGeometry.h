#pragma once

// The arithmetic of bars: the pixels a value takes and the value a pointer position means.

#include <cstdint>

namespace vantor::face {

// Equaliser value v (-100 to 100) on a bar `height` pixels tall: pixels from the bottom,
// H - H x (100 - v) x 0.005 to the nearest pixel (100 is the top, -100 the bottom).
int32_t EqPixels(int32_t value, int32_t height);
// The value a pointer `y` pixels below the bar's top stands for (200 steps over the height,
// clamped to -100..100).
int32_t EqValueAt(int32_t y, int32_t height);
// Knob mode: the knob's top for a value of `pixels` from the bottom, kept inside the bar.
int32_t KnobTop(int32_t barHeight, int32_t pixels, int32_t knobHeight);

// Fill mode: `width` x part / whole to the nearest pixel; 0 when whole <= 0.
int32_t BarPixels(int32_t width, int64_t part, int64_t whole);
// The pointer `x` pixels from the bar's start as a pixel value within 0..width.
int32_t ClampToBar(int32_t x, int32_t width);

// The play position a release on the position bar asks for: share of the width x length.
int32_t PositionAt(int32_t pixels, int32_t width, int32_t lengthSeconds);

}  // namespace vantor::face
