#include "tests/support/QrmProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;

// Binds a socket of the given type to 127.0.0.1:port; returns the bound port or 0.
int BindLoopback(int type, int port, int& fdOut) {
    fdOut = ::socket(AF_INET, type, 0);
    if (fdOut < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fdOut, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return 0;
    socklen_t len = sizeof addr;
    if (::getsockname(fdOut, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
    return ntohs(addr.sin_port);
}

int CountOccurrences(const std::string& text, const std::string& what) {
    if (what.empty()) return 0;
    int count = 0;
    for (size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + what.size()))
        ++count;
    return count;
}

}  // namespace

int FindFreePort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        int tcp = -1;
        int udp = -1;
        int port = BindLoopback(SOCK_STREAM, 0, tcp);
        int udpPort = port != 0 ? BindLoopback(SOCK_DGRAM, port, udp) : 0;
        if (tcp >= 0) ::close(tcp);
        if (udp >= 0) ::close(udp);
        if (port != 0 && udpPort == port) return port;
    }
    return 0;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFileText(const std::string& path, const std::string& text) {
    std::error_code ec;
    auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string MakeTempDir(const std::string& prefix) {
    std::string base = std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) return {};
    return std::string(buffer.data()) + "/";
}

int RunProgram(const std::vector<std::string>& args, std::string* output, int timeoutMs) {
    if (args.empty()) return -1;
    std::string dir = MakeTempDir("vantor-run-");
    std::string outPath = dir + "output.txt";
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& arg : copy) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int result = -1;
    if (rc == 0) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() >= deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                status = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (status != -1 && WIFEXITED(status)) result = WEXITSTATUS(status);
    }
    if (output != nullptr) *output = ReadFileText(outPath);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return result;
}

CQrmProcess::CQrmProcess(std::string binaryPath) : m_binary(std::move(binaryPath)) {
    m_dataDir = MakeTempDir("vantor-qrm-");
    m_xmlPort = FindFreePort();
    do {
        m_discoveryPort = FindFreePort();
    } while (m_discoveryPort == m_xmlPort);
    do {
        m_httpPort = FindFreePort();
    } while (m_httpPort == m_xmlPort || m_httpPort == m_discoveryPort);
    m_env["VANTOR_REGISTRY_DIR"] = m_dataDir + "registry/";
    // No test announces the server on this machine's DNS-SD daemon: the system bus the
    // server sees is one that is not there, unless a test gives it its own.
    m_env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + m_dataDir + "no-system-bus";
}

CQrmProcess::~CQrmProcess() {
    Stop();
    if (!m_dataDir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_dataDir, ec);
    }
}

void CQrmProcess::SetConfig(const std::string& key, const std::string& value) {
    m_config[key] = value;
}

bool CQrmProcess::WriteConfig() const {
    std::map<std::string, std::string> entries = {
        {"Ports\\XMLChannel", std::to_string(m_xmlPort)},
        {"Ports\\XMLChannelDiscover", std::to_string(m_discoveryPort)},
        {"Ports\\HTTPChannel", std::to_string(m_httpPort)},
        {"WebAccessPort", std::to_string(m_httpPort)},
        // No update check and no player detection against the machine's registry.
        {"AutoUpdate", "false"},
        {"PlayerType", "MCE"},
    };
    for (const auto& [key, value] : m_config) entries[key] = value;
    std::string text;
    for (const auto& [key, value] : entries) text += key + "=" + value + "\r\n";
    return WriteFileText(m_dataDir + "QRM.config", text);
}

bool CQrmProcess::Start(int timeoutMs) {
    if (m_binary.empty() || m_dataDir.empty() || m_xmlPort == 0) return false;
    if (IsRunning()) return false;
    if (!WriteConfig()) return false;

    std::vector<std::string> args = {m_binary, "--headless", "--data-dir", m_dataDir};
    args.insert(args.end(), m_extraArgs.begin(), m_extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string stdio = m_dataDir + "stdio.txt";
    posix_spawn_file_actions_addopen(&actions, 1, stdio.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string cwd = m_workDir.empty() ? m_dataDir : m_workDir;
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::vector<std::string> envStrings;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        if (m_env.count(text.substr(0, text.find('='))) == 0) envStrings.push_back(text);
    }
    for (const auto& [name, value] : m_env) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& text : envStrings) envp.push_back(text.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, m_binary.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    m_pid = pid;

    // The server logs to standard error too; that copy is fresh for every start while
    // "qrm.log" may still hold the previous run's lines until the new process rotates it.
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (CountOccurrences(StdioText(), "Server is started") > 0) {
            m_upSince = Clock::now();
            return true;
        }
        if (!IsRunning()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
    return false;
}

bool CQrmProcess::IsRunning() {
    if (m_pid <= 0) return false;
    int status = 0;
    pid_t rc = ::waitpid(m_pid, &status, WNOHANG);
    if (rc == 0) return true;
    if (rc == m_pid) m_exitStatus = status;
    m_pid = -1;
    return false;
}

bool CQrmProcess::Signal(int sig) {
    if (!IsRunning()) return false;
    return ::kill(m_pid, sig) == 0;
}

void CQrmProcess::WaitUntilUpFor(std::chrono::milliseconds duration) const {
    std::this_thread::sleep_until(m_upSince + duration);
}

int CQrmProcess::WaitForExit(int timeoutMs) {
    if (m_pid <= 0) return -1;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        int status = 0;
        pid_t rc = ::waitpid(m_pid, &status, WNOHANG);
        if (rc == m_pid || rc < 0) {
            m_pid = -1;
            m_exitStatus = rc < 0 ? -1 : status;
            return m_exitStatus;
        }
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int CQrmProcess::Stop(int timeoutMs) {
    if (m_pid <= 0) return -1;
    ::kill(m_pid, SIGTERM);
    int status = WaitForExit(timeoutMs);
    if (status == -1 && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int killed = 0;
        ::waitpid(m_pid, &killed, 0);
        m_pid = -1;
        return -1;
    }
    return status;
}

std::string CQrmProcess::LogText() const {
    return ReadFileText(m_dataDir + "qrm.log");
}

std::string CQrmProcess::StdioText() const {
    return ReadFileText(m_dataDir + "stdio.txt");
}

int CQrmProcess::CountInLog(const std::string& text) const {
    return CountOccurrences(LogText(), text);
}

bool CQrmProcess::WaitForLog(const std::string& text, int timeoutMs, int count) const {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (CountInLog(text) >= count) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int FindProcessStartedAs(const std::string& program) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string cmdline = ReadFileText(entry.path() / "cmdline");
        if (cmdline.substr(0, cmdline.find('\0')) == program) return std::stoi(name);
    }
    return 0;
}

bool KillAndWait(int pid, int timeoutMs) {
    if (pid <= 0 || ::kill(pid, SIGKILL) != 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
        const size_t paren = stat.rfind(')');
        if (stat.empty() || (paren != std::string::npos && stat.compare(paren, 4, ") Z ") == 0)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace vantor::test
