#pragma once

// Finds servers: for each local interface address in turn, a UDP datagram 0x01 0x00 0xFF to
// the discovery address and port, whose answer (0x01 0x00, a length byte, then the server's
// addresses separated by ",") names the servers; when no answer comes within the wait, a
// TCP connection to the host name "ppp_peer" (a handheld sitting in a desktop cradle).
// The run stops after the first interface for which a server was found. Beside the
// broadcast, the servers announced by DNS-SD are asked for; they are added after what the
// broadcast found, each server once.
//
// Threads: Run blocks its caller (about 2 s per attempt that finds nothing) and runs each
// attempt on a thread of its own; the result list may be read from any thread.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "client/link/LinkDiagnostics.h"

namespace vantor::client {

struct DiscoveryOptions {
    std::string broadcastAddress = "255.255.255.255";
    int port = 3568;
    // Port of the XML channel, tried on the cradle host.
    int connectionPort = 3567;
    // "" skips the cradle attempt.
    std::string cradleHost = "ppp_peer";
    int attemptWaitMs = 2000;
    // The local interface addresses, in order; the host's IPv4 addresses by default.
    std::function<std::vector<std::string>()> localAddresses;
    // Asks DNS-SD for servers ("address" or "address:port") while the broadcast runs, for
    // at most the given wait. Unset: FindServersByDnsSd when the broadcast goes to the whole
    // network ("255.255.255.255"), nothing when it goes to one host.
    std::function<std::vector<std::string>(int waitMs, int connectionPort)> dnsSd;
    DiagnosticSink diagnostics = StandardOutputSink();
};

class ServerDiscovery {
public:
    // Empties the list and runs discovery; the first address found, or "".
    std::string Run(const DiscoveryOptions& options);
    // The servers of the last run, in the order found, without duplicates.
    std::vector<std::string> Servers() const;
    size_t Count() const;
    // "" for an index outside the list.
    std::string Item(size_t index) const;

private:
    bool BroadcastAttempt(const DiscoveryOptions& options, const std::string& localAddress);
    bool CradleAttempt(const DiscoveryOptions& options);
    // Adds the sender and the addresses of one reply; false when the reply is not one.
    bool TakeReply(const std::string& sender, const std::string& datagram);
    void Add(const std::string& address);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_servers;
};

}  // namespace vantor::client
