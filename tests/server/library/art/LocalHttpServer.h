#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor::test {

// A one-thread HTTP/1.0 server on 127.0.0.1 with canned answers by path; records every
// request target it gets. Unknown paths answer 404.
class CLocalHttpServer {
public:
    CLocalHttpServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::listen(m_listen, 8);
        socklen_t len = sizeof(addr);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~CLocalHttpServer() {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_thread.join();
    }

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    void SetAnswer(const std::string& path, std::string body) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers[path] = std::move(body);
    }

    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Serve() {
        while (!m_stop) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) return;
            HandleConnection(fd);
            ::close(fd);
        }
    }

    void HandleConnection(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const size_t targetStart = request.find(' ') + 1;
        const std::string target =
            request.substr(targetStart, request.find(' ', targetStart) - targetStart);
        const std::string path = target.substr(0, target.find('?'));

        std::string answer;
        bool found = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(target);
            auto it = m_answers.find(path);
            if (it != m_answers.end()) {
                answer = it->second;
                found = true;
            }
        }
        std::string reply = found ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n";
        reply += "Content-Length: " + std::to_string(answer.size()) + "\r\n\r\n" + answer;
        size_t sent = 0;
        while (sent < reply.size()) {
            const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_answers;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

}  // namespace vantor::test
