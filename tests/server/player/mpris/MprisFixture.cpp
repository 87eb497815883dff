#include "tests/server/player/mpris/MprisFixture.h"

#include "server/player/mpris/DBusConnection.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vantor::test {

namespace {

constexpr char kMprisPlugin[] = "/usr/lib/mpv-mpris/mpris.so";

// Starts a program that dies with the test process; its output goes to `logFile`.
pid_t StartChild(const std::vector<std::string>& argv, const std::string& logFile) {
    const int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (out >= 0) close(out);
    return pid;
}

void EndChild(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
}

}  // namespace

CPrivateBus::CPrivateBus() : m_folder("vantor-bus") {}

CPrivateBus::~CPrivateBus() {
    Stop();
}

bool CPrivateBus::Start() {
    if (m_pid > 0) return true;
    const std::string socket = m_folder.Path() + "/bus";
    const std::string config = m_folder.Path() + "/session.conf";
    WriteFileText(config,
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>session</type><listen>unix:path=" +
                      socket +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                      "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                      "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    m_pid = StartChild({"dbus-daemon", "--nofork", "--config-file=" + config},
                       m_folder.Path() + "/dbus.log");
    if (m_pid <= 0) return false;
    m_address = "unix:path=" + socket;
    setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
    return Eventually(
        [&] {
            BusPtr bus;
            return OpenBus(m_address, 1000, bus) >= 0 && BusHasName("org.freedesktop.DBus");
        },
        5000);
}

void CPrivateBus::Stop() {
    EndChild(m_pid);
}

CMpvProcess::~CMpvProcess() {
    Stop();
}

bool CMpvProcess::Start(const std::vector<std::string>& files) {
    if (m_pid > 0) return true;
    std::vector<std::string> argv = {"mpv",       "--no-config", "--no-terminal",
                                     "--idle=yes", "--no-video", "--ao=null",
                                     "--volume=50", std::string("--script=") + kMprisPlugin};
    argv.insert(argv.end(), files.begin(), files.end());
    m_pid = StartChild(argv, "/dev/null");
    if (m_pid <= 0) return false;
    if (Eventually([] { return BusHasName(kBusName); }, 10000)) return true;
    Stop();
    return false;
}

void CMpvProcess::Stop() {
    EndChild(m_pid);
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
