// winamp-libgen: writes a Winamp media library (table files, gen_ml.ini, playlists.xml and its
// playlist files) as the player leaves it after years of use, for tests, demos and
// benchmarks.
#include "tools/winamp-libgen/WinampLibraryWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Usage() {
    std::fprintf(
        stderr,
        "usage: winamp-libgen [--records N] [--videos N] [--playlists N] [--seed S]\n"
        "                     [--old-playlists] [--no-views] [--eight-bit]\n"
        "                     [--music-folder PATH] --out FOLDER\n"
        "  --out FOLDER      the player's settings folder (Plugins/ is written below it)\n"
        "  --old-playlists   playlists.xml in Plugins/ml/ as older players keep it\n"
        "  --no-views        no playlist views in gen_ml.ini\n"
        "  --eight-bit       8-bit texts where Latin-1 holds them, as older libraries\n"
        "  --music-folder    where the tracks are said to be (default C:\\Users\\Ann\\Music)\n");
}

}  // namespace

int main(int argc, char** argv) {
    vantor::tools::WinampLibraryOptions options;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--records" || arg == "--videos" || arg == "--playlists" ||
                                arg == "--seed" || arg == "--music-folder" || arg == "--out";
        if (takesValue && i + 1 >= argc) {
            Usage();
            return 2;
        }
        if (arg == "--records") {
            options.records = std::atoi(argv[++i]);
        } else if (arg == "--videos") {
            options.videos = std::atoi(argv[++i]);
        } else if (arg == "--playlists") {
            options.playlists = std::atoi(argv[++i]);
        } else if (arg == "--seed") {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--music-folder") {
            options.musicFolder = argv[++i];
        } else if (arg == "--out") {
            out = argv[++i];
        } else if (arg == "--old-playlists") {
            options.modernPlaylists = false;
        } else if (arg == "--no-views") {
            options.genMlViews = false;
        } else if (arg == "--eight-bit") {
            options.eightBitTexts = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (out.empty() || options.records < 0 || options.videos < 0 ||
        options.videos > options.records || options.playlists < 0) {
        Usage();
        return 2;
    }
    vantor::tools::WinampLibraryContent content;
    if (!vantor::tools::WriteWinampLibrary(options, out, &content)) {
        std::fprintf(stderr, "winamp-libgen: cannot write below %s\n", out.c_str());
        return 1;
    }
    int present = 0;
    for (const auto& playlist : content.playlists) present += playlist.exists ? 1 : 0;
    std::printf("%s: %zu records (%d videos), %zu playlists (%d with their file)\n", out.c_str(),
                content.tracks.size(), options.videos, content.playlists.size(), present);
    return 0;
}
