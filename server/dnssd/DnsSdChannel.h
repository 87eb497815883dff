#pragma once

#include "server/core/CommChannel.h"
#include "server/dnssd/DnsSdAnnouncer.h"

#include <functional>
#include <memory>
#include <vector>

namespace vantor {

struct CServerContext;

// Announces the running server by DNS-SD: "_vantor._tcp" on the XML channel's port and,
// when the server has its web channel, "_http._tcp" on the web port, both under the server
// name, with the TXT records "version" (the server's version) and "path" (the web pages'
// path, "/"). A channel without connections: the router starts it after the XML and HTTP
// channels, so the ports are final, and stops it with them. "DnsSd\Announce" (default
// true) turns it off.
class CDnsSdChannel : public ICommChannel {
public:
    using PublisherFactory = std::function<std::unique_ptr<IDnsSdPublisher>()>;

    // The default factory makes an Avahi publisher.
    CDnsSdChannel(CServerContext& context, bool announceWeb, PublisherFactory factory = nullptr);
    ~CDnsSdChannel() override;

    int Start() override;
    int Stop() override;
    int Send(const CMessage&) override { return 0; }

    // What Start announces, from the configuration as it stands.
    std::vector<CDnsSdService> Services() const;
    std::string ServiceName() const;
    CDnsSdAnnouncer* Announcer() const { return m_announcer.get(); }

private:
    CServerContext& m_context;
    const bool m_announceWeb;
    PublisherFactory m_factory;
    std::unique_ptr<CDnsSdAnnouncer> m_announcer;
};

}  // namespace vantor
