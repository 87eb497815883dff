#include "tests/integration/WebHttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vantor::test {

int CHttpAnswer::Status() const {
    size_t space = statusLine.find(' ');
    return space == std::string::npos ? 0 : std::atoi(statusLine.c_str() + space + 1);
}

std::optional<std::string> CHttpAnswer::Header(std::string_view name) const {
    std::string key = "\r\n" + std::string(name) + ": ";
    size_t at = header.find(key);
    if (at == std::string::npos) return std::nullopt;
    at += key.size();
    return header.substr(at, header.find("\r\n", at) - at);
}

CWebHttpClient::~CWebHttpClient() {
    Close();
}

bool CWebHttpClient::Connect(int port) {
    Close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    m_port = port;
    return true;
}

void CWebHttpClient::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
}

bool CWebHttpClient::SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

bool CWebHttpClient::SendGet(const std::string& target, const std::string& extraHeaders) {
    return SendRaw("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(m_port) +
                   "\r\n" + extraHeaders + "\r\n");
}

bool CWebHttpClient::Fill(int timeoutMs) {
    pollfd entry{m_fd, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0) return false;
    char buffer[65536];
    ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    m_pending.append(buffer, static_cast<size_t>(got));
    return true;
}

std::optional<CHttpAnswer> CWebHttpClient::Read(int timeoutMs, int64_t* skipped) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto left = [&] {
        return static_cast<int>(
            std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                     deadline - std::chrono::steady_clock::now())
                                     .count()));
    };
    size_t end;
    while ((end = m_pending.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill(left())) return std::nullopt;
    }
    CHttpAnswer answer;
    answer.header = m_pending.substr(0, end + 4);
    answer.statusLine = answer.header.substr(0, answer.header.find("\r\n"));
    m_pending.erase(0, end + 4);
    int64_t length = 0;
    if (auto value = answer.Header("Content-Length")) length = std::atoll(value->c_str());
    if (skipped) {
        // Count the body without keeping it (large files).
        *skipped = 0;
        while (*skipped + static_cast<int64_t>(m_pending.size()) < length) {
            *skipped += static_cast<int64_t>(m_pending.size());
            m_pending.clear();
            if (!Fill(left())) return std::nullopt;
        }
        size_t rest = static_cast<size_t>(length - *skipped);
        answer.body = m_pending.substr(0, rest);
        m_pending.erase(0, rest);
        *skipped += static_cast<int64_t>(rest);
        return answer;
    }
    while (static_cast<int64_t>(m_pending.size()) < length) {
        if (!Fill(left())) return std::nullopt;
    }
    answer.body = m_pending.substr(0, static_cast<size_t>(length));
    m_pending.erase(0, static_cast<size_t>(length));
    return answer;
}

std::optional<std::string> CWebHttpClient::ReadHeader(int timeoutMs) {
    size_t end;
    while ((end = m_pending.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill(timeoutMs)) return std::nullopt;
    }
    std::string header = m_pending.substr(0, end + 4);
    m_pending.erase(0, end + 4);
    return header;
}

bool CWebHttpClient::WaitForClose(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd entry{m_fd, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0) continue;
        ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0) return true;
    }
    return false;
}

std::optional<CHttpAnswer> HttpGet(int port, const std::string& target,
                                   const std::string& extraHeaders, int timeoutMs) {
    CWebHttpClient client;
    if (!client.Connect(port) || !client.SendGet(target, extraHeaders)) return std::nullopt;
    return client.Read(timeoutMs);
}

bool WaitForFirstLibraryUpdate(int port, int timeoutMs) {
    // BrowseLibraryRequest for "\", percent-encoded for the bridge.
    const std::string target =
        "/xml?m=%3CBrowseLibraryRequest%3E%3CrequestId%3E1%3C/requestId%3E"
        "%3Cpath%3E%5C%3C/path%3E%3C/BrowseLibraryRequest%3E";
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        auto answer = HttpGet(port, target);
        if (answer && answer->body.find("<returnCode>21</returnCode>") == std::string::npos &&
            answer->body.find("<BrowseLibraryResponse>") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace vantor::test
