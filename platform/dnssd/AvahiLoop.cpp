#include "platform/dnssd/AvahiLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

namespace vantor {

CAvahiLoop::CAvahiLoop() : m_poll(avahi_simple_poll_new()) {
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_poll) avahi_simple_poll_set_func(m_poll, &CAvahiLoop::PollWithWake, this);
}

CAvahiLoop::~CAvahiLoop() {
    if (m_poll) avahi_simple_poll_free(m_poll);
    if (m_wakeFd >= 0) close(m_wakeFd);
}

const AvahiPoll* CAvahiLoop::Poll() const {
    return m_poll ? avahi_simple_poll_get(m_poll) : nullptr;
}

bool CAvahiLoop::Iterate(int timeoutMs) {
    return m_poll && avahi_simple_poll_iterate(m_poll, timeoutMs) == 0;
}

void CAvahiLoop::Wake() {
    const uint64_t one = 1;
    (void)!write(m_wakeFd, &one, sizeof one);
}

int CAvahiLoop::PollWithWake(struct pollfd* fds, unsigned int count, int timeoutMs, void* self) {
    auto* loop = static_cast<CAvahiLoop*>(self);
    std::vector<pollfd> all(fds, fds + count);
    all.push_back({loop->m_wakeFd, POLLIN, 0});
    const int ready = poll(all.data(), all.size(), timeoutMs);
    if (ready < 0) return ready;
    for (unsigned int i = 0; i < count; ++i) fds[i].revents = all[i].revents;
    if (all.back().revents & POLLIN) {
        uint64_t drained = 0;
        while (read(loop->m_wakeFd, &drained, sizeof drained) > 0) {
        }
        return ready - 1;
    }
    return ready;
}

}  // namespace vantor
