// A stand-in for the Winamp desktop player: publishes its main, playlist-editor and media
// library windows and answers their messages over an in-memory player, so that the adapter
// drives a separate program exactly as it drives the real one.
//
//   winamp-sim [--playlist FILE] [--no-library] [--windows-dir DIR] [--idle-exit SECONDS]
//
// Without --playlist it loads "winamp.m3u" beside its own path when there is one. It quits
// on SIGTERM or SIGINT, on a close message to its main window, when its socket files are
// removed, and after SECONDS without any request when --idle-exit (or the environment value
// VANTOR_WINAMP_SIM_IDLE_EXIT) is given.

#include "platform/WindowPublisher.h"
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

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: winamp-sim [--playlist FILE] [--no-library] [--windows-dir DIR] "
                 "[--idle-exit SECONDS]\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::winampsim;

    std::string self = argv[0];
    std::string playlist;
    std::string windowsDir;
    bool library = true;
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
        } else {
            Usage();
            return 2;
        }
    }
    if (playlist.empty()) {
        const size_t slash = self.rfind('/');
        const std::string candidate =
            (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/winamp.m3u";
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
