#include "server/player/MonitorThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace vantor {

CMonitorThread::CMonitorThread(CLogger& logger) : m_thread(logger) {
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CMonitorThread::~CMonitorThread() {
    Stop();
    if (m_wakeFd >= 0) close(m_wakeFd);
}

bool CMonitorThread::Start(const std::string& name, std::function<void()> body, int waitMs) {
    Stop();
    {
        std::lock_guard<std::mutex> lock(m_startMutex);
        m_attempted = false;
    }
    m_stop = false;
    uint64_t drained = 0;
    while (read(m_wakeFd, &drained, sizeof drained) > 0) {
    }
    if (m_thread.Start(name, std::move(body)) != 0) return false;
    std::unique_lock<std::mutex> lock(m_startMutex);
    m_startCv.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_attempted; });
    return true;
}

void CMonitorThread::Stop() {
    if (!m_thread.IsRunning()) return;
    m_stop = true;
    const uint64_t one = 1;
    (void)!write(m_wakeFd, &one, sizeof one);
    m_thread.Stop();
}

bool CMonitorThread::WaitForWake(int timeoutMs) {
    pollfd pfd{m_wakeFd, POLLIN, 0};
    poll(&pfd, 1, timeoutMs);
    return m_stop.load();
}

void CMonitorThread::FirstAttemptDone() {
    std::lock_guard<std::mutex> lock(m_startMutex);
    m_attempted = true;
    m_startCv.notify_all();
}

void CMonitorThread::SetListener(IPlayerListener* listener) {
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    m_listener = listener;
}

void CMonitorThread::ClearListener(IPlayerListener* listener) {
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    if (m_listener == listener) m_listener = nullptr;
}

IPlayerListener* CMonitorThread::Listener() const {
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    return m_listener;
}

}  // namespace vantor
