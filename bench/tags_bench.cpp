// The music-folder reader (TagLib) measured on this machine in one run, on a library of
// generated tagged files (one short MP3 stream behind a fresh ID3 tag each):
//  - a whole library update from the folder the way the server runs it for MPRIS players
//    (tag reader, SQLite store, replaced library file);
//  - beside it, in the same run: TagLib's reads of the same files alone (no store), and,
//    when mpd is installed, MPD's own first scan of the same folder and a library update
//    from MPD's database.
//
//   vantor_tags_bench [--tracks N]

#include "bench/LibraryUpdate.h"
#include "server/core/Logger.h"
#include "server/library/readers/tags/TagLibMediaReader.h"
#include "tests/support/MusicFolder.h"
#include "tests/support/QrmProcess.h"
#ifdef VANTOR_HAVE_MPD
#include "server/player/mpd/MpdMediaReader.h"
#include "tests/server/player/mpd/MpdFixture.h"
#endif

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace vantor;
using namespace vantor::test;
using vantor::bench::LibraryUpdateSeconds;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

long PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    int tracks = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--tracks") == 0) tracks = std::atoi(argv[i + 1]);
    }
    CTempFolder work("vantor-tags-bench");
    const std::string music = work.Path() + "/music";
    const std::string tone = work.Path() + "/tone.mp3";
    if (!RunCommand(ToneCommand(440, 1, tone))) {
        std::fprintf(stderr, "tags_bench: ffmpeg failed\n");
        return 1;
    }
    const auto genStart = Clock::now();
    if (!GenerateLibrary(music, tracks, ReadFileText(tone))) return 1;
    std::printf("generated %d tagged files in %.2f s\n", tracks, Seconds(Clock::now() - genStart));

    // Reference: the tags alone.
    const auto readStart = Clock::now();
    const std::vector<std::string> files = CTagLibMediaReader::FindAudioFiles(music);
    size_t read = 0;
    for (const auto& file : files) read += CTagLibMediaReader::ReadTrack(file) != nullptr;
    const double tagsOnly = Seconds(Clock::now() - readStart);
    std::printf("TagLib reads alone, %zu of %zu files: %.2f s (%.0f files/s)\n", read, files.size(),
                tagsOnly, read / tagsOnly);

    CLogger logger;
    const std::string dataFolder = work.Path() + "/data/";
    std::filesystem::create_directories(dataFolder);
    const double import = LibraryUpdateSeconds(dataFolder, [&]() -> std::unique_ptr<IMediaReader> {
        return std::make_unique<CTagLibMediaReader>(logger, music);
    });
    std::printf("library update from the music folder, %d tracks: %.2f s (%.0f tracks/s), "
                "peak resident %ld MiB\n",
                tracks, import, tracks / import, PeakResidentMiB());

#ifdef VANTOR_HAVE_MPD
    const std::string playlists = work.Path() + "/playlists";
    std::filesystem::create_directories(playlists);
    CMpdInstance mpd(music, playlists);
    const auto scanStart = Clock::now();
    if (!mpd.Start(static_cast<size_t>(tracks))) {
        std::printf("MPD reference skipped: mpd did not start\n");
        return 0;
    }
    std::printf("MPD's own first scan of the folder: %.2f s\n", Seconds(Clock::now() - scanStart));
    const std::string mpdData = work.Path() + "/mpd-data/";
    std::filesystem::create_directories(mpdData);
    CMpdAddress address;
    address.host = mpd.Host();
    address.port = mpd.Port();
    const double fromMpd = LibraryUpdateSeconds(mpdData, [&]() -> std::unique_ptr<IMediaReader> {
        return std::make_unique<CMPDMediaReader>(logger, address,
                                                 std::make_shared<CMpdPaths>(music));
    });
    std::printf("library update from MPD's database: %.2f s (%.0f tracks/s)\n", fromMpd,
                tracks / fromMpd);
#endif
    return 0;
}
