#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// Text codings shared by the protocol, the web channel and the library readers.

// 0 to 15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char c);

// Length of the well-formed UTF-8 sequence starting at text[pos], or 0 when there is none
// (truncated, bad continuation, overlong form, encoded surrogate or value past U+10FFFF).
size_t Utf8SequenceLength(std::string_view text, size_t pos);

// Decodes the well-formed UTF-8 sequence at text[pos] into `cp`; returns its length, or 0
// (and leaves `cp` alone) when there is none.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp);

// Appends the UTF-8 form of a Unicode scalar value (not a surrogate, at most U+10FFFF).
void AppendUtf8(char32_t cp, std::string& out);

// "%41" -> "A" (either case of hex digits); a '%' not followed by two hex digits stays.
std::string PercentDecode(std::string_view text);

}  // namespace vantor
