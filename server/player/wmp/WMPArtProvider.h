#pragma once

#include "server/library/art/AlbumArtProvider.h"

namespace vantor {

class CWMPPlayer;

// The picture the player keeps beside a track: "AlbumArt_<collection id>_Large.*" in the
// track's folder, the id being the track's "WM/WMCollectionID" in the media collection.
// 0 with the picture copied to the target, 123 when there is none, 102 without the player.
class CWMPArtProvider : public IAlbumArtProvider {
public:
    explicit CWMPArtProvider(CWMPPlayer& player) : m_player(player) {}
    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

private:
    CWMPPlayer& m_player;
};

}  // namespace vantor
