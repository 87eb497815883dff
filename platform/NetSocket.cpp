#include "platform/NetSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace vantor {

namespace {

bool MakeAddress(const std::string& address, int port, sockaddr_in& out) {
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<uint16_t>(port));
    if (address.empty()) {
        out.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return ::inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &address.sin_addr, text, sizeof(text))) return "";
    return text;
}

bool SetTimeout(int fd, int option, int milliseconds) {
    timeval value{};
    value.tv_sec = milliseconds / 1000;
    value.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
    return ::setsockopt(fd, SOL_SOCKET, option, &value, sizeof(value)) == 0;
}

}  // namespace

CNetSocket::~CNetSocket() {
    Release();
}

CNetSocket::CNetSocket(CNetSocket&& other) noexcept
    : m_fd(other.m_fd.exchange(-1)), m_shutFd(other.m_shutFd.exchange(-1)) {}

CNetSocket& CNetSocket::operator=(CNetSocket&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = other.m_fd.exchange(-1);
        m_shutFd = other.m_shutFd.exchange(-1);
    }
    return *this;
}

void CNetSocket::Release() {
    Close();
    const int fd = m_shutFd.exchange(-1);
    if (fd >= 0) ::close(fd);
}

bool CNetSocket::Create(int type, int port, const std::string& address, bool reuseAddress) {
    Release();
    sockaddr_in local{};
    if (!MakeAddress(address, port, local)) return false;
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int on = 1;
    if (reuseAddress) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    if (type == SOCK_DGRAM) ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        const int reason = errno;  // the caller reports why the port could not be had
        ::close(fd);
        errno = reason;
        return false;
    }
    m_fd = fd;
    return true;
}

bool CNetSocket::CreateTcp(int port, const std::string& address, bool reuseAddress) {
    return Create(SOCK_STREAM, port, address, reuseAddress);
}

bool CNetSocket::CreateUdp(int port, const std::string& address) {
    return Create(SOCK_DGRAM, port, address, true);
}

bool CNetSocket::Listen() {
    // The kernel caps the backlog at its own maximum (somaxconn).
    return ::listen(m_fd.load(), INT_MAX) == 0 || ::listen(m_fd.load(), SOMAXCONN) == 0;
}

CNetSocket CNetSocket::Accept(std::string* peerAddress, int* peerPort) {
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    int fd = -1;
    do {
        fd = ::accept4(m_fd.load(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR && IsValid());
    if (fd < 0) return {};
    if (peerAddress) *peerAddress = AddressText(peer);
    if (peerPort) *peerPort = ntohs(peer.sin_port);
    return CNetSocket(fd);
}

bool CNetSocket::Connect(const std::string& address, int port, int timeoutMs) {
    Release();
    sockaddr_in remote{};
    if (!MakeAddress(address, port, remote)) return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool bounded = timeoutMs > 0;
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (bounded) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof(remote));
    if (result != 0 && (errno == EINTR || (bounded && errno == EINPROGRESS))) {
        // The attempt goes on in the background: wait until it ends, within the limit.
        pollfd wait{fd, POLLOUT, 0};
        int ready = 0;
        do {
            ready = ::poll(&wait, 1, bounded ? timeoutMs : -1);
        } while (ready < 0 && errno == EINTR);
        int error = ETIMEDOUT;
        socklen_t length = sizeof(error);
        if (ready > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        result = error == 0 ? 0 : -1;
    }
    if (bounded) ::fcntl(fd, F_SETFL, flags);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

int CNetSocket::Receive(void* buffer, size_t length) {
    ssize_t received = 0;
    do {
        received = ::recv(m_fd.load(), buffer, length, 0);
    } while (received < 0 && errno == EINTR);
    return received < 0 ? -1 : static_cast<int>(received);
}

int CNetSocket::Send(const void* data, size_t length) {
    return Send(data, length, false);
}

int CNetSocket::Send(const void* data, size_t length, bool more) {
    const auto* bytes = static_cast<const char*>(data);
    const int flags = MSG_NOSIGNAL | (more ? MSG_MORE : 0);
    size_t done = 0;
    while (done < length) {
        const ssize_t sent = ::send(m_fd.load(), bytes + done, length - done, flags);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return -1;
        done += static_cast<size_t>(sent);
    }
    return static_cast<int>(done);
}

CNetSocket::SendResult CNetSocket::SendBefore(const void* data, size_t length,
                                              std::chrono::steady_clock::time_point deadline) {
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < length) {
        const ssize_t sent =
            ::send(m_fd.load(), bytes + done, length - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            done += static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return SendResult::kFailed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return SendResult::kTimedOut;
        pollfd wait{m_fd.load(), POLLOUT, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left.count(), INT_MAX)));
        if (ready < 0 && errno != EINTR) return SendResult::kFailed;
        if (ready > 0 && (wait.revents & (POLLERR | POLLHUP | POLLNVAL))) return SendResult::kFailed;
    }
    return SendResult::kSent;
}

int CNetSocket::WaitReadable(int milliseconds) {
    const int fd = m_fd.load();
    if (fd < 0) return -1;
    pollfd wait{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&wait, 1, milliseconds < 0 ? -1 : milliseconds);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0 || (ready > 0 && (wait.revents & POLLNVAL))) return -1;
    // POLLHUP and POLLERR count as readable: the next Receive reports the end.
    return ready > 0 ? 1 : 0;
}

bool CNetSocket::SendFileBytes(int fd, int64_t offset, int64_t length) {
    // One call moves at most this much; larger spans loop.
    constexpr int64_t kMaxPerCall = 1 << 30;
    off_t position = static_cast<off_t>(offset);
    int64_t left = length;
    while (left > 0) {
        const ssize_t sent = ::sendfile(m_fd.load(), fd, &position,
                                        static_cast<size_t>(std::min(left, kMaxPerCall)));
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;  // a failed connection, or the file ended early
        left -= sent;
    }
    return true;
}

int CNetSocket::SendTo(const void* data, size_t length, const std::string& address, int port) {
    sockaddr_in remote{};
    if (!MakeAddress(address, port, remote)) return -1;
    const ssize_t sent = ::sendto(m_fd.load(), data, length, MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&remote), sizeof(remote));
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int CNetSocket::ReceiveFrom(void* buffer, size_t length, std::string* address, int* port) {
    sockaddr_in peer{};
    socklen_t peerLength = sizeof(peer);
    ssize_t received = 0;
    do {
        received = ::recvfrom(m_fd.load(), buffer, length, 0, reinterpret_cast<sockaddr*>(&peer),
                              &peerLength);
    } while (received < 0 && errno == EINTR);
    if (received < 0) return -1;
    if (address) *address = AddressText(peer);
    if (port) *port = ntohs(peer.sin_port);
    return static_cast<int>(received);
}

bool CNetSocket::SetSendTimeout(int milliseconds) {
    return SetTimeout(m_fd.load(), SO_SNDTIMEO, milliseconds);
}

bool CNetSocket::SetReceiveTimeout(int milliseconds) {
    return SetTimeout(m_fd.load(), SO_RCVTIMEO, milliseconds);
}

void CNetSocket::ShutdownSend() {
    const int fd = m_fd.load();
    if (fd >= 0) ::shutdown(fd, SHUT_WR);
}

void CNetSocket::Close() {
    const int fd = m_fd.exchange(-1);
    if (fd < 0) return;
    // shutdown wakes a thread blocked in accept or recv on this socket; close alone
    // would leave it blocked. The descriptor itself stays reserved until Release.
    ::shutdown(fd, SHUT_RDWR);
    const int previous = m_shutFd.exchange(fd);
    if (previous >= 0) ::close(previous);
}

std::string CNetSocket::PeerAddress() const {
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    if (::getpeername(m_fd.load(), reinterpret_cast<sockaddr*>(&peer), &length) != 0) return "";
    return AddressText(peer);
}

int CNetSocket::PeerPort() const {
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    if (::getpeername(m_fd.load(), reinterpret_cast<sockaddr*>(&peer), &length) != 0) return -1;
    return ntohs(peer.sin_port);
}

std::string CNetSocket::LocalAddress() const {
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    if (::getsockname(m_fd.load(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return "";
    return AddressText(local);
}

int CNetSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    if (::getsockname(m_fd.load(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return -1;
    return ntohs(local.sin_port);
}

}  // namespace vantor
