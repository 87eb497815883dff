#include "platform/HostAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace vantor {

namespace {

void AddUnique(std::vector<std::string>& list, const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &address, text, sizeof(text))) return;
    if (std::find(list.begin(), list.end(), text) == list.end()) list.emplace_back(text);
}

bool IsLoopback(const std::string& address) {
    return address.rfind("127.", 0) == 0;
}

std::vector<std::string> NameAddresses(const std::string& host) {
    std::vector<std::string> list;
    if (host.empty()) return list;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
    addrinfo* result = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0) return list;
    for (addrinfo* entry = result; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET) continue;
        AddUnique(list, reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    }
    ::freeaddrinfo(result);
    return list;
}

std::vector<std::string> InterfaceAddresses() {
    std::vector<std::string> list;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return list;
    for (ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        AddUnique(list, reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr);
    }
    ::freeifaddrs(interfaces);
    return list;
}

}  // namespace

std::string GetHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0) return "";
    return name;
}

std::vector<std::string> GetHostIPv4Addresses() {
    std::vector<std::string> byName = NameAddresses(GetHostName());
    if (std::any_of(byName.begin(), byName.end(),
                    [](const std::string& address) { return !IsLoopback(address); })) {
        return byName;
    }
    std::vector<std::string> byInterface = InterfaceAddresses();
    return byInterface.empty() ? byName : byInterface;
}

}  // namespace vantor
