#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/MessageFactory.h"
#include "protocol/Messages.h"
#include "protocol/Receive.h"
#include "protocol/Xml.h"

namespace vantor {
namespace {

struct CatalogueRow {
    int32_t id;
    const char* name;
    MessageKind kind;
    bool serverReads;
    bool hasBody;
};

// The catalogue as peers know it: id, name, kind, whether the server accepts it, body.
const CatalogueRow kCatalogue[] = {
    {0, "Undefined", kEvent, false, false},
    {1, "GetErrorDetailsRequest", kRequest, true, true},
    {2, "GetErrorDetailsResponse", kResponse, true, true},
    {3, "GetClientVersionRequest", kRequest, true, true},
    {4, "GetClientVersionResponse", kResponse, true, true},
    {5, "UnrecognizedRequest", kResponse, true, false},
    {6, "VersionInformation", kEvent, true, true},
    {7, "PlayPauseRequest", kRequest, true, false},
    {8, "PlayPauseResponse", kResponse, true, false},
    {9, "PlayRequest", kRequest, true, false},
    {10, "PlayResponse", kResponse, true, false},
    {11, "PauseRequest", kRequest, true, false},
    {12, "PauseResponse", kResponse, true, false},
    {13, "StopRequest", kRequest, true, false},
    {14, "StopResponse", kResponse, true, false},
    {15, "FastForwardRequest", kRequest, true, false},
    {16, "FastForwardResponse", kResponse, true, false},
    {17, "RewindRequest", kRequest, true, false},
    {18, "RewindResponse", kResponse, true, false},
    {19, "PreviousItemRequest", kRequest, true, false},
    {20, "PreviousItemResponse", kResponse, true, false},
    {21, "NextItemRequest", kRequest, true, false},
    {22, "NextItemResponse", kResponse, true, false},
    {23, "GetPlaylistPositionRequest", kRequest, true, false},
    {24, "GetPlaylistPositionResponse", kResponse, true, true},
    {25, "SetPlaylistPositionRequest", kRequest, true, true},
    {26, "SetPlaylistPositionResponse", kResponse, true, false},
    {27, "PlayMediaRequest", kRequest, true, true},
    {28, "PlayMediaResponse", kResponse, true, false},
    {29, "PlaylistAddRequest", kRequest, true, true},
    {30, "PlaylistAddResponse", kResponse, true, false},
    {31, "PlaylistRemoveRequest", kRequest, true, true},
    {32, "PlaylistRemoveResponse", kResponse, true, false},
    {33, "PlaylistMoveRequest", kRequest, true, true},
    {34, "PlaylistMoveResponse", kResponse, true, false},
    {35, "PlaylistClearRequest", kRequest, true, false},
    {36, "PlaylistClearResponse", kResponse, true, false},
    {37, "GetVolumeRequest", kRequest, true, false},
    {38, "GetVolumeResponse", kResponse, true, true},
    {39, "SetVolumeRequest", kRequest, true, true},
    {40, "SetVolumeResponse", kResponse, true, false},
    {41, "GetPlayPositionRequest", kRequest, true, false},
    {42, "GetPlayPositionResponse", kResponse, true, true},
    {43, "SetPlayPositionRequest", kRequest, true, true},
    {44, "SetPlayPositionResponse", kResponse, true, false},
    {45, "GetPlayingStateRequest", kRequest, true, false},
    {46, "GetPlayingStateResponse", kResponse, true, true},
    {47, "GetPlaylistLengthRequest", kRequest, true, false},
    {48, "GetPlaylistLengthResponse", kResponse, true, true},
    {49, "GetPlaylistItemsRequest", kRequest, true, true},
    {50, "GetPlaylistItemsResponse", kResponse, true, true},
    {51, "GetShuffleStateRequest", kRequest, true, false},
    {52, "GetShuffleStateResponse", kResponse, true, true},
    {53, "SetShuffleStateRequest", kRequest, true, true},
    {54, "SetShuffleStateResponse", kResponse, true, false},
    {55, "GetRepeatStateRequest", kRequest, true, false},
    {56, "GetRepeatStateResponse", kResponse, true, true},
    {57, "SetRepeatStateRequest", kRequest, true, true},
    {58, "SetRepeatStateResponse", kResponse, true, false},
    {59, "GetAlbumArtRequest", kRequest, true, false},
    {60, "GetAlbumArtResponse", kResponse, true, true},
    {61, "GetCurrentMediaRequest", kRequest, true, false},
    {62, "GetCurrentMediaResponse", kResponse, true, true},
    {63, "GetTrackRatingRequest", kRequest, true, false},
    {64, "GetTrackRatingResponse", kResponse, true, true},
    {65, "SetTrackRatingRequest", kRequest, true, true},
    {66, "SetTrackRatingResponse", kResponse, true, false},
    {67, "GetEqPresetsRequest", kRequest, true, false},
    {68, "GetEqPresetsResponse", kResponse, true, true},
    {69, "SetEqPresetRequest", kRequest, true, true},
    {70, "SetEqPresetResponse", kResponse, true, false},
    {71, "GetEqRequest", kRequest, true, false},
    {72, "GetEqResponse", kResponse, true, true},
    {73, "SetEqRequest", kRequest, true, true},
    {74, "SetEqResponse", kResponse, true, false},
    {75, "GetVideoModeRequest", kRequest, true, false},
    {76, "GetVideoModeResponse", kResponse, true, true},
    {77, "SetVideoModeRequest", kRequest, true, true},
    {78, "SetVideoModeResponse", kResponse, true, false},
    {79, "GetPlayerCapabilitiesRequest", kRequest, true, false},
    {80, "GetPlayerCapabilitiesResponse", kResponse, true, true},
    {81, "CurrentMediaChangedEvent", kEvent, true, true},
    {82, "PlayingStateChangedEvent", kEvent, true, true},
    {83, "VolumeChangedEvent", kEvent, true, true},
    {84, "PlaylistChangedEvent", kEvent, true, false},
    {85, "PlaylistPositionChangedEvent", kEvent, true, true},
    {86, "PlayPositionChangedEvent", kEvent, true, true},
    {87, "ShuffleStateChangedEvent", kEvent, true, true},
    {88, "RepeatStateChangedEvent", kEvent, true, true},
    {89, "EqChangedEvent", kEvent, true, true},
    {90, "PressButtonRequest", kRequest, false, false},
    {91, "PressButtonResponse", kResponse, false, false},
    {92, "SkipRequest", kRequest, false, false},
    {93, "SkipResponse", kResponse, false, false},
    {94, "ReplayRequest", kRequest, false, false},
    {95, "ReplayResponse", kResponse, false, false},
    {96, "ShutdownRequest", kRequest, false, false},
    {97, "ShutdownResponse", kResponse, false, false},
    {98, "GetRadioPresetsRequest", kRequest, false, false},
    {99, "GetRadioPresetsResponse", kResponse, false, false},
    {100, "TuneRadioRequest", kRequest, false, false},
    {101, "TuneRadioResponse", kResponse, false, false},
    {102, "PlaySlideShowRequest", kRequest, false, false},
    {103, "PlaySlideShowResponse", kResponse, false, false},
    {104, "GetMediaItemRequest", kRequest, true, true},
    {105, "GetMediaItemResponse", kResponse, true, true},
    {106, "BrowseGenresRequest", kRequest, true, true},
    {107, "BrowseGenresResponse", kResponse, true, true},
    {108, "BrowseArtistsRequest", kRequest, true, true},
    {109, "BrowseArtistsResponse", kResponse, true, true},
    {110, "BrowseAlbumsRequest", kRequest, true, true},
    {111, "BrowseAlbumsResponse", kResponse, false, false},
    {112, "BrowseTracksRequest", kRequest, true, true},
    {113, "BrowseTracksResponse", kResponse, false, false},
    {114, "BrowseFoldersRequest", kRequest, true, true},
    {115, "BrowseFoldersResponse", kResponse, false, false},
    {116, "BrowsePlaylistsRequest", kRequest, true, true},
    {117, "BrowsePlaylistsResponse", kResponse, false, false},
    {118, "BrowseTVSeriesRequest", kRequest, true, true},
    {119, "BrowseTVSeriesResponse", kResponse, true, true},
    {120, "BrowseTVRequest", kRequest, true, true},
    {121, "BrowseTVResponse", kResponse, false, false},
    {122, "BrowseVideoRequest", kRequest, true, true},
    {123, "BrowseVideoResponse", kResponse, false, false},
    {124, "BrowsePicturesRequest", kRequest, true, true},
    {125, "BrowsePicturesResponse", kResponse, false, false},
    {126, "MediaSearchRequest", kRequest, true, true},
    {127, "MediaSearchResponse", kResponse, true, true},
    {128, "BrowseLibraryRequest", kRequest, true, true},
    {129, "BrowseLibraryResponse", kResponse, true, true},
    {130, "UpdateMediaLibraryRequest", kRequest, true, false},
    {131, "UpdateMediaLibraryResponse", kResponse, true, false},
    {132, "AddMediaReaderRequest", kRequest, false, false},
    {133, "AddMediaReaderResponse", kResponse, false, false},
    {134, "RemoveMediaReaderRequest", kRequest, false, false},
    {135, "RemoveMediaReaderResponse", kResponse, false, false},
    {136, "MediaLibraryChangedEvent", kEvent, true, false},
    {137, "SavePlaylistRequest", kRequest, true, true},
    {138, "SavePlaylistResponse", kResponse, true, false},
};

// Field text that must survive escaping and the wire: the five escaped characters,
// Latin-1 letters, Cyrillic, CJK and a four-byte emoji. Each field gets its own suffix so
// that two swapped fields show up.
std::string Text(int n) {
    return "a<b & 'c' \"d\" > caf\u00e9 \u00fcber \u041f\u0440\u0438\u0432\u0435\u0442 "
           "\u65e5\u672c\u8a9e \U0001F600 #" +
           std::to_string(n);
}

void Fill(CErrorCodeBody& b) {
    b.returnCode = 22;
}
void Fill(CDescriptionBody& b) {
    b.description = Text(1);
}
void Fill(CClientTypeBody& b) {
    b.type = Text(1);
}
void Fill(CClientVersionBody& b) {
    b.version = Text(1);
    b.url = Text(2);
    b.parameters = Text(3);
    b.checksum = Text(4);
}
void Fill(CVersionInfoBody& b) {
    b.name = Text(1);
    b.version = Text(2);
    b.action = Text(3);
    b.parameters = Text(4);
    b.updateURL = Text(5);
    b.infoURL = Text(6);
    b.checksum = Text(7);
    b.description = Text(8);
}
void Fill(CPositionBody& b) {
    b.position = 1234;
}
void Fill(CPlaylistMoveBody& b) {
    b.position = 3;
    b.newPosition = 9;
}
void Fill(CVolumeBody& b) {
    b.volume = 40;
}
void Fill(CPlayingStateBody& b) {
    b.playingState = kRewinding2;
}
void Fill(CPlaylistLengthBody& b) {
    b.length = 77;
}
void Fill(CPagingRequest& b) {
    b.start = 10;
    b.count = 20;
    b.includeTotalCount = true;
}
void Fill(CPagingResponse& b) {
    // start is written but list readers do not take it back.
    b.count = 2;
    b.totalCount = 300;
}
void Fill(CPlaylistItemsBody& b) {
    b.totalCount = 3;
    b.items = {Text(1), Text(2), Text(3)};
}
void Fill(CShuffleStateBody& b) {
    b.shuffleState = true;
}
void Fill(CRepeatStateBody& b) {
    b.repeatState = true;
}
void Fill(CAlbumArtBody& b) {
    b.artURL = Text(1);
}
void Fill(CCurrentMedia& b) {
    b.type = kMediaRadio;
    b.artist = Text(1);
    b.album = Text(2);
    b.channel = 3;
    b.title = Text(3);
    b.length = 215;
    b.rating = 80;
}
void Fill(CRatingBody& b) {
    b.rating = 60;
}
void Fill(CPresetListBody& b) {
    b.presets = {Text(1), Text(2)};
}
void Fill(CPresetBody& b) {
    b.preset = Text(1);
}
void Fill(CPlaylistNameBody& b) {
    b.name = Text(2);
}
void Fill(CEqSettings& b) {
    b.enabled = true;
    b.autoLoad = true;
    b.preamp = -5;
    for (size_t i = 0; i < b.bands.size(); ++i) b.bands[i] = static_cast<int32_t>(i * 3) - 12;
}
void Fill(CVideoModeBody& b) {
    b.fullScreenEnabled = true;
}
void Fill(CCapabilitiesBody& b) {
    b.supportsEQ = true;
}
void Fill(CMediaSelector& b) {
    // The query form, the only one that carries every field but the three keys.
    b.mediaType = kMediaTVSeries;
    b.any = Text(1);
    b.genre = Text(2);
    b.artist = Text(3);
    b.album = Text(4);
    b.title = Text(5);
}
void Fill(CPlaylistAddBody& b) {
    Fill(b.selector);
    b.position = 4;
}
void Fill(CMediaItemQuery& b) {
    b.id = 17;
    b.path = Text(1);
}
void Fill(CMediaItemBody& b) {
    b.id = 0;
    b.type = kMediaMusic;
    b.artist = Text(1);
    b.album = Text(2);
    b.title = Text(3);
    b.path = Text(4);
    b.trackNumber = "07";
}
void Fill(CNameQuery& b) {
    Fill(b.paging);
    b.name = Text(1);
}
void Fill(CArtistQuery& b) {
    Fill(b.paging);
    b.genre = 5;
    b.genreName = Text(1);
    b.name = Text(2);
}
void Fill(CAlbumQuery& b) {
    Fill(b.paging);
    b.genre = Text(1);
    b.artist = Text(2);
    b.name = Text(3);
    b.includeTracks = true;
}
void Fill(CTrackQuery& b) {
    Fill(b.paging);
    b.genre = Text(1);
    b.artist = Text(2);
    b.album = Text(3);
    b.title = Text(4);
}
void Fill(CFolderQuery& b) {
    Fill(b.paging);
    b.parentPath = "\\Music\\" + Text(1);
}
void Fill(CTVQuery& b) {
    Fill(b.paging);
    b.genre = Text(1);
    b.series = Text(2);
    b.title = Text(3);
}
void Fill(CVideoQuery& b) {
    Fill(b.paging);
    b.genre = Text(1);
    b.title = Text(2);
}
void Fill(CSearchQuery& b) {
    Fill(b.paging);
    b.type = kMediaPlaylistFolder;
    b.any = Text(1);
    b.genre = Text(2);
    b.artist = Text(3);
    b.album = Text(4);
    b.title = Text(5);
    b.path = Text(6);
    b.isExplicit = true;
}
void Fill(CLibraryQuery& b) {
    Fill(b.paging);
    b.path = "\\Music\\" + Text(1);
    b.returnAllMediaItems = true;
}
template <const char* Element>
void Fill(TNameList<Element>& b) {
    Fill(b.paging);
    b.names = {Text(1), Text(2)};
}
void Fill(CSearchResults& b) {
    Fill(b.paging);
    b.results = {{0, kMediaArtist, Text(1)}, {-1, kMediaAlbum, Text(2)}, {9, kMediaInfo, Text(3)}};
}
void Fill(CLibraryListing& b) {
    Fill(b.paging);
    b.path = "\\Music\\" + Text(1);
    b.results = {{12, kMediaFolder, Text(2), "\\Music\\" + Text(2)},
                 {-1, kMediaMusic, Text(3), ""},
                 {7, kMediaPlaylist, Text(4), Text(5)}};
}

template <class Message>
bool FillIf(CMessage& message) {
    auto* typed = dynamic_cast<Message*>(&message);
    if (typed == nullptr) return false;
    Fill(typed->Body());
    return true;
}

// Fills the body of any message class; false for a class without a body.
bool FillBody(CMessage& m) {
    return FillIf<CErrorDetailsRequest>(m) || FillIf<CErrorDetailsResponse>(m) ||
           FillIf<CClientVersionRequest>(m) || FillIf<CClientVersionResponse>(m) ||
           FillIf<CVersionInformation>(m) || FillIf<CPositionRequest>(m) ||
           FillIf<CPositionResponse>(m) || FillIf<CPositionEvent>(m) ||
           FillIf<CPlaylistMoveRequest>(m) || FillIf<CVolumeRequest>(m) ||
           FillIf<CVolumeResponse>(m) || FillIf<CVolumeEvent>(m) ||
           FillIf<CPlayingStateResponse>(m) || FillIf<CPlayingStateEvent>(m) ||
           FillIf<CPlaylistLengthResponse>(m) || FillIf<CPlaylistItemsRequest>(m) ||
           FillIf<CPlaylistItemsResponse>(m) || FillIf<CShuffleStateRequest>(m) ||
           FillIf<CShuffleStateResponse>(m) || FillIf<CShuffleStateEvent>(m) ||
           FillIf<CRepeatStateRequest>(m) || FillIf<CRepeatStateResponse>(m) ||
           FillIf<CRepeatStateEvent>(m) || FillIf<CAlbumArtResponse>(m) ||
           FillIf<CCurrentMediaResponse>(m) || FillIf<CCurrentMediaEvent>(m) ||
           FillIf<CTrackRatingRequest>(m) || FillIf<CTrackRatingResponse>(m) ||
           FillIf<CEqPresetsResponse>(m) || FillIf<CEqPresetRequest>(m) ||
           FillIf<CSavePlaylistRequest>(m) || FillIf<CEqRequest>(m) ||
           FillIf<CEqResponse>(m) || FillIf<CEqEvent>(m) || FillIf<CVideoModeRequest>(m) ||
           FillIf<CVideoModeResponse>(m) || FillIf<CPlayerCapabilitiesResponse>(m) ||
           FillIf<CPlayMediaRequest>(m) || FillIf<CPlaylistAddRequest>(m) ||
           FillIf<CMediaItemRequest>(m) || FillIf<CMediaItemResponse>(m) ||
           FillIf<CBrowseByNameRequest>(m) || FillIf<CBrowseArtistsRequest>(m) ||
           FillIf<CBrowseAlbumsRequest>(m) || FillIf<CBrowseTracksRequest>(m) ||
           FillIf<CBrowseFoldersRequest>(m) || FillIf<CBrowseTVRequest>(m) ||
           FillIf<CBrowseVideoRequest>(m) || FillIf<CMediaSearchRequest>(m) ||
           FillIf<CBrowseLibraryRequest>(m) || FillIf<CBrowseGenresResponse>(m) ||
           FillIf<CBrowseArtistsResponse>(m) || FillIf<CBrowseTVSeriesResponse>(m) ||
           FillIf<CMediaSearchResponse>(m) || FillIf<CBrowseLibraryResponse>(m);
}

void SetEnvelope(CMessage& message) {
    if (auto* request = dynamic_cast<CRequestMessage*>(&message)) request->SetRequestId(12);
    if (auto* response = dynamic_cast<CResponseMessage*>(&message)) {
        response->SetRequestId(34);
        // GetErrorDetailsResponse carries no returnCode, so it reads back as -1.
        if (!dynamic_cast<CErrorDetailsResponse*>(&message)) response->SetReturnCode(19);
    }
}

std::string OverTheWire(const CMessage& message) {
    std::string bytes = message.ToXml();
    EXPECT_TRUE(ToWireText(bytes));
    return bytes;
}

TEST(Catalogue, NamesIdsFactoryAndRoundTripForEveryType) {
    ASSERT_EQ(std::size(kCatalogue), static_cast<size_t>(msg::kTypeCount));
    const CMessageCatalogue everyType{&msg::ServerTypes(), &CreateAnyMessage};
    for (const CatalogueRow& row : kCatalogue) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(msg::TypeNameFromId(row.id), row.name);
        EXPECT_EQ(msg::TypeIdFromName(row.name), row.id);
        EXPECT_EQ(CreateMessage(row.id) != nullptr, row.serverReads);
        if (row.id == msg::Undefined) continue;

        std::unique_ptr<CMessage> message = CreateAnyMessage(row.id);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->TypeId(), row.id);
        EXPECT_EQ(message->Kind(), row.kind);
        EXPECT_EQ(FillBody(*message), row.hasBody);
        SetEnvelope(*message);

        const std::string doc = message->ToXml();
        EXPECT_EQ(GetRootElementName(doc), row.name);
        EXPECT_TRUE(doc.ends_with(std::string("\n</") + row.name + ">"));

        const std::string wire = OverTheWire(*message);
        CReceiveResult received =
            ReceiveDocument(wire, 5, row.serverReads ? ServerCatalogue() : everyType);
        ASSERT_TRUE(received.recognized);
        EXPECT_EQ(*received.message, *message) << doc;
        EXPECT_EQ(received.message->ClientId(), 5);
        EXPECT_EQ(received.message->ToXml(), doc);

        // The clients number the same name differently but read the same document.
        int32_t clientId = msg::ClientTypeIdFromServerTypeId(row.id);
        if (row.id == msg::PlayPauseRequest || row.id == msg::PlayPauseResponse) {
            EXPECT_EQ(clientId, -1);
            EXPECT_EQ(msg::ClientTypes().IdFromName(row.name), msg::Undefined);
            continue;
        }
        EXPECT_EQ(clientId, row.id < 7 ? row.id : row.id - 2);
        EXPECT_EQ(msg::ClientTypes().NameFromId(clientId), row.name);
        CReceiveResult onClient = ReceiveDocument(wire, -1, ClientCatalogue());
        ASSERT_TRUE(onClient.recognized);
        EXPECT_EQ(onClient.message->TypeId(), clientId);
        EXPECT_EQ(onClient.message->ToXml(), doc);
    }
    EXPECT_EQ(msg::TypeNameFromId(msg::kTypeCount), "");
    EXPECT_EQ(msg::TypeNameFromId(-1), "");
    EXPECT_EQ(CreateMessage(msg::kTypeCount), nullptr);
    EXPECT_EQ(CreateClientMessage(msg::kTypeCount - 2), nullptr);
    EXPECT_EQ(msg::TypeIdFromName("playrequest"), msg::Undefined);
}

TEST(Catalogue, ClonesAreEqualAndIndependent) {
    for (const CatalogueRow& row : kCatalogue) {
        std::unique_ptr<CMessage> message = CreateAnyMessage(row.id);
        if (!message) continue;
        FillBody(*message);
        SetEnvelope(*message);
        std::unique_ptr<CMessage> copy = message->Clone();
        EXPECT_EQ(*copy, *message) << row.name;
        EXPECT_EQ(copy->ToXml(), message->ToXml()) << row.name;
    }
    CVolumeEvent a(msg::VolumeChangedEvent);
    a.Body().volume = 3;
    auto b = a.Clone();
    static_cast<CVolumeEvent&>(*b).Body().volume = 4;
    EXPECT_NE(*b, a);
    // Same body, different type: not equal.
    CPositionEvent play(msg::PlayPositionChangedEvent), list(msg::PlaylistPositionChangedEvent);
    EXPECT_NE(play, list);
}

}  // namespace
}  // namespace vantor
