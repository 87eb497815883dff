// The media library on generated iTunes libraries of 10,000, 100,000 and 1,000,000 tracks,
// one size after the other:
//  - Import: a whole library update (read the XML, fill the temporary store, build the
//    indexes, rename it into place), with the process's peak memory during it;
//  - StoreFill: the same tracks, already parsed, through the store's add operations;
//  - RawInsert: the same rows into the same schema with bare prepared statements in one
//    transaction, plus the same indexes and search index: the reference the fill is
//    compared with;
//  - Browse and Search on the imported library, each beside Raw*: the same rows asked of
//    the same file with one bare prepared statement on a connection kept open; Search also
//    beside SearchScan, the same search reading every name (a file without the search
//    index).
// Imports are single runs (one iteration each); growth from size to size shows linearity.
// --sizes=10000,100000 picks the sizes (the million-track library is a 1.4 GB file).
// --keep=DIR keeps the generated libraries and imported stores in DIR for the next run.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "bench/BenchSupport.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/MediaLibrary.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "server/library/store/SQLiteMDS.h"
#include "server/library/store/SearchMatch.h"
#include "server/library/store/TextFolding.h"
#include "server/library/tree/MediaTree.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace vantor {
namespace {

// --keep=DIR: the generated libraries and stores are written to DIR, kept after the run and
// used again by the next one (a million-track library takes minutes to write).
std::string& KeptFolder() {
    static std::string folder;
    return folder;
}

std::string BenchFolder() {
    if (!KeptFolder().empty()) return KeptFolder();
    return bench::BenchFolder("vantor-libbench-");
}

using bench::ResetPeakMemory;

// User and system time of every thread of the process: steadier than wall time on a
// machine that others share.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double PeakMemoryMiB() {
    return bench::MemoryMiB();
}

std::string LibraryFile(int tracks) {
    std::string path = BenchFolder() + "itunes-" + std::to_string(tracks) + ".xml";
    if (!std::filesystem::exists(path)) {
        tools::ITunesLibraryOptions options;
        options.tracks = tracks;
        tools::WriteITunesLibraryFile(options, path);
    }
    return path;
}

// Keeps what a reader hands over, to replay it into stores.
class Collector : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem& item) override { items.push_back(item.Clone()); }
    void StartUpdate() override {}
    MediaItemList items;
};

// The parsed items of one size at a time: a million of them take hundreds of MiB.
Collector& ParsedCache() {
    static Collector collector;
    return collector;
}
int& ParsedSize() {
    static int size = 0;
    return size;
}

void DropParsedItems() {
    ParsedCache().items.clear();
    ParsedCache().items.shrink_to_fit();
    ParsedSize() = 0;
    malloc_trim(0);
}

const MediaItemList& ParsedItems(int tracks) {
    Collector& collector = ParsedCache();
    if (ParsedSize() != tracks) {
        DropParsedItems();
        ParsedSize() = tracks;
        CLogger logger;
        CConfigStore config(BenchFolder());
        CITunesMediaReader reader(logger, config, LibraryFile(tracks));
        reader.SetOwner(&collector);
        reader.Read();
    }
    return collector.items;
}

std::string DataFolder(int tracks) {
    std::string folder = BenchFolder() + "data-" + std::to_string(tracks) + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

void Import(benchmark::State& state) {
    int tracks = static_cast<int>(state.range(0));
    std::string file = LibraryFile(tracks);
    std::string folder = DataFolder(tracks);
    CLogger logger;
    CConfigStore config(folder);
    double seconds = 0;
    double peak = 0;
    double cpu = 0;
    double baseline = 0;
    DropParsedItems();  // what the import holds is measured, nothing else
    for (auto _ : state) {
        std::filesystem::remove(folder + "library.db");
        baseline = bench::MemoryMiB("VmRSS:");
        ResetPeakMemory();
        const double cpuBefore = ProcessCpuSeconds();
        auto begin = std::chrono::steady_clock::now();
        CMediaLibrary library(logger, folder, [&] {
            return std::make_unique<CITunesMediaReader>(logger, config, file);
        });
        library.Start(nullptr);
        library.WaitForUpdate();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        peak = PeakMemoryMiB();
        cpu = ProcessCpuSeconds() - cpuBefore;
        state.SetIterationTime(seconds);
        library.Stop();
    }
    state.counters["tracks_per_s"] = tracks / seconds;
    state.counters["peak_MiB"] = peak;
    state.counters["before_MiB"] = baseline;
    state.counters["cpu_s"] = cpu;
}

// The reader alone, its items counted and dropped: what reading the file costs.
void Read(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    std::string file = LibraryFile(tracks);
    struct : IMediaReaderOwner {
        void AddItem(const CMediaItem&) override { ++items; }
        void StartUpdate() override {}
        size_t items = 0;
    } counter;
    CLogger logger;
    CConfigStore config(BenchFolder());
    double peak = 0;
    for (auto _ : state) {
        const double before = bench::MemoryMiB("VmRSS:");
        ResetPeakMemory();
        auto begin = std::chrono::steady_clock::now();
        CITunesMediaReader reader(logger, config, file);
        reader.SetOwner(&counter);
        reader.Read();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        peak = PeakMemoryMiB() - before;
    }
    state.counters["peak_added_MiB"] = peak;
    state.counters["items"] = static_cast<double>(counter.items);
}

void FillStore(const MediaItemList& items, const std::string& path, CLogger& logger) {
    std::filesystem::remove(path);
    CSQLiteMDS store(path, logger);
    store.SetLibraryVersion(3.1f);
    store.CreateIfMissing();
    store.BeginUpdate();
    for (const auto& item : items) {
        switch (item->mediaType) {
            case kMediaMusic:
                store.AddAudioTrack(static_cast<const CMusicItem&>(*item));
                break;
            case kMediaVideo:
                store.AddVideo(static_cast<const CVideoItem&>(*item));
                break;
            case kMediaTV:
                store.AddTVShow(static_cast<const CTVItem&>(*item));
                break;
            case kMediaPlaylist:
                store.AddPlaylist(static_cast<const CPlaylistItem&>(*item));
                break;
            default:
                break;
        }
    }
    store.EndUpdate();
}

void StoreFill(benchmark::State& state) {
    const MediaItemList& items = ParsedItems(static_cast<int>(state.range(0)));
    std::string path = BenchFolder() + "fill.db";
    CLogger logger;
    for (auto _ : state) {
        auto begin = std::chrono::steady_clock::now();
        FillStore(items, path, logger);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    }
    state.counters["tracks_per_s"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

// The reference: the same rows with bare statements, no wrapper, no store.
void RawInsert(benchmark::State& state) {
    const MediaItemList& items = ParsedItems(static_cast<int>(state.range(0)));
    std::string path = BenchFolder() + "raw.db";
    double cpu = 0;
    for (auto _ : state) {
        std::filesystem::remove(path);
        const double cpuBefore = ProcessCpuSeconds();
        auto begin = std::chrono::steady_clock::now();
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "begin transaction", nullptr, nullptr, nullptr);
        for (const std::string& sql : CSQLiteMDS::SchemaStatements(3.1f)) {
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        auto prepare = [&](const char* sql) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            return statement;
        };
        sqlite3_stmt* index = prepare("INSERT INTO media_index VALUES(?, ?);");
        sqlite3_stmt* track = prepare("INSERT INTO audio_tracks VALUES(?, ?, ?, ?, ?, ?, ?, ?);");
        const char* names[] = {"audio_genres", "audio_artists", "audio_albums"};
        sqlite3_stmt* nameInsert[3];
        std::unordered_map<std::string, int> nameIds[3];
        for (int t = 0; t < 3; ++t) {
            nameInsert[t] =
                prepare(("INSERT INTO " + std::string(names[t]) + " VALUES (?, ?, ?);").c_str());
        }
        const char* relations[] = {"audio_genre_artists", "audio_genre_albums",
                                   "audio_artist_albums"};
        sqlite3_stmt* relationInsert[3];
        std::unordered_set<long long> pairs[3];
        for (int t = 0; t < 3; ++t) {
            relationInsert[t] =
                prepare(("INSERT INTO " + std::string(relations[t]) + " VALUES (?, ?);").c_str());
        }
        auto step = [](sqlite3_stmt* statement) {
            sqlite3_step(statement);
            sqlite3_reset(statement);
        };
        auto nameId = [&](int t, const std::string& name) {
            auto found = nameIds[t].find(name);
            if (found != nameIds[t].end()) return found->second;
            int id = static_cast<int>(nameIds[t].size()) + 1;
            nameIds[t].emplace(name, id);
            sqlite3_bind_int(nameInsert[t], 1, id);
            sqlite3_bind_text(nameInsert[t], 2, name.data(), static_cast<int>(name.size()),
                              SQLITE_TRANSIENT);
            std::string sort = MakeSortName(name);
            sqlite3_bind_text(nameInsert[t], 3, sort.data(), static_cast<int>(sort.size()),
                              SQLITE_TRANSIENT);
            step(nameInsert[t]);
            return id;
        };
        auto relation = [&](int t, int a, int b) {
            if (!pairs[t].insert((static_cast<long long>(a) << 32) | b).second) return;
            sqlite3_bind_int(relationInsert[t], 1, a);
            sqlite3_bind_int(relationInsert[t], 2, b);
            step(relationInsert[t]);
        };
        int id = 1;
        for (const auto& item : items) {
            if (item->mediaType != kMediaMusic) continue;
            const auto& music = static_cast<const CMusicItem&>(*item);
            sqlite3_bind_int(index, 1, id);
            sqlite3_bind_int(index, 2, kMediaMusic);
            step(index);
            int genre = nameId(0, music.genre);
            int artist = nameId(1, music.artist);
            int album = nameId(2, music.album);
            relation(0, genre, artist);
            relation(1, genre, album);
            relation(2, artist, album);
            std::string sort = MakeSortName(music.name);
            sqlite3_bind_int(track, 1, id);
            sqlite3_bind_int(track, 2, genre);
            sqlite3_bind_int(track, 3, artist);
            sqlite3_bind_int(track, 4, album);
            sqlite3_bind_text(track, 5, music.name.data(), static_cast<int>(music.name.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(track, 6, sort.data(), static_cast<int>(sort.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(track, 7, music.trackNumber.data(),
                              static_cast<int>(music.trackNumber.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(track, 8, music.path.data(), static_cast<int>(music.path.size()),
                              SQLITE_TRANSIENT);
            step(track);
            ++id;
        }
        for (const std::string& sql : CSQLiteMDS::IndexStatements()) {
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_create_function(
            db, "search_key", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
            [](sqlite3_context* context, int, sqlite3_value** values) {
                const auto* text = sqlite3_value_text(values[0]);
                std::string key = SearchKey(text == nullptr ? "" : reinterpret_cast<const char*>(text));
                sqlite3_result_text(context, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
            },
            nullptr, nullptr);
        sqlite3_create_function(
            db, "search_key_hash", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
            [](sqlite3_context* context, int, sqlite3_value** values) {
                const auto* text = sqlite3_value_text(values[0]);
                sqlite3_result_int64(
                    context,
                    KeyHash(SearchKey(text == nullptr ? "" : reinterpret_cast<const char*>(text))));
            },
            nullptr, nullptr);
        for (const std::string& sql : SearchIndexStatements()) {
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                state.SkipWithError(sqlite3_errmsg(db));
            }
        }
        sqlite3_exec(db, "commit transaction", nullptr, nullptr, nullptr);
        sqlite3_finalize(index);
        sqlite3_finalize(track);
        for (int t = 0; t < 3; ++t) {
            sqlite3_finalize(nameInsert[t]);
            sqlite3_finalize(relationInsert[t]);
        }
        sqlite3_close(db);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        cpu = ProcessCpuSeconds() - cpuBefore;
    }
    state.counters["cpu_s"] = cpu;
    state.counters["tracks_per_s"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

// The library the import of that size left behind (filled here if the import was
// filtered out).
CSQLiteMDS& ImportedStore(int tracks) {
    static CLogger logger;
    static std::map<int, std::unique_ptr<CSQLiteMDS>> stores;
    auto& store = stores[tracks];
    if (!store) {
        std::string folder = DataFolder(tracks);
        if (!std::filesystem::exists(folder + "library.db")) {
            FillStore(ParsedItems(tracks), folder + "library.db", logger);
        }
        store = std::make_unique<CSQLiteMDS>(folder + "library.db", logger);
    }
    return *store;
}

// The 501st album in name order, as the load benchmark picks it.
std::string BenchAlbum(int tracks) {
    StringArray albums;
    ImportedStore(tracks).GetAudioAlbums(albums, -1, -1, 500, 1, nullptr);
    return albums.at(0);
}

void BrowsePath(benchmark::State& state, std::string path) {
    const int tracks = static_cast<int>(state.range(0));
    CSQLiteMDS& store = ImportedStore(tracks);
    if (path.empty()) path = "\\Music\\Albums\\" + BenchAlbum(tracks);
    size_t rows = 0;
    for (auto _ : state) {
        MediaItemList items;
        std::string answered = path;
        int32_t total = 0;
        BrowseLibrary(store, false, items, answered, false, 0, 50, &total);
        rows = items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// A page of 50 search results from `start`; `scan` reads every name, as a library file
// without the search index is searched.
void SearchText(benchmark::State& state, const std::string& text, int start, bool scan) {
    CSQLiteMDS& imported = ImportedStore(static_cast<int>(state.range(0)));
    CLogger logger;
    CSQLiteMDS scanning(imported.GetPath(), logger);
    scanning.UseSearchIndex(false);
    CSQLiteMDS& store = scan ? scanning : imported;
    size_t rows = 0;
    for (auto _ : state) {
        MediaItemList items;
        store.Search(items, text, start, 50);
        rows = items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The references: the same rows from the same file with bare statements, compiled once,
// on a connection that stays open.
class RawQuery {
public:
    explicit RawQuery(int tracks) {
        sqlite3_open_v2((DataFolder(tracks) + "library.db").c_str(), &m_db, SQLITE_OPEN_READONLY,
                        nullptr);
    }
    ~RawQuery() {
        for (sqlite3_stmt* statement : m_statements) sqlite3_finalize(statement);
        sqlite3_close(m_db);
    }
    sqlite3_stmt* Prepare(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw query: %s\n", sqlite3_errmsg(m_db));
            std::abort();
        }
        m_statements.push_back(statement);
        return statement;
    }
    // Steps through every row; the number of rows.
    static size_t Run(sqlite3_stmt* statement) {
        size_t rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(statement, 0));
            ++rows;
        }
        sqlite3_reset(statement);
        return rows;
    }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

void RawArtistsPage(benchmark::State& state) {
    ImportedStore(static_cast<int>(state.range(0)));
    RawQuery raw(static_cast<int>(state.range(0)));
    sqlite3_stmt* page = raw.Prepare("SELECT name FROM audio_artists ORDER BY sort_name LIMIT 0,50");
    sqlite3_stmt* total = raw.Prepare("SELECT COUNT(*) FROM audio_artists");
    size_t rows = 0;
    for (auto _ : state) {
        rows = RawQuery::Run(page);
        RawQuery::Run(total);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void RawAlbum(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    const std::string album = BenchAlbum(tracks);
    RawQuery raw(tracks);
    sqlite3_stmt* id = raw.Prepare("SELECT id FROM audio_albums WHERE name = ? LIMIT 1");
    sqlite3_stmt* page = raw.Prepare(
        "SELECT id, title FROM audio_tracks WHERE album = ? ORDER BY tracknum, sort_title "
        "LIMIT 0,50");
    sqlite3_stmt* total = raw.Prepare("SELECT COUNT(*) FROM audio_tracks WHERE album = ?");
    size_t rows = 0;
    for (auto _ : state) {
        sqlite3_bind_text(id, 1, album.c_str(), -1, SQLITE_STATIC);
        sqlite3_step(id);
        const int albumId = sqlite3_column_int(id, 0);
        sqlite3_reset(id);
        sqlite3_bind_int(page, 1, albumId);
        rows = RawQuery::Run(page);
        sqlite3_bind_int(total, 1, albumId);
        RawQuery::Run(total);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The reference for Search: the same six fills, order and page with plain LIKE on the raw
// columns (the matching before accents were ignored), every word required, with bare SQLite.
void RawSearch(benchmark::State& state, const std::string& text) {
    const int tracks = static_cast<int>(state.range(0));
    ImportedStore(tracks);
    sqlite3* db = nullptr;
    sqlite3_open((DataFolder(tracks) + "library.db").c_str(), &db);
    auto like = [&text](const char* column) {
        std::string clause = "1";
        for (size_t at = 0; at < text.size();) {
            size_t space = text.find(' ', at);
            if (space == std::string::npos) space = text.size();
            clause += std::string(" AND ") + column + " LIKE '%" + text.substr(at, space - at) + "%'";
            at = space + 1;
        }
        return clause;
    };
    const std::string names = like("name");
    const std::string fills[] = {
        "INSERT INTO r SELECT -1, 9, name, sort_name FROM audio_genres WHERE " + names,
        "INSERT INTO r SELECT -1, 10, name, sort_name FROM audio_artists WHERE " + names,
        "INSERT INTO r SELECT -1, 11, name, sort_name FROM audio_albums WHERE " + names,
        "INSERT INTO r SELECT id, 1, title, sort_title FROM audio_tracks WHERE " + like("title"),
        "INSERT INTO r SELECT id, 4, name, name FROM playlists WHERE " + names + " AND folder = 0",
        "INSERT INTO r SELECT -1, 5, name, name FROM playlists WHERE " + names + " AND folder = 1",
    };
    size_t rows = 0;
    for (auto _ : state) {
        sqlite3_exec(db, "CREATE TEMP TABLE r(id INTEGER, type INTEGER, name TEXT, sort_name TEXT)",
                     nullptr, nullptr, nullptr);
        for (const std::string& fill : fills)
            sqlite3_exec(db, fill.c_str(), nullptr, nullptr, nullptr);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM r ORDER BY sort_name, name, type LIMIT 0,50", -1,
                           &query, nullptr);
        rows = 0;
        while (sqlite3_step(query) == SQLITE_ROW) ++rows;
        sqlite3_finalize(query);
        sqlite3_exec(db, "DROP TABLE r", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    state.counters["rows"] = static_cast<double>(rows);
}

void TakeKeepOption(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--keep=", 7) != 0) continue;
        std::string folder = argv[i] + 7;
        if (folder.empty() || folder.back() != '/') folder += '/';
        std::filesystem::create_directories(folder);
        KeptFolder() = folder;
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        break;
    }
}

std::vector<int> Sizes(int& argc, char** argv) {
    std::vector<int> sizes = {10000, 100000, 1000000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) != 0) continue;
        sizes.clear();
        for (const char* p = argv[i] + 8; *p != '\0';) {
            char* end = nullptr;
            sizes.push_back(static_cast<int>(std::strtol(p, &end, 10)));
            p = *end == ',' ? end + 1 : end;
            if (end == p && *p != '\0') break;
        }
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        break;
    }
    return sizes;
}

// Every measure of one size before the next size, so that a size's parsed items and
// stores are made once.
void RegisterAll(const std::vector<int>& sizes) {
    auto once = [](benchmark::internal::Benchmark* b) {
        b->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
    };
    for (int size : sizes) {
        once(benchmark::RegisterBenchmark("Import", Import)->Arg(size));
        once(benchmark::RegisterBenchmark("Read", Read)->Arg(size));
        once(benchmark::RegisterBenchmark("StoreFill", StoreFill)->Arg(size));
        once(benchmark::RegisterBenchmark("RawInsert", RawInsert)->Arg(size));
        auto ms = [size](benchmark::internal::Benchmark* b) {
            b->Arg(size)->Unit(benchmark::kMillisecond);
        };
        ms(benchmark::RegisterBenchmark("BrowsePath/artists_page_50", BrowsePath,
                                        std::string("\\Music\\Artists")));
        ms(benchmark::RegisterBenchmark("RawArtistsPage", RawArtistsPage));
        ms(benchmark::RegisterBenchmark("BrowsePath/one_album", BrowsePath, std::string()));
        ms(benchmark::RegisterBenchmark("RawAlbum", RawAlbum));
        struct Search {
            const char* name;
            const char* words;
            int start;
        };
        for (const Search& search :
             {Search{"one_word", "night", 0}, Search{"two_words", "night love", 0},
              Search{"rare_words", "echo 900", 0}, Search{"one_word_page_21", "night", 1000},
              Search{"two_letters_found_nowhere", "qz", 0}}) {
            const std::string name = search.name;
            ms(benchmark::RegisterBenchmark(("SearchText/" + name).c_str(), SearchText,
                                            std::string(search.words), search.start, false));
            ms(benchmark::RegisterBenchmark(("SearchScan/" + name).c_str(), SearchText,
                                            std::string(search.words), search.start, true));
            if (search.start == 0) {
                ms(benchmark::RegisterBenchmark(("RawSearch/" + name).c_str(), RawSearch,
                                                std::string(search.words)));
            }
        }
    }
}

}  // namespace
}  // namespace vantor

int main(int argc, char** argv) {
    // As the server does: large buffers are mapped and given back when freed.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    vantor::TakeKeepOption(argc, argv);
    vantor::RegisterAll(vantor::Sizes(argc, argv));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The generated libraries and stores: gigabytes at a million tracks.
    if (vantor::KeptFolder().empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(vantor::BenchFolder(), ignored);
    }
    return 0;
}
