#include "server/core/XmlChannelConnection.h"

#include <sys/socket.h>

#include <cstring>

#include "protocol/Xml.h"
#include "server/core/Logger.h"

namespace vantor {

IConnectionListener::~IConnectionListener() = default;

CXmlChannelConnection::CXmlChannelConnection(CLogger& logger, IConnectionListener& listener)
    : m_logger(logger), m_listener(listener), m_thread(logger) {}

CXmlChannelConnection::~CXmlChannelConnection() {
    Close();
}

void CXmlChannelConnection::Open(uint32_t connectionId, CNetSocket socket,
                                 const std::string& peerAddress, int peerPort,
                                 const CXmlChannelLimits& limits) {
    if (IsInUse()) Close();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_socket = std::move(socket);
    m_peerAddress = peerAddress;
    m_peerPort = peerPort;
    m_limits = limits;
    m_connectionId.store(connectionId);
    m_closing.store(false);
    m_inUse.store(true);
}

int CXmlChannelConnection::StartReceiving() {
    if (m_thread.Start("XML Receiver Thread", [this] { Receive(); }) == 0) return 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing.store(true);
        m_socket.Close();
        m_inUse.store(false);
    }
    m_listener.OnClosed(0, -1, *this);
    return -1;
}

void CXmlChannelConnection::Close() {
    m_closing.store(true);
    ShutdownSocket();
    m_thread.Stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_socket.Close();
    m_inUse.store(false);
}

bool CXmlChannelConnection::BeginClosing() {
    return !m_closing.exchange(true);
}

void CXmlChannelConnection::ShutdownSocket() {
    // Closing the socket wakes the receiver's blocking read and a writer blocked in a send;
    // the descriptor stays reserved until the socket object goes, so no other connection
    // can be handed the same number meanwhile. Safe without the slot lock.
    m_socket.Close();
}

std::string CXmlChannelConnection::LocalAddress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string address = m_socket.LocalAddress();
    if (address.size() > 50) address.resize(50);
    return address;
}

bool CXmlChannelConnection::Write(const std::string& document, int64_t connectionId,
                                  bool fillAddress) {
    // A document for another connection passes by without the lock, which a stalled write
    // to this slot may hold for up to the send deadline.
    if (!m_inUse.load() || m_closing.load()) return false;
    if (connectionId != -1 && connectionId != static_cast<int64_t>(m_connectionId.load()))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_inUse.load() || m_closing.load()) return false;
    if (connectionId != -1 && connectionId != static_cast<int64_t>(m_connectionId.load()))
        return false;
    // Only answers that carry URLs are changed per connection; the rest go out as they are.
    std::string filled;
    if (fillAddress) {
        filled = document;
        std::string local = m_socket.LocalAddress();
        if (local.size() > 50) local.resize(50);
        ReplaceAll(filled, "[0.0.0.0]", local);
    }
    const std::string& bytes = fillAddress ? filled : document;
    const CNetSocket::SendResult sent = m_socket.SendBefore(
        bytes.data(), bytes.size(), std::chrono::steady_clock::now() + m_limits.sendDeadline);
    if (sent == CNetSocket::SendResult::kSent) return true;
    if (sent == CNetSocket::SendResult::kTimedOut) {
        m_logger.LogCritical(
            "ERROR: XML channel connection %u (%s:%d) did not take a document within %lld ms, "
            "closing it.",
            m_connectionId.load(), m_peerAddress.c_str(), m_peerPort,
            static_cast<long long>(m_limits.sendDeadline.count()));
    }
    // The receiver wakes on the closed socket and reports the end with its own connection
    // id, before the slot can be reused, so the removal is announced once and for the
    // right connection.
    m_socket.Close();
    return false;
}

void CXmlChannelConnection::Receive() {
    m_buffer.clear();
    m_scanned = 0;
    if (m_closing.load()) {
        m_inUse.store(false);
        return;
    }
    bool overflow = false;
    bool silent = false;
    m_documents = 0;
    const auto firstDeadline = std::chrono::steady_clock::now() + m_limits.firstDocument;
    while (true) {
        if (m_documents == 0 && !WaitForFirstDocument(firstDeadline)) {
            silent = !m_closing.load();
            break;
        }
        size_t filled = m_buffer.size();
        m_buffer.resize(filled + kReadChunk);
        int got = m_socket.Receive(m_buffer.data() + filled, kReadChunk);
        m_buffer.resize(filled + (got > 0 ? static_cast<size_t>(got) : 0));
        if (got <= 0) break;
        if (!DeliverDocuments()) {
            overflow = true;
            break;
        }
        if (m_closing.load()) break;
    }
    if (silent) {
        m_logger.LogNormal(
            "XML channel connection %u (%s:%d) sent no whole document within %lld s, closing "
            "it.",
            m_connectionId.load(), m_peerAddress.c_str(), m_peerPort,
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::seconds>(m_limits.firstDocument).count()));
    }
    if (overflow) {
        m_logger.LogCritical(
            "ERROR: XML channel connection %u sent more than %zu bytes without a document "
            "end, closing it.",
            m_connectionId.load(), kMaxDocumentBytes);
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    if (BeginClosing()) m_listener.OnClosed(0, -1, *this);
    {
        // Writers check the closing flag under this lock, so none is using the socket.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_socket.Close();
    }
    // Last touch of the slot by this thread: from here on the listener may reuse it.
    m_inUse.store(false);
}

bool CXmlChannelConnection::DeliverDocuments() {
    size_t start = 0;
    while (m_scanned < m_buffer.size()) {
        const char* base = m_buffer.data();
        const void* zero = std::memchr(base + m_scanned, 0, m_buffer.size() - m_scanned);
        if (zero == nullptr) {
            m_scanned = m_buffer.size();
            break;
        }
        size_t end = static_cast<size_t>(static_cast<const char*>(zero) - base);
        m_listener.OnData(base + start, end + 1 - start, *this);
        ++m_documents;
        start = end + 1;
        m_scanned = start;
        if (m_closing.load()) break;
    }
    if (start > 0) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(start));
        m_scanned -= start;
    }
    return m_buffer.size() <= kMaxDocumentBytes;
}

}  // namespace vantor

namespace vantor {

bool CXmlChannelConnection::WaitForFirstDocument(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    // -1 (a closed socket) lets the receive report the end as usual.
    return m_socket.WaitReadable(static_cast<int>(left.count())) != 0;
}

}  // namespace vantor
