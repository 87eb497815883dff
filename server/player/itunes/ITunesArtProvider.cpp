#include "server/player/itunes/ITunesArtProvider.h"

#include "protocol/ResultCodes.h"
#include "server/player/itunes/ITunesPlayer.h"

#include <cstdio>

namespace vantor {

namespace {

const char* ExtensionOf(int32_t format) {
    switch (format) {
        case 1:
            return ".jpg";
        case 2:
            return ".png";
        case 3:
            return ".bmp";
        default:
            return ".unk";
    }
}

}  // namespace

int CITunesArtProvider::GetAlbumArt(const CMusicItem&, const std::string& targetPath) {
    CAutomationObject app;
    if (!m_player.Application(app)) return kResultPlayerComm;
    CAutomationObject track;
    CAutomationObject artworks;
    CAutomationObject artwork;
    int32_t count = 0;
    int32_t format = 0;
    if (Failed(app.Get("CurrentTrack", track)) || track.IsNull() ||
        Failed(track.Get("Artwork", artworks)) || artworks.IsNull() ||
        Failed(artworks.Get("Count", count)) || count < 1 ||
        Failed(artworks.Get("Item", artwork, {1})) || artwork.IsNull() ||
        Failed(artwork.Get("Format", format))) {
        return kResultNoAlbumArt;
    }
    const std::string saved = targetPath + ExtensionOf(format);
    if (Failed(artwork.Call("SaveArtworkToFile", {saved}))) {
        std::remove(saved.c_str());
        return kResultNoAlbumArt;
    }
    if (std::rename(saved.c_str(), targetPath.c_str()) != 0) {
        std::remove(saved.c_str());
        return kResultNoAlbumArt;
    }
    return kResultSuccess;
}

}  // namespace vantor
