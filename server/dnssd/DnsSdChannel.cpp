#include "server/dnssd/DnsSdChannel.h"

#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/core/Server.h"
#include "server/core/ServerContext.h"
#include "server/dnssd/AvahiPublisher.h"

#include <unistd.h>

#include <climits>

namespace vantor {

CDnsSdChannel::CDnsSdChannel(CServerContext& context, bool announceWeb, PublisherFactory factory)
    : m_context(context), m_announceWeb(announceWeb), m_factory(std::move(factory)) {
    if (!m_factory) {
        m_factory = [this] { return std::make_unique<CAvahiPublisher>(m_context.logger); };
    }
}

CDnsSdChannel::~CDnsSdChannel() {
    Stop();
}

std::string CDnsSdChannel::ServiceName() const {
    std::string name = m_context.config.GetServerName();
    if (name.empty()) {
        char host[HOST_NAME_MAX + 1] = {};
        if (::gethostname(host, sizeof host - 1) == 0) name = host;
    }
    return name.empty() ? "Vantor" : name;
}

std::vector<CDnsSdService> CDnsSdChannel::Services() const {
    const CConfigStore& config = m_context.config;
    const std::string version = std::string("version=") + CServer::kVersion;
    std::vector<CDnsSdService> services;
    services.push_back({"_vantor._tcp", config.GetInt("Ports\\XMLChannel", 3567), {version}});
    if (m_announceWeb) {
        // The web channel writes the port it listens on when it starts.
        const int webPort =
            config.GetInt("WebAccessPort", config.GetInt("Ports\\HTTPChannel", 3569));
        services.push_back({"_http._tcp", webPort, {version, "path=/"}});
    }
    return services;
}

int CDnsSdChannel::Start() {
    if (!m_context.config.GetBool("DnsSd\\Announce", true)) return 0;
    m_announcer = std::make_unique<CDnsSdAnnouncer>(m_context.logger, m_factory());
    if (m_announcer->Start(ServiceName(), Services()) != 0) {
        m_context.logger.LogCritical("ERROR: DNS-SD: the announcement could not start");
        m_announcer.reset();
        return -1;
    }
    return 0;
}

int CDnsSdChannel::Stop() {
    m_announcer.reset();
    return 0;
}

}  // namespace vantor
