#pragma once

// Watches the machine's network address: every period (1000 ms) it takes the first address
// of the host. When that changes to "127.0.0.1" or "0.0.0.0" (or none) the network is
// marked down and reported; when it changes back to a real address, up. Runs on its own
// thread ("Network Monitor").

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantor::client {

class NetworkMonitor {
public:
    using AddressSource = std::function<std::string()>;

    // `firstAddress`: the host's first IPv4 address by default.
    explicit NetworkMonitor(AddressSource firstAddress = {},
                            std::chrono::milliseconds period = std::chrono::milliseconds(1000));
    ~NetworkMonitor();
    NetworkMonitor(const NetworkMonitor&) = delete;
    NetworkMonitor& operator=(const NetworkMonitor&) = delete;

    // `onChange(false)` when the network goes down, `onChange(true)` when it comes back;
    // called on the monitor's thread.
    void Start(std::function<void(bool up)> onChange);
    void Stop();
    bool IsDown() const;

private:
    void Run();

    AddressSource m_firstAddress;
    std::chrono::milliseconds m_period;
    std::function<void(bool)> m_onChange;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_down = false;
    std::thread m_thread;
};

}  // namespace vantor::client
