#include "client/link/DnsSdServers.h"

#ifdef VANTOR_HAVE_DNSSD
#include "platform/dnssd/DnsSdBrowser.h"
#endif

namespace vantor::client {

std::vector<std::string> FindServersByDnsSd(int waitMs, int connectionPort) {
    std::vector<std::string> servers;
#ifdef VANTOR_HAVE_DNSSD
    for (const CDnsSdEndpoint& endpoint : BrowseDnsSd("_vantor._tcp", waitMs)) {
        servers.push_back(endpoint.port == connectionPort
                              ? endpoint.address
                              : endpoint.address + ":" + std::to_string(endpoint.port));
    }
#else
    (void)waitMs;
    (void)connectionPort;
#endif
    return servers;
}

}  // namespace vantor::client
