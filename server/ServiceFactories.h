#pragma once

namespace vantor {

class CServer;
struct CServerContext;

// Registers the factories of the services that exist in this build (place 0 the media
// library service, place 1 the player service chosen by PlayerType) and installs the
// channels beyond the XML channel (the HTTP channel in CRequestRouter::kHttpChannelPlace).
// Main thread, before the server starts; `context` outlives the server.
void RegisterServiceFactories(CServer& server, CServerContext& context);

}  // namespace vantor
