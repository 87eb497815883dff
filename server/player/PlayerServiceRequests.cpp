// The request table: one player operation per request type, answered with the operation's
// result code, or with 0 and the value for the plain getters.

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/core/TrackArtRequest.h"
#include "server/library/art/AlbumArtFinder.h"
#include "server/player/CurrentMedia.h"
#include "server/player/PlayerService.h"

#include <cstdio>

namespace vantor {

namespace {

constexpr size_t kMaxArtFileName = 500;

// The body a request carries; a default one when the message is not of the expected class
// (every field then reads as missing).
template <class Message>
auto BodyOf(const CRequestMessage& request) {
    using Body = std::decay_t<decltype(std::declval<const Message&>().Body())>;
    if (const auto* typed = dynamic_cast<const Message*>(&request)) return typed->Body();
    return Body{};
}

template <class Response = CResponseMessage>
std::unique_ptr<Response> Answer(const CRequestMessage& request, int32_t result) {
    auto response = std::make_unique<Response>(request.TypeId() + 1);
    response->SetClientId(request.ClientId());
    response->SetRequestId(request.RequestId());
    response->SetReturnCode(result);
    return response;
}

}  // namespace

void CPlayerService::OnRequest(CEventHolder& holder) {
    const auto* request = dynamic_cast<const CRequestMessage*>(holder.message.get());
    if (request == nullptr) return;
    std::shared_ptr<IPlayer> player = Player();
    if (!player) return;  // no player: no answer at all
    if (std::unique_ptr<CResponseMessage> response = HandleRequest(*player, *request)) {
        Respond(std::move(response));
    }
}

std::unique_ptr<CResponseMessage> CPlayerService::HandleRequest(IPlayer& player,
                                                                const CRequestMessage& request) {
    switch (request.TypeId()) {
        case msg::PlayPauseRequest:
            return Answer(request,
                          player.GetPlayingState() == kPlaying ? player.Pause() : player.Play());
        case msg::PlayRequest:
            return Answer(request, player.Play());
        case msg::PauseRequest:
            return Answer(request, player.Pause());
        case msg::StopRequest:
            return Answer(request, player.Stop());
        case msg::FastForwardRequest:
            return Answer(request, player.FastForward());
        case msg::RewindRequest:
            return Answer(request, player.Rewind());
        case msg::PreviousItemRequest:
            return Answer(request, player.PreviousTrack());
        case msg::NextItemRequest:
            return Answer(request, player.NextTrack());
        case msg::GetPlaylistPositionRequest: {
            auto response = Answer<CPositionResponse>(request, kResultSuccess);
            response->Body().position = player.GetPlaylistPosition();
            return response;
        }
        case msg::SetPlaylistPositionRequest:
            return Answer(request,
                          player.SetPlaylistPosition(BodyOf<CPositionRequest>(request).position));
        case msg::PlayMediaRequest:
        case msg::PlaylistAddRequest:
            return HandleMediaRequest(player, request);
        case msg::PlaylistRemoveRequest:
            return Answer(request,
                          player.PlaylistRemove(BodyOf<CPositionRequest>(request).position));
        case msg::PlaylistMoveRequest: {
            const auto body = BodyOf<CPlaylistMoveRequest>(request);
            return Answer(request, player.PlaylistMove(body.position, body.newPosition));
        }
        case msg::PlaylistClearRequest:
            return Answer(request, player.PlaylistClear());
        case msg::SavePlaylistRequest:
            return Answer(request,
                          player.SavePlaylist(BodyOf<CSavePlaylistRequest>(request).name));
        case msg::GetVolumeRequest: {
            auto response = Answer<CVolumeResponse>(request, kResultSuccess);
            response->Body().volume = player.GetVolume();
            return response;
        }
        case msg::SetVolumeRequest:
            return Answer(request, player.SetVolume(BodyOf<CVolumeRequest>(request).volume));
        case msg::GetPlayPositionRequest: {
            auto response = Answer<CPositionResponse>(request, kResultSuccess);
            response->Body().position = player.GetPlayPosition();
            return response;
        }
        case msg::SetPlayPositionRequest:
            return Answer(request,
                          player.SetPlayPosition(BodyOf<CPositionRequest>(request).position));
        case msg::GetPlayingStateRequest: {
            auto response = Answer<CPlayingStateResponse>(request, kResultSuccess);
            response->Body().playingState = player.GetPlayingState();
            return response;
        }
        case msg::GetPlaylistLengthRequest: {
            auto response = Answer<CPlaylistLengthResponse>(request, kResultSuccess);
            response->Body().length = player.GetPlaylistLength();
            return response;
        }
        case msg::GetPlaylistItemsRequest: {
            const auto paging = BodyOf<CPlaylistItemsRequest>(request);
            auto response = Answer<CPlaylistItemsResponse>(request, kResultSuccess);
            auto& body = response->Body();
            body.start = paging.start;
            response->SetReturnCode(
                player.GetPlaylistItems(body.items, paging.start, paging.count,
                                        paging.includeTotalCount ? &body.totalCount : nullptr));
            return response;
        }
        case msg::GetShuffleStateRequest: {
            auto response = Answer<CShuffleStateResponse>(request, kResultSuccess);
            response->Body().shuffleState = player.GetShuffleState();
            return response;
        }
        case msg::SetShuffleStateRequest:
            return Answer(request, player.SetShuffleState(
                                       BodyOf<CShuffleStateRequest>(request).shuffleState));
        case msg::GetRepeatStateRequest: {
            auto response = Answer<CRepeatStateResponse>(request, kResultSuccess);
            response->Body().repeatState = player.GetRepeatState();
            return response;
        }
        case msg::SetRepeatStateRequest:
            return Answer(request,
                          player.SetRepeatState(BodyOf<CRepeatStateRequest>(request).repeatState));
        case msg::GetAlbumArtRequest:
            return HandleAlbumArt(player, request);
        case msg::GetCurrentMediaRequest:
            return HandleCurrentMedia(player, request);
        case msg::GetTrackRatingRequest: {
            auto response = Answer<CTrackRatingResponse>(request, kResultSuccess);
            response->SetReturnCode(player.GetTrackRating(response->Body().rating));
            return response;
        }
        case msg::SetTrackRatingRequest:
            return Answer(request,
                          player.SetTrackRating(BodyOf<CTrackRatingRequest>(request).rating));
        case msg::GetEqPresetsRequest: {
            auto response = Answer<CEqPresetsResponse>(request, kResultSuccess);
            response->SetReturnCode(player.GetEqPresets(response->Body().presets));
            return response;
        }
        case msg::SetEqPresetRequest:
            return Answer(request, player.SetEqPreset(BodyOf<CEqPresetRequest>(request).preset));
        case msg::GetEqRequest: {
            auto response = Answer<CEqResponse>(request, kResultSuccess);
            response->SetReturnCode(player.GetEq(response->Body()));
            return response;
        }
        case msg::SetEqRequest:
            return Answer(request, player.SetEq(BodyOf<CEqRequest>(request)));
        case msg::GetVideoModeRequest: {
            auto response = Answer<CVideoModeResponse>(request, kResultSuccess);
            response->SetReturnCode(player.GetVideoMode(response->Body().fullScreenEnabled));
            return response;
        }
        case msg::SetVideoModeRequest:
            return Answer(
                request, player.SetVideoMode(BodyOf<CVideoModeRequest>(request).fullScreenEnabled));
        case msg::GetPlayerCapabilitiesRequest: {
            auto response = Answer<CPlayerCapabilitiesResponse>(request, kResultSuccess);
            CPlayerCapabilities capabilities;
            player.GetCapabilities(capabilities);
            response->Body().supportsEQ = capabilities.supportsEq;
            return response;
        }
        default:
            // Press-button, skip, replay, shutdown, radio and slide-show requests reach the
            // player service but have no player operation: dropped unanswered.
            return nullptr;
    }
}

std::unique_ptr<CResponseMessage> CPlayerService::HandleMediaRequest(
    IPlayer& player, const CRequestMessage& request) {
    const bool play = request.TypeId() == msg::PlayMediaRequest;
    CMediaSelector selector;
    int32_t position = -1;
    if (play) {
        selector = BodyOf<CPlayMediaRequest>(request);
    } else {
        const auto body = BodyOf<CPlaylistAddRequest>(request);
        selector = body.selector;
        position = body.position;
    }

    CQueuedAction action;
    action.connectionId = request.ClientId();
    action.requestId = request.RequestId();
    action.kind = play ? kActionPlayMedia : kActionPlaylistAdd;
    action.position = play ? -1 : position;

    if (selector.id != -1) {
        auto lookup = std::make_unique<CMediaItemRequest>(msg::GetMediaItemRequest);
        lookup->Body().id = selector.id;
        SendLibraryRequest(std::move(lookup), action);
        return nullptr;
    }
    if (!selector.libPath.empty()) {
        auto lookup = std::make_unique<CBrowseLibraryRequest>(msg::BrowseLibraryRequest);
        lookup->Body().path = selector.libPath;
        lookup->Body().paging.start = 0;
        lookup->Body().paging.count = -1;
        lookup->Body().returnAllMediaItems = true;
        SendLibraryRequest(std::move(lookup), action);
        return nullptr;
    }
    if (!selector.path.empty()) {
        CMediaItem item;
        item.path = selector.path;
        return Answer(request, play ? player.PlayMedia(item) : player.PlaylistAdd(item, position));
    }
    auto search = std::make_unique<CMediaSearchRequest>(msg::MediaSearchRequest);
    CSearchQuery& query = search->Body();
    query.type = selector.mediaType;
    query.any = selector.any;
    query.genre = selector.genre;
    query.artist = selector.artist;
    query.album = selector.album;
    query.title = selector.title;
    query.paging.start = 0;
    query.paging.count = -1;
    query.isExplicit = true;
    SendLibraryRequest(std::move(search), action);
    return nullptr;
}

std::unique_ptr<CResponseMessage> CPlayerService::HandleCurrentMedia(
    IPlayer& player, const CRequestMessage& request) {
    std::unique_ptr<CMediaItem> item;
    const int32_t result = player.GetCurrentMedia(item);
    auto response = Answer<CCurrentMediaResponse>(request, result);
    if (!item) return response;
    if (item->mediaType == kMediaUndefined && !item->path.empty()) {
        // Known only by its file: answer once the library has told what it is.
        auto lookup = std::make_unique<CMediaItemRequest>(msg::GetMediaItemRequest);
        lookup->Body().path = item->path;
        CQueuedAction action;
        action.connectionId = request.ClientId();
        action.requestId = request.RequestId();
        action.kind = kActionAnswerCurrentMedia;
        SendLibraryRequest(std::move(lookup), action);
        return nullptr;
    }
    FillCurrentMedia(*item, response->Body());
    return response;
}

std::unique_ptr<CResponseMessage> CPlayerService::HandleAlbumArt(IPlayer& player,
                                                                 const CRequestMessage& request) {
    std::unique_ptr<CMediaItem> item;
    int32_t result = kResultSuccess;
    if (const auto* forTrack = dynamic_cast<const CTrackArtRequest*>(&request)) {
        const CMediaItemBody& t = forTrack->Track();
        item = MakeMediaItem(t.id, t.type, t.title, t.path, t.artist, t.album);
    } else {
        result = player.GetCurrentMedia(item);
    }
    auto response = Answer<CAlbumArtResponse>(request, result);
    if (result != kResultSuccess) return response;

    std::string path;
    const auto* track = dynamic_cast<const CMusicItem*>(item.get());
    if (track == nullptr || track->mediaType != kMediaMusic ||
        m_artFinder->FindAlbumArt(*track, path) != 0) {
        response->SetReturnCode(kResultNoAlbumArt);
        return response;
    }
    std::string fileName = path.substr(path.find_last_of('/') + 1);
    if (fileName.size() > kMaxArtFileName) fileName.resize(kMaxArtFileName);
    // The placeholder host is replaced by the channel with the address the client reached.
    const int port = m_context.config.GetInt("WebAccessPort", 3569);
    response->Body().artURL = "http://[0.0.0.0]:" + std::to_string(port) + "/art/" + fileName;
    return response;
}

}  // namespace vantor
