#pragma once

#include <cstddef>
#include <string>

namespace vantor {

// Reads a whole text file of at most `maxBytes` bytes as the players write them: UTF-16 with
// a byte-order mark (or, without one, with the zero bytes of ASCII text in UTF-16
// little-endian) is converted to UTF-8, a UTF-8 byte-order mark is dropped, and anything else
// is given as its bytes. False when the file cannot be read or is larger than `maxBytes`.
bool ReadTextFile(const std::string& path, size_t maxBytes, std::string& text);

}  // namespace vantor
