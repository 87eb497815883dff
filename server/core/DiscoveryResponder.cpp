#include "server/core/DiscoveryResponder.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/HostAddresses.h"
#include "server/core/DiscoveryDatagram.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"

namespace vantor {

namespace {

constexpr int kDefaultPort = 3568;
constexpr int kMaxReceiveErrors = 10;

}  // namespace

CDiscoveryResponder::CDiscoveryResponder(CServerContext& context)
    : m_context(context), m_thread(context.logger), m_addresses(&GetHostIPv4Addresses) {}

CDiscoveryResponder::~CDiscoveryResponder() {
    Stop();
}

int CDiscoveryResponder::Start() {
    CLogger& log = m_context.logger;
    if (m_thread.IsRunning()) Stop();
    int port = m_context.config.GetInt("Ports\\XMLChannelDiscover", kDefaultPort);
    log.LogNormal("Initializing XML channel discovery (port %d)", port);
    m_socket = CNetSocket();
    if (!m_socket.CreateUdp(port)) {
        const char* reason = std::strerror(errno);
        log.LogCritical("ERROR: Error creating XML channel discovery socket.");
        log.LogCritical("ERROR: discovery cannot use UDP port %d: %s", port, reason);
        return -1;
    }
    m_stopping.store(false);
    if (m_thread.Start("XML Discover Listener", [this] { Run(); }) != 0) {
        log.LogCritical("ERROR: Error starting XML channel discovery thread!");
        m_socket.Close();
        return -1;
    }
    return 0;
}

void CDiscoveryResponder::Stop() {
    m_stopping.store(true);
    m_socket.Close();  // wakes the blocked receive
    m_thread.Stop();
}

void CDiscoveryResponder::Run() {
    CLogger& log = m_context.logger;
    int errors = 0;
    std::array<char, kDiscoveryDatagramBytes> buffer{};
    while (true) {
        std::string fromAddress;
        int fromPort = 0;
        int got = m_socket.ReceiveFrom(buffer.data(), buffer.size(), &fromAddress, &fromPort);
        if (m_stopping.load()) return;
        if (got < 0) {
            if (++errors >= kMaxReceiveErrors) {
                log.LogCritical(
                    "ERROR: XML channel discovery socket encountered error, shutting down");
                return;
            }
            // A failing socket must not spin the processor while it recovers.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        // Any datagram, even an empty one, is a good receive: only the socket's own
        // errors count, and only while they come one after the other.
        errors = 0;
        if (!IsDiscoveryRequest(std::string_view(buffer.data(), static_cast<size_t>(got))))
            continue;
        std::string text = DiscoveryAddressText(m_addresses());
        if (log.IsEnabled(kLogDetailed))
            log.LogDetailed("Received XML channel discovery request, responding with %s",
                            text.c_str());
        std::string reply = DiscoveryReply(text);
        m_socket.SendTo(reply.data(), reply.size(), fromAddress, fromPort);
    }
}

}  // namespace vantor
