#pragma once

#include "server/core/Service.h"

#include <memory>

namespace vantor {

struct CServerContext;

// The player service for the server's player place, by player type (the values of
// CConfigStore::GetPlayerType). Returns null when the type has no service here (none, MCE,
// players not built in); the caller logs what it has to.
//
// The configuration value "SimulatedPlayer" (boolean, default false) overrides the type:
// when true, the service drives the simulated player with a short demo playlist, so the
// server can be tried and tested without any real player.
//
// Link target: vantor_player_factory.
std::unique_ptr<IService> CreatePlayerService(int playerType, CServerContext& context);

}  // namespace vantor
