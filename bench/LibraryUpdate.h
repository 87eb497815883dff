#pragma once

#include "server/library/MediaLibrary.h"

#include <functional>
#include <memory>
#include <string>

namespace vantor::bench {

// Seconds of one full library update the way the server runs it (reader, SQLite store,
// replaced library file), after the start-up update has warmed everything up.
double LibraryUpdateSeconds(const std::string& dataFolder,
                            std::function<std::unique_ptr<IMediaReader>()> makeReader);

}  // namespace vantor::bench
