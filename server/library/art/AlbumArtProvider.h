#pragma once

#include <string>

namespace vantor {

class CMusicItem;

// A source of album pictures (files beside the track, art a player can extract, an online
// lookup). Called on the thread that handles the client's request; may block for network or
// disk work.
class IAlbumArtProvider {
public:
    virtual ~IAlbumArtProvider() = default;

    // Writes a picture for the track to targetPath. Returns 0 when a picture was written,
    // any other value otherwise (then targetPath is left absent). The track's artist, album
    // and title are already cleaned by the finder.
    virtual int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) = 0;
};

}  // namespace vantor
