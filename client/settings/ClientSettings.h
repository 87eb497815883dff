#pragma once

// The client's settings, kept in the (file-backed) registry under the profile's key below
// HKEY_LOCAL_MACHINE. Every value has its default when absent; a key that can't be read
// leaves every value at its default.
//
//   InstallDir          text    program folder, skins below it ("/" added when missing)
//   SkinFilePath        text    chosen skin file (default skin when absent)
//   Server1..Server4    text    server history, most recent first
//   ConnectionPort      text    TCP port of the XML channel, "3567"
//   DiscoveryAddress    text    where discovery datagrams go, "255.255.255.255"
//   DiscoveryPort       number  discovery port, 3568
//   AutoConnect         number  connect at start-up, 1
//   NowPlayingOnIdle    number  now-playing screen after 20 s without input, 1
//   ShowRemainingTime   number  the time display counts down, 0
//   FunctionKey1..13    number  key code bound to action 0..12, -1 for none
//
// Not thread-safe: the window layer owns one instance on its thread.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "client/settings/ClientProfile.h"
#include "client/settings/KeyBindings.h"

namespace vantor {
class CRegistry;
}

namespace vantor::client {

// What the server field shows for "find a server by discovery".
inline constexpr char kFindAutomatically[] = "(Find Automatically)";
inline constexpr int kServerHistorySize = 4;

struct ClientSettings {
    std::string installFolder;
    std::string skinFilePath;
    std::vector<std::string> servers;  // at most four, most recent first
    std::string connectionPort = "3567";
    std::string discoveryAddress = "255.255.255.255";
    int32_t discoveryPort = 3568;
    bool autoConnect = true;
    bool nowPlayingOnIdle = true;
    bool showRemainingTime = false;
    KeyBindings bindings;

    // Defaults, with the profile's install folder and its default skin.
    static ClientSettings Defaults(const ClientProfile& profile);

    // Reads every value; absent ones keep their defaults.
    void Load(const CRegistry& registry, const ClientProfile& profile);
    // Writes every value, creating the key. False when the key can't be written.
    bool Save(CRegistry& registry, const ClientProfile& profile) const;

    // The server field's text on saving: anything but kFindAutomatically (or nothing)
    // becomes the most recent entry, earlier entries follow without duplicates, four at most.
    void RememberServer(const std::string& serverField);
    // The entries of the server field: kFindAutomatically, then the history.
    std::vector<std::string> ServerChoices() const;
};

}  // namespace vantor::client
