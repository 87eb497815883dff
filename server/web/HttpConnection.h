#pragma once

#include "platform/NetSocket.h"
#include "server/core/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace vantor {

// One accepted HTTP connection: its socket, its receiver thread ("HTTP Socket Receiver")
// and the lock that keeps answers to it whole when several threads write (the receiver,
// a broadcast answering a held poll, the connection monitor).
class CHttpConnection {
public:
    CHttpConnection(CLogger& logger, int32_t id, CNetSocket socket)
        : m_id(id), m_socket(std::move(socket)), m_thread(logger) {}

    int32_t Id() const { return m_id; }
    CNetSocket& Socket() { return m_socket; }
    CWorkerThread& Thread() { return m_thread; }

    // Writes all bytes under the connection's lock. False (and the socket closed, which
    // ends the receiver) when the peer is gone.
    bool Write(std::string_view bytes);
    // Holds the write lock across several writes (a file sent in chunks).
    std::unique_lock<std::mutex> LockWrites() { return std::unique_lock(m_writeLock); }
    bool WriteLocked(std::string_view bytes);
    // Under LockWrites: `prefix` (a header, may be empty) then `length` bytes of the open
    // file `fd` from `offset`, sent by the system without copying. Closes on failure.
    bool WriteFileLocked(std::string_view prefix, int fd, int64_t offset, int64_t length);

    bool IsClosed() const { return m_closed.load(); }
    void MarkClosed() { m_closed.store(true); }
    // Closes the socket (waking the receiver); idempotent, any thread.
    void Close();

private:
    const int32_t m_id;
    CNetSocket m_socket;
    CWorkerThread m_thread;
    std::mutex m_writeLock;
    std::atomic<bool> m_closed{false};
};

}  // namespace vantor
