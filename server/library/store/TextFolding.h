#pragma once

#include <string>
#include <string_view>

namespace vantor {

// Lower-cases UTF-8 text by code point: ASCII, Latin-1, Latin Extended-A/B and Additional,
// Greek, Cyrillic, Armenian, Georgian, Roman numerals, circled and full-width letters.
// Bytes that are not valid UTF-8 pass through unchanged; other scripts have no case.
std::string Utf8ToLower(std::string_view text);

// Lower-cased as above, with accents and other diacritics taken off Latin, Greek and
// Cyrillic letters ("Björk" -> "bjork", "Ελλάδα" -> "ελλαδα"); ligatures and special letters
// are spelled out ("ß" -> "ss", "æ" -> "ae", "ø" -> "o"). Combining marks are dropped, so
// decomposed text folds like composed text.
std::string FoldAccents(std::string_view text);
// The same into `out` (emptied first), so a caller folding many names reuses one buffer.
void FoldAccentsInto(std::string_view text, std::string& out);

// The key that names and titles sort by: lower-cased, trimmed, without a leading "the ".
std::string MakeSortName(std::string_view name);

// Trims ASCII white space at both ends.
std::string_view TrimWhiteSpace(std::string_view text);

}  // namespace vantor
