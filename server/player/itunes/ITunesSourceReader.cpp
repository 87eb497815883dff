#include "server/player/itunes/ITunesSourceReader.h"

#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/itunes/ITunesPlayer.h"

namespace vantor {

int CITunesSourceReader::Read() {
    ClearStop();
    CAutomationObject app;
    if (!m_player.Application(app)) return kResultPlayerComm;
    CLogger& logger = m_player.Logger();
    CAutomationObject sources;
    int32_t sourceCount = 0;
    if (Failed(app.Get("Sources", sources)) || sources.IsNull() ||
        Failed(sources.Get("Count", sourceCount))) {
        return kResultPlayerCommandFailed;
    }
    logger.LogNormal("Found %d sources", sourceCount);
    for (int32_t s = 1; s <= sourceCount && !IsStopping(); ++s) {
        CAutomationObject source;
        std::string sourceName;
        CAutomationObject playlists;
        int32_t playlistCount = 0;
        if (Failed(sources.Get("Item", source, {s})) || source.IsNull()) continue;
        source.Get("Name", sourceName);
        logger.LogNormal("Fetching playlists for '%s'", sourceName.c_str());
        if (Failed(source.Get("Playlists", playlists)) || playlists.IsNull() ||
            Failed(playlists.Get("Count", playlistCount)) || playlistCount == 0) {
            logger.LogNormal("Source reported no playlists available");
            continue;
        }
        logger.LogNormal("\tFound %d playlists", playlistCount);
        for (int32_t p = 1; p <= playlistCount && !IsStopping(); ++p) {
            CAutomationObject playlist;
            CPlaylistItem item;
            if (Failed(playlists.Get("Item", playlist, {p})) || playlist.IsNull() ||
                Failed(playlist.Get("Name", item.name))) {
                logger.LogNormal("\tUnable to get playlist from source collection");
                continue;
            }
            logger.LogNormal("\tAdding playlist '%s'", item.name.c_str());
            if (IMediaReaderOwner* owner = Owner()) owner->AddItem(item);
        }
    }
    return kResultSuccess;
}

}  // namespace vantor
