#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Doubles every single quote so that the text can stand inside '...' in a statement.
std::string EscapeQuotes(std::string_view text);

// printf-style formatting of a statement text.
std::string FormatSql(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends " LIMIT start,count;" (dropping one trailing ';') unless the page is the whole list
// (start 0 or less and count -1). Returns true when a limit was added.
bool ApplyPaging(std::string& query, int32_t start, int32_t count);

// Rewrites a list query into the statement that counts its rows; the empty text when the
// query has no "SELECT "/" FROM" pair or its "LIMIT " is not closed by ';'.
std::string MakeCountQuery(const std::string& query);

// Search text as the search uses it: trimmed, each double space made single in one pass.
std::string NormalizeSearchText(std::string_view text);

// The WHERE clause that requires every word of an (already normalised) search text to occur
// in the column: "1" for the empty text.
std::string BuildSearchClause(std::string_view column, const std::string& text);

}  // namespace vantor
