#pragma once

#include "server/player/PlayerService.h"

#include <memory>

namespace vantor {

class IWindowSystem;

// The player service over Winamp. Connecting and disconnecting are the common ones: Winamp
// brings no art provider and no media reader of its own.
class CWinampPlayerService : public CPlayerService {
public:
    explicit CWinampPlayerService(CServerContext& context);
    // With another window system than the local one (tests).
    CWinampPlayerService(CServerContext& context, std::shared_ptr<IWindowSystem> windows);
    ~CWinampPlayerService() override;

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;

private:
    std::shared_ptr<IWindowSystem> m_windows;
};

}  // namespace vantor
