#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vantor {

class CLogger;

// A named thread with a uniform start and stop protocol. The thread is never killed: its
// owner makes the body return (closes its socket, sets its stop flag) and then calls Stop.
// Start and Stop are serialised; IsRunning may be called from any thread at any time.
// The logger must outlive every thread started here, including one that Stop gave up on.
class CWorkerThread {
public:
    static constexpr int kWaitMs = 5000;

    explicit CWorkerThread(CLogger& logger);
    ~CWorkerThread();  // Stop()
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Stops a previous thread first, then runs `body` on a new thread whose OS name is the
    // first 15 characters of `name`. Returns 0 once the body runs, -1 (logged) when the
    // body is empty, the thread cannot be created or does not start within 5 s.
    int Start(const std::string& name, std::function<void()> body);

    // Waits up to 5 s for the body to return. When it does not, logs
    // "WARNING: Thread["name"] did not exit!" and forgets the thread, which is left running.
    // Called from the thread itself, it forgets the thread without waiting.
    void Stop();

    // True while a thread exists and its body is running.
    bool IsRunning() const;

    std::string Name() const;

private:
    struct State;
    static void Run(const std::shared_ptr<State>& state, CLogger& logger);
    void StopLocked();

    CLogger& m_logger;
    std::mutex m_startStopMutex;      // serialises Start and Stop
    mutable std::mutex m_stateMutex;  // guards the two members below
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace vantor
