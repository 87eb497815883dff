#include "server/library/store/SearchMatch.h"

#include "server/library/sqlite/CppSQLite.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/TextFolding.h"

namespace vantor {

std::string SearchKey(std::string_view text) {
    return FoldAccents(text);
}

void PrepareSearchFunctions(CppSQLiteConnection& connection) {
    connection.AddTextFunction("search_key", &SearchKey);
}

std::string BuildFoldedSearchClause(std::string_view column, const std::string& text) {
    const std::string keyed = "search_key(" + std::string(column) + ")";
    return BuildSearchClause(keyed, SearchKey(text));
}

std::string BuildSearchRank(std::string_view column, const std::string& text) {
    const std::string col(column);
    return "CASE WHEN search_key(" + col + ") = '" + EscapeQuotes(SearchKey(text)) +
           "' THEN 0 WHEN " + BuildSearchClause(column, text) + " THEN 1 ELSE 2 END";
}

}  // namespace vantor
