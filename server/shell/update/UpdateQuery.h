#pragma once

#include <string>

namespace vantor {

// The number the update service is told for the operating system. The original numbers
// describe Windows versions (-1 to 8); Linux reports the next free number, 9.
constexpr int kUpdatePlatformLinux = 9;
// kUpdatePlatformLinux on Linux, -1 when the system cannot be told.
int UpdatePlatformNumber();

// The installation identifier: the network adapter's address (12 upper-case hex digits),
// "|", and the machine identity standing for the volume serial (unsigned decimal).
std::string InstallationId();

// `endpoint` + "?version=%s&sid=%s&plat=%d" ("&" instead of "?" when the endpoint already
// has a query).
std::string UpdateQueryUrl(const std::string& endpoint, const std::string& version,
                           const std::string& sid, int platform);

// Whether a program fetched from `url` may be started: https always, plain http only when
// `allowInsecure` (a checksum fetched over the same plain connection proves nothing about
// who sent the file); any other scheme never. Schemes are compared without case.
bool IsUpdateUrlAllowed(const std::string& url, bool allowInsecure);

}  // namespace vantor
