#pragma once

// Client versions: four numbers, major.minor.build.revision.

#include <array>
#include <cstdint>
#include <string>

namespace vantor::client {

struct ClientVersion {
    std::array<int32_t, 4> parts{};

    // "1.0.3.1"; missing or unreadable numbers read as 0.
    static ClientVersion Parse(const std::string& text);
    // True when, comparing major, minor, build and revision in order, the first number
    // that differs is greater here.
    bool IsNewerThan(const ClientVersion& other) const;
};

}  // namespace vantor::client
