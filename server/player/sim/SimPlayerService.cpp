#include "server/player/sim/SimPlayerService.h"

#include "server/core/ServerContext.h"
#include "server/player/sim/SimulatedPlayer.h"

namespace vantor {

namespace {

struct CDemoTrack {
    const char* artist;
    const char* album;
    const char* title;
    int32_t length;
};

constexpr CDemoTrack kDemoTracks[] = {
    {"The Quiet Hours", "Northern Lines", "First Light", 214},
    {"The Quiet Hours", "Northern Lines", "Harbour Song", 187},
    {"Marta Oksen", "Paper Rooms", "Open Window", 241},
};

}  // namespace

CSimPlayerService::CSimPlayerService(CServerContext& context, bool withDemoPlaylist)
    : CPlayerService(context, "sim", "Simulated Player"), m_withDemoPlaylist(withDemoPlaylist) {}

CSimPlayerService::~CSimPlayerService() {
    Stop();
}

std::unique_ptr<IPlayer> CSimPlayerService::CreatePlayer() {
    auto player = std::make_unique<CSimulatedPlayer>(Context().logger);
    if (m_withDemoPlaylist) {
        MediaItemList tracks;
        for (const CDemoTrack& demo : kDemoTracks) {
            auto track = std::make_unique<CMusicItem>();
            track->artist = demo.artist;
            track->album = demo.album;
            track->name = demo.title;
            track->length = demo.length;
            tracks.push_back(std::move(track));
        }
        player->PlaylistAdd(tracks, -1);
    }
    m_simulated = player.get();
    return player;
}

}  // namespace vantor
