#include "server/core/WorkerThread.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <system_error>

#include "server/core/Logger.h"

namespace vantor {

// Shared with the thread, so a thread that Stop gave up on still has its state.
struct CWorkerThread::State {
    std::string name;
    std::function<void()> body;
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool running = false;
    bool ended = false;
};

void CWorkerThread::Run(const std::shared_ptr<State>& state, CLogger& logger) {
    // The kernel keeps at most 15 characters of a thread's name.
    ::pthread_setname_np(::pthread_self(), state->name.substr(0, 15).c_str());
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->started = true;
        state->running = true;
    }
    state->changed.notify_all();
    logger.LogVerbose("Thread[\"%s\"] has started", state->name.c_str());
    state->body();
    state->body = nullptr;  // release what the body captured on the thread that used it
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->running = false;
        state->ended = true;
    }
    state->changed.notify_all();
    logger.LogDetailed("Thread[\"%s\"] has ended", state->name.c_str());
}

CWorkerThread::CWorkerThread(CLogger& logger) : m_logger(logger) {}

CWorkerThread::~CWorkerThread() {
    Stop();
}

int CWorkerThread::Start(const std::string& name, std::function<void()> body) {
    std::lock_guard<std::mutex> startStop(m_startStopMutex);
    if (!body) return -1;
    StopLocked();

    auto state = std::make_shared<State>();
    state->name = name;
    state->body = std::move(body);
    std::thread thread;
    try {
        thread = std::thread([state, &logger = m_logger] { Run(state, logger); });
    } catch (const std::system_error&) {
        m_logger.LogCritical("Error creating thread[\"%s\"]: ", name.c_str());
        return -1;
    }
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_state = state;
        m_thread = std::move(thread);
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    if (!state->changed.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                                 [&state] { return state->started; })) {
        m_logger.LogCritical("Thread[\"%s\"] did not start", name.c_str());
        return -1;
    }
    return 0;
}

void CWorkerThread::Stop() {
    std::lock_guard<std::mutex> startStop(m_startStopMutex);
    StopLocked();
}

void CWorkerThread::StopLocked() {
    std::shared_ptr<State> state;
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (!m_thread.joinable()) return;
        state = std::move(m_state);
        thread = std::move(m_thread);
    }
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
        return;
    }
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        ended = state->changed.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                                        [&state] { return state->ended; });
    }
    if (ended) {
        thread.join();
    } else {
        m_logger.LogCritical("WARNING: Thread[\"%s\"] did not exit!", state->name.c_str());
        thread.detach();
    }
}

bool CWorkerThread::IsRunning() const {
    std::shared_ptr<State> state;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        state = m_state;
    }
    if (!state) return false;
    std::lock_guard<std::mutex> lock(state->mutex);
    return state->running;
}

std::string CWorkerThread::Name() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_state ? m_state->name : std::string();
}

}  // namespace vantor
