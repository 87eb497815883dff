#pragma once

namespace vantor {

struct CServerContext;

// Joins MPRIS players to the server program: the library reader for player type MPRIS
// (the files of "MPRIS\MusicDirectory", when set) and the player detection that picks MPRIS
// when a player is on the bus. Registered after MPD, so detection tries MPD first. Main
// thread, before the server starts.
void RegisterMprisPlayer(CServerContext& context);

}  // namespace vantor
