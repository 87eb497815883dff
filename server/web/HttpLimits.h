#pragma once

#include <chrono>

namespace vantor {

class CConfigStore;

// What one peer may hold of the HTTP channel, from the configuration:
//   HTTP\MaxConnections            open connections in all (default 256); more are refused
//   HTTP\MaxConnectionsPerAddress  open connections from one address (default 64)
//   HTTP\RequestSeconds            a request must be whole this long after its first byte (30)
//   HTTP\IdleSeconds               a connection with nothing to do is closed after this (60);
//                                  a held poll is not idle
//   HTTP\SendDeadlineMs            an answer held in memory must be taken within this (2000)
struct CHttpLimits {
    int maxConnections = 256;
    int maxConnectionsPerAddress = 64;
    std::chrono::seconds requestTime{30};
    std::chrono::seconds idleTime{60};
    std::chrono::milliseconds sendDeadline{2000};
};

// The limits the configuration sets; values below 1 take the smallest sensible value, 1.
CHttpLimits ReadHttpLimits(const CConfigStore& config);

}  // namespace vantor
