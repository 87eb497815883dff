// Feeds arbitrary datagrams to the discovery responder's handling: whatever arrives, only
// the request is answered, and a reply always fits one datagram and says its own length.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/DiscoveryDatagram.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data),
                                    std::min(size, vantor::kDiscoveryDatagramBytes));
    const bool request = vantor::IsDiscoveryRequest(datagram);
    Check(request == (datagram.size() >= 3 && datagram.substr(0, 3) == std::string_view("\x01\x00\xFF", 3)));
    if (!request) return 0;

    // The rest of the input stands for the host's addresses, one per line.
    std::vector<std::string> addresses;
    std::string_view rest = datagram.substr(3);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        addresses.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    const std::string text = vantor::DiscoveryAddressText(addresses);
    Check(text.size() <= vantor::kMaxDiscoveryAddressText);
    const std::string reply = vantor::DiscoveryReply(text);
    Check(reply.size() == 3 + text.size() && reply.size() <= vantor::kDiscoveryDatagramBytes);
    Check(reply[0] == 0x01 && reply[1] == 0x00 &&
          static_cast<unsigned char>(reply[2]) == text.size() % 256);
    return 0;
}
