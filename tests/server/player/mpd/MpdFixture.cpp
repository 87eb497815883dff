#include "tests/server/player/mpd/MpdFixture.h"

#include "tests/support/QrmProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace vantor::test {

namespace {

int Connect(const std::string& host, int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    timeval tv{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool EndsWithFinalLine(const std::string& reply) {
    if (reply.empty() || reply.back() != '\n') return false;
    const size_t prev = reply.size() >= 2 ? reply.rfind('\n', reply.size() - 2) : std::string::npos;
    const size_t start = prev == std::string::npos ? 0 : prev + 1;
    return reply.compare(start, 2, "OK") == 0 || reply.compare(start, 3, "ACK") == 0;
}

// Reads until the last complete line is "OK...", or "ACK ..." for an error.
bool ReadReply(int fd, std::string& reply) {
    char buf[4096];
    while (!EndsWithFinalLine(reply)) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        reply.append(buf, static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- mpd instance

CMpdInstance::CMpdInstance(const std::string& musicFolder, const std::string& playlistFolder)
    : m_work("vantor-mpd"), m_music(musicFolder), m_playlists(playlistFolder) {}

CMpdInstance::~CMpdInstance() {
    Stop();
}

CMpdInstance* CMpdInstance::Shared() {
    const CMusicFolder& music = CMusicFolder::Shared();
    if (!music.Ok()) return nullptr;
    static CMpdInstance instance(music.Root(), music.PlaylistFolder());
    if (!instance.IsRunning() && !instance.Start(music.Tracks().size())) return nullptr;
    return &instance;
}

bool CMpdInstance::WriteConfig() {
    std::ofstream conf(m_work.Path() + "/mpd.conf");
    const std::string& w = m_work.Path();
    conf << "music_directory \"" << m_music << "\"\n"
         << "playlist_directory \"" << m_playlists << "\"\n"
         << "db_file \"" << w << "/database\"\n"
         << "sticker_file \"" << w << "/sticker.sql\"\n"
         << "pid_file \"" << w << "/mpd.pid\"\n"
         << "log_file \"" << w << "/mpd.log\"\n"
         << "bind_to_address \"" << m_host << "\"\n"
         << "port \"" << m_port << "\"\n"
         << "auto_update \"no\"\n"
         << "zeroconf_enabled \"no\"\n"
         << "audio_output {\n  type \"null\"\n  name \"Null\"\n  mixer_type \"software\"\n}\n";
    return static_cast<bool>(conf);
}

bool CMpdInstance::Start(size_t expectedSongs) {
    if (m_pid > 0) return true;
    if (m_port <= 0) m_port = FindFreePort();
    if (m_port <= 0 || !WriteConfig()) return false;
    const std::string conf = m_work.Path() + "/mpd.conf";
    const std::string out = m_work.Path() + "/mpd.stderr";
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // The daemon must not outlive a test process that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (outFd >= 0) {
            dup2(outFd, 1);
            dup2(outFd, 2);
        }
        execl("/usr/bin/mpd", "mpd", "--no-daemon", "--stderr", conf.c_str(), nullptr);
        _exit(127);
    }
    if (outFd >= 0) close(outFd);
    if (pid < 0) return false;
    m_pid = pid;
    if (!WaitUntilReady(expectedSongs)) {
        Stop();
        return false;
    }
    return true;
}

bool CMpdInstance::WaitUntilReady(size_t expectedSongs) {
    // A large music folder takes MPD a while to scan at its first start.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15) +
                          std::chrono::milliseconds(10 * expectedSongs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;  // it quit at start (bad configuration, port taken)
            return false;
        }
        const std::string stats = Command("stats");
        const size_t at = stats.find("songs: ");
        if (at != std::string::npos &&
            std::strtoul(stats.c_str() + at + 7, nullptr, 10) >= expectedSongs &&
            Status("updating_db").empty()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void CMpdInstance::Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

std::string CMpdInstance::Log() const {
    return ReadFileText(m_work.Path() + "/mpd.log") + ReadFileText(m_work.Path() + "/mpd.stderr");
}

std::string CMpdInstance::Command(const std::string& line) const {
    const int fd = Connect(m_host, m_port);
    if (fd < 0) return "";
    std::string greeting;
    std::string reply;
    if (ReadReply(fd, greeting)) {
        const std::string text = line + "\n";
        if (send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size())) {
            ReadReply(fd, reply);
        }
    }
    close(fd);
    return reply;
}

std::string CMpdInstance::Status(const std::string& key) const {
    const std::string status = Command("status");
    const std::string needle = key + ": ";
    size_t at = 0;
    while ((at = status.find(needle, at)) != std::string::npos) {
        if (at == 0 || status[at - 1] == '\n') {
            const size_t end = status.find('\n', at);
            return status.substr(at + needle.size(), end - at - needle.size());
        }
        at += needle.size();
    }
    return "";
}

bool CMpdInstance::Mpc(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"mpc", "-h", m_host, "-p", std::to_string(m_port)};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string out = m_work.Path() + "/mpc.out";
    const bool ok = RunCommand(argv, out);
    if (output) *output = ReadFileText(out);
    return ok;
}

}  // namespace vantor::test
