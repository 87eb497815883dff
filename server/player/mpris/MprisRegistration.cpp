#include "server/player/mpris/MprisRegistration.h"

#include "server/core/ConfigStore.h"
#include "server/core/ServerContext.h"
#include "server/library/MediaReaderFactory.h"
#include "server/library/readers/tags/TagLibMediaReader.h"
#include "server/player/mpris/MprisConfig.h"

namespace vantor {

void RegisterMprisPlayer(CServerContext& context) {
    RegisterMediaReaderFactory(
        kPlayerMPRIS, [](CServerContext& ctx) -> std::unique_ptr<IMediaReader> {
            // MPRIS players show no library of their own: without a music folder the
            // library stays empty.
            const std::string folder = MprisMusicDirectoryFromConfig(ctx.config);
            if (folder.empty()) return nullptr;
            return std::make_unique<CTagLibMediaReader>(ctx.logger, folder);
        });
    CConfigStore& config = context.config;
    config.AddPlayerDetector(
        [&config] { return MprisPlayerPresent(config) ? kPlayerMPRIS : kPlayerNone; });
}

}  // namespace vantor
