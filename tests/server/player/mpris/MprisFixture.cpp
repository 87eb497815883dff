#include "tests/server/player/mpris/MprisFixture.h"

#include "server/player/mpris/DBusConnection.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace vantor::test {

namespace {

constexpr char kMprisPlugin[] = "/usr/lib/mpv-mpris/mpris.so";

}  // namespace

CMpvProcess::~CMpvProcess() {
    Stop();
}

bool CMpvProcess::Start(const std::vector<std::string>& files) {
    if (m_pid > 0) return true;
    std::vector<std::string> argv = {"mpv",       "--no-config", "--no-terminal",
                                     "--idle=yes", "--no-video", "--ao=null",
                                     "--volume=50", std::string("--script=") + kMprisPlugin};
    argv.insert(argv.end(), files.begin(), files.end());
    m_pid = StartTestChild(argv, "/dev/null");
    if (m_pid <= 0) return false;
    if (Eventually([] { return BusHasName(kBusName); }, 10000)) return true;
    Stop();
    return false;
}

void CMpvProcess::Stop() {
    EndTestChild(m_pid);
    Eventually([] { return !BusHasName(kBusName); }, 5000);
}

bool MpvWithMprisAvailable() {
    struct stat info {};
    return ::stat(kMprisPlugin, &info) == 0 && RunProgram({"/usr/bin/mpv", "--version"}) == 0 &&
           RunProgram({"/usr/bin/playerctl", "--version"}) == 0;
}

bool BusHasName(const std::string& name) {
    BusPtr bus;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || OpenBus(address, 1000, bus) < 0) return false;
    CBusError error;
    std::vector<std::string> names;
    if (ListBusNames(bus.get(), names, error) < 0) return false;
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Playerctl(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/usr/bin/playerctl", "--player=mpv"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string output;
    if (RunProgram(argv, &output, 5000) != 0) return "<failed>";
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return output;
}

}  // namespace vantor::test
