// Search: every word of the text anywhere in a name, exact names first, then names that
// hold the words as typed, then names that hold them only once folded; within a rank by
// sort name, name, kind and the row's own id; cut to the asked page.

#include "server/library/store/SQLiteMDS.h"

#include "server/core/Logger.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/SearchMatch.h"

#include <limits>

namespace vantor {

namespace {

// Whether the file has both tables of the search index.
bool HasSearchIndex(CppSQLiteConnection& connection) {
    CppSQLiteCursor cursor = connection.ExecQuery(
        FormatSql("SELECT count(*) FROM sqlite_master WHERE name IN ('%s', '%s');",
                  kSearchRowsTable, kSearchIndexTable));
    return !cursor.Eof() && cursor.FieldInt(0) == 2;
}

// Takes results in their order and keeps those of the page.
class PageCollector {
public:
    PageCollector(MediaItemList& out, int32_t start, int32_t count)
        : m_out(out),
          m_start(start),
          m_end(count < 0 ? std::numeric_limits<int64_t>::max()
                          : static_cast<int64_t>(start) + count) {}

    bool Whole() const { return m_taken >= m_end; }

    // The current row of a cursor whose first columns are id, type, name.
    void Take(const CppSQLiteCursor& row) {
        if (m_taken++ < m_start) return;
        auto item = std::make_unique<CMediaItem>();
        item->id = static_cast<int32_t>(row.FieldInt(0));
        item->mediaType = static_cast<int32_t>(row.FieldInt(1));
        item->name = row.FieldValue(2);
        m_out.push_back(std::move(item));
    }

private:
    MediaItemList& m_out;
    const int64_t m_start;
    const int64_t m_end;
    int64_t m_taken = 0;
};

// Every name read and ranked, the six kinds in one statement, ordered and cut to the page as
// it is read (so that only the rows of the page are kept). The way of a library file made
// without the search index.
void ScanEveryName(CppSQLiteConnection& connection, const std::string& words, int32_t start,
                   int32_t count, MediaItemList& out) {
    const std::string nameRank = BuildSearchRank("name", words);
    const std::string titleRank = BuildSearchRank("title", words);
    const std::string nameClause = BuildFoldedSearchClause("name", words);
    const std::string titleClause = BuildFoldedSearchClause("title", words);
    // `found` (the row's own id) orders rows alike in every other column.
    const char* const names =
        "SELECT -1 AS id, %d AS type, name, sort_name, %s AS rank, id AS found FROM %s WHERE %s";
    std::string query = "SELECT id, type, name FROM (";
    for (const auto& [type, table] :
         {std::pair{kMediaGenre, "audio_genres"}, std::pair{kMediaArtist, "audio_artists"},
          std::pair{kMediaAlbum, "audio_albums"}}) {
        query += FormatSql(names, type, nameRank.c_str(), table, nameClause.c_str());
        query += " UNION ALL ";
    }
    query += FormatSql(
        "SELECT id, %d, title, sort_title, %s, id FROM audio_tracks WHERE %s UNION ALL ",
        kMediaMusic, titleRank.c_str(), titleClause.c_str());
    query += FormatSql(
        "SELECT id, %d, name, name, %s, id FROM playlists WHERE %s AND folder = 0 UNION ALL ",
        kMediaPlaylist, nameRank.c_str(), nameClause.c_str());
    query += FormatSql("SELECT -1, %d, name, name, %s, id FROM playlists WHERE %s AND folder = 1",
                       kMediaPlaylistFolder, nameRank.c_str(), nameClause.c_str());
    query += ") ORDER BY rank, sort_name, name, type, found";
    if (start != 0 || count != -1) query += FormatSql(" LIMIT %d,%d", start, count);
    query += ";";
    PageCollector page(out, 0, -1);
    CppSQLiteCursor cursor = connection.ExecQuery(query);
    for (; !cursor.Eof(); cursor.NextRow()) page.Take(cursor);
}

// Through the search index: search_rows holds the names in result order, so each rank is
// read in that order and reading stops once the page is whole. The exact names come from
// the key hash; the rows holding the words from the trigram index (every row when no word
// is one it knows); each is still checked by the same clause and rank as above, so both
// ways give the same results.
void SearchInOrder(CppSQLiteConnection& connection, const std::string& words,
                   PageCollector& page) {
    const std::string folded = SearchKey(words);
    const std::string clause = BuildFoldedSearchClause("name", words);
    const std::string rank = BuildSearchRank("name", words);
    const std::string match = BuildSearchIndexMatch(words);

    CppSQLiteCursor exact = connection.ExecQuery(FormatSql(
        "SELECT id, type, name FROM %s WHERE key_hash = %lld AND search_key(name) = '%s' AND %s "
        "ORDER BY position;",
        kSearchRowsTable, static_cast<long long>(KeyHash(folded)), EscapeQuotes(folded).c_str(),
        clause.c_str()));
    for (; !exact.Eof() && !page.Whole(); exact.NextRow()) page.Take(exact);
    exact.Finalize();

    std::string rows;
    if (match.empty()) {
        rows = FormatSql("SELECT id, type, name, %s FROM %s WHERE %s ORDER BY position;",
                         rank.c_str(), kSearchRowsTable, clause.c_str());
    } else {
        rows = FormatSql(
            "SELECT r.id, r.type, r.name, %s FROM %s JOIN %s AS r ON r.position = %s.rowid "
            "WHERE %s MATCH '%s' AND %s ORDER BY %s.rowid;",
            rank.c_str(), kSearchIndexTable, kSearchRowsTable, kSearchIndexTable,
            kSearchIndexTable, EscapeQuotes(match).c_str(), clause.c_str(), kSearchIndexTable);
    }
    // Names holding the words as typed, then those that hold them only once folded: the
    // second reading happens only when the first ran out before the page was whole and
    // passed such names.
    bool foldedOnly = false;
    CppSQLiteCursor typed = connection.ExecQuery(rows);
    for (; !typed.Eof() && !page.Whole(); typed.NextRow()) {
        const std::string rowRank = typed.FieldValue(3);
        if (rowRank == "1") page.Take(typed);
        foldedOnly = foldedOnly || rowRank == "2";
    }
    typed.Finalize();
    if (!foldedOnly || page.Whole()) return;
    CppSQLiteCursor foldedRows = connection.ExecQuery(rows);
    for (; !foldedRows.Eof() && !page.Whole(); foldedRows.NextRow()) {
        if (foldedRows.FieldValue(3) == "2") page.Take(foldedRows);
    }
}

}  // namespace

int CSQLiteMDS::Search(MediaItemList& out, const std::string& text, int32_t start, int32_t count) {
    out.clear();
    if (start < 0) start = 0;
    const std::string words = NormalizeSearchText(text);
    try {
        auto connection = m_readers.Take();  // prepared with the search functions
        if (m_useSearchIndex && HasSearchIndex(*connection)) {
            PageCollector page(out, start, count);
            SearchInOrder(*connection, words, page);
        } else {
            ScanEveryName(*connection, words, start, count, out);
        }
        return 0;
    } catch (const CppSQLiteException& e) {
        out.clear();
        LogError(FormatSql("Error searching audio (%s): ", text.c_str()), e);
        return -1;
    }
}

}  // namespace vantor
