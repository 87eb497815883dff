#include "client/link/ConnectWorker.h"

#include <pthread.h>

namespace vantor::client {

namespace {

constexpr std::chrono::milliseconds kNetworkPoll{500};

}  // namespace

ConnectWorker::ConnectWorker(ServerLink& link, ConnectView& view, std::string platform)
    : m_link(link), m_view(view), m_platform(std::move(platform)) {}

ConnectWorker::~ConnectWorker() {
    Cancel();
}

bool ConnectWorker::Start(const std::string& server, bool reconnect) {
    if (m_running.exchange(true)) return false;
    // The worker never takes this lock, so a finished run's thread can be joined under it.
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_thread.joinable()) m_thread.join();
    {
        std::lock_guard<std::mutex> wake(m_mutex);
        m_cancelled = false;
    }
    m_thread = std::thread([this, server, reconnect] { Run(server, reconnect); });
    return true;
}

void ConnectWorker::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
    Join();
}

void ConnectWorker::Join() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_threadMutex);
        if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id()) return;
        thread = std::move(m_thread);
    }
    thread.join();
}

void ConnectWorker::RememberStatus() {
    std::lock_guard<std::mutex> lock(m_statusMutex);
    if (m_statusRemembered) return;
    m_statusRemembered = true;
    m_rememberedStatus = m_view.StatusText();
}

void ConnectWorker::RestoreStatus() {
    std::lock_guard<std::mutex> lock(m_statusMutex);
    if (!m_statusRemembered) return;
    m_statusRemembered = false;
    m_view.SetStatusText(m_rememberedStatus);
}

bool ConnectWorker::Sleep(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_cancelled.load(); });
}

bool ConnectWorker::WaitForNetwork() {
    while (m_networkDown.load()) {
        if (!Sleep(kNetworkPoll)) return false;
    }
    return !m_cancelled.load();
}

void ConnectWorker::Run(std::string server, bool reconnect) {
    ::pthread_setname_np(::pthread_self(), "Connect Worker");
    const bool discover = server.empty();
    if (discover) {
        if (m_view.IsConnectScreenShown()) m_view.SetStatusText(kDiscoveringText);
        std::string found;
        if (WaitForNetwork()) found = m_link.Discover();
        if (m_cancelled.load()) {
            m_running = false;
            return;
        }
        if (found.empty() || found == "0.0.0.0") {
            if (m_view.IsConnectScreenShown()) {
                m_view.SetConnecting(false);
                m_view.SetStatusText(kUnableToDiscoverText);
            }
            m_view.ShowMessage(kAutoDiscoveryFailureText, kAutoDiscoveryFailureTitle);
            m_running = false;
            return;
        }
    }

    if (reconnect) {
        RememberStatus();
        m_view.SetStatusText(kReconnectingText);
    }
    size_t next = 0;
    bool connected = false;
    while (!connected && WaitForNetwork()) {
        std::string target = server;
        if (discover) {
            // Through the servers discovery found, starting again after the last.
            if (next >= m_link.DiscoveredCount()) next = 0;
            target = m_link.DiscoveredServer(next++);
        }
        connected = m_link.Connect(target) == 0;
        // A refused connection fails at once: pause so that retrying costs nothing.
        if (!connected && !Sleep(m_retryPause)) break;
    }
    if (connected) {
        m_view.SetConnecting(false);
        RestoreStatus();
        m_link.SendClientVersion(m_platform);
        m_view.OnConnected();
    }
    m_running = false;
}

}  // namespace vantor::client
