#pragma once

#include "server/core/WorkerThread.h"

#include <atomic>
#include <functional>
#include <string>

namespace vantor {

class CLogger;

// Watches one folder (and, when asked, its subfolders) for created, deleted, renamed, written
// and resized files on the thread "Directory Monitor", and calls back once per burst of
// changes: a burst ends when no change has come for the quiet time (a file written in many
// pieces is one change). The stop flag is checked at least every second. A folder that does
// not exist yet is watched from the moment it appears; subfolders made later are watched too.
class CDirectoryMonitor {
public:
    using Callback = std::function<void()>;
    static constexpr int kPollMs = 1000;
    static constexpr int kQuietMs = 250;
    static constexpr int kMaxFolders = 512;  // subfolders watched at most

    struct Options {
        bool subfolders = false;
        int quietMs = kQuietMs;
    };

    explicit CDirectoryMonitor(CLogger& logger);
    ~CDirectoryMonitor();  // Stop()
    CDirectoryMonitor(const CDirectoryMonitor&) = delete;
    CDirectoryMonitor& operator=(const CDirectoryMonitor&) = delete;

    // Stops a previous watch first. The callback runs on the monitor's thread.
    int Start(const std::string& folder, Callback callback, Options options);
    int Start(const std::string& folder, Callback callback) {
        return Start(folder, std::move(callback), Options());
    }
    void Stop();
    bool IsRunning() const { return m_thread.IsRunning(); }

private:
    void Run(const std::string& folder, const Callback& callback, Options options);

    CLogger& m_logger;
    CWorkerThread m_thread;
    std::atomic<bool> m_stop{false};
    int m_wakeFd = -1;  // an eventfd that Stop signals so the thread need not finish a wait
};

}  // namespace vantor
