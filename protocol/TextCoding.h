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

// UTF-16 bytes (no byte-order mark) to UTF-8. A surrogate without its partner becomes
// U+FFFD; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// UTF-8 to UTF-16 bytes (no byte-order mark). Bytes that are not well-formed UTF-8 are
// taken as Latin-1 code points, as the wire conversion takes them.
std::string Utf8ToUtf16(std::string_view text, bool bigEndian);

// &amp; &lt; &gt; &quot; &apos; and numeric references (&#38; &#x26;) to their characters,
// numeric ones encoded as UTF-8; anything else after a '&' stays as it is.
std::string DecodeXmlEntities(std::string_view text);

// "%41" -> "A" (either case of hex digits); a '%' not followed by two hex digits stays.
std::string PercentDecode(std::string_view text);

}  // namespace vantor
