#pragma once

#include "server/library/art/AlbumArtProvider.h"

namespace vantor {

class CWin32ITunesPlayer;

// Saves the artwork of iTunes' current track: 0 with the picture at the target path, 123
// without a current track or artwork, 102 without iTunes. The picture is written under the
// extension of its format first (".jpg", ".png", ".bmp", ".unk") and then moved to the target.
class CITunesArtProvider : public IAlbumArtProvider {
public:
    explicit CITunesArtProvider(CWin32ITunesPlayer& player) : m_player(player) {}
    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

private:
    CWin32ITunesPlayer& m_player;
};

}  // namespace vantor
