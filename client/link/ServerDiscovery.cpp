#include "client/link/ServerDiscovery.h"

#include <arpa/inet.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "client/link/DnsSdServers.h"
#include "client/link/ServerAddress.h"
#include "platform/HostAddresses.h"
#include "platform/NetSocket.h"

namespace vantor::client {

namespace {

constexpr char kRequest[] = {0x01, 0x00, static_cast<char>(0xFF)};
constexpr size_t kReplyBytes = 1000;
constexpr char kWholeNetwork[] = "255.255.255.255";

bool IsDottedQuad(const std::string& text) {
    in_addr address{};
    return ::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// Runs `attempt` on its own thread for at most `waitMs`, then makes it return by closing
// its socket and waits for it to end. True when the attempt reported a find.
bool RunAttempt(const char* name, CNetSocket& socket, int waitMs,
                const std::function<bool()>& attempt) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::atomic<bool> found{false};
    std::thread worker([&] {
        ::pthread_setname_np(::pthread_self(), name);
        const bool result = attempt();
        std::lock_guard<std::mutex> lock(mutex);
        found = result;
        finished = true;
        done.notify_all();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return finished; });
    }
    socket.Close();  // ends a receive still waiting
    worker.join();
    return found.load();
}

}  // namespace

std::string ServerDiscovery::Run(const DiscoveryOptions& options) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_servers.clear();
    }
    auto dnsSd = options.dnsSd;
    if (!dnsSd && options.broadcastAddress == kWholeNetwork) dnsSd = FindServersByDnsSd;
    std::vector<std::string> announced;
    std::thread browse;
    if (dnsSd) {
        browse = std::thread([&] {
            ::pthread_setname_np(::pthread_self(), "DNS-SD Discovery");
            announced = dnsSd(options.attemptWaitMs, options.connectionPort);
        });
    }
    const std::vector<std::string> local =
        options.localAddresses ? options.localAddresses() : GetHostIPv4Addresses();
    for (const std::string& address : local) {
        if (BroadcastAttempt(options, address)) break;
        if (!options.cradleHost.empty() && CradleAttempt(options)) break;
    }
    if (browse.joinable()) browse.join();
    for (const std::string& server : announced) Add(server);
    return Item(0);
}

bool ServerDiscovery::BroadcastAttempt(const DiscoveryOptions& options,
                                       const std::string& localAddress) {
    CNetSocket socket;
    if (!socket.CreateUdp(0, localAddress)) return false;
    return RunAttempt("Discovery", socket, options.attemptWaitMs, [&] {
        if (socket.SendTo(kRequest, sizeof kRequest, options.broadcastAddress, options.port) < 0)
            return false;
        // Anything that is not a reply is passed over; the attempt ends with its socket.
        while (true) {
            std::string datagram(kReplyBytes, '\0');
            std::string sender;
            const int got = socket.ReceiveFrom(datagram.data(), datagram.size(), &sender);
            if (got < 0 || !socket.IsValid()) return false;
            datagram.resize(static_cast<size_t>(got));
            if (TakeReply(sender, datagram)) return true;
        }
    });
}

bool ServerDiscovery::CradleAttempt(const DiscoveryOptions& options) {
    CNetSocket socket;
    return RunAttempt("Cradle Discovery", socket, options.attemptWaitMs, [&] {
        const std::string address = ResolveHostAddress(options.cradleHost, options.diagnostics);
        if (address.empty()) return false;
        if (!socket.Connect(address, options.connectionPort, options.attemptWaitMs)) return false;
        socket.Close();
        Add(address);
        return true;
    });
}

bool ServerDiscovery::TakeReply(const std::string& sender, const std::string& datagram) {
    if (datagram.size() < 2 || datagram[0] != 0x01 || datagram[1] != 0x00) return false;
    Add(sender);
    // The length byte is not trusted: the text runs to the end of the datagram.
    const std::string text = datagram.size() > 3 ? datagram.substr(3) : std::string();
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        // Servers write dotted addresses; anything else would be looked up by name later.
        if (IsDottedQuad(item)) Add(item);
        start = comma + 1;
    }
    return true;
}

void ServerDiscovery::Add(const std::string& address) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::find(m_servers.begin(), m_servers.end(), address) == m_servers.end())
        m_servers.push_back(address);
}

std::vector<std::string> ServerDiscovery::Servers() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_servers;
}

size_t ServerDiscovery::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_servers.size();
}

std::string ServerDiscovery::Item(size_t index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return index < m_servers.size() ? m_servers[index] : std::string();
}

}  // namespace vantor::client
