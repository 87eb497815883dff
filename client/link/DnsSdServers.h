#pragma once

// Servers that announce themselves by DNS-SD, for discovery.

#include <string>
#include <vector>

namespace vantor::client {

// The servers announced as "_vantor._tcp", written as the discovery list holds them:
// "address" when a server listens on `connectionPort`, "address:port" otherwise. Empty
// when this client is built without DNS-SD or no Avahi daemon runs. Blocks for at most
// `waitMs`; any thread.
std::vector<std::string> FindServersByDnsSd(int waitMs, int connectionPort);

}  // namespace vantor::client
