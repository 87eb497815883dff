#pragma once

#include "server/library/art/AlbumArtProvider.h"
#include "server/player/mpris/MprisNowPlaying.h"

#include <memory>
#include <string>

namespace vantor {

class CLogger;

// Pictures for the tracks an MPRIS player plays. For the current track, the picture the
// player names in "mpris:artUrl": a local file is copied, an http(s) address downloaded.
// Otherwise (and for any other track with a local file) the picture embedded in the file
// itself. Pictures larger than kMaxPictureBytes are not taken.
class CMPRISArtProvider : public IAlbumArtProvider {
public:
    static constexpr size_t kMaxPictureBytes = 16 * 1024 * 1024;

    CMPRISArtProvider(CLogger& logger, std::shared_ptr<const CMprisNowPlaying> nowPlaying);

    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

private:
    bool FromArtUrl(const std::string& url, const std::string& targetPath);

    CLogger& m_logger;
    std::shared_ptr<const CMprisNowPlaying> m_nowPlaying;
};

}  // namespace vantor
