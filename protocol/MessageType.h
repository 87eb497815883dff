#pragma once

// Message type ids and names, media types and playing states. Peers agree on names only:
// ids never travel, and the clients number their types differently (see MessageFactory.h).

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::msg {

// The server's type table: index = type id, enumerator = the name sent on the wire.
enum Type : int32_t {
    Undefined = 0,
    GetErrorDetailsRequest = 1,
    GetErrorDetailsResponse = 2,
    GetClientVersionRequest = 3,
    GetClientVersionResponse = 4,
    UnrecognizedRequest = 5,
    VersionInformation = 6,
    PlayPauseRequest = 7,
    PlayPauseResponse = 8,
    PlayRequest = 9,
    PlayResponse = 10,
    PauseRequest = 11,
    PauseResponse = 12,
    StopRequest = 13,
    StopResponse = 14,
    FastForwardRequest = 15,
    FastForwardResponse = 16,
    RewindRequest = 17,
    RewindResponse = 18,
    PreviousItemRequest = 19,
    PreviousItemResponse = 20,
    NextItemRequest = 21,
    NextItemResponse = 22,
    GetPlaylistPositionRequest = 23,
    GetPlaylistPositionResponse = 24,
    SetPlaylistPositionRequest = 25,
    SetPlaylistPositionResponse = 26,
    PlayMediaRequest = 27,
    PlayMediaResponse = 28,
    PlaylistAddRequest = 29,
    PlaylistAddResponse = 30,
    PlaylistRemoveRequest = 31,
    PlaylistRemoveResponse = 32,
    PlaylistMoveRequest = 33,
    PlaylistMoveResponse = 34,
    PlaylistClearRequest = 35,
    PlaylistClearResponse = 36,
    GetVolumeRequest = 37,
    GetVolumeResponse = 38,
    SetVolumeRequest = 39,
    SetVolumeResponse = 40,
    GetPlayPositionRequest = 41,
    GetPlayPositionResponse = 42,
    SetPlayPositionRequest = 43,
    SetPlayPositionResponse = 44,
    GetPlayingStateRequest = 45,
    GetPlayingStateResponse = 46,
    GetPlaylistLengthRequest = 47,
    GetPlaylistLengthResponse = 48,
    GetPlaylistItemsRequest = 49,
    GetPlaylistItemsResponse = 50,
    GetShuffleStateRequest = 51,
    GetShuffleStateResponse = 52,
    SetShuffleStateRequest = 53,
    SetShuffleStateResponse = 54,
    GetRepeatStateRequest = 55,
    GetRepeatStateResponse = 56,
    SetRepeatStateRequest = 57,
    SetRepeatStateResponse = 58,
    GetAlbumArtRequest = 59,
    GetAlbumArtResponse = 60,
    GetCurrentMediaRequest = 61,
    GetCurrentMediaResponse = 62,
    GetTrackRatingRequest = 63,
    GetTrackRatingResponse = 64,
    SetTrackRatingRequest = 65,
    SetTrackRatingResponse = 66,
    GetEqPresetsRequest = 67,
    GetEqPresetsResponse = 68,
    SetEqPresetRequest = 69,
    SetEqPresetResponse = 70,
    GetEqRequest = 71,
    GetEqResponse = 72,
    SetEqRequest = 73,
    SetEqResponse = 74,
    GetVideoModeRequest = 75,
    GetVideoModeResponse = 76,
    SetVideoModeRequest = 77,
    SetVideoModeResponse = 78,
    GetPlayerCapabilitiesRequest = 79,
    GetPlayerCapabilitiesResponse = 80,
    CurrentMediaChangedEvent = 81,
    PlayingStateChangedEvent = 82,
    VolumeChangedEvent = 83,
    PlaylistChangedEvent = 84,
    PlaylistPositionChangedEvent = 85,
    PlayPositionChangedEvent = 86,
    ShuffleStateChangedEvent = 87,
    RepeatStateChangedEvent = 88,
    EqChangedEvent = 89,
    PressButtonRequest = 90,
    PressButtonResponse = 91,
    SkipRequest = 92,
    SkipResponse = 93,
    ReplayRequest = 94,
    ReplayResponse = 95,
    ShutdownRequest = 96,
    ShutdownResponse = 97,
    GetRadioPresetsRequest = 98,
    GetRadioPresetsResponse = 99,
    TuneRadioRequest = 100,
    TuneRadioResponse = 101,
    PlaySlideShowRequest = 102,
    PlaySlideShowResponse = 103,
    GetMediaItemRequest = 104,
    GetMediaItemResponse = 105,
    BrowseGenresRequest = 106,
    BrowseGenresResponse = 107,
    BrowseArtistsRequest = 108,
    BrowseArtistsResponse = 109,
    BrowseAlbumsRequest = 110,
    BrowseAlbumsResponse = 111,
    BrowseTracksRequest = 112,
    BrowseTracksResponse = 113,
    BrowseFoldersRequest = 114,
    BrowseFoldersResponse = 115,
    BrowsePlaylistsRequest = 116,
    BrowsePlaylistsResponse = 117,
    BrowseTVSeriesRequest = 118,
    BrowseTVSeriesResponse = 119,
    BrowseTVRequest = 120,
    BrowseTVResponse = 121,
    BrowseVideoRequest = 122,
    BrowseVideoResponse = 123,
    BrowsePicturesRequest = 124,
    BrowsePicturesResponse = 125,
    MediaSearchRequest = 126,
    MediaSearchResponse = 127,
    BrowseLibraryRequest = 128,
    BrowseLibraryResponse = 129,
    UpdateMediaLibraryRequest = 130,
    UpdateMediaLibraryResponse = 131,
    AddMediaReaderRequest = 132,
    AddMediaReaderResponse = 133,
    RemoveMediaReaderRequest = 134,
    RemoveMediaReaderResponse = 135,
    MediaLibraryChangedEvent = 136,
    // Types added after the original 137; a peer that does not know them answers
    // UnrecognizedRequest, as for any unknown name.
    SavePlaylistRequest = 137,
    SavePlaylistResponse = 138,
};

inline constexpr int32_t kTypeCount = 139;

// Whether the media library answers this type (the original library types, 104 to 136);
// every other request goes to the player.
inline constexpr bool IsLibraryType(int32_t typeId) {
    return typeId >= GetMediaItemRequest && typeId <= MediaLibraryChangedEvent;
}

// Table name for 0..kTypeCount-1, "" otherwise.
std::string TypeNameFromId(int32_t id);
// Exact, case-sensitive lookup; 0 (Undefined) when absent.
int32_t TypeIdFromName(std::string_view name);

// A type-name table as one side numbers its types. The server's is the table above; the
// clients' lacks PlayPauseRequest and PlayPauseResponse, so its ids from 7 up are two lower.
class CTypeTable {
public:
    virtual ~CTypeTable() = default;
    // Name for an id of this table, "" when out of range.
    virtual std::string NameFromId(int32_t id) const = 0;
    // Exact, case-sensitive; 0 (Undefined) when absent.
    virtual int32_t IdFromName(std::string_view name) const = 0;
    virtual int32_t Count() const = 0;
};

const CTypeTable& ServerTypes();
const CTypeTable& ClientTypes();

// Converts between the two numberings; -1 when the type has no id on the other side
// (PlayPause on the clients) or the id is out of range.
int32_t ClientTypeIdFromServerTypeId(int32_t serverId);
int32_t ServerTypeIdFromClientTypeId(int32_t clientId);

}  // namespace vantor::msg

namespace vantor {

enum MediaType : int32_t {
    kMediaUndefined = 0,
    kMediaMusic = 1,
    kMediaVideo = 2,
    kMediaTV = 3,
    kMediaPlaylist = 4,
    kMediaPlaylistFolder = 5,
    kMediaPhoto = 6,
    kMediaRadio = 7,
    kMediaRadioFolder = 8,
    kMediaGenre = 9,
    kMediaArtist = 10,
    kMediaAlbum = 11,
    kMediaFolder = 12,
    kMediaTVSeries = 13,
    kMediaInfo = 14,
};

inline constexpr int32_t kMediaTypeCount = 15;

// "music", "tv series", ... for 0..14, "" otherwise.
std::string MediaTypeName(int32_t type);
// Case-insensitive (ASCII) lookup; kMediaUndefined when absent.
int32_t MediaTypeFromName(std::string_view name);

enum PlayingState : int32_t {
    kPlaying = 0,
    kPaused = 1,
    kStopped = 2,
    kFastForwarding = 3,
    kFastForwarding2 = 4,
    kFastForwarding3 = 5,
    kRewinding = 6,
    kRewinding2 = 7,
    kRewinding3 = 8,
};

// "playing", "fast-forwarding 2", ...; "stopped" for any value outside 0..8.
std::string PlayingStateName(int32_t state);
// Exact, case-sensitive lookup; false (and `state` untouched) for an unknown name.
bool PlayingStateFromName(std::string_view name, int32_t& state);

}  // namespace vantor
