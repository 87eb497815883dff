#include "server/player/PlayerService.h"

#include "protocol/Messages.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/library/art/AlbumArtFinder.h"

namespace vantor {

CPlayerService::CPlayerService(CServerContext& context, std::string shortName,
                               std::string displayName)
    : m_context(context),
      m_shortName(std::move(shortName)),
      m_displayName(std::move(displayName)),
      m_actions(context.logger),
      m_artFinder(std::make_unique<CAlbumArtFinder>(context.logger, context.config,
                                                    context.config.GetDataFolder())),
      m_volumeTimer(context.logger),
      m_libraryTimer(context.logger),
      m_playlistTimer(context.logger),
      m_eqTimer(context.logger),
      m_disconnectTimer(context.logger) {}

CPlayerService::~CPlayerService() {
    Stop();
}

int CPlayerService::RequestEvent() const {
    return event::PlayerRequest;
}
int CPlayerService::ResponseEvent() const {
    return event::PlayerResponse;
}
int CPlayerService::BroadcastEvent() const {
    return event::PlayerBroadcast;
}

int CPlayerService::Start() {
    {
        std::lock_guard<std::mutex> lock(m_playerMutex);
        if (m_started) return 0;
        m_started = true;
    }
    m_volumeTimer.Init([this] { OnVolumeTimer(); }, kVolumeDelayMs);
    m_libraryTimer.Init([this] { OnLibraryTimer(); }, kLibraryDelayMs);
    m_playlistTimer.Init([this] { OnPlaylistTimer(); }, kPlaylistDelayMs);
    m_eqTimer.Init([this] { OnEqTimer(); }, kEqDelayMs);
    m_disconnectTimer.Init([this] { OnDisconnectTimer(); }, kDisconnectDelayMs);

    std::shared_ptr<IPlayer> player = CreatePlayer();
    if (player) player->AddListener(this);
    {
        std::lock_guard<std::mutex> lock(m_playerMutex);
        m_player = player;
    }

    CEventBus& bus = m_context.bus;
    bus.Subscribe(event::ConnectionAdded, this, [this](CEventHolder&) { OnConnectionAdded(); });
    bus.Subscribe(event::ConnectionRemoved, this, [this](CEventHolder&) { OnConnectionRemoved(); });
    bus.Subscribe(event::PlayerRequest, this, [this](CEventHolder& h) { OnRequest(h); });
    bus.Subscribe(event::LibraryReply, this, [this](CEventHolder& h) { OnLibraryReply(h); });
    return 0;
}

void CPlayerService::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_playerMutex);
        if (!m_started) return;
        m_started = false;
    }
    m_context.bus.Unsubscribe(this);
    m_volumeTimer.Cancel();
    m_libraryTimer.Cancel();
    m_playlistTimer.Cancel();
    m_eqTimer.Cancel();
    m_disconnectTimer.Cancel();
    DestroyPlayer();
    m_actions.Clear();
}

std::shared_ptr<IPlayer> CPlayerService::Player() const {
    std::lock_guard<std::mutex> lock(m_playerMutex);
    return m_player;
}

int CPlayerService::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    return m_connectionCount;
}

void CPlayerService::ConnectPlayer(IPlayer& player) {
    if (!player.IsConnected()) player.Connect();
}

void CPlayerService::DisconnectPlayer(IPlayer& player) {
    if (player.IsConnected()) player.Disconnect();
}

void CPlayerService::DestroyPlayer() {
    std::shared_ptr<IPlayer> player;
    {
        std::lock_guard<std::mutex> lock(m_playerMutex);
        player.swap(m_player);
    }
    if (!player) return;
    player->RemoveListener(this);
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    DisconnectPlayer(*player);
    // A request still running holds its own reference; the adapter goes when it is done.
}

void CPlayerService::OnConnectionAdded() {
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    ++m_connectionCount;
    m_disconnectTimer.Cancel();
    if (std::shared_ptr<IPlayer> player = Player()) ConnectPlayer(*player);
}

void CPlayerService::OnConnectionRemoved() {
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(m_connectionMutex);
        last = --m_connectionCount < 1;
    }
    // Armed outside the connection lock: re-arming may wait for the timer's previous thread,
    // which itself may be waiting for that lock. A client arriving in between is seen by
    // the timer's own check of the count.
    if (last) Arm(m_disconnectTimer);
}

void CPlayerService::OnDisconnectTimer() {
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    // A client that connected while this timer was already firing keeps the player.
    if (m_connectionCount >= 1) return;
    if (std::shared_ptr<IPlayer> player = Player()) DisconnectPlayer(*player);
}

void CPlayerService::Arm(CDelayTimer& timer) {
    {
        std::lock_guard<std::mutex> lock(m_playerMutex);
        if (!m_started) return;
    }
    timer.Arm();
}

void CPlayerService::Respond(std::unique_ptr<CResponseMessage> response) {
    CEventHolder holder(std::move(response));
    m_context.bus.Fire(event::PlayerResponse, holder, this);
}

void CPlayerService::Broadcast(std::unique_ptr<CMessage> event) {
    event->SetClientId(-1);
    CEventHolder holder(std::move(event));
    m_context.bus.Fire(event::PlayerBroadcast, holder, this);
}

}  // namespace vantor
