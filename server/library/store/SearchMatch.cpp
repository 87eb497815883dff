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

int64_t KeyHash(std::string_view key) {
    // FNV-1a, 64 bits.
    uint64_t hash = 14695981039346656037ull;
    for (char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return static_cast<int64_t>(hash);
}

namespace {

int64_t SearchKeyHash(std::string_view name) {
    thread_local std::string key;
    FoldAccentsInto(name, key);
    return KeyHash(key);
}

}  // namespace

void PrepareSearchFunctions(CppSQLiteConnection& connection) {
    connection.AddTextFunction("search_key", &SearchKey);
    connection.AddIntegerFunction("search_key_hash", &SearchKeyHash);
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

std::vector<std::string> SearchIndexStatements() {
    const std::string rows = kSearchRowsTable;
    const std::string index = kSearchIndexTable;
    // The six kinds of rows with the columns results are ordered by.
    const std::string named =
        FormatSql("SELECT %d AS type, -1 AS id, name, sort_name, id AS found FROM audio_genres "
                  "UNION ALL SELECT %d, -1, name, sort_name, id FROM audio_artists "
                  "UNION ALL SELECT %d, -1, name, sort_name, id FROM audio_albums "
                  "UNION ALL SELECT %d, id, title, sort_title, id FROM audio_tracks "
                  "UNION ALL SELECT %d, id, name, name, id FROM playlists WHERE folder = 0 "
                  "UNION ALL SELECT %d, -1, name, name, id FROM playlists WHERE folder = 1",
                  kMediaGenre, kMediaArtist, kMediaAlbum, kMediaMusic, kMediaPlaylist,
                  kMediaPlaylistFolder);
    return {
        // A fill may add to a file that has them already: built anew.
        "DROP TABLE IF EXISTS " + index + ";",
        "DROP TABLE IF EXISTS " + rows + ";",
        "CREATE TABLE " + rows +
            "(position INTEGER PRIMARY KEY, type INTEGER, id INTEGER, name TEXT, "
            "key_hash INTEGER);",
        // Numbered as they are inserted: in result order.
        "INSERT INTO " + rows + "(type, id, name, key_hash) SELECT type, id, name, "
            "search_key_hash(name) FROM (" + named + ") ORDER BY sort_name, name, type, found;",
        "CREATE INDEX " + rows + "_key ON " + rows + "(key_hash);",
        "CREATE VIRTUAL TABLE " + index +
            " USING fts5(key, content='', tokenize='trigram case_sensitive 1');",
        "INSERT INTO " + index + "(rowid, key) SELECT position, search_key(name) FROM " + rows +
            ";",
    };
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
