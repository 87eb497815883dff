#pragma once

// How the library search matches names and titles: every word of the search text must
// occur in the name, ignoring letter case and accents ("bjork" finds "Björk"). The order puts
// a name equal to the whole text first, then names that contain the words as typed
// (letters compared as SQL's LIKE does), then names that match only once folded. Statements
// that use these clauses run on a connection prepared with PrepareSearchFunctions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class CppSQLiteConnection;

// The text a name is compared by: lower-cased, accents taken off (FoldAccents).
std::string SearchKey(std::string_view text);

// True when every space-separated word of `foldedWords` occurs in SearchKey(name).
bool KeyHasEveryWord(std::string_view name, std::string_view foldedWords);

// Makes search_key(text), search_key_hash(text) (KeyHash of the key) and
// search_has_words(name, words) available to the statements of this connection.
void PrepareSearchFunctions(CppSQLiteConnection& connection);

// The WHERE clause for a normalised search text (NormalizeSearchText): "1" for the empty
// text, else every folded word LIKE-matched against search_key(column).
std::string BuildFoldedSearchClause(std::string_view column, const std::string& text);

// An SQL expression giving each matching row its rank (0, 1 or 2, as described above).
std::string BuildSearchRank(std::string_view column, const std::string& text);

// The search index, two tables beside the library's own, rebuilt at the end of every fill:
//  - search_rows: every searchable name and title (genres, artists, albums, track titles,
//    playlists and their folders) with its kind and result id, numbered in the order search
//    results take within one rank (sort name, name, kind, the row's own id), with a hash of
//    its SearchKey so that names equal to a search text are found at once;
//  - search_index: an FTS5 table of trigrams over the SearchKey of those rows, keeping no
//    text of its own, whose row ids are the rows' numbers, so that the rows holding some
//    words come out of it in result order.
constexpr const char* kSearchRowsTable = "search_rows";
constexpr const char* kSearchIndexTable = "search_index";
// The hash search_rows keeps of a SearchKey.
int64_t KeyHash(std::string_view key);
// The statements that (re)build both tables from the library's tables, on a connection
// prepared with PrepareSearchFunctions.
std::vector<std::string> SearchIndexStatements();
// The MATCH text that finds the rows holding every word of a normalised search text that
// the index knows: words of three characters or more (trigrams) without "%" or "_" (LIKE
// patterns). "" when there is none. The rows it finds are a superset of the matches, to be
// checked by the search clause.
std::string BuildSearchIndexMatch(const std::string& text);

}  // namespace vantor
