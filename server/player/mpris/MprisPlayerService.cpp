#include "server/player/mpris/MprisPlayerService.h"

#include "server/core/ServerContext.h"
#include "server/library/art/AlbumArtFinder.h"
#include "server/player/mpris/MprisConfig.h"
#include "server/player/mpris/MprisPlayer.h"

namespace vantor {

CMPRISPlayerService::CMPRISPlayerService(CServerContext& context)
    : CPlayerService(context, "mpris", "MPRIS"),
      m_nowPlaying(std::make_shared<CMprisNowPlaying>()),
      m_artProvider(std::make_unique<CMPRISArtProvider>(context.logger, m_nowPlaying)) {}

CMPRISPlayerService::~CMPRISPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CMPRISPlayerService::CreatePlayer() {
    return std::make_unique<CMPRISPlayer>(Context().logger, MprisAddressFromConfig(Context().config),
                                          m_nowPlaying);
}

void CMPRISPlayerService::ConnectPlayer(IPlayer& player) {
    if (player.IsConnected()) return;
    player.Connect();  // with no player on the bus yet, the adapter keeps watching for one
    AlbumArtFinder().AddProvider(CAlbumArtFinder::kFirstList, m_artProvider.get());
}

void CMPRISPlayerService::DisconnectPlayer(IPlayer& player) {
    if (!player.IsConnected()) return;
    AlbumArtFinder().RemoveProvider(m_artProvider.get());
    player.Disconnect();
}

}  // namespace vantor
