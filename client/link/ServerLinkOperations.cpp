// ServerLink: one asynchronous operation per request the clients send.

#include "client/link/Requests.h"
#include "client/link/ServerLink.h"

namespace vantor::client {

void ServerLink::RequestInitialState() {
    for (int32_t type :
         {msg::GetPlayerCapabilitiesRequest, msg::GetVolumeRequest, msg::GetPlayingStateRequest,
          msg::GetCurrentMediaRequest, msg::GetPlaylistPositionRequest, msg::GetShuffleStateRequest,
          msg::GetRepeatStateRequest, msg::GetPlayPositionRequest, msg::GetEqRequest}) {
        SendAsync(requests::Plain(type));
    }
}

void ServerLink::SendClientVersion(const std::string& platform) {
    SendAsync(requests::GetClientVersion(platform));
}

int32_t ServerLink::Play() {
    return SendAsync(requests::Plain(msg::PlayRequest));
}

int32_t ServerLink::Pause() {
    return SendAsync(requests::Plain(msg::PauseRequest));
}

int32_t ServerLink::TogglePlay() {
    return State().playingState == kPlaying ? Pause() : Play();
}

int32_t ServerLink::Stop() {
    return SendAsync(requests::Plain(msg::StopRequest));
}

int32_t ServerLink::Next() {
    return SendAsync(requests::Plain(msg::NextItemRequest));
}

int32_t ServerLink::Previous() {
    return SendAsync(requests::Plain(msg::PreviousItemRequest));
}

int32_t ServerLink::FastForward() {
    return SendAsync(requests::Plain(msg::FastForwardRequest));
}

int32_t ServerLink::Rewind() {
    return SendAsync(requests::Plain(msg::RewindRequest));
}

int32_t ServerLink::SetVolume(int32_t volume) {
    return SendAsync(requests::SetVolume(volume));
}

int32_t ServerLink::SetPlayPosition(int32_t seconds) {
    return SendAsync(requests::SetPlayPosition(seconds));
}

int32_t ServerLink::SetPlaylistPosition(int32_t position) {
    return SendAsync(requests::SetPlaylistPosition(position));
}

int32_t ServerLink::SetShuffle(bool on) {
    return SendAsync(requests::SetShuffle(on));
}

int32_t ServerLink::SetRepeat(bool on) {
    return SendAsync(requests::SetRepeat(on));
}

int32_t ServerLink::PlayMedia(const CMediaSelector& selector) {
    return SendAsync(requests::PlayMedia(selector));
}

int32_t ServerLink::PlaylistAdd(const CMediaSelector& selector, int32_t position) {
    return SendAsync(requests::PlaylistAdd(selector, position));
}

int32_t ServerLink::PlaylistRemove(int32_t position) {
    return SendAsync(requests::PlaylistRemove(position));
}

int32_t ServerLink::PlaylistMove(int32_t from, int32_t to) {
    return SendAsync(requests::PlaylistMove(from, to));
}

int32_t ServerLink::PlaylistClear() {
    return SendAsync(requests::Plain(msg::PlaylistClearRequest));
}

int32_t ServerLink::SavePlaylist(const std::string& name) {
    return SendAsync(requests::SavePlaylist(name));
}

int32_t ServerLink::GetPlaylistItems(int32_t start, int32_t count) {
    return SendAsync(requests::GetPlaylistItems(start, count));
}

int32_t ServerLink::GetAlbumArt() {
    return SendAsync(requests::Plain(msg::GetAlbumArtRequest));
}

int32_t ServerLink::SetTrackRating(int32_t rating) {
    return SendAsync(requests::SetTrackRating(rating));
}

int32_t ServerLink::GetEqPresets() {
    return SendAsync(requests::Plain(msg::GetEqPresetsRequest));
}

int32_t ServerLink::SetEqPreset(const std::string& preset) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.eq.presetName = preset;
    }
    return SendAsync(requests::SetEqPreset(preset));
}

int32_t ServerLink::SetEq(const CEqSettings& settings) {
    return SendAsync(requests::SetEq(settings));
}

int32_t ServerLink::BrowseLibrary(const std::string& path, int32_t start, int32_t count) {
    return SendAsync(requests::BrowseLibrary(path, start, count));
}

int32_t ServerLink::BrowseArtists(const std::string& genreName, int32_t start, int32_t count) {
    return SendAsync(requests::BrowseArtists(genreName, start, count));
}

int32_t ServerLink::Search(const CSearchQuery& query) {
    return SendAsync(requests::Search(query));
}

int32_t ServerLink::UpdateMediaLibrary() {
    return SendAsync(requests::Plain(msg::UpdateMediaLibraryRequest));
}

}  // namespace vantor::client
