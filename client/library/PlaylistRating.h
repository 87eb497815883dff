#pragma once

// The "Rating" submenu of the play list rows: "None" and one to five "*"; entry k sets a
// rating of k x 20, and the entry of the current rating carries the check mark.

#include <cstdint>
#include <string>

namespace vantor::client {

inline constexpr int kRatingEntries = 6;

// "None", "*", "**", ... "*****".
std::string RatingEntryText(int entry);
int32_t RatingForEntry(int entry);
// The entry of a rating of 0..100 (to the nearest entry); -1 for a rating out of range.
int RatingEntryFor(int32_t rating);

}  // namespace vantor::client
