#pragma once

#include "server/library/art/AlbumArtProvider.h"
#include "server/player/mpd/MpdConnection.h"
#include "server/player/mpd/MpdSong.h"

#include <memory>
#include <string>

namespace vantor {

class CLogger;

// Asks MPD for a track's picture: first the cover file in the track's folder ("albumart"),
// then the picture embedded in the file ("readpicture"), and writes it to the finder's
// target file. Each search uses a short-lived connection of its own, so searches on several
// request threads do not wait for each other or for player commands.
class CMPDArtProvider : public IAlbumArtProvider {
public:
    static constexpr size_t kMaxPictureBytes = 16 * 1024 * 1024;

    CMPDArtProvider(CLogger& logger, CMpdAddress address, std::shared_ptr<const CMpdPaths> paths);

    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

private:
    // The picture bytes from "albumart" or "readpicture" (`embedded`); empty when MPD has
    // none or fails.
    std::string Fetch(CMpdConnection& connection, const std::string& uri, bool embedded);

    CLogger& m_logger;
    const CMpdAddress m_address;
    std::shared_ptr<const CMpdPaths> m_paths;
};

}  // namespace vantor
