#include "server/player/mpris/MprisState.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantor {

namespace {

constexpr int64_t kPositionJumpUs = 3000000;

bool SameTrackList(const std::vector<CMprisTrack>& a, const std::vector<CMprisTrack>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const CMprisTrack& x, const CMprisTrack& y) { return x.SameAs(y); });
}

}  // namespace

int32_t CMprisPlayerState::PlaylistPosition() const {
    if (!hasTrackList) return track.IsEmpty() ? -1 : 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (!track.trackId.empty() && tracks[i].trackId == track.trackId)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t CMprisPlayerState::PlaylistLength() const {
    if (!hasTrackList) return track.IsEmpty() ? 0 : 1;
    return static_cast<int32_t>(tracks.size());
}

std::vector<std::string> CMprisPlayerState::PlaylistTitles() const {
    std::vector<std::string> titles;
    if (!hasTrackList) {
        if (!track.IsEmpty()) titles.push_back(TrackDisplayTitle(track));
        return titles;
    }
    titles.reserve(tracks.size());
    for (const auto& t : tracks) titles.push_back(TrackDisplayTitle(t));
    return titles;
}

std::string CMprisPlayerState::TrackIdAt(int32_t position) const {
    if (position < 0 || position >= static_cast<int32_t>(tracks.size())) return "";
    return tracks[static_cast<size_t>(position)].trackId;
}

int32_t PlayingStateFromStatus(const std::string& status) {
    if (status == "Playing") return kPlaying;
    if (status == "Paused") return kPaused;
    return kStopped;
}

int32_t VolumeFromMpris(double volume) {
    if (!std::isfinite(volume)) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
}

double VolumeToMpris(int32_t volume) {
    return std::clamp(volume, 0, 100) / 100.0;
}

void ApplyPlayerProperties(const BusDict& properties, CMprisPlayerState& state) {
    for (const auto& [name, value] : properties) {
        if (name == "PlaybackStatus" && value.kind == CBusValue::kText) {
            state.playingState = PlayingStateFromStatus(value.text);
        } else if (name == "LoopStatus" && value.kind == CBusValue::kText) {
            state.repeat = value.text != "None";
        } else if (name == "Shuffle" && value.kind == CBusValue::kFlag) {
            state.shuffle = value.flag;
        } else if (name == "Volume") {
            state.volume = VolumeFromMpris(value.AsReal(0));
        } else if (name == "Position") {
            state.positionUs = std::max<int64_t>(0, value.AsInteger(0));
        } else if (name == "Metadata") {
            state.track = TrackFromMetadata(value);
        }
    }
}

CMprisChanges CompareMprisStates(const CMprisPlayerState& cached, const CMprisPlayerState& fresh) {
    CMprisChanges changes;
    changes.volume = cached.volume != fresh.volume;
    changes.shuffle = cached.shuffle != fresh.shuffle;
    changes.repeat = cached.repeat != fresh.repeat;
    changes.playingState = cached.playingState != fresh.playingState;
    changes.currentMedia = !cached.track.SameAs(fresh.track);
    changes.playlistPosition = cached.PlaylistPosition() != fresh.PlaylistPosition();
    changes.playlist = cached.hasTrackList != fresh.hasTrackList ||
                       !SameTrackList(cached.tracks, fresh.tracks) ||
                       (!fresh.hasTrackList && changes.currentMedia);
    changes.playPosition = changes.currentMedia || changes.playlistPosition ||
                           std::llabs(fresh.positionUs - cached.positionUs) >= kPositionJumpUs;
    return changes;
}

}  // namespace vantor
