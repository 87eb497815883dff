// The Winamp library reader on written libraries of 6,500 and 100,000 records (with 80
// playlists, updated fields and redirections as the writer leaves them):
//  - WinampRead: the reader's whole Read (table walk, items, playlist lists) into an owner
//    that only counts, with the memory it took above what the process held before;
//  - ReadFilesWhole: the two table files read whole into memory, the I/O reference;
//  - ITunesRead: the iTunes reader on a library of as many tracks, the other reader;
//  - WinampImport: a whole library update (read, fill the temporary store, indexes, copy).
// Single runs each (files in the page cache); 6,500 against 100,000 shows linearity.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchSupport.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/MediaLibrary.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "server/library/readers/winamp/WinampMediaReader.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"

namespace vantor {
namespace {

std::string Folder() {
    return bench::BenchFolder("vantor-winampbench-");
}

std::string WinampLibrary(int records) {
    const std::string folder = Folder() + "winamp-" + std::to_string(records) + "/";
    if (!std::filesystem::exists(folder + "Plugins/ml/main.dat")) {
        tools::WinampLibraryOptions options;
        options.records = records;
        options.playlists = 80;
        tools::WriteWinampLibrary(options, folder);
    }
    return folder;
}

class CountingOwner : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem&) override { ++items; }
    void StartUpdate() override {}
    long items = 0;
};

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

void WinampRead(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string folder = WinampLibrary(records);
    CLogger logger;
    double seconds = 0;
    double grew = 0;
    long items = 0;
    for (auto _ : state) {
        CWinampMediaReader reader(logger, folder);
        CountingOwner owner;
        reader.SetOwner(&owner);
        const double before = bench::MemoryMiB("VmRSS:");
        bench::ResetPeakMemory();
        const auto begin = Clock::now();
        reader.Read();
        seconds = Since(begin);
        grew = bench::MemoryMiB() - before;
        items = owner.items;
        state.SetIterationTime(seconds);
    }
    state.counters["records_per_s"] = records / seconds;
    state.counters["items"] = static_cast<double>(items);
    state.counters["peak_growth_MiB"] = grew;
}

void ReadFilesWhole(benchmark::State& state) {
    const std::string ml = WinampLibrary(static_cast<int>(state.range(0))) + "Plugins/ml/";
    size_t bytes = 0;
    for (auto _ : state) {
        const auto begin = Clock::now();
        bytes = 0;
        for (const char* name : {"main.dat", "main.idx"}) {
            std::ifstream file(ml + name, std::ios::binary | std::ios::ate);
            std::string content(static_cast<size_t>(file.tellg()), '\0');
            file.seekg(0);
            file.read(content.data(), static_cast<std::streamsize>(content.size()));
            bytes += content.size();
            benchmark::DoNotOptimize(content);
        }
        state.SetIterationTime(Since(begin));
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void ITunesRead(benchmark::State& state) {
    const int tracks = static_cast<int>(state.range(0));
    const std::string path = Folder() + "itunes-" + std::to_string(tracks) + ".xml";
    if (!std::filesystem::exists(path)) {
        tools::ITunesLibraryOptions options;
        options.tracks = tracks;
        tools::WriteITunesLibraryFile(options, path);
    }
    CLogger logger;
    CConfigStore config(Folder());
    double seconds = 0;
    for (auto _ : state) {
        CITunesMediaReader reader(logger, config, path);
        CountingOwner owner;
        reader.SetOwner(&owner);
        const auto begin = Clock::now();
        reader.Read();
        seconds = Since(begin);
        state.SetIterationTime(seconds);
    }
    state.counters["tracks_per_s"] = tracks / seconds;
}

void WinampImport(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string library = WinampLibrary(records);
    const std::string data = Folder() + "data-" + std::to_string(records) + "/";
    std::filesystem::create_directories(data);
    CLogger logger;
    double seconds = 0;
    for (auto _ : state) {
        std::filesystem::remove(data + "library.db");
        const auto begin = Clock::now();
        CMediaLibrary media(logger, data,
                            [&] { return std::make_unique<CWinampMediaReader>(logger, library); });
        media.Start(nullptr);
        media.WaitForUpdate();
        seconds = Since(begin);
        state.SetIterationTime(seconds);
        media.Stop();
    }
    state.counters["records_per_s"] = records / seconds;
}

BENCHMARK(WinampRead)
    ->Arg(6500)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFilesWhole)
    ->Arg(6500)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ITunesRead)
    ->Arg(6500)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WinampImport)
    ->Arg(6500)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
