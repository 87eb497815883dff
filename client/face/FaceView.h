#pragma once

// Where the skinned face lies in the window area that shows it: scaled by `scale`, its top
// left at (`left`, `top`) in area pixels. Lists whose bottom reaches the face's bottom edge
// grow by `extraHeight` area pixels. The desktop shows the face as it is (the defaults);
// the handheld profile fits it to the screen.

#include <cmath>
#include <cstdint>

#include "client/skin/Skin.h"

namespace vantor::face {

struct FaceView {
    double scale = 1.0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t extraHeight = 0;
    // The area's size; 0 takes the scaled face's size.
    int32_t areaWidth = 0;
    int32_t areaHeight = 0;

    bool operator==(const FaceView&) const = default;
    bool IsIdentity() const { return *this == FaceView{}; }
    // An area point in face coordinates.
    int32_t FaceX(double x) const { return static_cast<int32_t>(std::floor((x - left) / scale)); }
    int32_t FaceY(double y) const { return static_cast<int32_t>(std::floor((y - top) / scale)); }
    // A face rectangle in area pixels.
    skin::Rect ToArea(const skin::Rect& r) const {
        auto at = [this](int32_t v, int32_t origin) {
            return origin + static_cast<int32_t>(std::lround(v * scale));
        };
        return {at(r.left, left), at(r.top, top), at(r.right, left), at(r.bottom, top)};
    }
};

}  // namespace vantor::face
