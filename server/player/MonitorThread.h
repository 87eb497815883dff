#pragma once

#include "server/core/WorkerThread.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace vantor {

class CLogger;
class IPlayerListener;

// What every adapter's state monitor that waits on a descriptor shares: its named thread, a
// stop flag with an eventfd that wakes the thread out of poll(), a latch for the thread's
// first attempt to reach the player (so Connect can answer whether it did), and the
// listener the changes go to.
//
// Start and Stop: the adapter's thread. The rest: any thread.
class CMonitorThread {
public:
    explicit CMonitorThread(CLogger& logger);
    ~CMonitorThread();  // Stop()
    CMonitorThread(const CMonitorThread&) = delete;
    CMonitorThread& operator=(const CMonitorThread&) = delete;

    // Starts `body` on a thread called `name` and waits up to `waitMs` for it to call
    // FirstAttemptDone. False when the thread did not start.
    bool Start(const std::string& name, std::function<void()> body, int waitMs);
    // Sets the stop flag, wakes the thread and waits for it.
    void Stop();
    bool IsRunning() const { return m_thread.IsRunning(); }
    bool IsStopping() const { return m_stop.load(); }

    // Readable when Stop wants the thread to return; poll it beside the player's descriptor.
    int WakeFd() const { return m_wakeFd; }
    // Sleeps up to `timeoutMs` or until Stop; true when the thread is to return.
    bool WaitForWake(int timeoutMs);
    void FirstAttemptDone();

    void SetListener(IPlayerListener* listener);
    // Clears the listener when it is the registered one.
    void ClearListener(IPlayerListener* listener);
    IPlayerListener* Listener() const;

private:
    CWorkerThread m_thread;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};

    std::mutex m_startMutex;
    std::condition_variable m_startCv;
    bool m_attempted = false;

    mutable std::mutex m_listenerMutex;
    IPlayerListener* m_listener = nullptr;
};

}  // namespace vantor
