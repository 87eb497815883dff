#pragma once

// Server texts as users type them and how host names become addresses.

#include <string>

#include "client/link/LinkDiagnostics.h"

namespace vantor::client {

struct ServerEndpoint {
    std::string host;
    int port = 0;
};

// "host" or "host:port"; `defaultPort` when no port is given. False for a port that is not
// a number from 1 to 65535.
bool ParseServerText(const std::string& text, int defaultPort, ServerEndpoint& endpoint);

// A port setting ("3567"); `fallback` when the text is not a valid port.
int PortFromText(const std::string& text, int fallback);

// The dotted IPv4 address of `host`. "127.1" means this machine (its host name). A text
// beginning with a digit is taken as a dotted address, anything else is looked up by
// name. On failure the diagnostic line "inet_addr for:%s failed %d\n" or
// "gethostbyname for:%s failed %d\n" goes to `sink` and "" is returned. Blocks on the
// name service; any thread.
std::string ResolveHostAddress(const std::string& host, const DiagnosticSink& sink);

}  // namespace vantor::client
