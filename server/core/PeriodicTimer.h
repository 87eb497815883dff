#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "server/core/WorkerThread.h"

namespace vantor {

class CLogger;

// Calls a callback repeatedly on its own named thread. The thread ticks every 100 ms and
// fires when the elapsed time reaches the period, so the callback repeats at the smallest
// multiple of 100 ms not below the period (250 -> every 300 ms) until Cancel. A single-shot
// timer calls Cancel from its callback. Callers protect data shared with the callback.
// All operations may be called from any thread, the callback's own included.
class CPeriodicTimer {
public:
    static constexpr int kTickMs = 100;

    explicit CPeriodicTimer(CLogger& logger);
    ~CPeriodicTimer();  // cancels and waits for the thread
    CPeriodicTimer(const CPeriodicTimer&) = delete;
    CPeriodicTimer& operator=(const CPeriodicTimer&) = delete;

    // Call before Start. An empty name becomes "Timer Thread".
    void Init(std::function<void()> callback, int periodMs, const std::string& name = "");
    // Counts from 0 on a fresh thread (a running one is stopped first). 0, or -1 when the
    // thread could not be started.
    int Start();
    // Clears the active flag; the thread ends at its next tick without calling again.
    void Cancel();
    // Counts from 0 again; when cancelled but the thread has not yet ended, starts again.
    void Restart();
    bool IsActive() const { return m_active.load(); }
    bool IsThreadRunning() const { return m_thread.IsRunning(); }

private:
    void Run(uint64_t generation);

    CWorkerThread m_thread;
    std::function<void()> m_callback;
    std::string m_name = "Timer Thread";
    std::atomic<int> m_periodMs{0};
    std::atomic<int> m_elapsedMs{0};
    std::atomic<bool> m_active{false};
    // A new Start retires the thread of the previous one, even when the callback itself
    // calls Start and the old thread is still returning from it.
    std::atomic<uint64_t> m_generation{0};
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
};

}  // namespace vantor
