#pragma once

#include "tools/itunes-sim/ITunesModel.h"

#include <string>

namespace vantor::itunessim {

// Writes the library as the player's library XML file (tracks and the library source's
// playlists), so that the server's library reader indexes what the simulator plays.
bool WriteLibraryXml(const CModel& model, const std::string& path);

}  // namespace vantor::itunessim
