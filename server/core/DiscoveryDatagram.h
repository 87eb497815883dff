#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The discovery datagrams. A request is 0x01 0x00 0xFF, with anything after it ignored;
// the reply is 0x01 0x00, the low 8 bits of the address text's length and the text: the
// host's IPv4 addresses joined by ",".
inline constexpr size_t kDiscoveryDatagramBytes = 1000;
// The reply's text must fit behind the three header bytes.
inline constexpr size_t kMaxDiscoveryAddressText = kDiscoveryDatagramBytes - 3;

// True for a request. A datagram shorter than three bytes (an empty one too) is not one.
bool IsDiscoveryRequest(std::string_view datagram);

// The addresses joined by ","; when they do not all fit in `maxBytes`, the list ends with
// the last whole address that fits.
std::string DiscoveryAddressText(const std::vector<std::string>& addresses,
                                 size_t maxBytes = kMaxDiscoveryAddressText);

// The reply datagram for an address text.
std::string DiscoveryReply(std::string_view addressText);

}  // namespace vantor
