#pragma once

#include "server/player/PlayerService.h"

#include <memory>

namespace vantor {

class CWMPArtProvider;

// The player service over Windows Media Player. While connected, the adapter's art provider
// sits in the album-art finder's first list. The player's library is read by the media
// library's own reader, updated when the player reports its collection changed.
class CWMPPlayerService : public CPlayerService {
public:
    explicit CWMPPlayerService(CServerContext& context);
    ~CWMPPlayerService() override;

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;
    void ConnectPlayer(IPlayer& player) override;
    void DisconnectPlayer(IPlayer& player) override;

private:
    std::unique_ptr<CWMPArtProvider> m_artProvider;
};

}  // namespace vantor
