#pragma once

// What differs between the desktop client and the handheld profile, as far as the
// toolkit-free core is concerned: the settings key, the platform text of update checks,
// the skins folder and the own version.

#include <string>

namespace vantor::client {

struct ClientProfile {
    std::string registryKey;  // below HKEY_LOCAL_MACHINE
    std::string platform;     // sent with GetClientVersionRequest
    std::string version;      // own version, four numbers
    bool handheld = false;
    bool vga = false;  // handheld screens at least 480 pixels wide
    // Folder used when the setting InstallDir is absent (ends with "/").
    std::string defaultInstallFolder;

    // The desktop client of this build: platform "linux".
    static ClientProfile Desktop();
    // The handheld profile: platform "ppc", VGA skins for screens of 480 pixels and wider.
    static ClientProfile Handheld(int screenWidth);
};

inline constexpr char kClientVersionText[] = "1.0.3.1";
inline constexpr char kDesktopRegistryKey[] = "SOFTWARE\\Quillmere\\Vantor Desktop Client";
inline constexpr char kHandheldRegistryKey[] = "SOFTWARE\\Quillmere\\Vantor";

// The folder of the running program, ending with "/" ("./" when it can't be found).
std::string ProgramFolder();

}  // namespace vantor::client
