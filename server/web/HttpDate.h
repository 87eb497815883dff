#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// "Sun, 06 Nov 1994 08:49:37 GMT" for the given UTC seconds (English names, any locale).
std::string FormatHttpDate(int64_t utcSeconds);

// Reads an If-Modified-Since value in any of the three date forms browsers send
// (RFC 1123, RFC 850, asctime). Each space must be a single space; anything else gives
// no time, so the file is sent.
std::optional<int64_t> ParseIfModifiedSince(std::string_view value);

}  // namespace vantor
