#include "server/player/wmp/WMPPlayerService.h"

#include "server/core/ServerContext.h"
#include "server/library/art/AlbumArtFinder.h"
#include "server/player/wmp/WMPArtProvider.h"
#include "server/player/wmp/WMPPlayer.h"

namespace vantor {

CWMPPlayerService::CWMPPlayerService(CServerContext& context)
    : CPlayerService(context, "wmp", "Windows Media Player") {}

CWMPPlayerService::~CWMPPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CWMPPlayerService::CreatePlayer() {
    auto player = std::make_unique<CWMPPlayer>(Context().logger, Context().config);
    m_artProvider = std::make_unique<CWMPArtProvider>(*player);
    return player;
}

void CWMPPlayerService::ConnectPlayer(IPlayer& player) {
    if (player.IsConnected()) return;
    player.Connect();
    AlbumArtFinder().AddProvider(CAlbumArtFinder::kFirstList, m_artProvider.get());
}

void CWMPPlayerService::DisconnectPlayer(IPlayer& player) {
    if (!player.IsConnected()) return;
    AlbumArtFinder().RemoveProvider(m_artProvider.get());
    player.Disconnect();
}

}  // namespace vantor
