#include "protocol/MessageFactory.h"

#include "protocol/Messages.h"

namespace vantor {
namespace {

template <class T>
std::unique_ptr<CMessage> Make(int32_t typeId) {
    return std::make_unique<T>(typeId);
}

// Types without a body: their kind follows from the pairing of ids.
std::unique_ptr<CMessage> MakeBodyless(int32_t id) {
    using namespace msg;
    if (id == UnrecognizedRequest || id == SavePlaylistResponse) return Make<CResponseMessage>(id);
    if (id == PlaylistChangedEvent || id == MediaLibraryChangedEvent) return Make<CMessage>(id);
    const bool lowRange = id < PressButtonRequest;
    const bool odd = id % 2 != 0;
    if (lowRange == odd) return Make<CRequestMessage>(id);
    return Make<CResponseMessage>(id);
}

}  // namespace

std::unique_ptr<CMessage> CreateAnyMessage(int32_t typeId) {
    using namespace msg;
    switch (typeId) {
        case GetErrorDetailsRequest:
            return Make<CErrorDetailsRequest>(typeId);
        case GetErrorDetailsResponse:
            return Make<CErrorDetailsResponse>(typeId);
        case GetClientVersionRequest:
            return Make<CClientVersionRequest>(typeId);
        case GetClientVersionResponse:
            return Make<CClientVersionResponse>(typeId);
        case VersionInformation:
            return Make<CVersionInformation>(typeId);

        case GetPlaylistPositionResponse:
        case GetPlayPositionResponse:
            return Make<CPositionResponse>(typeId);
        case SetPlaylistPositionRequest:
        case PlaylistRemoveRequest:
        case SetPlayPositionRequest:
            return Make<CPositionRequest>(typeId);
        case PlaylistPositionChangedEvent:
        case PlayPositionChangedEvent:
            return Make<CPositionEvent>(typeId);
        case PlayMediaRequest:
            return Make<CPlayMediaRequest>(typeId);
        case PlaylistAddRequest:
            return Make<CPlaylistAddRequest>(typeId);
        case PlaylistMoveRequest:
            return Make<CPlaylistMoveRequest>(typeId);
        case GetVolumeResponse:
            return Make<CVolumeResponse>(typeId);
        case SetVolumeRequest:
            return Make<CVolumeRequest>(typeId);
        case VolumeChangedEvent:
            return Make<CVolumeEvent>(typeId);
        case GetPlayingStateResponse:
            return Make<CPlayingStateResponse>(typeId);
        case PlayingStateChangedEvent:
            return Make<CPlayingStateEvent>(typeId);
        case GetPlaylistLengthResponse:
            return Make<CPlaylistLengthResponse>(typeId);
        case GetPlaylistItemsRequest:
            return Make<CPlaylistItemsRequest>(typeId);
        case GetPlaylistItemsResponse:
            return Make<CPlaylistItemsResponse>(typeId);
        case GetShuffleStateResponse:
            return Make<CShuffleStateResponse>(typeId);
        case SetShuffleStateRequest:
            return Make<CShuffleStateRequest>(typeId);
        case ShuffleStateChangedEvent:
            return Make<CShuffleStateEvent>(typeId);
        case GetRepeatStateResponse:
            return Make<CRepeatStateResponse>(typeId);
        case SetRepeatStateRequest:
            return Make<CRepeatStateRequest>(typeId);
        case RepeatStateChangedEvent:
            return Make<CRepeatStateEvent>(typeId);
        case GetAlbumArtResponse:
            return Make<CAlbumArtResponse>(typeId);
        case GetCurrentMediaResponse:
            return Make<CCurrentMediaResponse>(typeId);
        case CurrentMediaChangedEvent:
            return Make<CCurrentMediaEvent>(typeId);
        case GetTrackRatingResponse:
            return Make<CTrackRatingResponse>(typeId);
        case SetTrackRatingRequest:
            return Make<CTrackRatingRequest>(typeId);
        case GetEqPresetsResponse:
            return Make<CEqPresetsResponse>(typeId);
        case SetEqPresetRequest:
            return Make<CEqPresetRequest>(typeId);
        case SavePlaylistRequest:
            return Make<CSavePlaylistRequest>(typeId);
        case GetEqResponse:
            return Make<CEqResponse>(typeId);
        case SetEqRequest:
            return Make<CEqRequest>(typeId);
        case EqChangedEvent:
            return Make<CEqEvent>(typeId);
        case GetVideoModeResponse:
            return Make<CVideoModeResponse>(typeId);
        case SetVideoModeRequest:
            return Make<CVideoModeRequest>(typeId);
        case GetPlayerCapabilitiesResponse:
            return Make<CPlayerCapabilitiesResponse>(typeId);

        case GetMediaItemRequest:
            return Make<CMediaItemRequest>(typeId);
        case GetMediaItemResponse:
            return Make<CMediaItemResponse>(typeId);
        case BrowseGenresRequest:
        case BrowsePlaylistsRequest:
        case BrowseTVSeriesRequest:
            return Make<CBrowseByNameRequest>(typeId);
        case BrowseGenresResponse:
            return Make<CBrowseGenresResponse>(typeId);
        case BrowseArtistsRequest:
            return Make<CBrowseArtistsRequest>(typeId);
        case BrowseArtistsResponse:
            return Make<CBrowseArtistsResponse>(typeId);
        case BrowseAlbumsRequest:
            return Make<CBrowseAlbumsRequest>(typeId);
        case BrowseTracksRequest:
            return Make<CBrowseTracksRequest>(typeId);
        case BrowseFoldersRequest:
        case BrowsePicturesRequest:
            return Make<CBrowseFoldersRequest>(typeId);
        case BrowseTVSeriesResponse:
            return Make<CBrowseTVSeriesResponse>(typeId);
        case BrowseTVRequest:
            return Make<CBrowseTVRequest>(typeId);
        case BrowseVideoRequest:
            return Make<CBrowseVideoRequest>(typeId);
        case MediaSearchRequest:
            return Make<CMediaSearchRequest>(typeId);
        case MediaSearchResponse:
            return Make<CMediaSearchResponse>(typeId);
        case BrowseLibraryRequest:
            return Make<CBrowseLibraryRequest>(typeId);
        case BrowseLibraryResponse:
            return Make<CBrowseLibraryResponse>(typeId);
        default:
            break;
    }
    if (typeId <= Undefined || typeId >= kTypeCount) return nullptr;
    return MakeBodyless(typeId);
}

std::unique_ptr<CMessage> CreateMessage(int32_t typeId) {
    using namespace msg;
    const bool unread = (typeId >= PressButtonRequest && typeId <= PlaySlideShowResponse) ||
                        typeId == BrowseAlbumsResponse || typeId == BrowseTracksResponse ||
                        typeId == BrowseFoldersResponse || typeId == BrowsePlaylistsResponse ||
                        typeId == BrowseTVResponse || typeId == BrowseVideoResponse ||
                        typeId == BrowsePicturesResponse ||
                        (typeId >= AddMediaReaderRequest && typeId <= RemoveMediaReaderResponse);
    if (unread) return nullptr;
    return CreateAnyMessage(typeId);
}

std::unique_ptr<CMessage> CreateClientMessage(int32_t clientTypeId) {
    std::unique_ptr<CMessage> message =
        CreateAnyMessage(msg::ServerTypeIdFromClientTypeId(clientTypeId));
    if (message) {
        message->SetTypeId(clientTypeId);
        message->SetTypeTable(msg::ClientTypes());
    }
    return message;
}

const CMessageCatalogue& ServerCatalogue() {
    static const CMessageCatalogue catalogue{&msg::ServerTypes(), &CreateMessage};
    return catalogue;
}

const CMessageCatalogue& ClientCatalogue() {
    static const CMessageCatalogue catalogue{&msg::ClientTypes(), &CreateClientMessage};
    return catalogue;
}

}  // namespace vantor
