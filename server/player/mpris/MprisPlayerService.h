#pragma once

#include "server/player/PlayerService.h"
#include "server/player/mpris/MprisArtProvider.h"
#include "server/player/mpris/MprisNowPlaying.h"

#include <memory>

namespace vantor {

// The player service over a desktop player's MPRIS interface. While connected, the
// adapter's art provider sits in the album-art finder's first list, so the picture the
// player shows, or the one in the file, is found before an online lookup.
class CMPRISPlayerService : public CPlayerService {
public:
    explicit CMPRISPlayerService(CServerContext& context);
    ~CMPRISPlayerService() override;

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;
    void ConnectPlayer(IPlayer& player) override;
    void DisconnectPlayer(IPlayer& player) override;

private:
    std::shared_ptr<CMprisNowPlaying> m_nowPlaying;
    std::unique_ptr<CMPRISArtProvider> m_artProvider;
};

}  // namespace vantor
