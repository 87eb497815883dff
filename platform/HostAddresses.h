#pragma once

#include <string>
#include <vector>

namespace vantor {

// The host's IPv4 addresses as dotted text, in the order the name service gives them for
// the host's own name, without duplicates. When the name resolves to loopback addresses
// only (or not at all), the addresses of the interfaces that are up and not loopback are
// used instead, falling back to the name's own addresses when there are none. Blocks on
// the name service; any thread.
std::vector<std::string> GetHostIPv4Addresses();

// The host's name, "" when it cannot be read.
std::string GetHostName();

}  // namespace vantor
