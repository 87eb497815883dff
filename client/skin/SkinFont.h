#pragma once

// A skin font as a description: the window layer creates the real font from it with its own
// toolkit. Weight and quality keep the values the skin format names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/skin/SkinAttributes.h"

namespace vantor::skin {

struct FontDescription {
    std::string name;
    std::string face;
    int32_t sizePoints = 0;  // never below 0
    int32_t height = 0;      // device units for the skin's pixels per inch; see HeightFor
    std::string weightName;  // "normal" when the skin gave none
    int32_t weight = 400;    // 100 (thin) to 900 (heavy)
    bool italic = false;
    bool underline = false;
    std::optional<Rgb> colour;  // set only when the skin gave one
    std::string qualityName;    // "default" when the skin gave none
    int32_t quality = 0;        // 0 default, 1 draft, 3 non-antialiased, 4 antialiased,
                                // 5 cleartype, 6 cleartype.compat

    // -(size x pixelsPerInch) / 72, truncated toward zero: negative means "character
    // height in pixels", as font systems take it; 0 is the toolkit's default height.
    int32_t HeightFor(int32_t pixelsPerInch) const;
    // The same as a positive pixel size.
    int32_t PixelHeightFor(int32_t pixelsPerInch) const { return -HeightFor(pixelsPerInch); }
    bool operator==(const FontDescription&) const = default;
};

// "thin" 100 ... "heavy" 900; a name outside the table is taken as "normal" (400).
int32_t FontWeightFromName(std::string_view name);
// "default" 0 ... "cleartype.compat" 6; a name outside the table is taken as "default" (0).
int32_t FontQualityFromName(std::string_view name);

}  // namespace vantor::skin
