#pragma once

#include "platform/NetSocket.h"
#include "server/core/WorkerThread.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace vantor {

// One accepted HTTP connection: its socket, its receiver thread ("HTTP Socket Receiver")
// and the lock that keeps answers to it whole when several threads write (the receiver,
// a broadcast answering a held poll, the connection monitor).
//
// An answer held in memory must be taken whole by the peer within the send deadline, so
// a client that stops reading holds up another thread (a broadcast) once at most; the
// connection is closed then. Files are sent from the receiver thread itself and are
// bounded by the socket's send timeout per write instead, since a large file may take long.
class CHttpConnection {
public:
    CHttpConnection(CLogger& logger, int32_t id, CNetSocket socket, std::string peerAddress,
                    std::chrono::milliseconds sendDeadline)
        : m_id(id),
          m_socket(std::move(socket)),
          m_thread(logger),
          m_peerAddress(std::move(peerAddress)),
          m_sendDeadline(sendDeadline) {
        NoteAnswer();
    }

    int32_t Id() const { return m_id; }
    CNetSocket& Socket() { return m_socket; }
    CWorkerThread& Thread() { return m_thread; }
    const std::string& PeerAddress() const { return m_peerAddress; }

    // Writes all bytes under the connection's lock. False (and the socket closed, which
    // ends the receiver) when the peer is gone or did not take them in time.
    bool Write(std::string_view bytes);
    // Holds the write lock across several writes (a file sent in chunks).
    std::unique_lock<std::mutex> LockWrites() { return std::unique_lock(m_writeLock); }
    bool WriteLocked(std::string_view bytes);
    // Under LockWrites: `prefix` (a header, may be empty) then `length` bytes of the open
    // file `fd` from `offset`, sent by the system without copying. Closes on failure.
    bool WriteFileLocked(std::string_view prefix, int fd, int64_t offset, int64_t length);

    // When the last answer finished going out (the idle deadline counts from it too).
    std::chrono::steady_clock::time_point LastAnswer() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(m_lastAnswer.load()));
    }

    bool IsClosed() const { return m_closed.load(); }
    void MarkClosed() { m_closed.store(true); }
    // Closes the socket (waking the receiver); idempotent, any thread.
    void Close();

private:
    void NoteAnswer() {
        m_lastAnswer.store(std::chrono::steady_clock::now().time_since_epoch().count());
    }

    const int32_t m_id;
    CNetSocket m_socket;
    CWorkerThread m_thread;
    const std::string m_peerAddress;
    const std::chrono::milliseconds m_sendDeadline;
    std::mutex m_writeLock;
    std::atomic<bool> m_closed{false};
    std::atomic<std::chrono::steady_clock::rep> m_lastAnswer{0};
};

}  // namespace vantor
