#include "server/player/mpd/MpdState.h"

#include <cstdlib>

namespace vantor {

CMpdChanges CompareMpdStates(const CMpdPlayerState& cached, const CMpdPlayerState& fresh) {
    CMpdChanges c;
    c.volume = cached.volume != fresh.volume;
    c.shuffle = cached.shuffle != fresh.shuffle;
    c.repeat = cached.repeat != fresh.repeat;
    c.playingState = cached.playingState != fresh.playingState;
    c.playlistPosition = cached.playlistPosition != fresh.playlistPosition;
    c.currentMedia = cached.songId != fresh.songId;
    c.playlist = cached.queueVersion != fresh.queueVersion;
    c.playPosition = std::abs(cached.playPosition - fresh.playPosition) >= 3 ||
                     c.playlistPosition || c.currentMedia;
    return c;
}

}  // namespace vantor
