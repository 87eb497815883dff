#pragma once

#include "server/player/PlayerService.h"
#include "server/player/mpd/MpdArtProvider.h"
#include "server/player/mpd/MpdSong.h"

#include <memory>

namespace vantor {

// The player service over MPD. While connected, the adapter's art provider sits in the
// album-art finder's first list, so pictures MPD holds (cover files, embedded art) are
// found before an online lookup.
class CMPDPlayerService : public CPlayerService {
public:
    explicit CMPDPlayerService(CServerContext& context);
    ~CMPDPlayerService() override;

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;
    void ConnectPlayer(IPlayer& player) override;
    void DisconnectPlayer(IPlayer& player) override;

private:
    std::shared_ptr<CMpdPaths> m_paths;
    std::unique_ptr<CMPDArtProvider> m_artProvider;
};

}  // namespace vantor
