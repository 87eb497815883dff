#pragma once

#include <string>
#include <string_view>

namespace vantor {

// Name rules that turn a track's tags into search terms and a cache file name. Pure text
// functions, safe on any thread.

// Drops "(...)" spans (only when removeParentheses is set, innermost-last first) and
// "[...]" spans, folds double spaces once and trims the ends. An opening mark without a
// closing one after it is kept.
std::string CleanName(std::string_view text, bool removeParentheses);

// Drops the lower-case words "the", "of", "to", "in", "this" and "i" where they stand as
// whole words between spaces. A title that would become empty is returned unchanged.
std::string RemoveStopWords(const std::string& title);

// Removes the characters that may not appear in a cache file name on any system the
// clients use: \ / : * ? " < > |
std::string RemoveForbiddenFileChars(std::string_view name);

// Cache file name for cleaned tags: "artist - album.jpg", or "artist - title.jpg" without an
// album, in wire text (UTF-8) with forbidden characters removed.
std::string MakeAlbumArtFileName(const std::string& artist, const std::string& album,
                                 const std::string& title);

}  // namespace vantor
