// itunes-gen: writes a realistic iTunes library file of N tracks for tests, demos and benchmarks.
#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: itunes-gen [--tracks N] [--seed S] [--mac] [--lf] [--played K]\n"
                 "                  [--no-playlists] --out FILE\n"
                 "  --tracks N      N track dictionaries; 100k and 1M are understood\n"
                 "                  (the file is written as it is made, so any size fits)\n"
                 "  --mac           file:///Users/... locations (default: Windows drive paths)\n"
                 "  --lf            LF line ends (default: CR LF)\n"
                 "  --played K      add K to every play count, as after listening\n");
}

// "1000", "100k", "1M"; -1 when it is not a count.
int ParseCount(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    long scale = 1;
    if (*end == 'k' || *end == 'K') scale = 1000;
    if (*end == 'm' || *end == 'M') scale = 1000000;
    if (scale != 1) ++end;
    if (end == text || *end != '\0' || value < 0 || value > 100000000 / scale) return -1;
    return static_cast<int>(value * scale);
}

}  // namespace

int main(int argc, char** argv) {
    vantor::tools::ITunesLibraryOptions options;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--tracks" || arg == "--seed" || arg == "--played" || arg == "--out") {
            const char* value = next();
            if (value == nullptr) {
                Usage();
                return 2;
            }
            if (arg == "--tracks") options.tracks = ParseCount(value);
            if (arg == "--seed")
                options.seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
            if (arg == "--played") options.playCountOffset = std::atoi(value);
            if (arg == "--out") out = value;
        } else if (arg == "--mac") {
            options.windowsPaths = false;
        } else if (arg == "--lf") {
            options.crlf = false;
        } else if (arg == "--no-playlists") {
            options.includePlaylists = false;
        } else {
            Usage();
            return 2;
        }
    }
    if (out.empty() || options.tracks < 0) {
        Usage();
        return 2;
    }
    vantor::tools::ITunesLibraryCounts counts;
    if (!vantor::tools::WriteITunesLibraryFile(options, out, &counts)) {
        std::fprintf(stderr, "itunes-gen: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %d music (%d podcasts), %d videos, %d TV shows, %d skipped, %d playlists\n",
                out.c_str(), counts.music, counts.podcasts, counts.videos, counts.tvShows,
                counts.skipped, counts.playlists);
    return 0;
}
