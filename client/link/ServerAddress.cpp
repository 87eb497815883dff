#include "client/link/ServerAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cerrno>
#include <charconv>

#include "platform/HostAddresses.h"

namespace vantor::client {

bool ParseServerText(const std::string& text, int defaultPort, ServerEndpoint& endpoint) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        endpoint = {text, defaultPort};
        return true;
    }
    const int port = PortFromText(text.substr(colon + 1), -1);
    if (port < 0) return false;
    endpoint = {text.substr(0, colon), port};
    return true;
}

int PortFromText(const std::string& text, int fallback) {
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (error != std::errc() || stop != end || port < 1 || port > 65535) return fallback;
    return port;
}

std::string ResolveHostAddress(const std::string& typed, const DiagnosticSink& sink) {
    std::string host = typed == "127.1" ? GetHostName().substr(0, 64) : typed;
    if (!host.empty() && host[0] >= '0' && host[0] <= '9') {
        in_addr address{};
        if (::inet_aton(host.c_str(), &address) == 0) {
            if (sink) sink(FormatDiagnostic("inet_addr for:%s failed %d\n", host, EINVAL));
            return "";
        }
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address, text, sizeof text);
        return text;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0 || !found) {
        if (sink) sink(FormatDiagnostic("gethostbyname for:%s failed %d\n", host, result));
        return "";
    }
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, text,
                sizeof text);
    ::freeaddrinfo(found);
    return text;
}

}  // namespace vantor::client
