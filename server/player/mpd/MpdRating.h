#pragma once

#include "server/player/mpd/MpdConnection.h"

#include <cstdint>
#include <string>

namespace vantor {

// Ratings live in MPD's sticker database as the song sticker "rating" holding 0 to 100,
// so they survive MPD restarts and follow the file rather than the queue entry.
constexpr const char* kMpdRatingSticker = "rating";

// 0 with the rating (0 when the song has none), 100 when MPD has no such song, 102/103
// on other failures.
int32_t ReadRating(CMpdConnection& connection, const std::string& uri, int32_t& rating);
// 0, or a failure code; 11 when the rating is outside 0 to 100.
int32_t WriteRating(CMpdConnection& connection, const std::string& uri, int32_t rating);

// MPD's music folder from its "config" command, which MPD answers only over a local
// socket. Empty when it does not tell.
std::string AskMusicDirectory(CMpdConnection& connection);

}  // namespace vantor
