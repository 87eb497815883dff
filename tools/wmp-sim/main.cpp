// A stand-in for Windows Media Player: publishes its player control ("WMPlayer.OCX") over
// the automation layer, with a media collection read from a file or a demo one.
//
//   wmp-sim [--windows-dir DIR] [--collection FILE] [--music-dir DIR] [--generate N]
//
// The same options may stand, one "key=value" per line without the dashes, in
// "wmp-sim.conf" beside the program's own path (the server starts it without arguments).
// --generate writes a generated collection of N entries to the collection file first.
// A collection file holds entries of "Attribute=Value" lines separated by empty lines. It
// quits on SIGTERM or SIGINT, when its socket file is removed, and after
// VANTOR_SIM_IDLE_EXIT seconds without a call.

#include "platform/AutomationServer.h"
#include "tools/wmp-sim/GeneratedCollection.h"
#include "tools/wmp-sim/WMPModel.h"
#include "tools/wmp-sim/WMPObjects.h"

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
                     "/wmp-sim.conf");
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
    using namespace vantor::wmpsim;

    std::map<std::string, std::string> options = ReadConf(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--windows-dir" || arg == "--collection" || arg == "--music-dir" ||
             arg == "--generate") &&
            i + 1 < argc) {
            options[arg.substr(2)] = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: wmp-sim [--windows-dir DIR] [--collection FILE] "
                         "[--music-dir DIR] [--generate N]\n");
            return 2;
        }
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const std::string music = options.contains("music-dir") ? options["music-dir"] : "/music";
    if (options.contains("generate") && !options["collection"].empty()) {
        WriteCollectionFile(GenerateCollection(std::atoi(options["generate"].c_str()), music),
                            options["collection"]);
    }
    CModel model;
    model.Load(options["collection"], music);
    CAutomationServer server(options["windows-dir"]);
    CObjects objects(model, server);
    model.onEvent = [&objects](uint32_t event, int32_t value, const std::string& text) {
        objects.FireEvent(event, value, text);
    };
    if (!server.Publish("WMPlayer.OCX", objects.Player())) {
        std::fprintf(stderr, "wmp-sim: cannot publish\n");
        return 1;
    }
    const int idleExit = IdleExitSeconds();
    auto lastCall = std::chrono::steady_clock::now();
    while (!g_stop && server.StillPublished()) {
        if (server.Serve(50)) lastCall = std::chrono::steady_clock::now();
        model.Tick();
        if (idleExit > 0 && std::chrono::steady_clock::now() - lastCall >
                                std::chrono::seconds(idleExit)) {
            break;
        }
    }
    return 0;
}
