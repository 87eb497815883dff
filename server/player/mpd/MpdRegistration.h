#pragma once

namespace vantor {

struct CServerContext;

// Joins MPD to the server program: the library reader for player type MPD and the player
// detection that picks MPD when one answers at the configured address. Main thread, before
// the server starts.
void RegisterMpdPlayer(CServerContext& context);

}  // namespace vantor
