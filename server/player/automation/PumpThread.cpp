#include "server/player/automation/PumpThread.h"

#include <chrono>
#include <thread>

namespace vantor {

CPumpThread::CPumpThread(CLogger& logger) : m_thread(logger) {}

CPumpThread::~CPumpThread() {
    Stop();
}

bool CPumpThread::Start(const std::string& name,
                        std::function<void(const CThreadMessage&)> handler) {
    Stop();
    m_thread.Start(name, [this, handler = std::move(handler)] {
        CThreadMessageQueue queue;
        m_pumpThread = std::this_thread::get_id();
        m_threadId = queue.ThreadId();
        CThreadMessage message;
        while (queue.Get(message)) {
            handler(message);
        }
        m_threadId = 0;
        m_pumpThread = std::thread::id();
    });
    for (int attempt = 0; attempt < kIdAttempts; ++attempt) {
        if (m_threadId != 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdPauseMs));
    }
    return m_threadId != 0;
}

void CPumpThread::Stop() {
    if (const uint32_t id = m_threadId; id != 0) {
        PostThreadMessage(id, kQuitMessage);
    }
    m_thread.Stop();
}

bool CPumpThread::Post(uint32_t message, int64_t wParam, int64_t lParam) {
    const uint32_t id = m_threadId;
    return id != 0 && PostThreadMessage(id, message, wParam, lParam);
}

bool CPumpThread::IsPumpThread() const {
    return m_pumpThread.load() == std::this_thread::get_id();
}

void CPumpThread::ResetReady() {
    std::lock_guard lock(m_mutex);
    m_ready = false;
}

void CPumpThread::SetReady() {
    {
        std::lock_guard lock(m_mutex);
        m_ready = true;
    }
    m_signal.notify_all();
}

bool CPumpThread::WaitReady(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_signal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return m_ready; });
}

void CPeriodicMonitor::Start(const std::string& name, int periodMs, std::function<void()> pass) {
    m_thread.Start(
        name,
        [this, periodMs, pass = std::move(pass)] {
            m_thread.FirstAttemptDone();
            do {
                pass();
            } while (!m_thread.WaitForWake(periodMs));
        },
        0);
}

}  // namespace vantor
