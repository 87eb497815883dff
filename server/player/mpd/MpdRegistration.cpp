#include "server/player/mpd/MpdRegistration.h"

#include "server/core/ConfigStore.h"
#include "server/core/ServerContext.h"
#include "server/library/MediaReaderFactory.h"
#include "server/player/mpd/MpdConfig.h"
#include "server/player/mpd/MpdMediaReader.h"

namespace vantor {

void RegisterMpdPlayer(CServerContext& context) {
    RegisterMediaReaderFactory(
        kPlayerMPD, [](CServerContext& ctx) -> std::unique_ptr<IMediaReader> {
            return std::make_unique<CMPDMediaReader>(
                ctx.logger, MpdAddressFromConfig(ctx.config),
                std::make_shared<CMpdPaths>(MpdMusicDirectoryFromConfig(ctx.config)));
        });
    CConfigStore& config = context.config;
    config.AddPlayerDetector([&config] { return MpdAnswers(config) ? kPlayerMPD : kPlayerNone; });
}

}  // namespace vantor
