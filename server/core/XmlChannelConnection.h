#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/NetSocket.h"
#include "server/core/WorkerThread.h"

namespace vantor {

class CLogger;
class CXmlChannelConnection;

// What a connection reports to. Both calls come on the connection's receiver thread.
class IConnectionListener {
public:
    virtual ~IConnectionListener();
    // One whole document: `length` bytes, the last of which is the terminating zero byte.
    virtual void OnData(const char* bytes, size_t length, CXmlChannelConnection& connection) = 0;
    // The connection ended; `flag` 0 asks the listener to report the removal.
    virtual void OnClosed(int flag, int reason, CXmlChannelConnection& connection) = 0;
};

// What one peer may hold of the channel. A client that stops reading is cut off when a
// whole document cannot be written within sendDeadline, so it holds up a writer (and with
// it a broadcast) once at most; a connection that has not completed its first document
// within firstDocument is closed, so silent connections cannot keep the slots.
struct CXmlChannelLimits {
    std::chrono::milliseconds sendDeadline{2000};
    std::chrono::milliseconds firstDocument{30000};
};

// One slot of the XML channel: a client socket and its receiver thread ("XML Receiver
// Thread"), which cuts the byte stream into zero-terminated documents. The slot is in use
// while its receiver thread runs. Writing and reusing the slot are serialised by the slot's
// lock, so a document is never written to a socket that a new connection has taken over;
// a write meant for another connection never takes this slot's lock.
class CXmlChannelConnection {
public:
    // A document that grows past this many bytes without its zero byte closes the
    // connection (a runaway peer must not exhaust memory).
    static constexpr size_t kMaxDocumentBytes = 1024 * 1024;
    static constexpr size_t kReadChunk = 1000;

    CXmlChannelConnection(CLogger& logger, IConnectionListener& listener);
    ~CXmlChannelConnection();
    CXmlChannelConnection(const CXmlChannelConnection&) = delete;
    CXmlChannelConnection& operator=(const CXmlChannelConnection&) = delete;

    // Takes over the accepted socket of the peer under a new connection id; from now on
    // documents can be written to it, so that what the server announces while it takes
    // note of the new connection already reaches it. A connection still running in the
    // slot is closed first. Listener thread.
    void Open(uint32_t connectionId, CNetSocket socket, const std::string& peerAddress,
              int peerPort, const CXmlChannelLimits& limits);
    // Starts the receiver thread of an opened slot. 0, or -1 when the thread does not start:
    // the socket is then closed and OnClosed reported. Listener thread.
    int StartReceiving();
    // Sets the closing flag, closes the socket and waits for the receiver thread. No
    // OnClosed is reported. Must not be called on this connection's receiver thread.
    void Close();

    bool IsInUse() const { return m_inUse.load(); }
    uint32_t ConnectionId() const { return m_connectionId.load(); }

    // Writes `document` (which ends with its zero byte) when the slot is in use and,
    // unless `connectionId` is -1, belongs to that id. "[0.0.0.0]" is replaced by the local
    // address the client reached when `fillAddress` is set. Any thread. A failed write
    // closes the connection (its receiver then reports OnClosed), and so does a document
    // not taken whole within the send deadline (logged with the peer's address). Returns
    // false when nothing was written.
    bool Write(const std::string& document, int64_t connectionId, bool fillAddress);

    // Dotted address of the socket's own end (at most 50 characters).
    std::string LocalAddress() const;

private:
    void Receive();
    // Hands every complete document in m_buffer to the listener; false when the buffer
    // holds more than kMaxDocumentBytes without a zero byte.
    bool DeliverDocuments();
    // Until the first document is complete, waits for data no longer than the first
    // document's deadline allows; false when that time is up.
    bool WaitForFirstDocument(std::chrono::steady_clock::time_point deadline);
    // True for the one caller that moves the connection to closing first.
    bool BeginClosing();
    void ShutdownSocket();

    CLogger& m_logger;
    IConnectionListener& m_listener;
    CWorkerThread m_thread;
    mutable std::mutex m_mutex;  // serialises writes with each other and with reuse
    CNetSocket m_socket;
    std::atomic<uint32_t> m_connectionId{0};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_inUse{false};
    std::string m_peerAddress;  // set by Start before the receiver runs
    int m_peerPort = 0;
    CXmlChannelLimits m_limits;
    std::vector<char> m_buffer;  // receiver thread only
    uint64_t m_documents = 0;    // receiver thread only
    size_t m_scanned = 0;        // bytes of m_buffer already searched for the zero byte
};

}  // namespace vantor
