#include "client/settings/ClientProfile.h"

#include <unistd.h>

#include <climits>

namespace vantor::client {

std::string ProgramFolder() {
    char path[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return "./";
    std::string text(path, static_cast<size_t>(length));
    return text.substr(0, text.find_last_of('/') + 1);
}

ClientProfile ClientProfile::Desktop() {
    ClientProfile profile;
    profile.registryKey = kDesktopRegistryKey;
    profile.platform = "linux";
    profile.version = kClientVersionText;
    profile.defaultInstallFolder = ProgramFolder();
    return profile;
}

ClientProfile ClientProfile::Handheld(int screenWidth) {
    ClientProfile profile;
    profile.registryKey = kHandheldRegistryKey;
    profile.platform = "ppc";
    profile.version = kClientVersionText;
    profile.handheld = true;
    profile.vga = screenWidth >= 480;
    profile.defaultInstallFolder = ProgramFolder();
    return profile;
}

}  // namespace vantor::client
