#include "server/shell/update/UpdateQuery.h"

#include <strings.h>
#include <sys/utsname.h>

#include <cstring>

#include "server/core/MachineIdentity.h"

namespace vantor {

namespace {

bool HasScheme(const std::string& url, const char* scheme) {
    return ::strncasecmp(url.c_str(), scheme, std::strlen(scheme)) == 0;
}

}  // namespace

int UpdatePlatformNumber() {
    struct utsname name {};
    if (::uname(&name) != 0) return -1;
    return std::strcmp(name.sysname, "Linux") == 0 ? kUpdatePlatformLinux : -1;
}

std::string InstallationId() {
    return GetAdapterAddress() + "|" + GetVolumeSerial();
}

std::string UpdateQueryUrl(const std::string& endpoint, const std::string& version,
                           const std::string& sid, int platform) {
    const char separator = endpoint.find('?') == std::string::npos ? '?' : '&';
    return endpoint + separator + "version=" + version + "&sid=" + sid +
           "&plat=" + std::to_string(platform);
}

bool IsUpdateUrlAllowed(const std::string& url, bool allowInsecure) {
    if (HasScheme(url, "https://")) return url.size() > std::strlen("https://");
    if (HasScheme(url, "http://")) return allowInsecure && url.size() > std::strlen("http://");
    return false;
}

}  // namespace vantor
