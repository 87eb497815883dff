#include "server/library/store/SearchMatch.h"

#include "server/library/sqlite/CppSQLite.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/TextFolding.h"

namespace vantor {

std::string SearchKey(std::string_view text) {
    return FoldAccents(text);
}

bool KeyHasEveryWord(std::string_view name, std::string_view foldedWords) {
    // Called for every name the search looks at: one buffer per thread, no allocation.
    thread_local std::string key;
    FoldAccentsInto(name, key);
    size_t pos = 0;
    while (pos <= foldedWords.size()) {
        size_t space = foldedWords.find(' ', pos);
        if (space == std::string_view::npos) space = foldedWords.size();
        const std::string_view word = foldedWords.substr(pos, space - pos);
        if (!word.empty() && key.find(word) == std::string::npos) return false;
        pos = space + 1;
    }
    return true;
}

void PrepareSearchFunctions(CppSQLiteConnection& connection) {
    connection.AddTextFunction("search_key", &SearchKey);
    connection.AddMatchFunction("search_has_words", &KeyHasEveryWord);
}

std::string BuildFoldedSearchClause(std::string_view column, const std::string& text) {
    const std::string folded = SearchKey(text);
    if (folded.empty()) return "1";
    // "%" and "_" keep their LIKE meaning: such words go through LIKE on the key.
    if (folded.find_first_of("%_") != std::string::npos) {
        return BuildSearchClause("search_key(" + std::string(column) + ")", folded);
    }
    return "search_has_words(" + std::string(column) + ", '" + EscapeQuotes(folded) + "')";
}

std::string BuildSearchRank(std::string_view column, const std::string& text) {
    const std::string col(column);
    return "CASE WHEN search_key(" + col + ") = '" + EscapeQuotes(SearchKey(text)) +
           "' THEN 0 WHEN " + BuildSearchClause(column, text) + " THEN 1 ELSE 2 END";
}

}  // namespace vantor
