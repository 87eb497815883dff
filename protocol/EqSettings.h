#pragma once

#include <array>
#include <cstdint>

namespace vantor {

// The equaliser as the protocol carries it: on/off, preset auto-loading, preamp and ten
// bands (band1..band10 on the wire), in the player service's units.
struct CEqSettings {
    bool enabled = false;
    bool autoLoad = false;
    int32_t preamp = 0;
    std::array<int32_t, 10> bands{};

    bool operator==(const CEqSettings&) const = default;
};

}  // namespace vantor
