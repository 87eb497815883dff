#include "tests/support/PrivateBus.h"

#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantor::test {

namespace {

bool Accepts(const std::string& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

}  // namespace

pid_t StartTestChild(const std::vector<std::string>& argv, const std::string& logFile) {
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

void EndTestChild(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
}

CPrivateBus::CPrivateBus(Kind kind) : m_kind(kind), m_folder("vantor-bus") {}

CPrivateBus::~CPrivateBus() {
    Stop();
}

bool CPrivateBus::Start() {
    if (m_pid > 0) return true;
    const std::string socket = m_folder.Path() + "/bus";
    const std::string config = m_folder.Path() + "/bus.conf";
    WriteFileText(config,
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>" +
                      std::string(m_kind == kSystem ? "system" : "session") +
                      "</type><listen>unix:path=" + socket +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                      "<allow user=\"*\"/><allow own=\"*\"/>"
                      "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                      "<allow eavesdrop=\"true\"/></policy></busconfig>\n");
    m_pid = StartTestChild({"dbus-daemon", "--nofork", "--config-file=" + config},
                           m_folder.Path() + "/dbus.log");
    if (m_pid <= 0) return false;
    m_address = "unix:path=" + socket;
    setenv(m_kind == kSystem ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
           m_address.c_str(), 1);
    if (Eventually([&] { return Accepts(socket); }, 5000)) return true;
    Stop();
    return false;
}

void CPrivateBus::Stop() {
    EndTestChild(m_pid);
}

}  // namespace vantor::test
