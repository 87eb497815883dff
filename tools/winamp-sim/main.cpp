// A stand-in for the Winamp desktop player: publishes its main, playlist-editor and media
// library windows and answers their messages over an in-memory player, so that the adapter
// drives a separate program exactly as it drives the real one.
//
//   winamp-sim [--playlist FILE] [--no-library] [--demo-library] [--windows-dir DIR]
//              [--idle-exit SECONDS]
//
// Without --playlist it loads "winamp.m3u" beside its own path when there is one. With
// --demo-library it writes a media library of 500 records and 12 playlists into its folder
// ("Plugins/ml", "Plugins/gen_ml.ini") unless one is there, and shows the tags of those
// records for files added by name (so does the environment value
// VANTOR_WINAMP_SIM_DEMO_LIBRARY, for a simulator that the server starts). It quits
// on SIGTERM or SIGINT, on a close message to its main window, when its socket files are
// removed, and after SECONDS without any request when --idle-exit (or the environment value
// VANTOR_WINAMP_SIM_IDLE_EXIT) is given.

#include "platform/DataFolder.h"
#include "platform/WindowPublisher.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"
#include "tools/winamp-sim/SimPlayer.h"
#include "tools/winamp-sim/SimWindows.h"

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

// Writes the demo library into the player's folder unless it has one, and gives the tags of
// its records. The same options always give the same library.
std::vector<vantor::winampsim::CTrack> DemoLibrary(const std::string& folder) {
    vantor::tools::WinampLibraryOptions options;
    options.records = 500;
    options.playlists = 12;
    options.musicFolder = vantor::GetMusicFolder();
    if (::access((folder + "/Plugins/ml/main.dat").c_str(), F_OK) != 0 &&
        !vantor::tools::WriteWinampLibrary(options, folder)) {
        std::fprintf(stderr, "winamp-sim: cannot write the demo library into %s\n", folder.c_str());
    }
    std::vector<vantor::winampsim::CTrack> tracks;
    for (const auto& record : vantor::tools::WinampLibraryTracks(options)) {
        vantor::winampsim::CTrack track;
        track.path = record.path;
        track.title = record.title;
        track.artist = record.artist;
        track.album = record.album;
        track.video = record.video;
        track.tagged = true;
        tracks.push_back(std::move(track));
    }
    return tracks;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: winamp-sim [--playlist FILE] [--no-library] [--demo-library] "
                 "[--windows-dir DIR] [--idle-exit SECONDS]\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::winampsim;

    std::string self = argv[0];
    std::string playlist;
    std::string windowsDir;
    bool library = true;
    bool demoLibrary = std::getenv("VANTOR_WINAMP_SIM_DEMO_LIBRARY") != nullptr;
    int idleExit = 0;
    if (const char* idle = std::getenv("VANTOR_WINAMP_SIM_IDLE_EXIT")) {
        idleExit = std::atoi(idle);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--playlist" && i + 1 < argc) {
            playlist = argv[++i];
        } else if (arg == "--windows-dir" && i + 1 < argc) {
            windowsDir = argv[++i];
        } else if (arg == "--idle-exit" && i + 1 < argc) {
            idleExit = std::atoi(argv[++i]);
        } else if (arg == "--no-library") {
            library = false;
        } else if (arg == "--demo-library") {
            demoLibrary = true;
        } else {
            Usage();
            return 2;
        }
    }
    const size_t slash = self.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : self.substr(0, slash);
    if (playlist.empty()) {
        const std::string candidate = folder + "/winamp.m3u";
        if (::access(candidate.c_str(), R_OK) == 0) {
            playlist = candidate;
        }
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    CWindowPublisher publisher(windowsDir);
    CSimPlayer player(publisher.Memory());
    if (demoLibrary) {
        for (CTrack& track : DemoLibrary(folder)) player.AddKnownTrack(std::move(track));
    }
    for (CTrack& track : ReadPlaylistFile(playlist)) {
        player.Add(std::move(track));
    }
    CSimHandles handles;
    CMainWindow mainWindow(player, publisher.Memory(), handles);
    CPlaylistEditorWindow editorWindow(player);
    CLibraryWindow libraryWindow(player);
    // The editor and library come first so that the main window, which others look for to
    // attach, only appears once everything it refers to is there.
    handles.playlistEditor = publisher.Publish("Winamp PE", editorWindow);
    if (library) {
        handles.library = publisher.Publish("Winamp Library", libraryWindow);
    }
    handles.main = publisher.Publish("Winamp v1.x", mainWindow);
    if (handles.main == 0 || handles.playlistEditor == 0 || (library && handles.library == 0)) {
        std::fprintf(stderr, "winamp-sim: cannot publish windows\n");
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    auto lastRequest = Clock::now();
    while (!g_stop && !mainWindow.QuitRequested()) {
        if (publisher.Serve(50)) {
            lastRequest = Clock::now();
        }
        player.Tick();
        if (!publisher.StillPublished()) {
            break;
        }
        if (idleExit > 0 && Clock::now() - lastRequest > std::chrono::seconds(idleExit)) {
            break;
        }
    }
    return 0;
}
