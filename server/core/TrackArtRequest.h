#pragma once

#include "protocol/LibraryMessages.h"
#include "protocol/Message.h"

namespace vantor {

// A GetAlbumArtRequest that names a library track instead of asking for the current one.
// Internal only (the web routes send it for /art/?track=ID): it never travels, so the
// document clients know is unchanged. The player service answers it like the plain request.
class CTrackArtRequest : public CRequestMessage {
public:
    explicit CTrackArtRequest(const CMediaItemBody& track)
        : CRequestMessage(msg::GetAlbumArtRequest), m_track(track) {}
    const CMediaItemBody& Track() const { return m_track; }

private:
    CMediaItemBody m_track;
};

}  // namespace vantor
