#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantor {

// One service found on the network: its instance name, an IPv4 address and port to
// connect to, and its TXT records ("key=value").
struct CDnsSdEndpoint {
    std::string name;
    std::string address;
    int port = 0;
    std::vector<std::string> txt;

    // The value of a TXT record, or "" when there is none.
    std::string Txt(const std::string& key) const;
};

// Looks for services of `type` (such as "_vantor._tcp") through the Avahi daemon, on the
// caller's thread, for at most `timeoutMs`: returns once every service the daemon knows
// of is resolved, or when the time is up with what was resolved by then. The list holds
// each address and port once and at most `maxResults` entries, in the order found. Empty
// at once when no Avahi daemon runs.
std::vector<CDnsSdEndpoint> BrowseDnsSd(const std::string& type, int timeoutMs,
                                        size_t maxResults = 64);

// True when an Avahi daemon answers on the system bus.
bool DnsSdDaemonRunning();

// Adds the endpoints of `found` that `list` does not hold yet (same address and port) at
// its end. Returns the number added.
size_t MergeEndpoints(std::vector<CDnsSdEndpoint>& list, const std::vector<CDnsSdEndpoint>& found);

}  // namespace vantor
