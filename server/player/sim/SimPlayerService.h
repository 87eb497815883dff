#pragma once

#include "server/player/PlayerService.h"

#include <memory>

namespace vantor {

class CSimulatedPlayer;

// The player service over the simulated player, for tests and demos.
class CSimPlayerService : public CPlayerService {
public:
    // withDemoPlaylist: the player starts with a few tracks, so that a client has something
    // to play at once.
    explicit CSimPlayerService(CServerContext& context, bool withDemoPlaylist = false);
    ~CSimPlayerService() override;

    // The player made by Start; null before. Lets tests and demos change the player's state
    // behind the service's back, as a user at the player would.
    CSimulatedPlayer* Simulated() const { return m_simulated; }

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;

private:
    bool m_withDemoPlaylist;
    CSimulatedPlayer* m_simulated = nullptr;  // owned by the base class
};

}  // namespace vantor
