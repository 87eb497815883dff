#pragma once

#include "protocol/MessageType.h"
#include "server/player/mpris/DBusValue.h"
#include "server/player/mpris/MprisTrack.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// The part of a player's state the adapter reports changes of.
struct CMprisPlayerState {
    int32_t playingState = kStopped;
    int32_t volume = 0;
    bool shuffle = false;
    bool repeat = false;
    int64_t positionUs = 0;
    CMprisTrack track;
    bool hasTrackList = false;
    bool canEditTracks = false;
    std::vector<CMprisTrack> tracks;  // the player's track list, when it has one

    // Without a track list the current item is the whole playlist.
    int32_t PlaylistPosition() const;
    int32_t PlaylistLength() const;
    std::vector<std::string> PlaylistTitles() const;
    // The track id at a playlist position; "" when there is none.
    std::string TrackIdAt(int32_t position) const;
};

// Which listener callbacks one comparison owes.
struct CMprisChanges {
    bool volume = false;
    bool shuffle = false;
    bool repeat = false;
    bool playingState = false;
    bool playlistPosition = false;
    bool currentMedia = false;
    bool playPosition = false;
    bool playlist = false;
};

// "Playing" 0, "Paused" 1, anything else (also "Stopped") 2.
int32_t PlayingStateFromStatus(const std::string& status);
// 0.0..1.0 <-> 0..100, rounded and clamped (some players go past 1.0).
int32_t VolumeFromMpris(double volume);
double VolumeToMpris(int32_t volume);

// Takes what a GetAll or a PropertiesChanged of the player interface carried.
void ApplyPlayerProperties(const BusDict& properties, CMprisPlayerState& state);

// Compares with the cached state. The play position counts as changed when it moved by
// 3 seconds or more from where the cached one had got to, or when the item changed.
CMprisChanges CompareMprisStates(const CMprisPlayerState& cached, const CMprisPlayerState& fresh);

}  // namespace vantor
