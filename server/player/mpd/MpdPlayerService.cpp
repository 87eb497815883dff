#include "server/player/mpd/MpdPlayerService.h"

#include "server/core/ServerContext.h"
#include "server/library/art/AlbumArtFinder.h"
#include "server/player/mpd/MpdConfig.h"
#include "server/player/mpd/MpdPlayer.h"

namespace vantor {

CMPDPlayerService::CMPDPlayerService(CServerContext& context)
    : CPlayerService(context, "mpd", "MPD"),
      m_paths(std::make_shared<CMpdPaths>(MpdMusicDirectoryFromConfig(context.config))),
      m_artProvider(std::make_unique<CMPDArtProvider>(
          context.logger, MpdAddressFromConfig(context.config), m_paths)) {}

CMPDPlayerService::~CMPDPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CMPDPlayerService::CreatePlayer() {
    return std::make_unique<CMPDPlayer>(Context().logger, MpdAddressFromConfig(Context().config),
                                        m_paths);
}

void CMPDPlayerService::ConnectPlayer(IPlayer& player) {
    if (player.IsConnected()) return;
    player.Connect();  // when MPD is not there yet, the adapter keeps trying by itself
    AlbumArtFinder().AddProvider(CAlbumArtFinder::kFirstList, m_artProvider.get());
}

void CMPDPlayerService::DisconnectPlayer(IPlayer& player) {
    if (!player.IsConnected()) return;
    AlbumArtFinder().RemoveProvider(m_artProvider.get());
    player.Disconnect();
}

}  // namespace vantor
