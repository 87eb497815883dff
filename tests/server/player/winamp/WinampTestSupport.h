#pragma once

#include "platform/LocalWindowSystem.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/winamp/WinampPlayer.h"
#include "tests/server/player/RecordingListener.h"

#include <gtest/gtest.h>

#include <sys/types.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor::test {

// The real local window system, recording the messages sent and, when asked, with
// start-up waits cut short.
class CRecordingWindowSystem : public IWindowSystem {
public:
    explicit CRecordingWindowSystem(const std::string& directory) : m_inner(directory) {}

    struct CSent {
        WindowHandle window;
        uint32_t message;
        int64_t wParam;
        int64_t lParam;
    };

    WindowHandle FindWindowByClass(const std::string& className) override {
        return m_inner.FindWindowByClass(className);
    }
    int32_t SendWindowMessage(WindowHandle window, uint32_t message, int64_t wParam,
                              int64_t lParam) override;
    int32_t SendCopyData(WindowHandle window, uint32_t dataId, const void* data,
                         size_t size) override {
        return m_inner.SendCopyData(window, dataId, data, size);
    }
    std::string GetWindowTitle(WindowHandle window, size_t maxChars) override {
        return m_inner.GetWindowTitle(window, maxChars);
    }
    std::unique_ptr<IProcessMemory> OpenWindowProcess(WindowHandle window) override {
        return m_inner.OpenWindowProcess(window);
    }
    bool StartProgram(const std::string& path) override;
    void Sleep(int milliseconds) override;

    std::vector<CSent> Sent() const;
    void ClearSent();
    int Starts() const { return m_starts; }
    // Answers of version queries so far: one per state-monitor pass, plus one per attach.
    int VersionQueries() const { return m_versionQueries; }
    void SetFastSleep(bool on) { m_fastSleep = on; }

private:
    CLocalWindowSystem m_inner;
    mutable std::mutex m_mutex;
    std::vector<CSent> m_sent;
    std::atomic<int> m_starts{0};
    std::atomic<int> m_versionQueries{0};
    std::atomic<bool> m_fastSleep{false};
};

// A temporary world with a Winamp folder whose "Winamp.exe" is the simulator, its own
// windows folder and data folder, a logger that records, and the adapter under test.
class CWinampFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the initial playlist (extended M3U lines) and links the simulator into place.
    void InstallWinamp(const std::vector<std::string>& playlistLines);
    // Starts the simulator directly with extra arguments (not through the adapter).
    void StartSimulator(const std::vector<std::string>& arguments);
    void SetWinampFolder(const std::string& folder);
    void MakePlayer();

    WindowHandle SimMain();
    int32_t SimCommand(int64_t command, int64_t data = 0);
    std::string SimTitle();
    pid_t SimPid();
    void StopSimulators();
    // Waits until `done` holds, polling.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Waits until the state monitor has made at least `passes` more passes.
    bool WaitForPasses(int passes);

    std::string m_root;
    std::string m_windowsDir;
    std::string m_winampDir;
    CLogger m_logger;
    CRecordingSink m_sink;
    std::unique_ptr<CConfigStore> m_config;
    std::shared_ptr<CRecordingWindowSystem> m_windows;
    std::unique_ptr<CLocalWindowSystem> m_probe;
    CRecordingListener m_listener;
    std::unique_ptr<CWinampPlayer> m_player;
};

// An extended M3U entry.
std::vector<std::string> Entry(const std::string& artist, const std::string& title,
                               const std::string& path, int seconds = 200);

}  // namespace vantor::test
