#include "server/player/winamp/WinampPlayerService.h"

#include "platform/LocalWindowSystem.h"
#include "server/core/ServerContext.h"
#include "server/player/winamp/WinampPlayer.h"

namespace vantor {

CWinampPlayerService::CWinampPlayerService(CServerContext& context)
    : CWinampPlayerService(context, std::make_shared<CLocalWindowSystem>()) {}

CWinampPlayerService::CWinampPlayerService(CServerContext& context,
                                           std::shared_ptr<IWindowSystem> windows)
    : CPlayerService(context, "winamp", "Winamp"), m_windows(std::move(windows)) {}

CWinampPlayerService::~CWinampPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CWinampPlayerService::CreatePlayer() {
    return std::make_unique<CWinampPlayer>(Context().logger, Context().config, m_windows);
}

}  // namespace vantor
