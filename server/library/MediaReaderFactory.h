#pragma once

#include "server/library/MediaReader.h"

#include <functional>
#include <memory>

namespace vantor {

struct CServerContext;

// Makes the library reader of one player. Called on the server's or the update thread.
using MediaReaderFactory = std::function<std::unique_ptr<IMediaReader>(CServerContext&)>;

// Players whose readers live outside this folder plug them in here, before the server
// starts. Replaces an earlier factory of the same player type.
void RegisterMediaReaderFactory(int playerType, MediaReaderFactory factory);

// The reader for the configured player type: iTunes (1), Media Center (2), Windows Media
// Player (3) and Winamp (4) are built in; other types use a registered factory; null when
// there is none.
std::unique_ptr<IMediaReader> CreateMediaReader(int playerType, CServerContext& context);

}  // namespace vantor
