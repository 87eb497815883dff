// CPU of an idle connected VantorPC: the animation loop runs every 10 ms, nothing plays.
// Beside it, in the same run and the same seconds: a bare GTK program with a 10 ms timer
// that does nothing (the floor for such a loop), the QRM serving the remote and the X server
// drawing for it; then the same while a track plays (the time and the position bar move).
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
#include <vector>

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

// Percent of one core each process used over the same `seconds`.
std::vector<double> Measure(const std::vector<pid_t>& pids, int seconds) {
    std::vector<double> before;
    for (pid_t pid : pids) before.push_back(CpuSeconds(pid));
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::vector<double> shares;
    for (size_t i = 0; i < pids.size(); ++i)
        shares.push_back(100 * (CpuSeconds(pids[i]) - before[i]) / wall);
    return shares;
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
    test::ChildProcess reference;
    if (!reference.Start({VANTOR_GTK_REFERENCE_PATH},
                         {{"DISPLAY", display.Name()}, {"NO_AT_BRIDGE", "1"}}, "/dev/null")) {
        std::fprintf(stderr, "the reference did not start\n");
        return 1;
    }
    client::ServerLink link;
    if (link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())) != 0) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(3));  // connected, lists filled

    const std::vector<pid_t> pids = {remote.Pid(), reference.Pid(), qrm.Pid(), display.Pid()};
    const std::vector<double> idle = Measure(pids, seconds);
    link.Play();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const std::vector<double> playing = Measure(pids, seconds);
    link.Stop();
    link.Disconnect();

    std::printf("CPU in %% of one core, each over the same %d s:\n", seconds);
    std::printf("%-34s %9s %14s %6s %6s\n", "", "VantorPC", "GTK reference", "QRM", "Xvfb");
    for (const auto& [label, shares] : {std::pair<const char*, const std::vector<double>&>{
                                            "idle, connected, nothing playing", idle},
                                        {"playing (time ticks every 500 ms)", playing}}) {
        std::printf("%-34s %9.2f %14.2f %6.2f %6.2f\n", label, shares[0], shares[1], shares[2],
                    shares[3]);
    }
    remote.Stop();
    std::filesystem::remove_all(registryDir);
    reference.Stop();
    return idle[0] < 1.0 ? 0 : 3;
}
