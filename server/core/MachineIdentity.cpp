#include "server/core/MachineIdentity.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/statvfs.h>

#include <cstdint>
#include <cstdio>

namespace vantor {

std::string GetVolumeSerial() {
    struct statvfs info {};
    if (::statvfs("/", &info) != 0) return "0";
    char text[16];
    std::snprintf(text, sizeof(text), "%u", static_cast<uint32_t>(info.f_fsid));
    return text;
}

std::string GetAdapterAddress() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return "";
    std::string result;
    for (ifaddrs* entry = list; entry && result.empty(); entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        if (entry->ifa_flags & IFF_LOOPBACK) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6) continue;
        char text[13];
        std::snprintf(text, sizeof(text), "%02X%02X%02X%02X%02X%02X", link->sll_addr[0],
                      link->sll_addr[1], link->sll_addr[2], link->sll_addr[3], link->sll_addr[4],
                      link->sll_addr[5]);
        result = text;
    }
    ::freeifaddrs(list);
    return result;
}

}  // namespace vantor
