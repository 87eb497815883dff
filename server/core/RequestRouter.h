#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/core/CommChannel.h"

namespace vantor {

class CEventHolder;
class CMessage;
class CXmlChannelServer;
struct CServerContext;

// Sits between the channels and the services. Gives every connection a server-wide client
// id (from 1, never reused while the object lives, kept across Close/Open), answers
// GetErrorDetailsRequest and GetClientVersionRequest itself, fires every other request as a
// library request (type ids from 104) or a player request, and delivers responses and
// broadcasts (clientId -1) from the services to the right connections.
//
// Channels report their connections and messages with the channel's ICommChannel* as the
// event source; a message between a channel and the router carries the channel's connection
// id, one between the router and a service the router's client id.
//
// Open, Close and SetChannel: the server's thread. The handlers run on the firing threads;
// the client table is locked.
class CRequestRouter {
public:
    static constexpr int kChannelPlaces = 10;
    static constexpr int kXmlChannelPlace = 0;
    static constexpr int kHttpChannelPlace = 1;
    static constexpr int kDnsSdChannelPlace = 2;  // the DNS-SD announcement, started last

    // Creates the XML channel in place 0; the other places stay empty until SetChannel.
    explicit CRequestRouter(CServerContext& context);
    ~CRequestRouter();
    CRequestRouter(const CRequestRouter&) = delete;
    CRequestRouter& operator=(const CRequestRouter&) = delete;

    // Installs (or, with null, removes) the channel in `place`; the router owns it. The
    // HTTP channel goes into kHttpChannelPlace. Only while closed; false for a bad place
    // or while open.
    bool SetChannel(int place, std::unique_ptr<ICommChannel> channel);
    ICommChannel* Channel(int place) const;
    CXmlChannelServer& XmlChannel() const;

    // Starts every present channel in place order and subscribes to the bus. 0, or -1
    // when a channel did not start (the others still run; see OpenFailure).
    int Open();
    // What the channels that did not start said of why, joined by "; ".
    const std::string& OpenFailure() const { return m_openFailure; }
    // Unsubscribes, stops every channel and empties the client table.
    void Close();
    bool IsOpen() const { return m_open; }

    // The router's client id for a channel's connection; 0 when unknown (tests).
    int32_t ClientIdOf(const ICommChannel* channel, int32_t connectionId) const;

private:
    struct ClientEntry {
        ICommChannel* channel;
        int32_t connectionId;
        int32_t clientId;
    };

    void OnConnectionAdded(CEventHolder& holder);
    void OnConnectionRemoved(CEventHolder& holder);
    void OnMessageReceived(CEventHolder& holder);
    void Deliver(CEventHolder& holder);
    void AnswerErrorDetails(const CMessage& request, ICommChannel& channel);
    void AnswerClientVersion(const CMessage& request, ICommChannel& channel);
    // The owned channel that `source` names, or null.
    ICommChannel* ChannelFromSource(const void* source) const;

    CServerContext& m_context;
    std::array<std::unique_ptr<ICommChannel>, kChannelPlaces> m_channels;
    bool m_open = false;
    std::string m_openFailure;
    mutable std::mutex m_tableMutex;  // guards the two members below
    std::vector<ClientEntry> m_clients;
    int32_t m_nextClientId = 1;
};

}  // namespace vantor
