#include "server/player/PlayerServiceFactory.h"

#include "server/core/ConfigStore.h"
#include "server/core/ServerContext.h"
#include "server/player/itunes/ITunesPlayerService.h"
#include "server/player/sim/SimPlayerService.h"
#include "server/player/winamp/WinampPlayerService.h"
#include "server/player/wmp/WMPPlayerService.h"
#ifdef VANTOR_HAVE_MPD
#include "server/player/mpd/MpdPlayerService.h"
#endif
#ifdef VANTOR_HAVE_MPRIS
#include "server/player/mpris/MprisPlayerService.h"
#endif

namespace vantor {

std::unique_ptr<IService> CreatePlayerService(int playerType, CServerContext& context) {
    if (context.config.GetBool("SimulatedPlayer", false)) {
        return std::make_unique<CSimPlayerService>(context, true);
    }
    switch (playerType) {
        case kPlayerITunes:
            return std::make_unique<CITunesPlayerService>(context);
        case kPlayerWMP:
            return std::make_unique<CWMPPlayerService>(context);
        case kPlayerWinamp:
            return std::make_unique<CWinampPlayerService>(context);
#ifdef VANTOR_HAVE_MPD
        case kPlayerMPD:
            return std::make_unique<CMPDPlayerService>(context);
#endif
#ifdef VANTOR_HAVE_MPRIS
        case kPlayerMPRIS:
            return std::make_unique<CMPRISPlayerService>(context);
#endif
        default:
            return nullptr;
    }
}

}  // namespace vantor
