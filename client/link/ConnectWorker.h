#pragma once

// The connect worker: finds a server when none is configured, then connects, retrying until
// it succeeds or is cancelled, and sends the client version request. One runs at a time, on
// its own thread ("Connect Worker").
//
// Threads: Start, Cancel and IsRunning from any thread; Cancel not from the worker's own
// (a view call).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "client/link/ConnectView.h"
#include "client/link/ServerLink.h"

namespace vantor::client {

class ConnectWorker {
public:
    // `platform` is sent with the client version request ("linux", "ppc").
    ConnectWorker(ServerLink& link, ConnectView& view, std::string platform);
    ~ConnectWorker();
    ConnectWorker(const ConnectWorker&) = delete;
    ConnectWorker& operator=(const ConnectWorker&) = delete;

    // Starts a run for `server` ("" finds one by discovery). `reconnect` shows
    // "Reconnecting..." meanwhile and restores the status text afterwards. False when a
    // run is going on.
    bool Start(const std::string& server, bool reconnect);
    // Ends a run and waits for its thread.
    void Cancel();
    bool IsRunning() const { return m_running.load(); }

    // While the network is marked down, the worker waits (looking every 500 ms).
    void SetNetworkDown(bool down) { m_networkDown = down; }
    bool IsNetworkDown() const { return m_networkDown.load(); }
    // The status text shown before the connect loop replaced it: remembered once, given
    // back after a successful reconnect.
    void RememberStatus();
    void RestoreStatus();
    // The pause between two failed connection attempts (1000 ms).
    void SetRetryPause(std::chrono::milliseconds pause) { m_retryPause = pause; }

private:
    void Run(std::string server, bool reconnect);
    // Sleeps, waking early when cancelled; false when cancelled.
    bool Sleep(std::chrono::milliseconds duration);
    bool WaitForNetwork();
    void Join();

    ServerLink& m_link;
    ConnectView& m_view;
    std::string m_platform;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_networkDown{false};
    std::chrono::milliseconds m_retryPause{1000};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::mutex m_threadMutex;  // m_thread
    std::mutex m_statusMutex;
    bool m_statusRemembered = false;
    std::string m_rememberedStatus;
    std::thread m_thread;
};

}  // namespace vantor::client
