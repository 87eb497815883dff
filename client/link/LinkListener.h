#pragma once

// What the link tells the window layer. Every call arrives on the link's receive thread
// with no lock of the link held: a window layer marshals it to its own thread (the link may
// be called back from here, except Connect, Disconnect and destroying it). The operations
// are in the order of the original interface; each has an empty default. The "received"
// calls hand over the whole response, whose ReturnCode() tells whether the server could
// answer; the cached state changes only with responses that succeeded.

#include <cstdint>
#include <string>

#include "client/link/PlayerState.h"
#include "protocol/Messages.h"

namespace vantor::client {

class LinkListener {
public:
    virtual ~LinkListener() = default;

    virtual void OnMediaChanged(const CCurrentMedia& /*media*/) {}
    virtual void OnVolumeChanged(int32_t /*volume*/) {}
    virtual void OnShuffleChanged(bool /*on*/) {}
    virtual void OnRepeatChanged(bool /*on*/) {}
    virtual void OnPlayingStateChanged(int32_t /*playingState*/) {}
    virtual void OnPlaylistPositionChanged(int32_t /*position*/) {}
    virtual void OnPlayPositionChanged(int32_t /*seconds*/) {}
    virtual void OnPlaylistChanged() {}
    virtual void OnEqChanged(const CachedEq& /*eq*/) {}
    virtual void OnCapabilitiesReceived(const CPlayerCapabilitiesResponse& /*response*/) {}
    virtual void OnMediaLibraryChanged() {}
    virtual void OnPlaylistItemsReceived(const CPlaylistItemsResponse& /*response*/) {}
    // The art's location as the server gave it (an http URL).
    virtual void OnAlbumArtReceived(const std::string& /*artUrl*/) {}
    virtual void OnArtistsReceived(const CBrowseArtistsResponse& /*response*/) {}
    // `path` is the path of the request the listing answers.
    virtual void OnLibraryListingReceived(const std::string& /*path*/,
                                          const CBrowseLibraryResponse& /*response*/) {}
    virtual void OnSearchResultsReceived(const CMediaSearchResponse& /*response*/) {}
    virtual void OnClientVersionReceived(const CClientVersionResponse& /*response*/) {}
    virtual void OnEqPresetsReceived(const CEqPresetsResponse& /*response*/) {}
    virtual void OnConnectionLost() {}
};

}  // namespace vantor::client
