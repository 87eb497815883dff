// CPU of an idle connected VantorPC: the animation loop runs every 10 ms, nothing plays.
// Beside it, in the same run: the QRM serving it and the X server drawing for it, and the
// same remote while a track plays (the time and the position bar move).
//
// vantor_desktop_idle_bench [seconds]   (default 20 per measure)

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "client/link/ServerLink.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"
#include "platform/Registry.h"
#include "tests/client/desktop/DesktopSession.h"
#include "tests/support/QrmProcess.h"

namespace {

// User plus system CPU time of a process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Share {
    double remote = 0;
    double server = 0;
    double display = 0;
};

// Percent of one core each process used over `seconds`.
Share Measure(pid_t remote, pid_t server, pid_t display, int seconds) {
    const double r0 = CpuSeconds(remote);
    const double s0 = CpuSeconds(server);
    const double d0 = CpuSeconds(display);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {100 * (CpuSeconds(remote) - r0) / wall, 100 * (CpuSeconds(server) - s0) / wall,
            100 * (CpuSeconds(display) - d0) / wall};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantor;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    test::VirtualDisplay display;
    if (!display.Start(800, 700)) {
        std::fprintf(stderr, "no Xvfb\n");
        return 1;
    }
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    if (!qrm.Start()) {
        std::fprintf(stderr, "QRM did not start\n");
        return 1;
    }
    const std::string registryDir = test::MakeTempDir("vantor-idle-");
    client::ClientProfile profile = client::ClientProfile::Desktop();
    profile.defaultInstallFolder = std::string(VANTOR_SKINS_ROOT) + "/";
    client::ClientSettings settings = client::ClientSettings::Defaults(profile);
    settings.servers = {"127.0.0.1:" + std::to_string(qrm.XmlPort())};
    settings.nowPlayingOnIdle = false;
    CRegistry registry(registryDir);
    settings.Save(registry, profile);

    test::RemoteWindow remote;
    if (!remote.Start(VANTORPC_PATH, display.Name(), registryDir, registryDir + "remote.log") ||
        !remote.Locate(400, 540)) {
        std::fprintf(stderr, "VantorPC did not come up\n");
        return 1;
    }
    client::ServerLink link;
    if (link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())) != 0) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(3));  // connected, lists filled

    const pid_t xvfb = display.Pid();
    const Share idle = Measure(remote.Pid(), qrm.Pid(), xvfb, seconds);
    link.Play();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const Share playing = Measure(remote.Pid(), qrm.Pid(), xvfb, seconds);
    link.Stop();
    link.Disconnect();

    std::printf("CPU in %% of one core, each over %d s:\n", seconds);
    std::printf("%-44s %8s %8s %8s\n", "", "VantorPC", "QRM", "Xvfb");
    std::printf("%-44s %8.2f %8.2f %8.2f\n", "idle, connected, nothing playing", idle.remote,
                idle.server, idle.display);
    std::printf("%-44s %8.2f %8.2f %8.2f\n", "playing (the time ticks every 500 ms)",
                playing.remote, playing.server, playing.display);
    remote.Stop();
    std::filesystem::remove_all(registryDir);
    return idle.remote < 1.0 ? 0 : 3;
}
