#include "protocol/MessageType.h"

#include <array>

namespace vantor {
namespace {

constexpr std::array<std::string_view, msg::kTypeCount> kTypeNames = {
    "Undefined",
    "GetErrorDetailsRequest",
    "GetErrorDetailsResponse",
    "GetClientVersionRequest",
    "GetClientVersionResponse",
    "UnrecognizedRequest",
    "VersionInformation",
    "PlayPauseRequest",
    "PlayPauseResponse",
    "PlayRequest",
    "PlayResponse",
    "PauseRequest",
    "PauseResponse",
    "StopRequest",
    "StopResponse",
    "FastForwardRequest",
    "FastForwardResponse",
    "RewindRequest",
    "RewindResponse",
    "PreviousItemRequest",
    "PreviousItemResponse",
    "NextItemRequest",
    "NextItemResponse",
    "GetPlaylistPositionRequest",
    "GetPlaylistPositionResponse",
    "SetPlaylistPositionRequest",
    "SetPlaylistPositionResponse",
    "PlayMediaRequest",
    "PlayMediaResponse",
    "PlaylistAddRequest",
    "PlaylistAddResponse",
    "PlaylistRemoveRequest",
    "PlaylistRemoveResponse",
    "PlaylistMoveRequest",
    "PlaylistMoveResponse",
    "PlaylistClearRequest",
    "PlaylistClearResponse",
    "GetVolumeRequest",
    "GetVolumeResponse",
    "SetVolumeRequest",
    "SetVolumeResponse",
    "GetPlayPositionRequest",
    "GetPlayPositionResponse",
    "SetPlayPositionRequest",
    "SetPlayPositionResponse",
    "GetPlayingStateRequest",
    "GetPlayingStateResponse",
    "GetPlaylistLengthRequest",
    "GetPlaylistLengthResponse",
    "GetPlaylistItemsRequest",
    "GetPlaylistItemsResponse",
    "GetShuffleStateRequest",
    "GetShuffleStateResponse",
    "SetShuffleStateRequest",
    "SetShuffleStateResponse",
    "GetRepeatStateRequest",
    "GetRepeatStateResponse",
    "SetRepeatStateRequest",
    "SetRepeatStateResponse",
    "GetAlbumArtRequest",
    "GetAlbumArtResponse",
    "GetCurrentMediaRequest",
    "GetCurrentMediaResponse",
    "GetTrackRatingRequest",
    "GetTrackRatingResponse",
    "SetTrackRatingRequest",
    "SetTrackRatingResponse",
    "GetEqPresetsRequest",
    "GetEqPresetsResponse",
    "SetEqPresetRequest",
    "SetEqPresetResponse",
    "GetEqRequest",
    "GetEqResponse",
    "SetEqRequest",
    "SetEqResponse",
    "GetVideoModeRequest",
    "GetVideoModeResponse",
    "SetVideoModeRequest",
    "SetVideoModeResponse",
    "GetPlayerCapabilitiesRequest",
    "GetPlayerCapabilitiesResponse",
    "CurrentMediaChangedEvent",
    "PlayingStateChangedEvent",
    "VolumeChangedEvent",
    "PlaylistChangedEvent",
    "PlaylistPositionChangedEvent",
    "PlayPositionChangedEvent",
    "ShuffleStateChangedEvent",
    "RepeatStateChangedEvent",
    "EqChangedEvent",
    "PressButtonRequest",
    "PressButtonResponse",
    "SkipRequest",
    "SkipResponse",
    "ReplayRequest",
    "ReplayResponse",
    "ShutdownRequest",
    "ShutdownResponse",
    "GetRadioPresetsRequest",
    "GetRadioPresetsResponse",
    "TuneRadioRequest",
    "TuneRadioResponse",
    "PlaySlideShowRequest",
    "PlaySlideShowResponse",
    "GetMediaItemRequest",
    "GetMediaItemResponse",
    "BrowseGenresRequest",
    "BrowseGenresResponse",
    "BrowseArtistsRequest",
    "BrowseArtistsResponse",
    "BrowseAlbumsRequest",
    "BrowseAlbumsResponse",
    "BrowseTracksRequest",
    "BrowseTracksResponse",
    "BrowseFoldersRequest",
    "BrowseFoldersResponse",
    "BrowsePlaylistsRequest",
    "BrowsePlaylistsResponse",
    "BrowseTVSeriesRequest",
    "BrowseTVSeriesResponse",
    "BrowseTVRequest",
    "BrowseTVResponse",
    "BrowseVideoRequest",
    "BrowseVideoResponse",
    "BrowsePicturesRequest",
    "BrowsePicturesResponse",
    "MediaSearchRequest",
    "MediaSearchResponse",
    "BrowseLibraryRequest",
    "BrowseLibraryResponse",
    "UpdateMediaLibraryRequest",
    "UpdateMediaLibraryResponse",
    "AddMediaReaderRequest",
    "AddMediaReaderResponse",
    "RemoveMediaReaderRequest",
    "RemoveMediaReaderResponse",
    "MediaLibraryChangedEvent",
    "SavePlaylistRequest",
    "SavePlaylistResponse",
};

constexpr std::array<std::string_view, kMediaTypeCount> kMediaTypeNames = {
    "undefined",    "music", "video",  "tv",    "playlist", "playlist folder", "photo", "radio",
    "radio folder", "genre", "artist", "album", "folder",   "tv series",       "info",
};

constexpr std::array<std::string_view, 9> kPlayingStateNames = {
    "playing",           "paused",    "stopped",     "fast-forwarding", "fast-forwarding 2",
    "fast-forwarding 3", "rewinding", "rewinding 2", "rewinding 3",
};

}  // namespace

namespace msg {

std::string TypeNameFromId(int32_t id) {
    if (id < 0 || id >= kTypeCount) return {};
    return std::string(kTypeNames[static_cast<size_t>(id)]);
}

int32_t TypeIdFromName(std::string_view name) {
    for (size_t i = 0; i < kTypeNames.size(); ++i) {
        if (kTypeNames[i] == name) return static_cast<int32_t>(i);
    }
    return Undefined;
}

namespace {

class CServerTypeTable final : public CTypeTable {
public:
    std::string NameFromId(int32_t id) const override { return TypeNameFromId(id); }
    int32_t IdFromName(std::string_view name) const override { return TypeIdFromName(name); }
    int32_t Count() const override { return kTypeCount; }
};

class CClientTypeTable final : public CTypeTable {
public:
    std::string NameFromId(int32_t id) const override {
        return TypeNameFromId(ServerTypeIdFromClientTypeId(id));
    }
    int32_t IdFromName(std::string_view name) const override {
        int32_t id = ClientTypeIdFromServerTypeId(TypeIdFromName(name));
        return id < 0 ? Undefined : id;
    }
    int32_t Count() const override { return kTypeCount - 2; }
};

}  // namespace

const CTypeTable& ServerTypes() {
    static const CServerTypeTable table;
    return table;
}

const CTypeTable& ClientTypes() {
    static const CClientTypeTable table;
    return table;
}

int32_t ClientTypeIdFromServerTypeId(int32_t serverId) {
    if (serverId < 0 || serverId >= kTypeCount) return -1;
    if (serverId < PlayPauseRequest) return serverId;
    if (serverId <= PlayPauseResponse) return -1;
    return serverId - 2;
}

int32_t ServerTypeIdFromClientTypeId(int32_t clientId) {
    if (clientId < 0 || clientId >= kTypeCount - 2) return -1;
    return clientId < PlayPauseRequest ? clientId : clientId + 2;
}

}  // namespace msg

std::string MediaTypeName(int32_t type) {
    if (type < 0 || type >= kMediaTypeCount) return {};
    return std::string(kMediaTypeNames[static_cast<size_t>(type)]);
}

int32_t MediaTypeFromName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (size_t i = 0; i < kMediaTypeNames.size(); ++i) {
        if (kMediaTypeNames[i] == lower) return static_cast<int32_t>(i);
    }
    return kMediaUndefined;
}

std::string PlayingStateName(int32_t state) {
    if (state < kPlaying || state > kRewinding3) state = kStopped;
    return std::string(kPlayingStateNames[static_cast<size_t>(state)]);
}

bool PlayingStateFromName(std::string_view name, int32_t& state) {
    for (size_t i = 0; i < kPlayingStateNames.size(); ++i) {
        if (kPlayingStateNames[i] == name) {
            state = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

}  // namespace vantor
