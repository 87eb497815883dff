#include "client/link/ConnectionKeeper.h"

#include <pthread.h>

namespace vantor::client {

ConnectionKeeper::ConnectionKeeper(ServerLink& link, ConnectView& view, std::string platform,
                                   Post post, std::unique_ptr<NetworkMonitor> monitor)
    : m_link(link),
      m_view(view),
      m_post(std::move(post)),
      m_worker(link, view, std::move(platform)),
      m_monitor(std::move(monitor)) {}

ConnectionKeeper::~ConnectionKeeper() {
    Stop();
}

void ConnectionKeeper::Start(const std::string& server) {
    Keep(server);
    m_view.SetConnecting(true);
    m_worker.Start(server, false);
}

void ConnectionKeeper::Keep(const std::string& server) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_server = server;
        m_exiting = false;
    }
    if (m_monitor) {
        m_monitor->Start(
            [this](bool up) { m_post([this, up] { up ? OnNetworkUp() : OnNetworkDown(); }); });
    }
}

void ConnectionKeeper::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_exiting = true;
    }
    StopTimer();
    if (m_monitor) m_monitor->Stop();
    m_worker.Cancel();
}

void ConnectionKeeper::OnConnectionLost() {
    if (m_view.IsConnectScreenShown()) return;
    m_post([this] { Reconnect(); });
}

void ConnectionKeeper::Reconnect() {
    std::string server;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_exiting) return;
        server = m_server;
    }
    if (m_worker.IsRunning()) return;
    StopTimer();
    m_view.ShowMainScreenIfAway();
    m_view.SetConnecting(true);
    m_worker.Start(server, true);
}

void ConnectionKeeper::OnNetworkDown() {
    m_worker.SetNetworkDown(true);
    StopTimer();
    m_worker.RememberStatus();
    m_view.SetStatusText(kNetworkDisconnectedText);
}

void ConnectionKeeper::OnNetworkUp() {
    m_worker.SetNetworkDown(false);
    // The remembered status comes back once the worker has reconnected.
    StartTimer();
}

void ConnectionKeeper::StartTimer() {
    StopTimer();
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t generation = ++m_timerGeneration;
    m_timer = std::thread([this, generation] {
        ::pthread_setname_np(::pthread_self(), "Reconnect Timer");
        std::unique_lock<std::mutex> wait(m_mutex);
        const bool cancelled = m_timerWake.wait_for(
            wait, m_reconnectDelay, [&] { return m_timerGeneration != generation || m_exiting; });
        wait.unlock();
        if (!cancelled && !m_view.IsConnectScreenShown()) m_post([this] { Reconnect(); });
    });
}

void ConnectionKeeper::StopTimer() {
    std::thread timer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_timerGeneration;
        timer = std::move(m_timer);
    }
    m_timerWake.notify_all();
    if (timer.joinable() && timer.get_id() != std::this_thread::get_id())
        timer.join();
    else if (timer.joinable())
        timer.detach();
}

}  // namespace vantor::client
