#include "server/library/store/SQLiteMDS.h"

#include "server/core/Logger.h"
#include "server/library/store/QueryText.h"
#include "server/library/store/SearchMatch.h"
#include "server/library/store/TextFolding.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace vantor {

namespace {

struct NameTableInfo {
    const char* table;
};
constexpr NameTableInfo kNameTables[] = {{"audio_genres"}, {"audio_artists"}, {"audio_albums"},
                                         {"video_genres"}, {"tv_genres"},     {"tv_series"}};

struct RelationTableInfo {
    const char* table;
    const char* first;
    const char* second;
};
constexpr RelationTableInfo kRelationTables[] = {{"audio_genre_artists", "genre", "artist"},
                                                 {"audio_genre_albums", "genre", "album"},
                                                 {"audio_artist_albums", "artist", "album"}};

struct IndexInfo {
    const char* name;
    const char* table;
    const char* column;
};
constexpr IndexInfo kIndexes[] = {
    {"audio_genre_names", "audio_genres", "name"},
    {"audio_artist_names", "audio_artists", "name"},
    {"audio_album_names", "audio_albums", "name"},
    {"audio_track_titles", "audio_tracks", "title"},
    {"audio_genre_sort_names", "audio_genres", "sort_name"},
    {"audio_artist_sort_names", "audio_artists", "sort_name"},
    {"audio_album_sort_names", "audio_albums", "sort_name"},
    {"audio_track_sort_titles", "audio_tracks", "sort_title"},
    {"audio_ga_g", "audio_genre_artists", "genre"},
    {"audio_ga_a", "audio_genre_artists", "artist"},
    {"audio_gb_g", "audio_genre_albums", "genre"},
    {"audio_gb_b", "audio_genre_albums", "album"},
    {"audio_ab_a", "audio_artist_albums", "artist"},
    {"audio_ab_b", "audio_artist_albums", "album"},
    {"playlist_names", "playlists", "name"},
    {"radio_names", "radio_stations", "name"},
    // Beyond the original sixteen: the columns the list and fetch queries filter on, so
    // that an album, an artist's tracks or a path is found without reading every row.
    {"audio_track_albums", "audio_tracks", "album"},
    {"audio_track_artists", "audio_tracks", "artist"},
    {"audio_track_genres", "audio_tracks", "genre"},
    {"audio_track_paths", "audio_tracks", "path"},
    {"video_genre_ids", "videos", "genre"},
    {"tv_show_series", "tv_shows", "series"},
    {"playlist_parents", "playlists", "parent"},
    {"radio_parents", "radio_stations", "parent"},
};

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

}  // namespace

IMediaDataStore::~IMediaDataStore() = default;

CSQLiteMDS::CSQLiteMDS(std::string path, CLogger& logger)
    : m_path(std::move(path)),
      m_readers(m_path, kBusyTimeoutMs, &PrepareSearchFunctions),
      m_logger(logger) {}

CSQLiteMDS::~CSQLiteMDS() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CloseDatabase();
}

std::vector<std::string> CSQLiteMDS::SchemaStatements(float libraryVersion) {
    return {
        "CREATE TABLE media_index(id INTEGER PRIMARY KEY, type INTEGER);",
        "create table info(lastUpdated INTEGER, libVersion FLOAT);",
        FormatSql("insert into info values (0, %0.1f);", static_cast<double>(libraryVersion)),
        "create table playlists(id INTEGER PRIMARY KEY, parent INTEGER, folder INTEGER, name "
        "VARCHAR(256), path VARCHAR(500));",
        "create table radio_stations(id INTEGER PRIMARY KEY, parent INTEGER, folder INTEGER, name "
        "VARCHAR(256), path VARCHAR(500));",
        "create table audio_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), sort_name "
        "VARCHAR(50));",
        "create table audio_artists(id INTEGER PRIMARY KEY, name VARCHAR(100), sort_name "
        "VARCHAR(100));",
        "create table audio_albums(id INTEGER PRIMARY KEY, name VARCHAR(100), sort_name "
        "VARCHAR(100));",
        "create table audio_genre_artists(genre INTEGER, artist INTEGER);",
        "create table audio_genre_albums(genre INTEGER, album INTEGER);",
        "create table audio_artist_albums(artist INTEGER, album INTEGER);",
        "create table audio_tracks(id INTEGER PRIMARY KEY, genre INTEGER, artist INTEGER, album "
        "INTEGER, title VARCHAR(255), sort_title VARCHAR(255), tracknum VARCHAR(10), path "
        "VARCHAR(500));",
        "create table video_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), sort_name "
        "VARCHAR(50));",
        "create table videos(id INTEGER PRIMARY KEY, genre INTEGER, title VARCHAR(255), sort_title "
        "VARCHAR(255), path VARCHAR(500));",
        "create table tv_genres(id INTEGER PRIMARY KEY, name VARCHAR(50), sort_name VARCHAR(50));",
        "create table tv_series(id INTEGER PRIMARY KEY, name VARCHAR(100), sort_name "
        "VARCHAR(100));",
        "create table tv_shows(id INTEGER PRIMARY KEY, genre INTEGER, series INTEGER, title "
        "VARCHAR(255), sort_title VARCHAR(255), description VARCHAR(500), recordtime VARCHAR(255), "
        "channel VARCHAR(100), channelname VARCHAR(255), rating VARCHAR(255), path VARCHAR(500));",
    };
}

std::vector<std::string> CSQLiteMDS::IndexStatements() {
    std::vector<std::string> statements;
    for (const IndexInfo& index : kIndexes) {
        statements.push_back(
            FormatSql("CREATE INDEX %s ON %s(%s);", index.name, index.table, index.column));
    }
    return statements;
}

void CSQLiteMDS::LogError(const std::string& context, const CppSQLiteException& e) {
    m_logger.LogCritical("CSQLiteMDS: %s%s", context.c_str(), e.what());
}

void CSQLiteMDS::OpenConnection(CppSQLiteConnection& connection) const {
    connection.Open(m_path);
    connection.SetBusyTimeout(kBusyTimeoutMs);
}

int CSQLiteMDS::CreateIfMissing() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (FileExists(m_path)) return 0;
    return CreateDatabase();
}

int CSQLiteMDS::CreateDatabase() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    try {
        CppSQLiteConnection connection;
        OpenConnection(connection);
        // The file appears lazily on some file systems; give it time before giving up.
        int tries = 0;
        while (!FileExists(m_path) && tries < 100) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ++tries;
        }
        if (!FileExists(m_path)) {
            m_logger.LogCritical(
                "ERROR: Unable to create media database, file not found even after open() "
                "succeeded!");
            return -1;
        }
        std::vector<std::string> schema = SchemaStatements(m_libraryVersion);
        // One transaction: a file write per statement costs more than the whole schema.
        connection.ExecDML("begin transaction");
        connection.ExecDML(schema[0]);
        m_nextItemId = 1;
        m_nextNameId.fill(1);
        for (size_t i = 1; i < schema.size(); ++i) connection.ExecDML(schema[i]);
        connection.ExecDML("commit transaction");
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error creating media database: ", e);
        return -1;
    }
}

int CSQLiteMDS::Shutdown() {
    return 0;
}

void CSQLiteMDS::SetLibraryVersion(float version) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_libraryVersion = version;
}

void CSQLiteMDS::OpenDatabase() {
    if (m_connection && m_connection->IsOpen()) return;
    auto connection = std::make_unique<CppSQLiteConnection>();
    OpenConnection(*connection);
    m_connection = std::move(connection);
}

void CSQLiteMDS::CloseDatabase() {
    m_mediaIndexInsert.Finalize();
    m_trackInsert.Finalize();
    for (CppSQLiteCommand& command : m_nameInsert) command.Finalize();
    for (auto& ids : m_nameIds) ids.clear();
    if (m_connection) m_connection->Close();
    m_connection.reset();
}

void CSQLiteMDS::LoadFillLookups() {
    // A fill normally starts on an empty file; rows already present must still be found.
    for (int table = 0; table < kNameTableCount; ++table) {
        auto& ids = m_nameIds[static_cast<size_t>(table)];
        ids.clear();
        CppSQLiteCursor cursor = m_connection->ExecQuery(
            FormatSql("SELECT id, name FROM %s;", kNameTables[table].table));
        while (!cursor.Eof()) {
            ids.emplace(cursor.FieldValue(1), static_cast<int32_t>(cursor.FieldInt(0)));
            cursor.NextRow();
        }
    }
}

int CSQLiteMDS::BeginUpdate() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    try {
        OpenDatabase();
    } catch (const CppSQLiteException& e) {
        LogError("Error opening media database: ", e);
        return -1;
    }
    try {
        m_connection->ExecDML("begin transaction");
        LoadFillLookups();
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error beginning update: ", e);
        return -1;
    }
}

int CSQLiteMDS::EndUpdate() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int result = 0;
    try {
        if (!m_connection) throw CppSQLiteException(kCppSQLiteError, "Database not open");
        AddRelations();
        // The names are all written: their lookups are not needed for the indexes.
        for (auto& ids : m_nameIds) std::unordered_map<std::string, int32_t>().swap(ids);
        for (const std::string& statement : IndexStatements()) m_connection->ExecDML(statement);
        // The search index, in the same transaction: a library file never has one that
        // does not match its tables.
        PrepareSearchFunctions(*m_connection);
        for (const std::string& statement : SearchIndexStatements()) {
            m_connection->ExecDML(statement);
        }
        m_connection->ExecDML("commit transaction");
    } catch (const CppSQLiteException& e) {
        LogError("Error finishing update: ", e);
        result = -1;
    }
    CloseDatabase();
    return result;
}

int32_t CSQLiteMDS::GetOrCreateNameId(NameTable table, const std::string& name) {
    auto& ids = m_nameIds[static_cast<size_t>(table)];
    auto found = ids.find(name);
    if (found != ids.end()) return found->second;
    int32_t id = m_nextNameId[static_cast<size_t>(table)]++;
    CppSQLiteCommand& insert = m_nameInsert[static_cast<size_t>(table)];
    if (!insert.IsValid()) {
        insert = m_connection->CompileStatement(
            FormatSql("INSERT INTO %s VALUES (?, ?, ?);", kNameTables[table].table));
    }
    insert.Bind(1, static_cast<int64_t>(id));
    insert.Bind(2, name);
    insert.Bind(3, MakeSortName(name));
    insert.ExecDML();
    insert.Reset();
    ids.emplace(name, id);
    return id;
}

void CSQLiteMDS::AddRelations() {
    // Each pair once, in the order of the first track that has it, and none that an earlier
    // fill of the same file wrote already. Done here rather than per track so that the fill
    // needs no memory for the pairs.
    for (const RelationTableInfo& info : kRelationTables) {
        try {
            m_connection->ExecDML(FormatSql(
                "INSERT INTO %s SELECT %s, %s FROM (SELECT %s, %s, MIN(id) AS first FROM "
                "audio_tracks GROUP BY %s, %s) WHERE (%s, %s) NOT IN (SELECT %s, %s FROM %s) "
                "ORDER BY first;",
                info.table, info.first, info.second, info.first, info.second, info.first,
                info.second, info.first, info.second, info.first, info.second, info.table));
        } catch (const CppSQLiteException& e) {
            LogError(FormatSql("Error adding %s/%s map: ", info.first, info.second), e);
        }
    }
}

int CSQLiteMDS::AddMediaIndexEntry(int32_t id, int32_t mediaType) {
    try {
        if (!m_connection) throw CppSQLiteException(kCppSQLiteError, "Database not open");
        if (!m_mediaIndexInsert.IsValid()) {
            m_mediaIndexInsert =
                m_connection->CompileStatement("INSERT INTO media_index VALUES(?, ?);");
        }
        m_mediaIndexInsert.Bind(1, static_cast<int64_t>(id));
        m_mediaIndexInsert.Bind(2, static_cast<int64_t>(mediaType));
        m_mediaIndexInsert.ExecDML();
        m_mediaIndexInsert.Reset();
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding media index entry track: ", e);
        return -1;
    }
}

int CSQLiteMDS::AddAudioTrack(const CMusicItem& track) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t id = m_nextItemId++;
    if (AddMediaIndexEntry(id, kMediaMusic) != 0) return -1;
    try {
        int32_t genre = GetOrCreateNameId(kAudioGenres, track.genre);
        int32_t artist = GetOrCreateNameId(kAudioArtists, track.artist);
        int32_t album = GetOrCreateNameId(kAudioAlbums, track.album);
        if (!m_trackInsert.IsValid()) {
            m_trackInsert = m_connection->CompileStatement(
                "INSERT INTO audio_tracks VALUES(?, ?, ?, ?, ?, ?, ?, ?);");
        }
        m_trackInsert.Bind(1, static_cast<int64_t>(id));
        m_trackInsert.Bind(2, static_cast<int64_t>(genre));
        m_trackInsert.Bind(3, static_cast<int64_t>(artist));
        m_trackInsert.Bind(4, static_cast<int64_t>(album));
        m_trackInsert.Bind(5, track.name);
        m_trackInsert.Bind(6, MakeSortName(track.name));
        m_trackInsert.Bind(7, track.trackNumber);
        m_trackInsert.Bind(8, track.path);
        m_trackInsert.ExecDML();
        m_trackInsert.Reset();
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding audio track: ", e);
        return -1;
    }
}

int CSQLiteMDS::AddVideo(const CVideoItem& video) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t id = m_nextItemId++;
    if (AddMediaIndexEntry(id, kMediaVideo) != 0) return -1;
    try {
        int32_t genre = GetOrCreateNameId(kVideoGenres, video.genre);
        std::string sortTitle = MakeSortName(video.name);
        m_connection->ExecDML(FormatSql("INSERT INTO videos VALUES(%d, %d, '%s', '%s', '%s');", id,
                                        genre, EscapeQuotes(video.name).c_str(),
                                        EscapeQuotes(sortTitle).c_str(),
                                        EscapeQuotes(video.path).c_str()));
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding video: ", e);
        return -1;
    }
}

int CSQLiteMDS::AddTVShow(const CTVItem& show) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t id = m_nextItemId++;
    if (AddMediaIndexEntry(id, kMediaTV) != 0) return -1;
    try {
        int32_t genre = GetOrCreateNameId(kTVGenres, show.genre);
        int32_t series = GetOrCreateNameId(kTVSeries, show.series);
        std::string sortTitle = MakeSortName(show.name);
        m_connection->ExecDML(FormatSql(
            "INSERT INTO tv_shows VALUES(%d, %d, %d, '%s', '%s', '%s', '%s', '%s', '%s', '%s', "
            "'%s');",
            id, genre, series, EscapeQuotes(show.name).c_str(), EscapeQuotes(sortTitle).c_str(),
            EscapeQuotes(show.description).c_str(), EscapeQuotes(show.recordTime).c_str(),
            EscapeQuotes(show.channel).c_str(), EscapeQuotes(show.channelName).c_str(),
            EscapeQuotes(show.parentalRating).c_str(), EscapeQuotes(show.path).c_str()));
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding TV show: ", e);
        return -1;
    }
}

namespace {

size_t ChildCount(const CMediaItem& item, bool radio) {
    if (radio) return static_cast<const CRadioStationItem&>(item).children.size();
    return static_cast<const CPlaylistItem&>(item).children.size();
}

}  // namespace

// Throws on failure; a failure stops the walk.
void CSQLiteMDS::AddTreeItem(const CMediaItem& item, bool radio, int32_t parentId) {
    int32_t id = m_nextItemId++;
    bool folder = ChildCount(item, radio) > 0;
    int32_t type = radio ? (folder ? kMediaRadioFolder : kMediaRadio)
                         : (folder ? kMediaPlaylistFolder : kMediaPlaylist);
    if (AddMediaIndexEntry(id, type) != 0) {
        throw CppSQLiteException(kCppSQLiteError, "media index entry not added");
    }
    m_connection->ExecDML(
        FormatSql(radio ? "INSERT INTO radio_stations VALUES(%d, %d, %d, '%s', '%s');"
                        : "INSERT INTO playlists VALUES(%d, %d, %d, '%s', '%s');",
                  id, parentId, folder ? 1 : 0, EscapeQuotes(item.name).c_str(),
                  EscapeQuotes(item.path).c_str()));
    if (!folder) return;
    if (radio) {
        for (const auto& child : static_cast<const CRadioStationItem&>(item).children) {
            AddTreeItem(*child, true, id);
        }
    } else {
        for (const auto& child : static_cast<const CPlaylistItem&>(item).children) {
            AddTreeItem(*child, false, id);
        }
    }
}

int CSQLiteMDS::AddPlaylist(const CPlaylistItem& playlist) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    try {
        if (!m_connection) throw CppSQLiteException(kCppSQLiteError, "Database not open");
        AddTreeItem(playlist, false, playlist.parentId);
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding playlist: ", e);
        return -1;
    }
}

int CSQLiteMDS::AddRadioStation(const CRadioStationItem& station) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    try {
        if (!m_connection) throw CppSQLiteException(kCppSQLiteError, "Database not open");
        AddTreeItem(station, true, station.parentId);
        return 0;
    } catch (const CppSQLiteException& e) {
        LogError("Error adding radio station: ", e);
        return -1;
    }
}

int32_t CSQLiteMDS::LookupFieldId(const char* table, const char* field, const std::string& value,
                                  const char* secondField, int32_t secondValue) {
    std::string query =
        secondField == nullptr
            ? FormatSql("SELECT id FROM %s WHERE %s = '%s' LIMIT 1;", table, field,
                        EscapeQuotes(value).c_str())
            : FormatSql("SELECT id FROM %s WHERE %s = '%s' AND %s = %d LIMIT 1;", table, field,
                        EscapeQuotes(value).c_str(), secondField, secondValue);
    auto lookup = [&query](CppSQLiteConnection& connection) {
        CppSQLiteCursor cursor = connection.ExecQuery(query);
        return cursor.Eof() ? -1 : static_cast<int32_t>(cursor.FieldInt(0));
    };
    try {
        {
            // During a fill the rows written so far are visible only to the fill's own
            // connection.
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            if (m_connection) return lookup(*m_connection);
        }
        // Otherwise without the lock, like every other query: lookups from many clients
        // side by side.
        return lookup(*m_readers.Take());
    } catch (const CppSQLiteException& e) {
        LogError("Error looking up field ID: ", e);
        return -1;
    }
}

int32_t CSQLiteMDS::GetItemId(int32_t mediaType, const std::string& name) {
    const char* table = nullptr;
    switch (mediaType) {
        case kMediaGenre:
            table = "audio_genres";
            break;
        case kMediaArtist:
            table = "audio_artists";
            break;
        case kMediaAlbum:
            table = "audio_albums";
            break;
        case kMediaTVSeries:
            table = "tv_series";
            break;
        default:
            return -1;
    }
    return LookupFieldId(table, "name", name);
}

int32_t CSQLiteMDS::GetFolderId(int32_t mediaType, const std::string& name, int32_t parentId) {
    const char* table = nullptr;
    switch (mediaType) {
        case kMediaPlaylistFolder:
            table = "playlists";
            break;
        case kMediaRadioFolder:
            table = "radio_stations";
            break;
        default:
            return -1;
    }
    return LookupFieldId(table, "name", name, "parent", parentId);
}

}  // namespace vantor
