#pragma once

#include <avahi-common/simple-watch.h>

#include <atomic>

namespace vantor {

// Avahi's simple event loop, run on the caller's thread, with a wake-up that another thread
// may trigger safely (Avahi's own one is not safe to call from another thread). Only the
// thread that runs Iterate may touch the Avahi objects made on Poll().
class CAvahiLoop {
public:
    CAvahiLoop();
    ~CAvahiLoop();
    CAvahiLoop(const CAvahiLoop&) = delete;
    CAvahiLoop& operator=(const CAvahiLoop&) = delete;

    bool IsValid() const { return m_poll != nullptr && m_wakeFd >= 0; }
    const AvahiPoll* Poll() const;
    // Runs one round: waits at most `timeoutMs` (-1: until something happens or Wake) and
    // dispatches what is due. False when the loop cannot go on.
    bool Iterate(int timeoutMs);
    // Any thread: makes a waiting Iterate return.
    void Wake();

private:
    static int PollWithWake(struct pollfd* fds, unsigned int count, int timeoutMs, void* self);

    AvahiSimplePoll* m_poll = nullptr;
    int m_wakeFd = -1;
};

}  // namespace vantor
