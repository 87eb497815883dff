#include "server/player/itunes/ITunesPlayerService.h"

#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/library/MediaReaderMessages.h"
#include "server/library/art/AlbumArtFinder.h"
#include "server/player/itunes/ITunesArtProvider.h"
#include "server/player/itunes/ITunesPlayer.h"
#include "server/player/itunes/ITunesSourceReader.h"

namespace vantor {

CITunesPlayerService::CITunesPlayerService(CServerContext& context)
    : CPlayerService(context, "itunes", "iTunes") {}

CITunesPlayerService::~CITunesPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CITunesPlayerService::CreatePlayer() {
    auto player = std::make_unique<CWin32ITunesPlayer>(Context().logger, Context().config);
    m_artProvider = std::make_unique<CITunesArtProvider>(*player);
    m_reader = std::make_unique<CITunesSourceReader>(*player);
    return player;
}

void CITunesPlayerService::ConnectPlayer(IPlayer& player) {
    if (player.IsConnected()) return;
    player.Connect();
    AlbumArtFinder().AddProvider(CAlbumArtFinder::kFirstList, m_artProvider.get());
    SendReaderRequest(msg::AddMediaReaderRequest);
}

void CITunesPlayerService::DisconnectPlayer(IPlayer& player) {
    if (!player.IsConnected()) return;
    // The library waits for a read of this reader that is under way.
    m_reader->Stop();
    SendReaderRequest(msg::RemoveMediaReaderRequest);
    AlbumArtFinder().RemoveProvider(m_artProvider.get());
    player.Disconnect();
}

void CITunesPlayerService::SendReaderRequest(int32_t typeId) {
    auto request = std::make_unique<CMediaReaderRequest>(typeId, m_reader.get());
    request->SetClientId(0);
    request->SetRequestId(Context().bus.NextSequenceId());
    CEventHolder holder(std::move(request));
    Context().bus.Fire(event::LibraryRequest, holder, this);
}

}  // namespace vantor
