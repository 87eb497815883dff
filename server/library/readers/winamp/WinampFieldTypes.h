#pragma once

#include <cstdint>

namespace vantor {

// Field types of Winamp's table files, as the player writes them. The reader reads texts,
// integers, redirections and the two definition types, and skips the others by their size.
enum WinampFieldType : uint8_t {
    kWinampColumn = 0,
    kWinampIndex = 1,
    kWinampRedirect = 2,
    kWinampText = 3,
    kWinampInteger = 4,
    kWinampBinary = 6,
    kWinampDateTime = 10,  // 32-bit integer
    kWinampLength = 11,    // 32-bit integer
    kWinampFileName = 12,  // laid out as a text
    kWinampInteger64 = 13,
};

}  // namespace vantor
