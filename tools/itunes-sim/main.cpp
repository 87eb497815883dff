// A stand-in for the iTunes desktop player: publishes its application object
// ("iTunes.Application") and a control object ("iTunes.SimControl") over the automation
// layer, so that the adapter drives a separate program exactly as it drives the real one.
//
//   itunes-sim [--windows-dir DIR] [--music-dir DIR] [--library-xml FILE]
//
// The same options may stand, one "key=value" per line without the dashes, in
// "itunes-sim.conf" beside the program's own path (the server starts it without arguments).
// With --library-xml the library file path is reported to callers, and the library is
// written there when the file does not exist yet. It quits on SIGTERM or SIGINT, when asked
// to through either object, when its socket files are removed, and after
// VANTOR_SIM_IDLE_EXIT seconds without a call.

#include "platform/AutomationServer.h"
#include "tools/itunes-sim/ITunesModel.h"
#include "tools/itunes-sim/ITunesObjects.h"
#include "tools/itunes-sim/LibraryXmlWriter.h"

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

std::map<std::string, std::string> ReadConf(const std::string& self) {
    std::map<std::string, std::string> options;
    const size_t slash = self.rfind('/');
    std::ifstream in((slash == std::string::npos ? std::string(".") : self.substr(0, slash)) +
                     "/itunes-sim.conf");
    std::string line;
    while (std::getline(in, line)) {
        if (const size_t eq = line.find('='); eq != std::string::npos) {
            options[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return options;
}

// Seconds without any call after which the program quits (0: never), so that a simulator
// left behind by a test that died does not run on.
int IdleExitSeconds() {
    const char* value = std::getenv("VANTOR_SIM_IDLE_EXIT");
    return value ? std::atoi(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::itunessim;

    std::map<std::string, std::string> options = ReadConf(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--windows-dir" || arg == "--music-dir" || arg == "--library-xml") &&
            i + 1 < argc) {
            options[arg.substr(2)] = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: itunes-sim [--windows-dir DIR] [--music-dir DIR] "
                         "[--library-xml FILE]\n");
            return 2;
        }
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const std::string music = options.contains("music-dir") ? options["music-dir"] : "/music";
    CModel model(music);
    model.libraryXmlPath = options["library-xml"];
    if (!model.libraryXmlPath.empty() && ::access(model.libraryXmlPath.c_str(), F_OK) != 0) {
        WriteLibraryXml(model, model.libraryXmlPath);
    }
    CAutomationServer server(options["windows-dir"]);
    CObjects objects(model, server);
    model.onEvent = [&objects](uint32_t event) { objects.FireEvent(event); };
    // The control object first, so that the application appears only once both are there.
    if (!server.Publish("iTunes.SimControl", objects.Control()) ||
        !server.Publish("iTunes.Application", objects.Application())) {
        std::fprintf(stderr, "itunes-sim: cannot publish\n");
        return 1;
    }
    const int idleExit = IdleExitSeconds();
    auto lastCall = std::chrono::steady_clock::now();
    while (!g_stop && !objects.QuitRequested() && server.StillPublished()) {
        if (server.Serve(50)) lastCall = std::chrono::steady_clock::now();
        model.Tick();
        if (idleExit > 0 && std::chrono::steady_clock::now() - lastCall >
                                std::chrono::seconds(idleExit)) {
            break;
        }
    }
    return 0;
}
