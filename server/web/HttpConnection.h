#pragma once

#include "platform/FileDescriptor.h"
#include "platform/NetSocket.h"
#include "server/core/WorkerThread.h"
#include "server/web/HttpRequestReader.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// One accepted HTTP connection: its socket, its receiver thread ("HTTP Socket Receiver")
// and the lock that keeps answers to it whole when several threads write (the receiver,
// a broadcast answering a held poll, the connection monitor).
//
// An answer held in memory must be taken whole by the peer within the send deadline, so
// a client that stops reading holds up another thread (a broadcast) once at most; the
// connection is closed then. Files are sent from the receiver thread itself and are
// bounded by the socket's send timeout per write instead, since a large file may take long.
//
// A connection starts pooled: it has no thread of its own, its socket does not block, and
// the channel's receiver pool serves the answers it can give at once (files). Nothing is
// waited for then: what the peer does not take at once is kept as the pending answer. The
// first request that needs more (a held poll, the player, a stream, a pending answer, a
// deadline) moves the connection to its own receiver thread for the rest of its life.
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

    // What the receiver keeps between reads; one thread at a time (a pool thread while
    // the connection is pooled, then its own).
    struct ReceiveState {
        CHttpRequestReader reader;
        // When the first byte of the request now being received came.
        std::optional<std::chrono::steady_clock::time_point> requestStart;
        std::chrono::steady_clock::time_point lastRequest = std::chrono::steady_clock::now();
        // Left by the pool for the connection's own thread: a request to answer first, or
        // a refusal to give.
        std::optional<CHttpRequest> handedRequest;
        std::optional<CHttpRequestReader::Result> handedRefusal;
    };
    ReceiveState& Receiving() { return m_receive; }

    // Who has the pooled connection: parked (waiting in the pool), a pool thread serving
    // it, or the connection monitor checking its deadlines.
    enum PoolState { kParked, kServing, kChecking };
    bool Claim(PoolState from, PoolState to) {
        int expected = from;
        return m_poolState.compare_exchange_strong(expected, to);
    }
    void Park() { m_poolState.store(kParked); }

    bool IsPooled() const { return m_pooled.load(); }
    // Pooled: the socket stops blocking. Leaving the pool (for good) makes it block again.
    bool SetPooled(bool pooled);
    bool HasPendingAnswer() const { return !m_pending.empty(); }
    // Own thread, under LockWrites: sends what pooled writes left, each part bounded as
    // its write would have been. Closes on failure.
    bool FinishPendingAnswer();

    bool IsClosed() const { return m_closed.load(); }
    void MarkClosed() { m_closed.store(true); }
    // Closes the socket (waking the receiver); idempotent, any thread.
    void Close();

private:
    void NoteAnswer() {
        m_lastAnswer.store(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    // A part of an answer a pooled write could not hand to the system at once: bytes
    // (bounded by the send deadline, or by the socket's timeout when `fileHeader`), or a
    // span of a file.
    struct PendingPart {
        std::string bytes;
        bool fileHeader = false;
        CFileDescriptor file;
        int64_t offset = 0;
        int64_t length = 0;
    };
    bool WritePooled(std::string_view bytes, bool fileHeader);
    bool WriteFilePooled(std::string_view prefix, int fd, int64_t offset, int64_t length);
    void Fail();

    const int32_t m_id;
    CNetSocket m_socket;
    CWorkerThread m_thread;
    const std::string m_peerAddress;
    const std::chrono::milliseconds m_sendDeadline;
    std::mutex m_writeLock;
    std::atomic<bool> m_closed{false};
    std::atomic<std::chrono::steady_clock::rep> m_lastAnswer{0};
    std::atomic<bool> m_pooled{false};
    std::atomic<int> m_poolState{kParked};
    ReceiveState m_receive;
    std::vector<PendingPart> m_pending;  // under m_writeLock
};

}  // namespace vantor
