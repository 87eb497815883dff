#include "client/face/FaceGeometry.h"

#include <algorithm>
#include <cmath>

namespace vantor::face {

int32_t EqPixels(int32_t value, int32_t height) {
    value = std::clamp(value, -100, 100);
    return static_cast<int32_t>(std::lround(height - height * (100 - value) * 0.005));
}

int32_t EqValueAt(int32_t y, int32_t height) {
    if (height <= 0) return 0;
    const double value = 100.0 - 200.0 * y / height;
    return std::clamp(static_cast<int32_t>(std::lround(value)), -100, 100);
}

int32_t KnobTop(int32_t barHeight, int32_t pixels, int32_t knobHeight) {
    const int32_t top = barHeight - pixels - knobHeight / 2;
    return std::clamp(top, 0, std::max(0, barHeight - knobHeight));
}

int32_t BarPixels(int32_t width, int64_t part, int64_t whole) {
    if (whole <= 0 || width <= 0) return 0;
    part = std::clamp<int64_t>(part, 0, whole);
    return static_cast<int32_t>(std::llround(static_cast<double>(width) * part / whole));
}

int32_t ClampToBar(int32_t x, int32_t width) {
    return std::clamp(x, 0, std::max(0, width));
}

int32_t PositionAt(int32_t pixels, int32_t width, int32_t lengthSeconds) {
    if (width <= 0 || lengthSeconds <= 0) return 0;
    return static_cast<int32_t>(
        std::lround(static_cast<double>(ClampToBar(pixels, width)) / width * lengthSeconds));
}

}  // namespace vantor::face
