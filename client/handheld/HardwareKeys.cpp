#include "client/handheld/HardwareKeys.h"

#include <gdk/gdkkeysyms.h>

#include <cstdio>

#include "client/desktop/KeyCodes.h"
#include "client/settings/KeyNames.h"
#include "platform/Registry.h"

namespace vantor::handheld {

namespace {

struct HardwareKey {
    unsigned keyval;
    int32_t code;
};

constexpr HardwareKey kKeys[] = {
    {GDK_KEY_AudioRaiseVolume, 0xC1}, {GDK_KEY_AudioLowerVolume, 0xC2},
    {GDK_KEY_AudioPlay, 0xC3},        {GDK_KEY_AudioPause, 0xC3},
    {GDK_KEY_AudioNext, 0xC4},        {GDK_KEY_AudioPrev, 0xC5},
    {GDK_KEY_AudioStop, 0xC6},        {GDK_KEY_Select, client::kKeyCenter},
    {GDK_KEY_KP_Begin, client::kKeyCenter},
};

constexpr const char* kButtonNames[] = {"Volume Up",  "Volume Down",    "Play/Pause",
                                        "Next Track", "Previous Track", "Stop"};

}  // namespace

int32_t HandheldKeyCode(unsigned keyval) {
    for (const HardwareKey& key : kKeys)
        if (key.keyval == keyval) return key.code;
    return desktop::VirtualKeyFromKeyval(keyval);
}

bool RegisterButtonNames(CRegistry& registry) {
    bool written = true;
    for (int32_t code = client::kFirstHardwareButton; code <= client::kLastHardwareButton; ++code) {
        char key[64];
        std::snprintf(key, sizeof key, "SOFTWARE\\Microsoft\\Shell\\Keys\\40%X", code);
        std::string name;
        if (registry.GetString(RegistryRoot::LocalMachine, key, "Name", name) && !name.empty())
            continue;
        written = registry.CreateKey(RegistryRoot::LocalMachine, key) &&
                  registry.SetString(RegistryRoot::LocalMachine, key, "Name",
                                     kButtonNames[code - client::kFirstHardwareButton]) &&
                  written;
    }
    return written;
}

}  // namespace vantor::handheld
