#pragma once

// Keeps a link connected, as the main window does: it runs the connect worker, reconnects
// when the connection is lost (unless the connect screen is shown), waits while the network
// is down and reconnects 2000 ms after it comes back.
//
// The reactions run through `post`, which a window layer makes run them on its own thread
// (a program without one passes a function that runs them at once). The keeper's own
// threads are the network monitor and the reconnect timer.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "client/link/ConnectView.h"
#include "client/link/ConnectWorker.h"
#include "client/link/NetworkMonitor.h"
#include "client/link/ServerLink.h"

namespace vantor::client {

class ConnectionKeeper {
public:
    using Post = std::function<void(std::function<void()>)>;

    // `monitor` may be null: then the network is taken to be up.
    ConnectionKeeper(ServerLink& link, ConnectView& view, std::string platform, Post post,
                     std::unique_ptr<NetworkMonitor> monitor = nullptr);
    ~ConnectionKeeper();
    ConnectionKeeper(const ConnectionKeeper&) = delete;
    ConnectionKeeper& operator=(const ConnectionKeeper&) = delete;

    // Connects to `server` ("" finds one) and keeps the link connected from then on.
    void Start(const std::string& server);
    // Keeps an already connected link connected to `server`, without connecting now.
    void Keep(const std::string& server);
    // Cancels a running worker and stops reconnecting (the client exits or disconnects).
    void Stop();

    // The listener's "connection lost": unless the connect screen is shown, a reconnect.
    void OnConnectionLost();
    // The reconnect notice (on the window's thread).
    void Reconnect();
    void OnNetworkDown();
    void OnNetworkUp();

    ConnectWorker& Worker() { return m_worker; }
    // The wait before reconnecting after the network came back (2000 ms).
    void SetReconnectDelay(std::chrono::milliseconds delay) { m_reconnectDelay = delay; }

private:
    void StartTimer();
    void StopTimer();

    ServerLink& m_link;
    ConnectView& m_view;
    Post m_post;
    ConnectWorker m_worker;
    std::unique_ptr<NetworkMonitor> m_monitor;
    std::chrono::milliseconds m_reconnectDelay{2000};

    std::mutex m_mutex;
    std::string m_server;
    bool m_exiting = false;

    std::condition_variable m_timerWake;
    uint64_t m_timerGeneration = 0;  // a new number cancels the pending timer
    std::thread m_timer;
};

}  // namespace vantor::client
