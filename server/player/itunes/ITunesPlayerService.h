#pragma once

#include "server/player/PlayerService.h"

#include <memory>

namespace vantor {

class CITunesArtProvider;
class CITunesSourceReader;

// The player service over iTunes. While connected, the adapter's art provider sits in the
// album-art finder's first list and its source reader among the media library's readers.
class CITunesPlayerService : public CPlayerService {
public:
    explicit CITunesPlayerService(CServerContext& context);
    ~CITunesPlayerService() override;

protected:
    std::unique_ptr<IPlayer> CreatePlayer() override;
    void ConnectPlayer(IPlayer& player) override;
    void DisconnectPlayer(IPlayer& player) override;

private:
    void SendReaderRequest(int32_t typeId);

    std::unique_ptr<CITunesArtProvider> m_artProvider;
    std::unique_ptr<CITunesSourceReader> m_reader;
};

}  // namespace vantor
