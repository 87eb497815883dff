#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace vantor {

namespace {

const char kShowRequest[] = "SHOW\n";
const char kShowAnswer[] = "OK\n";
const int kAskAttempts = 20;
const auto kAskRetryDelay = std::chrono::milliseconds(50);

bool MakeLocalAddress(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads until `expected` arrived or the peer stops sending.
bool ReadExactly(CNetSocket& socket, const char* expected) {
    const size_t length = std::strlen(expected);
    std::string received;
    char buffer[16];
    while (received.size() < length) {
        const int count = socket.Receive(buffer, sizeof(buffer));
        if (count <= 0) return false;
        received.append(buffer, static_cast<size_t>(count));
    }
    return received.compare(0, length, expected) == 0;
}

}  // namespace

CInstanceLock::~CInstanceLock() {
    Release();
}

CInstanceLock::Result CInstanceLock::Acquire(const std::string& folder) {
    Release();
    m_released = false;
    const std::string lockPath = folder + "Orvex.lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Result::kError;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Result::kOtherRunning;
    }
    m_lockFd = fd;

    // Holding the lock, any socket file left here belongs to a run that ended.
    sockaddr_un address{};
    const std::string socketPath = folder + "Orvex.sock";
    if (!MakeLocalAddress(socketPath, address)) return Result::kAcquired;
    ::unlink(socketPath.c_str());
    const int listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0) return Result::kAcquired;
    CNetSocket listener(listenFd);
    if (::bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listenFd, 8) != 0) {
        return Result::kAcquired;
    }
    m_socketPath = socketPath;
    m_listener = std::move(listener);
    return Result::kAcquired;
}

bool CInstanceLock::AskToShow(const std::string& folder) {
    sockaddr_un address{};
    if (!MakeLocalAddress(folder + "Orvex.sock", address)) return false;
    for (int attempt = 0; attempt < kAskAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kAskRetryDelay);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        CNetSocket socket(fd);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            continue;  // the first instance may not be listening yet
        }
        socket.SetReceiveTimeout(2000);
        return socket.Send(kShowRequest, std::strlen(kShowRequest)) > 0 &&
               ReadExactly(socket, kShowAnswer);
    }
    return false;
}

bool CInstanceLock::WaitForShowRequest() {
    while (!m_released) {
        CNetSocket connection = m_listener.Accept();
        if (!connection.IsValid()) return false;
        connection.SetReceiveTimeout(2000);
        if (ReadExactly(connection, kShowRequest)) {
            connection.Send(kShowAnswer, std::strlen(kShowAnswer));
            return !m_released;
        }
    }
    return false;
}

void CInstanceLock::Release() {
    m_released = true;
    m_listener.Close();
    if (!m_socketPath.empty()) {
        ::unlink(m_socketPath.c_str());
        m_socketPath.clear();
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);  // drops the flock
        m_lockFd = -1;
    }
}

}  // namespace vantor
