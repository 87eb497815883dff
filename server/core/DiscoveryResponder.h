#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/NetSocket.h"
#include "server/core/WorkerThread.h"

namespace vantor {

struct CServerContext;

// Answers the clients' discovery datagram 0x01 0x00 0xFF on "Ports\XMLChannelDiscover"
// (UDP, address reuse) with 0x01 0x00, the low 8 bits of the text length and the host's
// IPv4 addresses joined by ",", sent back to the asking address and port. Runs on the
// thread "XML Discover Listener"; Start and Stop on the owner's thread.
//
// An empty or short datagram is ignored like any other that is not a request; only
// consecutive errors of the socket itself (ten of them) end the responder.
class CDiscoveryResponder {
public:
    using AddressSource = std::function<std::vector<std::string>()>;

    explicit CDiscoveryResponder(CServerContext& context);
    ~CDiscoveryResponder();

    // 0, or -1 (logged) when the socket or the thread cannot be created.
    int Start();
    void Stop();
    bool IsRunning() const { return m_thread.IsRunning(); }

    // Replaces where the host's addresses come from (tests); set before Start.
    void SetAddressSource(AddressSource source) { m_addresses = std::move(source); }

private:
    void Run();

    CServerContext& m_context;
    CNetSocket m_socket;
    CWorkerThread m_thread;
    AddressSource m_addresses;
    std::atomic<bool> m_stopping{false};
};

}  // namespace vantor
