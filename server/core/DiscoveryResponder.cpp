#include "server/core/DiscoveryResponder.h"

#include <array>

#include "platform/HostAddresses.h"
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

std::string CDiscoveryResponder::BuildAddressText(const std::vector<std::string>& addresses,
                                                  size_t maxBytes) {
    std::string text;
    for (const auto& address : addresses) {
        size_t needed = address.size() + (text.empty() ? 0 : 1);
        if (text.size() + needed > maxBytes) break;
        if (!text.empty()) text += ',';
        text += address;
    }
    return text;
}

int CDiscoveryResponder::Start() {
    CLogger& log = m_context.logger;
    if (m_thread.IsRunning()) Stop();
    int port = m_context.config.GetInt("Ports\\XMLChannelDiscover", kDefaultPort);
    log.LogNormal("Initializing XML channel discovery (port %d)", port);
    m_socket = CNetSocket();
    if (!m_socket.CreateUdp(port)) {
        log.LogCritical("ERROR: Error creating XML channel discovery socket.");
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
    std::array<char, kDatagramBytes> buffer{};
    while (true) {
        buffer.fill(0);
        std::string fromAddress;
        int fromPort = 0;
        int got = m_socket.ReceiveFrom(buffer.data(), buffer.size(), &fromAddress, &fromPort);
        if (m_stopping.load()) return;
        if (got < 1) {
            if (++errors >= kMaxReceiveErrors) {
                log.LogCritical(
                    "ERROR: XML channel discovery socket encountered error, shutting down");
                return;
            }
            continue;
        }
        errors = 0;
        // Bytes past a short datagram read as zero because the buffer was cleared.
        if (buffer[0] != 0x01 || buffer[1] != 0x00 || static_cast<unsigned char>(buffer[2]) != 0xFF)
            continue;
        std::string text = BuildAddressText(m_addresses());
        if (log.IsEnabled(kLogDetailed))
            log.LogDetailed("Received XML channel discovery request, responding with %s",
                            text.c_str());
        std::string reply;
        reply.reserve(3 + text.size());
        reply.push_back(0x01);
        reply.push_back(0x00);
        reply.push_back(static_cast<char>(text.size() % 256));
        reply += text;
        m_socket.SendTo(reply.data(), reply.size(), fromAddress, fromPort);
    }
}

}  // namespace vantor
