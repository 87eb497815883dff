#include "tests/server/shell/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantor::test {

CLocalHttpServer::CLocalHttpServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(m_listener, 8) == 0 &&
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Loop(); });
}

CLocalHttpServer::~CLocalHttpServer() {
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

void CLocalHttpServer::Serve(const std::string& path, const std::string& body) {
    std::lock_guard lock(m_mutex);
    m_files[path] = body;
}

std::string CLocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> CLocalHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void CLocalHttpServer::Loop() {
    while (!m_stopping) {
        pollfd ready{m_listener, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
        ::close(connection);
    }
}

void CLocalHttpServer::Answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd ready{connection, POLLIN, 0};
        if (::poll(&ready, 1, 2000) <= 0) return;
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, static_cast<size_t>(got));
    }
    const size_t start = request.find(' ') + 1;
    const std::string target = request.substr(start, request.find(' ', start) - start);
    const std::string path = target.substr(0, target.find('?'));
    std::string answer;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(target);
        auto file = m_files.find(path);
        const std::string body = file == m_files.end() ? "not here" : file->second;
        answer = std::string(file == m_files.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                 "\r\nContent-Length: " + std::to_string(body.size()) +
                 "\r\nConnection: close\r\n\r\n" + body;
    }
    size_t sent = 0;
    while (sent < answer.size()) {
        const ssize_t put =
            ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) return;
        sent += static_cast<size_t>(put);
    }
}

}  // namespace vantor::test
