#include "client/library/PlaylistRating.h"

namespace vantor::client {

std::string RatingEntryText(int entry) {
    return entry <= 0 ? "None" : std::string(static_cast<size_t>(entry), '*');
}

int32_t RatingForEntry(int entry) {
    return entry < 0 ? 0 : (entry > 5 ? 100 : entry * 20);
}

int RatingEntryFor(int32_t rating) {
    if (rating < 0 || rating > 100) return -1;
    return (rating + 10) / 20;
}

}  // namespace vantor::client
