// The media library on generated iTunes libraries of 10,000 and 100,000 tracks:
//  - Import: a whole library update (read the XML, fill the temporary store, build the
//    indexes, copy it into place), with the process's peak memory during it;
//  - StoreFill: the same tracks, already parsed, through the store's add operations;
//  - RawInsert: the same rows into the same schema with bare prepared statements in one
//    transaction, plus the same indexes: the reference the fill is compared with;
//  - Browse and Search on the 100,000-track library.
// Imports are single runs (one iteration each); growth from 10k to 100k shows linearity.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "bench/BenchSupport.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/MediaLibrary.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "server/library/store/SQLiteMDS.h"
#include "server/library/store/TextFolding.h"
#include "server/library/tree/MediaTree.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace vantor {
namespace {

std::string BenchFolder() {
    return bench::BenchFolder("vantor-libbench-");
}

using bench::ResetPeakMemory;

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

const MediaItemList& ParsedItems(int tracks) {
    static std::map<int, Collector> parsed;
    Collector& collector = parsed[tracks];
    if (collector.items.empty()) {
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
    for (auto _ : state) {
        std::filesystem::remove(folder + "library.db");
        ResetPeakMemory();
        auto begin = std::chrono::steady_clock::now();
        CMediaLibrary library(logger, folder, [&] {
            return std::make_unique<CITunesMediaReader>(logger, config, file);
        });
        library.Start(nullptr);
        library.WaitForUpdate();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        peak = PeakMemoryMiB();
        state.SetIterationTime(seconds);
        library.Stop();
    }
    state.counters["tracks_per_s"] = tracks / seconds;
    state.counters["peak_MiB"] = peak;
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
    for (auto _ : state) {
        std::filesystem::remove(path);
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
    }
}

// The 100k library the import left behind (imported here if that benchmark was filtered out).
CSQLiteMDS& LargeStore() {
    static CLogger logger;
    static std::unique_ptr<CSQLiteMDS> store = [] {
        std::string folder = DataFolder(100000);
        if (!std::filesystem::exists(folder + "library.db")) {
            FillStore(ParsedItems(100000), folder + "library.db", logger);
        }
        return std::make_unique<CSQLiteMDS>(folder + "library.db", logger);
    }();
    return *store;
}

void BrowsePath(benchmark::State& state, std::string path) {
    CSQLiteMDS& store = LargeStore();
    if (path.empty()) {
        StringArray albums;
        store.GetAudioAlbums(albums, -1, -1, 500, 1, nullptr);
        path = "\\Music\\Albums\\" + albums.at(0);
    }
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

void SearchText(benchmark::State& state, const std::string& text) {
    CSQLiteMDS& store = LargeStore();
    size_t rows = 0;
    for (auto _ : state) {
        MediaItemList items;
        store.Search(items, text, 0, 50);
        rows = items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The reference for Search: the same six fills, order and page with plain LIKE on the raw
// columns (the matching before accents were ignored), on the same file with bare SQLite.
void SearchPlainLikeReference(benchmark::State& state, const std::string& word) {
    LargeStore();
    sqlite3* db = nullptr;
    sqlite3_open((DataFolder(100000) + "library.db").c_str(), &db);
    const std::string like = "LIKE '%" + word + "%'";
    const std::string fills[] = {
        "INSERT INTO r SELECT -1, 9, name, sort_name FROM audio_genres WHERE name " + like,
        "INSERT INTO r SELECT -1, 10, name, sort_name FROM audio_artists WHERE name " + like,
        "INSERT INTO r SELECT -1, 11, name, sort_name FROM audio_albums WHERE name " + like,
        "INSERT INTO r SELECT id, 1, title, sort_title FROM audio_tracks WHERE title " + like,
        "INSERT INTO r SELECT id, 4, name, name FROM playlists WHERE name " + like +
            " AND folder = 0",
        "INSERT INTO r SELECT -1, 5, name, name FROM playlists WHERE name " + like +
            " AND folder = 1",
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

BENCHMARK(Import)->Arg(10000)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kSecond);
BENCHMARK(StoreFill)->Arg(10000)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kSecond);
BENCHMARK(RawInsert)->Arg(10000)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kSecond);
BENCHMARK_CAPTURE(BrowsePath, artists_page_50, std::string("\\Music\\Artists"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BrowsePath, one_album, std::string())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchText, one_word, std::string("night"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchText, two_words, std::string("night love"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchPlainLikeReference, one_word, std::string("night"))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
