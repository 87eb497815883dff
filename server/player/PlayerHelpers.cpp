#include "server/player/Player.h"

#include "protocol/ResultCodes.h"

#include <algorithm>

namespace vantor {

int32_t IPlayer::ReservedOperation() {
    return kResultNotSupported;
}

int32_t IPlayer::SavePlaylist(const std::string& /*name*/) {
    return kResultNotSupported;
}

int32_t PlaylistAddOneByOne(IPlayer& player, const MediaItemList& items, int32_t position) {
    int32_t next = position;
    for (const auto& item : items) {
        if (!item) {
            continue;
        }
        const int32_t result = player.PlaylistAdd(*item, next);
        if (result != 0) {
            return result;
        }
        if (next != -1) {
            ++next;
        }
    }
    return 0;
}

bool CopyPlaylistTitles(const std::vector<std::string>& cached, std::vector<std::string>& titles,
                        int32_t start, int32_t count) {
    titles.clear();
    const auto size = static_cast<int64_t>(cached.size());
    const int64_t first = std::max<int64_t>(start, 0);
    if (first >= size || count == 0) {
        return false;
    }
    const int64_t last = count < 0 ? size : std::min<int64_t>(size, first + count);
    titles.assign(cached.begin() + first, cached.begin() + last);
    return true;
}

}  // namespace vantor
