#pragma once

#include "platform/FileDescriptor.h"
#include "server/core/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace vantor {

class CHttpConnection;
class CLogger;

// A few threads ("HTTP Socket Receiver") that wait together for request bytes on every
// pooled connection, so that a keep-alive connection between two requests holds no thread
// and a busy one is served without a thread switch per request. Each watch reports one
// readable event: the handler parks the connection and watches it again, or takes it out.
class CHttpReceiverPool {
public:
    using ConnectionPtr = std::shared_ptr<CHttpConnection>;
    using Handler = std::function<void(const ConnectionPtr&)>;

    explicit CHttpReceiverPool(CLogger& logger);
    ~CHttpReceiverPool();
    CHttpReceiverPool(const CHttpReceiverPool&) = delete;
    CHttpReceiverPool& operator=(const CHttpReceiverPool&) = delete;

    bool Start(int threads, Handler onReadable);
    // Ends the threads; connections still watched are let go (not closed).
    void Stop();

    // Starts watching the connection's socket; false when it cannot be watched.
    bool Add(const ConnectionPtr& connection);
    // Watches it again after an event.
    void Watch(const ConnectionPtr& connection);
    // Stops watching; the connection is no longer reported.
    void Remove(const ConnectionPtr& connection);
    std::vector<ConnectionPtr> Connections() const;

private:
    void Loop();
    ConnectionPtr Find(int32_t id) const;

    CLogger& m_logger;
    CFileDescriptor m_epoll;
    CFileDescriptor m_wake;  // an eventfd that ends the loops
    Handler m_handler;
    std::atomic<bool> m_stopping{false};
    std::vector<std::unique_ptr<CWorkerThread>> m_threads;
    mutable std::mutex m_lock;
    struct Entry {
        ConnectionPtr connection;
        int fd;
    };
    std::unordered_map<int32_t, Entry> m_watched;
};

}  // namespace vantor
