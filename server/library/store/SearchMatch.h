#pragma once

// How the library search matches names and titles: every word of the search text must
// occur in the name, ignoring letter case and accents ("bjork" finds "Björk"). The order puts
// a name equal to the whole text first, then names that contain the words as typed
// (letters compared as SQL's LIKE does), then names that match only once folded. Statements
// that use these clauses run on a connection prepared with PrepareSearchFunctions.

#include <string>
#include <string_view>

namespace vantor {

class CppSQLiteConnection;

// The text a name is compared by: lower-cased, accents taken off (FoldAccents).
std::string SearchKey(std::string_view text);

// True when every space-separated word of `foldedWords` occurs in SearchKey(name).
bool KeyHasEveryWord(std::string_view name, std::string_view foldedWords);

// Makes search_key(text) and search_has_words(name, words) available to the statements of
// this connection.
void PrepareSearchFunctions(CppSQLiteConnection& connection);

// The WHERE clause for a normalised search text (NormalizeSearchText): "1" for the empty
// text, else every folded word LIKE-matched against search_key(column).
std::string BuildFoldedSearchClause(std::string_view column, const std::string& text);

// An SQL expression giving each matching row its rank (0, 1 or 2, as described above).
std::string BuildSearchRank(std::string_view column, const std::string& text);

}  // namespace vantor
