#pragma once

// Bodies and message classes of player control: transport, playlist, volume, position,
// state, current media, rating, equaliser and video mode. Position, volume, length and
// rating are in the player service's units and travel unchanged.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/EqSettings.h"
#include "protocol/MediaSelector.h"
#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/PagingBlocks.h"

namespace vantor {

struct CPositionBody {
    int32_t position = -1;
    bool operator==(const CPositionBody&) const = default;
};

struct CPlaylistMoveBody {
    int32_t position = -1;
    int32_t newPosition = -1;
    bool operator==(const CPlaylistMoveBody&) const = default;
};

struct CVolumeBody {
    int32_t volume = -1;
    bool operator==(const CVolumeBody&) const = default;
};

// Travels as "playing", "paused", "stopped", "fast-forwarding 2", ...
struct CPlayingStateBody {
    int32_t playingState = kStopped;
    bool operator==(const CPlayingStateBody&) const = default;
};

struct CPlaylistLengthBody {
    int32_t length = -1;
    bool operator==(const CPlaylistLengthBody&) const = default;
};

// GetPlaylistItemsResponse: one display text per playlist entry. start is written when
// set but not read back.
struct CPlaylistItemsBody {
    int32_t start = -1;
    int32_t totalCount = -1;
    std::vector<std::string> items;
    bool operator==(const CPlaylistItemsBody&) const = default;
};

struct CShuffleStateBody {
    bool shuffleState = false;
    bool operator==(const CShuffleStateBody&) const = default;
};

struct CRepeatStateBody {
    bool repeatState = false;
    bool operator==(const CRepeatStateBody&) const = default;
};

struct CAlbumArtBody {
    std::string artURL;
    bool operator==(const CAlbumArtBody&) const = default;
};

// What is playing: "type" always, the texts when not empty, the ints when set.
struct CCurrentMedia {
    int32_t type = kMediaUndefined;
    std::string artist;
    std::string album;
    int32_t channel = -1;
    std::string title;
    int32_t length = -1;
    int32_t rating = -1;
    bool operator==(const CCurrentMedia&) const = default;
};

struct CRatingBody {
    int32_t rating = -1;
    bool operator==(const CRatingBody&) const = default;
};

struct CPresetListBody {
    std::vector<std::string> presets;  // one "preset" element each
    bool operator==(const CPresetListBody&) const = default;
};

struct CPresetBody {
    std::string preset;
    bool operator==(const CPresetBody&) const = default;
};

// The name under which the player keeps the current play list.
struct CPlaylistNameBody {
    std::string name;
    bool operator==(const CPlaylistNameBody&) const = default;
};

struct CVideoModeBody {
    bool fullScreenEnabled = false;
    bool operator==(const CVideoModeBody&) const = default;
};

struct CCapabilitiesBody {
    bool supportsEQ = false;
    bool operator==(const CCapabilitiesBody&) const = default;
};

// PlaylistAddRequest: what to add and where; position -1 (not written) appends.
struct CPlaylistAddBody {
    CMediaSelector selector;
    int32_t position = -1;
    bool operator==(const CPlaylistAddBody&) const = default;
};

void WriteFields(std::string& out, const CPositionBody& body);
void ReadFields(const std::string& doc, CPositionBody& body);
void WriteFields(std::string& out, const CPlaylistMoveBody& body);
void ReadFields(const std::string& doc, CPlaylistMoveBody& body);
void WriteFields(std::string& out, const CVolumeBody& body);
void ReadFields(const std::string& doc, CVolumeBody& body);
void WriteFields(std::string& out, const CPlayingStateBody& body);
void ReadFields(const std::string& doc, CPlayingStateBody& body);
void WriteFields(std::string& out, const CPlaylistLengthBody& body);
void ReadFields(const std::string& doc, CPlaylistLengthBody& body);
void WriteFields(std::string& out, const CPlaylistItemsBody& body);
void ReadFields(const std::string& doc, CPlaylistItemsBody& body);
void WriteFields(std::string& out, const CShuffleStateBody& body);
void ReadFields(const std::string& doc, CShuffleStateBody& body);
void WriteFields(std::string& out, const CRepeatStateBody& body);
void ReadFields(const std::string& doc, CRepeatStateBody& body);
void WriteFields(std::string& out, const CAlbumArtBody& body);
void ReadFields(const std::string& doc, CAlbumArtBody& body);
void WriteFields(std::string& out, const CCurrentMedia& body);
void ReadFields(const std::string& doc, CCurrentMedia& body);
void WriteFields(std::string& out, const CRatingBody& body);
void ReadFields(const std::string& doc, CRatingBody& body);
void WriteFields(std::string& out, const CPresetListBody& body);
void ReadFields(const std::string& doc, CPresetListBody& body);
void WriteFields(std::string& out, const CPresetBody& body);
void ReadFields(const std::string& doc, CPresetBody& body);
void WriteFields(std::string& out, const CPlaylistNameBody& body);
void ReadFields(const std::string& doc, CPlaylistNameBody& body);
// Always all ten bands, "band1" to "band10".
void WriteFields(std::string& out, const CEqSettings& body);
void ReadFields(const std::string& doc, CEqSettings& body);
void WriteFields(std::string& out, const CVideoModeBody& body);
void ReadFields(const std::string& doc, CVideoModeBody& body);
void WriteFields(std::string& out, const CCapabilitiesBody& body);
void ReadFields(const std::string& doc, CCapabilitiesBody& body);
void WriteFields(std::string& out, const CPlaylistAddBody& body);
void ReadFields(const std::string& doc, CPlaylistAddBody& body);

// SetPlaylistPositionRequest, PlaylistRemoveRequest, SetPlayPositionRequest.
using CPositionRequest = TBodyMessage<CRequestMessage, CPositionBody>;
// GetPlaylistPositionResponse, GetPlayPositionResponse.
using CPositionResponse = TBodyMessage<CResponseMessage, CPositionBody>;
// PlaylistPositionChangedEvent, PlayPositionChangedEvent.
using CPositionEvent = TBodyMessage<CMessage, CPositionBody>;
using CPlaylistMoveRequest = TBodyMessage<CRequestMessage, CPlaylistMoveBody>;
using CVolumeRequest = TBodyMessage<CRequestMessage, CVolumeBody>;
using CVolumeResponse = TBodyMessage<CResponseMessage, CVolumeBody>;
using CVolumeEvent = TBodyMessage<CMessage, CVolumeBody>;
using CPlayingStateResponse = TBodyMessage<CResponseMessage, CPlayingStateBody>;
using CPlayingStateEvent = TBodyMessage<CMessage, CPlayingStateBody>;
using CPlaylistLengthResponse = TBodyMessage<CResponseMessage, CPlaylistLengthBody>;
using CPlaylistItemsRequest = TBodyMessage<CRequestMessage, CPagingRequest>;
using CPlaylistItemsResponse = TBodyMessage<CResponseMessage, CPlaylistItemsBody>;
using CShuffleStateRequest = TBodyMessage<CRequestMessage, CShuffleStateBody>;
using CShuffleStateResponse = TBodyMessage<CResponseMessage, CShuffleStateBody>;
using CShuffleStateEvent = TBodyMessage<CMessage, CShuffleStateBody>;
using CRepeatStateRequest = TBodyMessage<CRequestMessage, CRepeatStateBody>;
using CRepeatStateResponse = TBodyMessage<CResponseMessage, CRepeatStateBody>;
using CRepeatStateEvent = TBodyMessage<CMessage, CRepeatStateBody>;
using CAlbumArtResponse = TBodyMessage<CResponseMessage, CAlbumArtBody>;
using CCurrentMediaResponse = TBodyMessage<CResponseMessage, CCurrentMedia>;
using CCurrentMediaEvent = TBodyMessage<CMessage, CCurrentMedia>;
using CTrackRatingRequest = TBodyMessage<CRequestMessage, CRatingBody>;
using CTrackRatingResponse = TBodyMessage<CResponseMessage, CRatingBody>;
using CEqPresetsResponse = TBodyMessage<CResponseMessage, CPresetListBody>;
using CEqPresetRequest = TBodyMessage<CRequestMessage, CPresetBody>;
using CSavePlaylistRequest = TBodyMessage<CRequestMessage, CPlaylistNameBody>;
using CEqRequest = TBodyMessage<CRequestMessage, CEqSettings>;
using CEqResponse = TBodyMessage<CResponseMessage, CEqSettings>;
using CEqEvent = TBodyMessage<CMessage, CEqSettings>;
using CVideoModeRequest = TBodyMessage<CRequestMessage, CVideoModeBody>;
using CVideoModeResponse = TBodyMessage<CResponseMessage, CVideoModeBody>;
using CPlayerCapabilitiesResponse = TBodyMessage<CResponseMessage, CCapabilitiesBody>;
using CPlayMediaRequest = TBodyMessage<CRequestMessage, CMediaSelector>;
using CPlaylistAddRequest = TBodyMessage<CRequestMessage, CPlaylistAddBody>;

}  // namespace vantor
