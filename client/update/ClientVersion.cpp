#include "client/update/ClientVersion.h"

#include <cstdlib>

namespace vantor::client {

ClientVersion ClientVersion::Parse(const std::string& text) {
    ClientVersion version;
    size_t start = 0;
    for (auto& part : version.parts) {
        if (start > text.size()) break;
        size_t dot = text.find('.', start);
        if (dot == std::string::npos) dot = text.size();
        const std::string number = text.substr(start, dot - start);
        const long value = std::strtol(number.c_str(), nullptr, 10);
        part = value > INT32_MAX || value < 0 ? 0 : static_cast<int32_t>(value);
        start = dot + 1;
    }
    return version;
}

bool ClientVersion::IsNewerThan(const ClientVersion& other) const {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] != other.parts[i]) return parts[i] > other.parts[i];
    }
    return false;
}

}  // namespace vantor::client
