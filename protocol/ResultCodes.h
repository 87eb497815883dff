#pragma once

// Values of a response's returnCode. 0 is success; -1 is what a response carries when its
// handler set nothing. 10-22 concern the protocol, server and library, 100-123 the player,
// 500-502 the media-center helper link.

#include <cstdint>
#include <string>

namespace vantor {

enum ResultCode : int32_t {
    kResultUnset = -1,
    kResultSuccess = 0,
    kResultInvalidMessage = 10,
    kResultInvalidArgs = 11,
    kResultNotConnected = 12,
    kResultQueueFull = 13,
    kResultTimeout = 14,
    kResultFailed = 15,
    kResultSystemError = 16,
    kResultFileNotFound = 17,
    kResultParseError = 18,
    kResultNotSupported = 19,
    kResultLibraryLocked = 20,
    kResultLibraryIndexing = 21,
    kResultLibraryPathNotFound = 22,
    kResultMediaNotFound = 100,
    kResultPlaylistNotFound = 101,
    kResultPlayerComm = 102,
    kResultPlayerCommandFailed = 103,
    kResultObjectLocked = 104,
    kResultObjectDeleted = 105,
    kResultInvalidState = 106,
    kResultPending = 107,
    kResultAborted = 108,
    kResultStreamStopped = 109,
    kResultRebuffering = 110,
    kResultCodecDegraded = 111,
    kResultAlreadyRendered = 112,
    kResultClearAborted = 113,
    kResultRemoveAborted = 114,
    kResultPlaylistGenerating = 115,
    kResultValidationPending = 116,
    kResultNameGenerated = 117,
    kResultImportIncomplete = 118,
    kResultSingleItemM3u = 119,
    kResultSecurityUpgrade = 120,
    kResultRebootRequired = 121,
    kResultEosRewinding = 122,
    kResultNoAlbumArt = 123,
    kResultWrongMode = 500,
    kResultHelperConnection = 501,
    kResultButtonNotFound = 502,
};

// The description peers show for a code, character for character; "Unknown error" for any
// code without one (including -1).
std::string DescribeResultCode(int32_t code);

}  // namespace vantor
