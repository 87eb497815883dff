#pragma once

#include "server/core/PeriodicTimer.h"

#include <functional>
#include <mutex>

namespace vantor {

class CLogger;

// A single-shot delay that coalesces bursts: each Arm starts the count again, so the callback
// runs once, on the timer's own thread, about delayMs after the last Arm (the count moves in
// 100 ms ticks). Any thread may arm or cancel.
class CDelayTimer {
public:
    explicit CDelayTimer(CLogger& logger) : m_timer(logger) {}

    // Before the first Arm.
    void Init(std::function<void()> callback, int delayMs) {
        // The timer stops itself before the callback reads anything, so a change arriving
        // while the callback runs arms a fresh delay instead of being lost.
        m_timer.Init(
            [this, callback = std::move(callback)] {
                m_timer.Cancel();
                callback();
            },
            delayMs);
    }

    void Arm() {
        // Each timer has its own arming lock: re-arming may wait for the previous thread of
        // this timer to end, and must not hold up the arming of the others meanwhile.
        std::lock_guard<std::mutex> lock(m_armMutex);
        if (m_timer.IsActive()) {
            m_timer.Restart();
        } else {
            m_timer.Start();
        }
    }

    // A callback already running finishes; none follows.
    void Cancel() { m_timer.Cancel(); }

private:
    std::mutex m_armMutex;
    CPeriodicTimer m_timer;
};

}  // namespace vantor
