#include "tests/server/player/winamp/WinampTestSupport.h"

#include "server/player/winamp/WinampMessages.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace vantor::test {

namespace fs = std::filesystem;

int32_t CRecordingWindowSystem::SendWindowMessage(WindowHandle window, uint32_t message,
                                                  int64_t wParam, int64_t lParam) {
    {
        std::lock_guard lock(m_mutex);
        m_sent.push_back({window, message, wParam, lParam});
    }
    const int32_t answer = m_inner.SendWindowMessage(window, message, wParam, lParam);
    if (message == kUserMessage && lParam == winamp::kGetVersion) {
        ++m_versionQueries;
    }
    return answer;
}

bool CRecordingWindowSystem::StartProgram(const std::string& path) {
    ++m_starts;
    return m_inner.StartProgram(path);
}

void CRecordingWindowSystem::Sleep(int milliseconds) {
    m_inner.Sleep(m_fastSleep ? 1 : milliseconds);
}

std::vector<CRecordingWindowSystem::CSent> CRecordingWindowSystem::Sent() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

void CRecordingWindowSystem::ClearSent() {
    std::lock_guard lock(m_mutex);
    m_sent.clear();
}

std::vector<std::string> Entry(const std::string& artist, const std::string& title,
                               const std::string& path, int seconds) {
    return {"#EXTINF:" + std::to_string(seconds) + "," + artist + " - " + title, path};
}

void CWinampFixture::SetUp() {
    char pattern[] = "/tmp/vwXXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_windowsDir = m_root + "/w";
    m_winampDir = m_root + "/winamp";
    fs::create_directories(m_windowsDir);
    fs::create_directories(m_winampDir);
    fs::create_directories(m_root + "/data");
    fs::create_directories(m_root + "/registry");
    // Inherited by every simulator the adapter starts; the idle limit ends a simulator that
    // a crashed test left behind.
    ::setenv("VANTOR_WINDOWS_DIR", m_windowsDir.c_str(), 1);
    ::setenv("VANTOR_REGISTRY_DIR", (m_root + "/registry").c_str(), 1);
    ::setenv("VANTOR_WINAMP_SIM_IDLE_EXIT", "30", 1);
    m_logger.SetLevel(kLogDetailed);
    m_logger.AddSink(&m_sink);
    m_config = std::make_unique<CConfigStore>(m_root + "/data/");
    SetWinampFolder(m_winampDir);
    m_windows = std::make_shared<CRecordingWindowSystem>(m_windowsDir);
    m_probe = std::make_unique<CLocalWindowSystem>(m_windowsDir);
}

void CWinampFixture::TearDown() {
    m_player.reset();
    StopSimulators();
    m_logger.RemoveSink(&m_sink);
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void CWinampFixture::SetWinampFolder(const std::string& folder) {
    m_config->SetString("Paths\\Winamp", folder, false, true);
}

void CWinampFixture::MakePlayer() {
    m_player = std::make_unique<CWinampPlayer>(m_logger, *m_config, m_windows);
    m_player->AddListener(&m_listener);
}

void CWinampFixture::InstallWinamp(const std::vector<std::string>& playlistLines) {
    std::ofstream playlist(m_winampDir + "/winamp.m3u");
    playlist << "#EXTM3U\n";
    for (const std::string& line : playlistLines) {
        playlist << line << "\n";
    }
    fs::create_symlink(WINAMP_SIM_PATH, m_winampDir + "/Winamp.exe");
}

void CWinampFixture::StartSimulator(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {m_winampDir + "/Winamp.exe"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    ASSERT_TRUE(WaitUntil([this] { return SimMain() != 0; }));
}

WindowHandle CWinampFixture::SimMain() {
    return m_probe->FindWindowByClass(winamp::kMainClass);
}

int32_t CWinampFixture::SimCommand(int64_t command, int64_t data) {
    return m_probe->SendWindowMessage(SimMain(), kUserMessage, data, command);
}

std::string CWinampFixture::SimTitle() {
    return m_probe->GetWindowTitle(SimMain(), 255);
}

pid_t CWinampFixture::SimPid() {
    // A window handle is its program's process id with a per-program index.
    return static_cast<pid_t>(SimMain() / 256);
}

void CWinampFixture::StopSimulators() {
    for (int round = 0; round < 10; ++round) {
        const pid_t pid = SimPid();
        if (pid == 0) {
            break;
        }
        ::kill(pid, SIGTERM);
        if (!WaitUntil([&] { return SimPid() != pid; }, 2000)) {
            ::kill(pid, SIGKILL);
        }
    }
    // Simulators this process started itself.
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

bool CWinampFixture::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool CWinampFixture::WaitForPasses(int passes) {
    const int target = m_windows->VersionQueries() + passes;
    return WaitUntil([&] { return m_windows->VersionQueries() >= target; });
}

}  // namespace vantor::test
