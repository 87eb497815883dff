#pragma once

#include "server/player/mpd/MpdConnection.h"

#include <string>

namespace vantor {

class CConfigStore;

// MPD's address from the configuration: "MPD\Host" (default "127.0.0.1"), "MPD\Port"
// (6600) and "MPD\Password" (empty).
CMpdAddress MpdAddressFromConfig(const CConfigStore& config);
// "MPD\MusicDirectory": empty means "ask MPD", which works over a local socket only.
std::string MpdMusicDirectoryFromConfig(const CConfigStore& config);

// Player detection: true when an MPD answers at the configured address within a short
// time. Blocks for at most about half a second.
bool MpdAnswers(const CConfigStore& config);

}  // namespace vantor
