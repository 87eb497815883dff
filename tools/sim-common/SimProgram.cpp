#include "tools/sim-common/SimProgram.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>

namespace vantor::sim {

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

}  // namespace

bool ReadOptions(int argc, char** argv, const std::string& confName,
                 const std::vector<std::string>& keys, COptions& options) {
    const std::string self = argv[0];
    const size_t slash = self.rfind('/');
    std::ifstream in((slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" +
                     confName);
    std::string line;
    while (std::getline(in, line)) {
        if (const size_t eq = line.find('='); eq != std::string::npos) {
            options[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool known = false;
        for (const std::string& key : keys) {
            known = known || arg == "--" + key;
        }
        if (!known || i + 1 >= argc) {
            return false;
        }
        options[arg.substr(2)] = argv[++i];
    }
    return true;
}

void Serve(CAutomationServer& server, const std::function<void()>& tick,
           const std::function<bool()>& done) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A simulator left behind by a test that died does not run on.
    const char* idle = std::getenv("VANTOR_SIM_IDLE_EXIT");
    const int idleExit = idle ? std::atoi(idle) : 0;
    using Clock = std::chrono::steady_clock;
    auto lastCall = Clock::now();
    while (!g_stop && !done() && server.StillPublished()) {
        if (server.Serve(50)) lastCall = Clock::now();
        tick();
        if (idleExit > 0 && Clock::now() - lastCall > std::chrono::seconds(idleExit)) {
            break;
        }
    }
}

}  // namespace vantor::sim
