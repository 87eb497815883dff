#include "server/library/store/SearchMatch.h"

#include "server/library/sqlite/CppSQLite.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/TextFolding.h"
#include "protocol/MessageType.h"

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

int64_t SearchIndexRowId(int32_t mediaType, int64_t id) {
    return (static_cast<int64_t>(mediaType) << 32) + id;
}

std::vector<std::string> SearchIndexStatements() {
    const std::string table = kSearchIndexTable;
    std::vector<std::string> statements = {
        "CREATE VIRTUAL TABLE IF NOT EXISTS " + table +
            " USING fts5(key, content='', tokenize='trigram case_sensitive 1');",
        // A fill may add to a file that has rows (and an index) already: built anew.
        "DELETE FROM " + table + ";",
    };
    auto fill = [&table](int32_t type, const char* column, const char* from) {
        return "INSERT INTO " + table + "(rowid, key) SELECT " +
               std::to_string(SearchIndexRowId(type, 0)) + " + id, search_key(" + column +
               ") FROM " + from + ";";
    };
    statements.push_back(fill(kMediaGenre, "name", "audio_genres"));
    statements.push_back(fill(kMediaArtist, "name", "audio_artists"));
    statements.push_back(fill(kMediaAlbum, "name", "audio_albums"));
    statements.push_back(fill(kMediaMusic, "title", "audio_tracks"));
    statements.push_back(fill(kMediaPlaylist, "name", "playlists WHERE folder = 0"));
    statements.push_back(fill(kMediaPlaylistFolder, "name", "playlists WHERE folder = 1"));
    return statements;
}

std::string BuildSearchIndexMatch(const std::string& text) {
    const std::string folded = SearchKey(text);
    std::string match;
    size_t pos = 0;
    while (pos <= folded.size()) {
        size_t space = folded.find(' ', pos);
        if (space == std::string::npos) space = folded.size();
        const std::string_view word = std::string_view(folded).substr(pos, space - pos);
        pos = space + 1;
        // "%" and "_" are LIKE patterns, and a trigram index knows no shorter words: such
        // words are left to the clause that checks every row the index names.
        if (word.find_first_of("%_") != std::string_view::npos) continue;
        size_t characters = 0;
        for (char c : word) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (characters < 3) continue;
        // A quoted phrase of trigrams matches exactly the texts that contain the word.
        if (!match.empty()) match += " AND ";
        match += '"';
        for (char c : word) match += c == '"' ? std::string("\"\"") : std::string(1, c);
        match += '"';
    }
    return match;
}

std::string BuildSearchRank(std::string_view column, const std::string& text) {
    const std::string col(column);
    return "CASE WHEN search_key(" + col + ") = '" + EscapeQuotes(SearchKey(text)) +
           "' THEN 0 WHEN " + BuildSearchClause(column, text) + " THEN 1 ELSE 2 END";
}

}  // namespace vantor
