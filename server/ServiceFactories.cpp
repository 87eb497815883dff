#include "server/ServiceFactories.h"

#include "server/core/Server.h"

#ifdef VANTOR_HAVE_LIBRARY
#include "server/library/MediaLibraryService.h"
#endif
#ifdef VANTOR_HAVE_PLAYER_FACTORY
#include "server/player/PlayerServiceFactory.h"
#endif
#ifdef VANTOR_HAVE_MPD
#include "server/player/mpd/MpdRegistration.h"
#endif
#ifdef VANTOR_HAVE_MPRIS
#include "server/player/mpris/MprisRegistration.h"
#endif
#ifdef VANTOR_HAVE_WEB_CHANNEL
#include "server/web/HttpChannel.h"
#endif
#ifdef VANTOR_HAVE_DNSSD
#include "server/dnssd/DnsSdChannel.h"
#endif

namespace vantor {

// Each service library adds its factory here as it joins the program (server/CMakeLists.txt
// defines VANTOR_HAVE_... when the library's target exists); a place without a factory
// stays empty and the server runs without that service.
void RegisterServiceFactories(CServer& server, CServerContext& context) {
    (void)context;
#ifdef VANTOR_HAVE_MPD
    RegisterMpdPlayer(context);
#endif
#ifdef VANTOR_HAVE_MPRIS
    RegisterMprisPlayer(context);  // after MPD: detection tries MPD first
#endif
#ifdef VANTOR_HAVE_LIBRARY
    server.SetServiceFactory(CServer::kLibraryPlace, [](CServerContext& ctx, int playerType) {
        return CreateMediaLibraryService(ctx, playerType);
    });
#endif
#ifdef VANTOR_HAVE_PLAYER_FACTORY
    server.SetServiceFactory(CServer::kPlayerPlace, [](CServerContext& ctx, int playerType) {
        return CreatePlayerService(playerType, ctx);
    });
#else
    (void)server;
#endif
#ifdef VANTOR_HAVE_WEB_CHANNEL
    server.Router().SetChannel(CRequestRouter::kHttpChannelPlace,
                               std::make_unique<CHttpChannel>(context));
#endif
#ifdef VANTOR_HAVE_DNSSD
    const bool announceWeb = server.Router().Channel(CRequestRouter::kHttpChannelPlace) != nullptr;
    server.Router().SetChannel(CRequestRouter::kDnsSdChannelPlace,
                               std::make_unique<CDnsSdChannel>(context, announceWeb));
#endif
}

}  // namespace vantor
