#pragma once

#include <string>
#include <vector>

namespace vantor {

class CConfigStore;

// Which player to follow and on which bus.
struct CMprisAddress {
    // "MPRIS\Bus": "session" (default), "system" or a D-Bus address.
    std::string bus = "session";
    // "MPRIS\Player": a bus name such as "org.mpris.MediaPlayer2.vlc" (or just "vlc"); empty
    // follows the first player on the bus, preferring one that plays.
    std::string player;
    int callTimeoutMs = 2000;

    // True when `busName` is the configured player: the name itself, its short form, or
    // one of its instances ("org.mpris.MediaPlayer2.vlc.instance42").
    bool Matches(const std::string& busName) const;
};

CMprisAddress MprisAddressFromConfig(const CConfigStore& config);
// "MPRIS\MusicDirectory": the folder whose files make the library; empty: no library.
std::string MprisMusicDirectoryFromConfig(const CConfigStore& config);

// The player names among `busNames` that `address` may follow, sorted.
std::vector<std::string> MprisCandidates(const CMprisAddress& address,
                                         const std::vector<std::string>& busNames);

// Player detection: true when a player the configuration allows is on the bus. Blocks for
// at most about half a second.
bool MprisPlayerPresent(const CConfigStore& config);

}  // namespace vantor
