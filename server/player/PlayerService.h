#pragma once

#include "server/core/Service.h"
#include "server/player/DelayTimer.h"
#include "server/player/Player.h"
#include "server/player/QueuedActions.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace vantor {

struct CServerContext;
class CAlbumArtFinder;
class CEventHolder;
class CMessage;
class CRequestMessage;
class CResponseMessage;
struct CCurrentMedia;

// Carries out the clients' player requests against one player adapter and turns the
// adapter's change notifications into broadcast events. It talks to the rest of the server
// only over the event bus: requests come on 12, responses go on 13 and broadcasts on 14;
// library lookups go out on 6 and their replies come back on 7. The player is connected
// when the first client connects and disconnected 2 s after the last one left.
//
// One subclass per adapter creates the adapter and, where the adapter needs more than
// Connect/Disconnect (an art provider, a media reader), overrides ConnectPlayer and
// DisconnectPlayer. Everything else is common.
//
// Threads: bus handlers run on the firing threads (channel receivers, the library thread),
// listener callbacks on the adapter's monitor threads, delayed broadcasts on five timer
// threads. The service locks its own data; adapters must be thread-safe (see IPlayer).
class CPlayerService : public IService, public IPlayerListener {
public:
    static constexpr int kVolumeDelayMs = 500;
    static constexpr int kLibraryDelayMs = 5000;
    static constexpr int kPlaylistDelayMs = 200;
    static constexpr int kEqDelayMs = 500;
    static constexpr int kDisconnectDelayMs = 2000;

    // shortName and displayName name the adapter ("winamp", "Winamp"). The album-art finder
    // and its cache folder are created here.
    CPlayerService(CServerContext& context, std::string shortName, std::string displayName);
    ~CPlayerService() override;

    CPlayerService(const CPlayerService&) = delete;
    CPlayerService& operator=(const CPlayerService&) = delete;

    // Subscribes to events 1, 2, 7 and 12, creates the player and registers as its listener.
    // The player stays disconnected until a client connects. Always 0.
    int Start() override;
    // Unsubscribes, cancels the timers and destroys the player. Safe to call twice. The
    // subclass destructor must call it, while its CreatePlayer/DisconnectPlayer still exist.
    void Stop() override;

    std::string ShortName() const override { return m_shortName; }
    std::string DisplayName() const override { return m_displayName; }
    std::string Version() const override { return "1.0"; }
    int RequestEvent() const override;
    int ResponseEvent() const override;
    int BroadcastEvent() const override;

    // IPlayerListener: called on the adapter's monitor threads.
    void OnVolumeChanged(int32_t volume) override;
    void OnShuffleStateChanged(bool on) override;
    void OnRepeatStateChanged(bool on) override;
    void OnPlayingStateChanged(int32_t state) override;
    void OnPlaylistPositionChanged(int32_t position) override;
    void OnPlayPositionChanged(int32_t seconds) override;
    void OnCurrentMediaChanged(const CMediaItem& item) override;
    void OnLibraryChanged() override;
    void OnPlaylistChanged() override;
    void OnEqChanged() override;

    // Adapters that extract embedded art add their provider here while connected.
    CAlbumArtFinder& AlbumArtFinder() { return *m_artFinder; }
    // The active player (null before Start and after Stop). The caller's reference keeps it
    // alive across a concurrent Stop.
    std::shared_ptr<IPlayer> Player() const;
    int ConnectionCount() const;
    int WaitingActions() const { return m_actions.Waiting(); }

protected:
    // Creates the adapter (not yet connected); null when it cannot be made. Called by Start
    // on the server's thread.
    virtual std::unique_ptr<IPlayer> CreatePlayer() = 0;
    // Called with the connection lock held, on the thread of a client's connection event.
    // The default connects when the player is not connected yet.
    virtual void ConnectPlayer(IPlayer& player);
    // Called with the connection lock held, on the disconnect timer's thread or by Stop.
    // The default disconnects when the player is connected.
    virtual void DisconnectPlayer(IPlayer& player);
    // Removes the listener, disconnects and releases the player (Stop calls it).
    virtual void DestroyPlayer();

    CServerContext& Context() { return m_context; }

private:
    // Bus handlers.
    void OnConnectionAdded();
    void OnConnectionRemoved();
    void OnRequest(CEventHolder& holder);
    void OnLibraryReply(CEventHolder& holder);

    // Request table (PlayerServiceRequests.cpp). Returns the answer, or null for none.
    std::unique_ptr<CResponseMessage> HandleRequest(IPlayer& player,
                                                    const CRequestMessage& request);
    std::unique_ptr<CResponseMessage> HandleMediaRequest(IPlayer& player,
                                                         const CRequestMessage& request);
    std::unique_ptr<CResponseMessage> HandleCurrentMedia(IPlayer& player,
                                                         const CRequestMessage& request);
    std::unique_ptr<CResponseMessage> HandleAlbumArt(IPlayer& player,
                                                     const CRequestMessage& request);

    // Library lookups (PlayerServiceQueue.cpp).
    void SendLibraryRequest(std::unique_ptr<CRequestMessage> request, const CQueuedAction& action);
    void CompleteAction(IPlayer& player, const CQueuedAction& action, const CMessage& reply);

    // Delayed broadcasts.
    void Arm(CDelayTimer& timer);
    void OnVolumeTimer();
    void OnLibraryTimer();
    void OnPlaylistTimer();
    void OnEqTimer();
    void OnDisconnectTimer();

    void Respond(std::unique_ptr<CResponseMessage> response);
    void Broadcast(std::unique_ptr<CMessage> event);
    void BroadcastCurrentMedia(const CCurrentMedia& media);

    CServerContext& m_context;
    const std::string m_shortName;
    const std::string m_displayName;

    mutable std::mutex m_playerMutex;  // guards the pointer, not the player
    std::shared_ptr<IPlayer> m_player;
    bool m_started = false;  // guarded by m_playerMutex

    mutable std::mutex m_connectionMutex;  // serialises connecting and disconnecting
    int m_connectionCount = 0;

    CQueuedActionTable m_actions;
    std::unique_ptr<CAlbumArtFinder> m_artFinder;

    CDelayTimer m_volumeTimer;
    CDelayTimer m_libraryTimer;
    CDelayTimer m_playlistTimer;
    CDelayTimer m_eqTimer;
    CDelayTimer m_disconnectTimer;
};

}  // namespace vantor
