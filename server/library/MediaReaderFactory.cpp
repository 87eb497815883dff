#include "server/library/MediaReaderFactory.h"

#include "server/core/ConfigStore.h"
#include "server/core/ServerContext.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "server/library/readers/wmp/WMPMediaReader.h"
#include "server/library/readers/winamp/WinampMediaReader.h"

#include <map>
#include <mutex>

namespace vantor {

namespace {

std::mutex& FactoryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<int, MediaReaderFactory>& Factories() {
    static std::map<int, MediaReaderFactory> factories;
    return factories;
}

}  // namespace

void RegisterMediaReaderFactory(int playerType, MediaReaderFactory factory) {
    std::lock_guard<std::mutex> lock(FactoryMutex());
    Factories()[playerType] = std::move(factory);
}

std::unique_ptr<IMediaReader> CreateMediaReader(int playerType, CServerContext& context) {
    MediaReaderFactory factory;
    {
        std::lock_guard<std::mutex> lock(FactoryMutex());
        auto found = Factories().find(playerType);
        if (found != Factories().end()) factory = found->second;
    }
    if (factory) return factory(context);
    if (playerType == kPlayerITunes) {
        return std::make_unique<CITunesMediaReader>(
            context.logger, context.config, context.config.GetString("Paths\\iTunesXML", ""));
    }
    if (playerType == kPlayerWinamp) {
        return std::make_unique<CWinampMediaReader>(context.logger, context.config.GetWinampPath());
    }
    if (playerType == kPlayerWMP || playerType == kPlayerMCE) {
        return std::make_unique<CWMPMediaReader>(context.logger, context.config.GetWMPProgram());
    }
    return nullptr;
}

}  // namespace vantor
