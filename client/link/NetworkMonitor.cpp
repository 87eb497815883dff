#include "client/link/NetworkMonitor.h"

#include <pthread.h>

#include "platform/HostAddresses.h"

namespace vantor::client {

NetworkMonitor::NetworkMonitor(AddressSource firstAddress, std::chrono::milliseconds period)
    : m_firstAddress(std::move(firstAddress)), m_period(period) {
    if (!m_firstAddress) {
        m_firstAddress = [] {
            const std::vector<std::string> addresses = GetHostIPv4Addresses();
            return addresses.empty() ? std::string() : addresses.front();
        };
    }
}

NetworkMonitor::~NetworkMonitor() {
    Stop();
}

void NetworkMonitor::Start(std::function<void(bool up)> onChange) {
    Stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = false;
        m_onChange = std::move(onChange);
    }
    m_thread = std::thread([this] { Run(); });
}

void NetworkMonitor::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool NetworkMonitor::IsDown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_down;
}

void NetworkMonitor::Run() {
    ::pthread_setname_np(::pthread_self(), "Network Monitor");
    std::string last;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        const std::string address = m_firstAddress();
        lock.lock();
        if (address != last) {
            last = address;
            const bool gone = address.empty() || address == "127.0.0.1" || address == "0.0.0.0";
            if (gone != m_down) {
                m_down = gone;
                const auto onChange = m_onChange;
                lock.unlock();
                if (onChange) onChange(!gone);
                lock.lock();
            }
        }
        m_wake.wait_for(lock, m_period, [this] { return m_stop; });
    }
}

}  // namespace vantor::client
