#include "server/web/HttpLimits.h"

#include "server/core/ConfigStore.h"

#include <algorithm>

namespace vantor {

CHttpLimits ReadHttpLimits(const CConfigStore& config) {
    const CHttpLimits defaults;
    auto read = [&config](const char* key, long long fallback) {
        return std::max(1, config.GetInt(key, static_cast<int>(fallback)));
    };
    CHttpLimits limits;
    limits.maxConnections = read("HTTP\\MaxConnections", defaults.maxConnections);
    limits.maxConnectionsPerAddress =
        read("HTTP\\MaxConnectionsPerAddress", defaults.maxConnectionsPerAddress);
    limits.requestTime = std::chrono::seconds(read("HTTP\\RequestSeconds", defaults.requestTime.count()));
    limits.idleTime = std::chrono::seconds(read("HTTP\\IdleSeconds", defaults.idleTime.count()));
    limits.sendDeadline =
        std::chrono::milliseconds(read("HTTP\\SendDeadlineMs", defaults.sendDeadline.count()));
    return limits;
}

}  // namespace vantor
