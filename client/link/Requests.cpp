#include "client/link/Requests.h"

namespace vantor::client::requests {

namespace {

template <class T>
std::unique_ptr<T> Make(int32_t type) {
    return std::make_unique<T>(type);
}

CPagingRequest Paging(int32_t start, int32_t count) {
    CPagingRequest paging;
    paging.start = start;
    paging.count = count;
    paging.includeTotalCount = true;
    return paging;
}

}  // namespace

std::unique_ptr<CRequestMessage> Plain(int32_t type) {
    return Make<CRequestMessage>(type);
}

std::unique_ptr<CRequestMessage> SetVolume(int32_t volume) {
    auto request = Make<CVolumeRequest>(msg::SetVolumeRequest);
    request->Body().volume = volume;
    return request;
}

std::unique_ptr<CRequestMessage> SetPlayPosition(int32_t seconds) {
    auto request = Make<CPositionRequest>(msg::SetPlayPositionRequest);
    request->Body().position = seconds;
    return request;
}

std::unique_ptr<CRequestMessage> SetPlaylistPosition(int32_t position) {
    auto request = Make<CPositionRequest>(msg::SetPlaylistPositionRequest);
    request->Body().position = position;
    return request;
}

std::unique_ptr<CRequestMessage> PlaylistRemove(int32_t position) {
    auto request = Make<CPositionRequest>(msg::PlaylistRemoveRequest);
    request->Body().position = position;
    return request;
}

std::unique_ptr<CRequestMessage> PlaylistMove(int32_t from, int32_t to) {
    auto request = Make<CPlaylistMoveRequest>(msg::PlaylistMoveRequest);
    request->Body().position = from;
    request->Body().newPosition = to;
    return request;
}

std::unique_ptr<CRequestMessage> PlayMedia(const CMediaSelector& selector) {
    auto request = Make<CPlayMediaRequest>(msg::PlayMediaRequest);
    request->Body() = selector;
    return request;
}

std::unique_ptr<CRequestMessage> PlaylistAdd(const CMediaSelector& selector, int32_t position) {
    auto request = Make<CPlaylistAddRequest>(msg::PlaylistAddRequest);
    request->Body().selector = selector;
    request->Body().position = position;
    return request;
}

std::unique_ptr<CRequestMessage> GetPlaylistItems(int32_t start, int32_t count) {
    auto request = Make<CPlaylistItemsRequest>(msg::GetPlaylistItemsRequest);
    request->Body() = Paging(start, count);
    return request;
}

std::unique_ptr<CRequestMessage> SetShuffle(bool on) {
    auto request = Make<CShuffleStateRequest>(msg::SetShuffleStateRequest);
    request->Body().shuffleState = on;
    return request;
}

std::unique_ptr<CRequestMessage> SetRepeat(bool on) {
    auto request = Make<CRepeatStateRequest>(msg::SetRepeatStateRequest);
    request->Body().repeatState = on;
    return request;
}

std::unique_ptr<CRequestMessage> SetTrackRating(int32_t rating) {
    auto request = Make<CTrackRatingRequest>(msg::SetTrackRatingRequest);
    request->Body().rating = rating;
    return request;
}

std::unique_ptr<CRequestMessage> SetEqPreset(const std::string& preset) {
    auto request = Make<CEqPresetRequest>(msg::SetEqPresetRequest);
    request->Body().preset = preset;
    return request;
}

std::unique_ptr<CRequestMessage> SavePlaylist(const std::string& name) {
    auto request = Make<CSavePlaylistRequest>(msg::SavePlaylistRequest);
    request->Body().name = name;
    return request;
}

std::unique_ptr<CRequestMessage> SetEq(const CEqSettings& settings) {
    auto request = Make<CEqRequest>(msg::SetEqRequest);
    request->Body() = settings;
    return request;
}

std::unique_ptr<CRequestMessage> SetVideoMode(bool fullScreen) {
    auto request = Make<CVideoModeRequest>(msg::SetVideoModeRequest);
    request->Body().fullScreenEnabled = fullScreen;
    return request;
}

std::unique_ptr<CRequestMessage> GetClientVersion(const std::string& platform) {
    auto request = Make<CClientVersionRequest>(msg::GetClientVersionRequest);
    request->Body().type = platform;
    return request;
}

std::unique_ptr<CRequestMessage> GetErrorDetails(int32_t returnCode) {
    auto request = Make<CErrorDetailsRequest>(msg::GetErrorDetailsRequest);
    request->Body().returnCode = returnCode;
    return request;
}

std::unique_ptr<CRequestMessage> BrowseLibrary(const std::string& path, int32_t start,
                                               int32_t count) {
    auto request = Make<CBrowseLibraryRequest>(msg::BrowseLibraryRequest);
    request->Body().paging = Paging(start, count);
    request->Body().path = path;
    return request;
}

std::unique_ptr<CRequestMessage> BrowseArtists(const std::string& genreName, int32_t start,
                                               int32_t count) {
    auto request = Make<CBrowseArtistsRequest>(msg::BrowseArtistsRequest);
    request->Body().paging = Paging(start, count);
    request->Body().genreName = genreName;
    return request;
}

std::unique_ptr<CRequestMessage> Search(const CSearchQuery& query) {
    auto request = Make<CMediaSearchRequest>(msg::MediaSearchRequest);
    request->Body() = query;
    return request;
}

std::unique_ptr<CRequestMessage> SearchAny(const std::string& words, int32_t start, int32_t count) {
    CSearchQuery query;
    query.paging = Paging(start, count);
    query.any = words;
    return Search(query);
}

CMediaSelector LibraryPath(const std::string& libPath) {
    CMediaSelector selector;
    selector.libPath = libPath;
    return selector;
}

}  // namespace vantor::client::requests
