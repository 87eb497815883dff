#include "server/core/PeriodicTimer.h"

#include <chrono>

namespace vantor {

CPeriodicTimer::CPeriodicTimer(CLogger& logger) : m_thread(logger) {}

CPeriodicTimer::~CPeriodicTimer() {
    Cancel();
    m_thread.Stop();
}

void CPeriodicTimer::Init(std::function<void()> callback, int periodMs, const std::string& name) {
    m_callback = std::move(callback);
    m_periodMs = periodMs;
    m_name = name.empty() ? "Timer Thread" : name;
}

int CPeriodicTimer::Start() {
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_active = false;
        ++m_generation;
    }
    m_wake.notify_all();
    m_thread.Stop();
    m_elapsedMs = 0;
    uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        generation = ++m_generation;
        m_active = true;
    }
    if (m_thread.Start(m_name, [this, generation] { Run(generation); }) != 0) {
        m_active = false;
        return -1;
    }
    return 0;
}

void CPeriodicTimer::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_active = false;
    }
    m_wake.notify_all();
}

void CPeriodicTimer::Restart() {
    m_elapsedMs = 0;
    if (!m_active && m_thread.IsRunning()) Start();
}

void CPeriodicTimer::Run(uint64_t generation) {
    using Clock = std::chrono::steady_clock;
    // Ticks are laid on a fixed grid so a slow callback does not stretch the period.
    auto nextTick = Clock::now();
    while (true) {
        const auto now = Clock::now();
        if (nextTick + std::chrono::milliseconds(kTickMs) < now) nextTick = now;  // no bursts
        nextTick += std::chrono::milliseconds(kTickMs);
        {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            const auto retired = [this, generation] {
                return !m_active || m_generation != generation;
            };
            if (retired() || m_wake.wait_until(lock, nextTick, retired)) return;
        }
        m_elapsedMs += kTickMs;
        if (m_elapsedMs >= m_periodMs) {
            m_elapsedMs = 0;
            m_callback();
        }
    }
}

}  // namespace vantor
