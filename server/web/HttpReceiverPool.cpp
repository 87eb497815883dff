#include "server/web/HttpReceiverPool.h"

#include "server/web/HttpConnection.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>

#include <cerrno>

namespace vantor {

namespace {

constexpr uint64_t kWakeKey = UINT64_MAX;
constexpr int kEventsPerWait = 16;

uint32_t ReadableEvents() {
    return EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
}

}  // namespace

CHttpReceiverPool::CHttpReceiverPool(CLogger& logger) : m_logger(logger) {}

CHttpReceiverPool::~CHttpReceiverPool() {
    Stop();
}

bool CHttpReceiverPool::Start(int threads, Handler onReadable) {
    Stop();
    m_handler = std::move(onReadable);
    m_stopping = false;
    m_epoll.Reset(::epoll_create1(EPOLL_CLOEXEC));
    m_wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_epoll.IsValid() || !m_wake.IsValid()) return false;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.u64 = kWakeKey;
    if (::epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, m_wake.Get(), &wake) != 0) return false;
    for (int i = 0; i < threads; ++i) {
        m_threads.push_back(std::make_unique<CWorkerThread>(m_logger));
        if (m_threads.back()->Start("HTTP Socket Receiver", [this] { Loop(); }) != 0) {
            Stop();
            return false;
        }
    }
    return true;
}

void CHttpReceiverPool::Stop() {
    m_stopping = true;
    if (m_wake.IsValid()) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t ignored = ::write(m_wake.Get(), &one, sizeof one);
    }
    for (auto& thread : m_threads) thread->Stop();
    m_threads.clear();
    std::lock_guard lock(m_lock);
    m_watched.clear();
    m_epoll.Reset();
    m_wake.Reset();
}

bool CHttpReceiverPool::Add(const ConnectionPtr& connection) {
    const int fd = connection->Socket().Descriptor();
    if (fd < 0 || !m_epoll.IsValid()) return false;
    {
        std::lock_guard lock(m_lock);
        m_watched[connection->Id()] = Entry{connection, fd};
    }
    epoll_event event{};
    event.events = ReadableEvents();
    event.data.u64 = static_cast<uint32_t>(connection->Id());
    if (::epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, fd, &event) != 0) {
        std::lock_guard lock(m_lock);
        m_watched.erase(connection->Id());
        return false;
    }
    return true;
}

void CHttpReceiverPool::Watch(const ConnectionPtr& connection) {
    int fd = -1;
    {
        std::lock_guard lock(m_lock);
        auto found = m_watched.find(connection->Id());
        if (found == m_watched.end()) return;
        fd = found->second.fd;
    }
    epoll_event event{};
    event.events = ReadableEvents();
    event.data.u64 = static_cast<uint32_t>(connection->Id());
    ::epoll_ctl(m_epoll.Get(), EPOLL_CTL_MOD, fd, &event);
}

void CHttpReceiverPool::Remove(const ConnectionPtr& connection) {
    std::lock_guard lock(m_lock);
    auto found = m_watched.find(connection->Id());
    if (found == m_watched.end()) return;
    // The descriptor is still open (a closed socket keeps it until it is destroyed).
    ::epoll_ctl(m_epoll.Get(), EPOLL_CTL_DEL, found->second.fd, nullptr);
    m_watched.erase(found);
}

std::vector<CHttpReceiverPool::ConnectionPtr> CHttpReceiverPool::Connections() const {
    std::lock_guard lock(m_lock);
    std::vector<ConnectionPtr> connections;
    connections.reserve(m_watched.size());
    for (const auto& [id, entry] : m_watched) connections.push_back(entry.connection);
    return connections;
}

CHttpReceiverPool::ConnectionPtr CHttpReceiverPool::Find(int32_t id) const {
    std::lock_guard lock(m_lock);
    auto found = m_watched.find(id);
    return found == m_watched.end() ? nullptr : found->second.connection;
}

void CHttpReceiverPool::Loop() {
    epoll_event events[kEventsPerWait];
    const int epoll = m_epoll.Get();
    while (!m_stopping) {
        const int ready = ::epoll_wait(epoll, events, kEventsPerWait, -1);
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < ready && !m_stopping; ++i) {
            if (events[i].data.u64 == kWakeKey) continue;
            ConnectionPtr connection = Find(static_cast<int32_t>(events[i].data.u64));
            if (connection) m_handler(connection);
        }
    }
}

}  // namespace vantor
