#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/NetSocket.h"
#include "server/core/CommChannel.h"
#include "server/core/DiscoveryResponder.h"
#include "server/core/WorkerThread.h"
#include "server/core/XmlChannelConnection.h"

namespace vantor {

struct CServerContext;

// The XML channel: a TCP listener ("XML Socket Listener") on "Ports\XMLChannel" with 100
// connection slots. Each received document becomes a message fired as "message received"
// with this channel (as ICommChannel*) as the source and the connection id as clientId; an
// unreadable document is answered at once with UnrecognizedRequest (code 10). Connection
// ids grow from 1 for the life of the object. Starts and stops the discovery responder.
//
// Start and Stop: the owner's thread. Send: any thread.
class CXmlChannelServer : public ICommChannel, public IConnectionListener {
public:
    static constexpr int kSlotCount = 100;

    explicit CXmlChannelServer(CServerContext& context);
    ~CXmlChannelServer() override;

    int Start() override;
    int Stop() override;
    // Writes the message to connection clientId, or to every connection when it is -1.
    // -1 when the message has no document.
    int Send(const CMessage& message) override;

    void OnData(const char* bytes, size_t length, CXmlChannelConnection& connection) override;
    void OnClosed(int flag, int reason, CXmlChannelConnection& connection) override;

    // Why the last Start failed ("" when it did not).
    std::string StartFailure() const override { return m_startFailure; }

    // Slots in use right now (tests and diagnostics).
    int ConnectionCount() const;

private:
    void Listen();
    void Accept(CNetSocket socket, const std::string& peerAddress, int peerPort);
    const ICommChannel* Source() const { return this; }

    CServerContext& m_context;
    std::array<std::unique_ptr<CXmlChannelConnection>, kSlotCount> m_slots;
    CNetSocket m_listenSocket;
    CWorkerThread m_listenThread;
    CDiscoveryResponder m_discovery;
    uint32_t m_nextConnectionId = 1;  // listener thread only
    std::atomic<bool> m_stopping{false};
    bool m_started = false;  // owner's thread only
    CXmlChannelLimits m_limits;  // read on Start
    std::string m_startFailure;
};

}  // namespace vantor
