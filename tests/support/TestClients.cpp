#include "tests/support/TestClients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;

bool FillAddress(sockaddr_in& addr, const std::string& host, int port) {
    addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return ::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) == 1;
}

// Milliseconds left until the deadline, never negative.
int Remaining(Clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the descriptor to become readable; false on timeout.
bool WaitReadable(int fd, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    while (true) {
        int rc = ::poll(&pfd, 1, timeoutMs);
        if (rc > 0) return true;
        if (rc == 0) return false;
        if (errno != EINTR) return false;
    }
}

}  // namespace

CXmlTestClient::~CXmlTestClient() {
    Close();
}

CXmlTestClient::CXmlTestClient(CXmlTestClient&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_pending(std::move(other.m_pending)) {}

CXmlTestClient& CXmlTestClient::operator=(CXmlTestClient&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_pending = std::move(other.m_pending);
    }
    return *this;
}

bool CXmlTestClient::Connect(int port, const std::string& host, int receiveBuffer) {
    Close();
    sockaddr_in addr{};
    if (!FillAddress(addr, host, port)) return false;
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return false;
    // Every write leaves at once, so a document split over several writes arrives split.
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (receiveBuffer > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    return true;
}

void CXmlTestClient::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
}

bool CXmlTestClient::SendRaw(std::string_view bytes) {
    if (m_fd < 0) return false;
    while (!bytes.empty()) {
        ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

bool CXmlTestClient::SendDocument(std::string_view doc) {
    std::string bytes(doc);
    bytes.push_back('\0');
    return SendRaw(bytes);
}

std::optional<std::string> CXmlTestClient::ReadDocument(int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        size_t end = m_pending.find('\0');
        if (end != std::string::npos) {
            std::string doc = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return doc;
        }
        if (m_fd < 0 || !WaitReadable(m_fd, Remaining(deadline))) return std::nullopt;
        char buffer[4096];
        ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::nullopt;
        m_pending.append(buffer, static_cast<size_t>(got));
    }
}

bool CXmlTestClient::WaitForClose(int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_fd >= 0) {
        if (!WaitReadable(m_fd, Remaining(deadline))) return false;
        char buffer[4096];
        ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return true;
        m_pending.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

CUdpTestClient::CUdpTestClient() {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    FillAddress(addr, "127.0.0.1", 0);
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CUdpTestClient::~CUdpTestClient() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CUdpTestClient::SendTo(int port, std::string_view bytes, const std::string& host) {
    sockaddr_in addr{};
    if (m_fd < 0 || !FillAddress(addr, host, port)) return false;
    ssize_t sent = ::sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr),
                            sizeof addr);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<std::string> CUdpTestClient::Receive(int timeoutMs, int* fromPort) {
    if (m_fd < 0 || !WaitReadable(m_fd, timeoutMs)) return std::nullopt;
    char buffer[65536];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    ssize_t got =
        ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (got < 0) return std::nullopt;
    if (fromPort != nullptr) *fromPort = ntohs(from.sin_port);
    return std::string(buffer, static_cast<size_t>(got));
}

int CUdpTestClient::LocalPort() const {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
    return ntohs(addr.sin_port);
}

}  // namespace vantor::test
