#include "server/core/DiscoveryDatagram.h"

namespace vantor {

bool IsDiscoveryRequest(std::string_view datagram) {
    return datagram.size() >= 3 && datagram[0] == 0x01 && datagram[1] == 0x00 &&
           static_cast<unsigned char>(datagram[2]) == 0xFF;
}

std::string DiscoveryAddressText(const std::vector<std::string>& addresses, size_t maxBytes) {
    std::string text;
    for (const auto& address : addresses) {
        size_t needed = address.size() + (text.empty() ? 0 : 1);
        if (text.size() + needed > maxBytes) break;
        if (!text.empty()) text += ',';
        text += address;
    }
    return text;
}

std::string DiscoveryReply(std::string_view addressText) {
    std::string reply;
    reply.reserve(3 + addressText.size());
    reply.push_back(0x01);
    reply.push_back(0x00);
    reply.push_back(static_cast<char>(addressText.size() % 256));
    reply += addressText;
    return reply;
}

}  // namespace vantor
