#pragma once

// The texts the remotes show for the player's state: the title line and the time display.

#include <cstdint>
#include <string>

#include "protocol/PlayerMessages.h"

namespace vantor::client {

// "Artist - Title (m:ss)", "Title (h:mm:ss)", or the text alone when the length is 0 or
// unknown; "" when there is no title and no artist.
std::string TitleLine(const CCurrentMedia& media);

// The title line drawn with the skin's bitmap font, which has no accented letters: Latin-1
// accented letters (as UTF-8) become their base letters.
std::string WithoutAccents(const std::string& text);

// Position `positionMs`, track length `lengthSeconds` (<= 0: unknown). Elapsed: "mm:ss" or
// "h:mm:ss"; remaining (when the length is known): "-" and the time left.
std::string TimeText(int64_t positionMs, int32_t lengthSeconds, bool remaining);

}  // namespace vantor::client
