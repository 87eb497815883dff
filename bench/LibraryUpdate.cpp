#include "bench/LibraryUpdate.h"

#include "server/core/Logger.h"

#include <chrono>

namespace vantor::bench {

double LibraryUpdateSeconds(const std::string& dataFolder,
                            std::function<std::unique_ptr<IMediaReader>()> makeReader) {
    struct : IMediaLibraryListener {
        void OnMediaLibraryChanged() override {}
    } listener;
    CLogger logger;
    CMediaLibrary library(logger, dataFolder, std::move(makeReader));
    library.Start(&listener);  // the start-up update
    library.WaitForUpdate();
    const auto start = std::chrono::steady_clock::now();
    library.StartUpdate();
    library.WaitForUpdate();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    library.Stop();
    return seconds;
}

}  // namespace vantor::bench
