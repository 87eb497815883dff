#pragma once

#include "platform/ThreadMessages.h"
#include "server/core/WorkerThread.h"
#include "server/player/MonitorThread.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantor {

class CLogger;

// The message-pump thread of an automation adapter: the thread on which the player's
// application object is created and released. Other threads post it thread messages and wait
// for its "ready" signal.
class CPumpThread {
public:
    static constexpr int kIdAttempts = 50;
    static constexpr int kIdPauseMs = 100;

    explicit CPumpThread(CLogger& logger);
    ~CPumpThread();

    // Starts the thread and waits up to 50 x 100 ms for it to publish its thread id; false
    // when it did not. The handler runs on the pump thread for every message but the quit.
    bool Start(const std::string& name, std::function<void(const CThreadMessage&)> handler);
    // Posts the quit message and waits for the thread to end.
    void Stop();
    bool Post(uint32_t message, int64_t wParam = 0, int64_t lParam = 0);
    bool IsPumpThread() const;

    // The ready event: reset by the poster, set by the handler.
    void ResetReady();
    void SetReady();
    // True when the event was set within the time.
    bool WaitReady(int timeoutMs);

private:
    CWorkerThread m_thread;
    std::atomic<uint32_t> m_threadId{0};
    std::atomic<std::thread::id> m_pumpThread;
    std::mutex m_mutex;
    std::condition_variable m_signal;
    bool m_ready = false;
};

// A monitor that runs a pass every period until it is stopped, on the adapters' common
// monitor thread.
class CPeriodicMonitor {
public:
    explicit CPeriodicMonitor(CLogger& logger) : m_thread(logger) {}

    // Stops a previous run first. The first pass runs at once.
    void Start(const std::string& name, int periodMs, std::function<void()> pass);
    // Makes the thread end at its next pause and waits for it (not from the thread itself).
    void Stop() { m_thread.Stop(); }
    bool IsRunning() const { return m_thread.IsRunning(); }

private:
    CMonitorThread m_thread;
};

}  // namespace vantor
