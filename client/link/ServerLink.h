#pragma once

// The client's one link to a server: connection, discovery, request ids and the table of
// requests waiting for responses, response matching, event dispatch, the cached player
// state and the listener. One per client process.
//
// Threads: every operation may be called from any thread, except that Connect and
// Disconnect must not be called from a listener call (the receive thread). Listener calls
// and the event observer run on the receive thread with no lock held.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "client/link/LinkDiagnostics.h"
#include "client/link/LinkListener.h"
#include "client/link/PendingRequests.h"
#include "client/link/PlayerState.h"
#include "client/link/ServerConnection.h"
#include "client/link/ServerDiscovery.h"
#include "protocol/Messages.h"

namespace vantor::client {

// Results of SendAndWait and SendAsync besides 0 (they share the protocol's numbers).
enum LinkResult : int32_t {
    kLinkOk = 0,
    kLinkEmptyRequest = 10,  // the request wrote itself as empty text
    kLinkNoRequest = 11,
    kLinkNotConnected = 12,
    kLinkTableFull = 13,  // all 100 pending slots in use; nothing was sent
    kLinkTimeout = 14,    // no response within the wait
};

// Where the link connects and discovers (from the settings ConnectionPort,
// DiscoveryAddress and DiscoveryPort).
struct LinkEndpoints {
    int connectionPort = 3567;
    DiscoveryOptions discovery;
};

// The endpoints of the settings ConnectionPort (text), DiscoveryAddress and DiscoveryPort.
LinkEndpoints EndpointsFromSettings(const std::string& connectionPort,
                                    const std::string& discoveryAddress, int discoveryPort);

// The response as its class when it is of `type` (a msg:: id), else null.
template <class T>
const T* ResponseAs(const std::unique_ptr<CResponseMessage>& response, int32_t type) {
    return response && response->TypeId() == type ? static_cast<const T*>(response.get()) : nullptr;
}

class ServerLink {
public:
    ServerLink();
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Set before Connect. The listener must outlive the link or be replaced by null first.
    void SetListener(LinkListener* listener);
    void SetEndpoints(const LinkEndpoints& endpoints);
    void SetDiagnostics(DiagnosticSink sink);
    // How long SendAndWait waits for its response (3000 ms).
    void SetResponseWait(std::chrono::milliseconds wait);
    // Also limits one TCP connection attempt; 0 leaves it to the system.
    void SetConnectTimeout(int milliseconds);
    // Called with every event the server sends, before the cache sees it.
    void SetEventObserver(std::function<void(const CMessage&)> observer);

    // Closes any connection, resets the cache and connects to `server` ("host" or
    // "host:port"; empty: the first server discovery finds). 0 on success, -1 on failure.
    int Connect(const std::string& server);
    void Disconnect();
    bool IsConnected() const;
    // The server text of the current connection; "" when not connected.
    std::string ServerName() const;
    // The host part of it ("host" of "host:port").
    std::string ServerHost() const;

    // Sends `request` with the next request id and blocks for its response (at most the
    // response wait). 0 hands the response to the caller; otherwise a LinkResult. The
    // request stays the caller's.
    int32_t SendAndWait(CRequestMessage& request, std::unique_ptr<CResponseMessage>& response);
    // Sends `request` (giving it an id when it has none); its response is handled by type
    // and reaches the listener. 0, or a LinkResult.
    int32_t SendAsync(std::unique_ptr<CRequestMessage> request);

    // Runs discovery with the endpoints' options; the first address found, or "".
    std::string Discover();
    size_t DiscoveredCount() const { return m_discovery.Count(); }
    std::string DiscoveredServer(size_t index) const { return m_discovery.Item(index); }

    // A copy of the cached player state.
    PlayerState State() const;

    // Player state requests, sent asynchronously in the order the window expects them.
    void RequestInitialState();
    void SendClientVersion(const std::string& platform);

    // One asynchronous operation per request the window layers send.
    int32_t Play();
    int32_t Pause();
    // Pause while playing, else play (by the cached state).
    int32_t TogglePlay();
    int32_t Stop();
    int32_t Next();
    int32_t Previous();
    int32_t FastForward();
    int32_t Rewind();
    int32_t SetVolume(int32_t volume);
    int32_t SetPlayPosition(int32_t seconds);
    int32_t SetPlaylistPosition(int32_t position);
    int32_t SetShuffle(bool on);
    int32_t SetRepeat(bool on);
    int32_t PlayMedia(const CMediaSelector& selector);
    int32_t PlaylistAdd(const CMediaSelector& selector, int32_t position = -1);
    int32_t PlaylistRemove(int32_t position);
    int32_t PlaylistMove(int32_t from, int32_t to);
    int32_t PlaylistClear();
    // Keeps the current play list under `name` where the player can (a server that does not
    // know the request answers 10, a player without play lists of its own 19).
    int32_t SavePlaylist(const std::string& name);
    int32_t GetPlaylistItems(int32_t start, int32_t count);
    int32_t GetAlbumArt();
    int32_t SetTrackRating(int32_t rating);
    int32_t GetEqPresets();
    int32_t SetEqPreset(const std::string& preset);
    int32_t SetEq(const CEqSettings& settings);
    int32_t BrowseLibrary(const std::string& path, int32_t start, int32_t count);
    int32_t BrowseArtists(const std::string& genreName, int32_t start, int32_t count);
    int32_t Search(const CSearchQuery& query);
    int32_t UpdateMediaLibrary();

private:
    void OnDocument(std::string&& document);
    void OnDisconnected();
    void HandleResponse(std::unique_ptr<CResponseMessage> response);
    void HandleAsyncResponse(const CRequestMessage& request, const CResponseMessage& response);
    void HandleEvent(const CMessage& event);
    // Cache updates: true when the listener is to be told.
    template <class T>
    bool Replace(T PlayerState::*field, const T& value);
    bool ReplaceEq(const CEqSettings& settings);
    LinkListener* Listener() const;

    int32_t NextRequestId();
    static std::string WireText(const CRequestMessage& request);
    int32_t SendText(const std::string& text);

    ServerConnection m_connection;
    ServerDiscovery m_discovery;
    PendingRequests m_pending;
    std::atomic<int32_t> m_nextRequestId{1};

    mutable std::mutex m_mutex;  // everything below
    std::string m_serverName;
    PlayerState m_state;
    LinkListener* m_listener = nullptr;
    LinkEndpoints m_endpoints;
    DiagnosticSink m_diagnostics = StandardOutputSink();
    std::function<void(const CMessage&)> m_eventObserver;
    std::chrono::milliseconds m_responseWait{3000};
};

}  // namespace vantor::client
