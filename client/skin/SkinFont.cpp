#include "client/skin/SkinFont.h"

#include <array>
#include <utility>

namespace vantor::skin {

namespace {

constexpr std::array<std::pair<std::string_view, int32_t>, 9> kWeights{{
    {"thin", 100},
    {"extralight", 200},
    {"light", 300},
    {"normal", 400},
    {"medium", 500},
    {"semibold", 600},
    {"bold", 700},
    {"extrabold", 800},
    {"heavy", 900},
}};

constexpr std::array<std::pair<std::string_view, int32_t>, 6> kQualities{{
    {"default", 0},
    {"draft", 1},
    {"nonantialiased", 3},
    {"antialiased", 4},
    {"cleartype", 5},
    {"cleartype.compat", 6},
}};

}  // namespace

int32_t FontDescription::HeightFor(int32_t pixelsPerInch) const {
    const int64_t product = static_cast<int64_t>(sizePoints) * pixelsPerInch;
    return static_cast<int32_t>(-(product / 72));
}

int32_t FontWeightFromName(std::string_view name) {
    for (const auto& [known, value] : kWeights) {
        if (known == name) return value;
    }
    return 400;
}

int32_t FontQualityFromName(std::string_view name) {
    for (const auto& [known, value] : kQualities) {
        if (known == name) return value;
    }
    return 0;
}

}  // namespace vantor::skin
