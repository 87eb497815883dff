#include "tests/client/link/LinkTestSupport.h"

#include <poll.h>

#include <algorithm>

namespace vantor::test {

bool ChangedThenStill(const std::function<uint64_t()>& look, uint64_t before, int timeoutMs) {
    uint64_t now = 0;
    if (!WaitUntil([&] { return (now = look()) != before; }, timeoutMs)) return false;
    return WaitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            const uint64_t next = look();
            const bool still = next == now;
            now = next;
            return still;
        },
        timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void RecordingListener::Add(const std::string& call) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }
    m_changed.notify_all();
}

std::vector<std::string> RecordingListener::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

void RecordingListener::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

bool RecordingListener::Has(const std::string& call) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
}

bool RecordingListener::WaitFor(const std::string& call, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
    });
}

std::string RecordingView::StatusText() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

void RecordingView::SetStatusText(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status = text;
    m_events.push_back("status " + text);
}

void RecordingView::SetConnecting(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(on ? "connecting on" : "connecting off");
}

void RecordingView::ShowMessage(const std::string& text, const std::string& title) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back("message " + title + ": " + text);
}

void RecordingView::OnConnected() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_connections;
    m_events.push_back("connected");
}

std::vector<std::string> RecordingView::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

int RecordingView::Connections() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

StandInServer::StandInServer() {
    if (m_listener.CreateTcp(0, "127.0.0.1") && m_listener.Listen())
        m_port = m_listener.LocalPort();
}

StandInServer::~StandInServer() {
    m_client.Close();
    m_listener.Close();
    if (m_reader.joinable()) m_reader.join();
}

bool StandInServer::Accept(int timeoutMs) {
    pollfd wait{m_listener.Descriptor(), POLLIN, 0};
    if (::poll(&wait, 1, timeoutMs) <= 0) return false;
    m_client = m_listener.Accept();
    if (!m_client.IsValid()) return false;
    m_reader = std::thread([this] {
        std::string pending;
        char chunk[4096];
        while (true) {
            const int got = m_client.Receive(chunk, sizeof chunk);
            if (got <= 0) return;
            pending.append(chunk, static_cast<size_t>(got));
            size_t zero = 0;
            while ((zero = pending.find('\0')) != std::string::npos) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_documents.push_back(pending.substr(0, zero));
                }
                m_changed.notify_all();
                pending.erase(0, zero + 1);
            }
        }
    });
    return true;
}

bool StandInServer::Send(const std::string& bytes) {
    return m_client.Send(bytes) == static_cast<int>(bytes.size());
}

std::vector<std::string> StandInServer::Documents() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_documents;
}

bool StandInServer::WaitForDocuments(size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_documents.size() >= count; });
}

}  // namespace vantor::test
