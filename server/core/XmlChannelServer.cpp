#include "server/core/XmlChannelServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/Receive.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"

namespace vantor {

namespace {

constexpr int kDefaultPort = 3567;
constexpr int kDefaultSendDeadlineMs = 2000;
constexpr int kDefaultFirstDocumentSeconds = 30;

}  // namespace

CXmlChannelServer::CXmlChannelServer(CServerContext& context)
    : m_context(context), m_listenThread(context.logger), m_discovery(context) {
    for (auto& slot : m_slots)
        slot = std::make_unique<CXmlChannelConnection>(context.logger, *this);
}

CXmlChannelServer::~CXmlChannelServer() {
    Stop();
}

int CXmlChannelServer::Start() {
    CLogger& log = m_context.logger;
    if (m_started) Stop();
    int port = m_context.config.GetInt("Ports\\XMLChannel", kDefaultPort);
    log.LogNormal("Initializing XML channel (port %d)", port);
    m_limits.sendDeadline = std::chrono::milliseconds(std::max(
        1, m_context.config.GetInt("XMLChannel\\SendDeadlineMs", kDefaultSendDeadlineMs)));
    m_limits.firstDocument = std::chrono::seconds(std::max(
        1, m_context.config.GetInt("XMLChannel\\FirstDocumentSeconds",
                                   kDefaultFirstDocumentSeconds)));
    m_startFailure.clear();
    m_listenSocket = CNetSocket();
    // Address reuse here only lets a restart bind over connections of the previous run that
    // are still in TIME_WAIT (which other systems allow by default); a port that another
    // program listens on still fails.
    // "BindAddress" limits the channels to one address of this machine (empty: all of them).
    if (!m_listenSocket.CreateTcp(port, m_context.config.GetString("BindAddress", ""), true)) {
        const char* reason = std::strerror(errno);
        log.LogCritical("ERROR: Error creating XML channel listen socket.");
        m_startFailure = "the XML channel cannot listen on port " + std::to_string(port) + ": " +
                         reason;
        log.LogCritical("ERROR: %s", m_startFailure.c_str());
        return -1;
    }
    // Listening before the thread runs means clients can connect as soon as the server
    // reports that it has started. A failure is logged and the accepts then fail.
    if (!m_listenSocket.Listen()) log.LogCritical("ERROR: Error calling XML channel Listen()");
    m_stopping.store(false);
    if (m_listenThread.Start("XML Socket Listener", [this] { Listen(); }) != 0) {
        log.LogCritical("ERROR: Error starting XML channel listen thread!");
        m_listenSocket.Close();
        return -1;
    }
    m_started = true;
    m_discovery.Start();
    return 0;
}

int CXmlChannelServer::Stop() {
    if (!m_started) return 0;
    m_started = false;
    m_stopping.store(true);
    m_listenSocket.Close();  // wakes the blocked accept
    m_listenThread.Stop();
    m_discovery.Stop();
    for (auto& slot : m_slots) slot->Close();
    return 0;
}

int CXmlChannelServer::ConnectionCount() const {
    int count = 0;
    for (const auto& slot : m_slots) count += slot->IsInUse() ? 1 : 0;
    return count;
}

void CXmlChannelServer::Listen() {
    CLogger& log = m_context.logger;
    while (!m_stopping.load()) {
        std::string peerAddress;
        int peerPort = 0;
        CNetSocket client = m_listenSocket.Accept(&peerAddress, &peerPort);
        if (!client.IsValid()) {
            if (m_stopping.load()) break;
            log.LogCritical("ERROR: Error accepting XML channel client socket!");
            // A failing accept (no descriptors left, say) must not spin the processor.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (m_stopping.load()) break;  // `client` closes itself
        Accept(std::move(client), peerAddress, peerPort);
    }
}

void CXmlChannelServer::Accept(CNetSocket socket, const std::string& peerAddress, int peerPort) {
    CLogger& log = m_context.logger;
    int index = 0;
    while (index < kSlotCount && m_slots[index]->IsInUse()) ++index;
    if (index == kSlotCount) {
        log.LogCritical(
            "ERROR: Unable to find an open XML channel client slot! Closing incoming "
            "connection.");
        return;
    }
    uint32_t id = m_nextConnectionId++;
    if (log.IsEnabled(kLogDetailed)) {
        log.LogDetailed("XML channel added connection [index %d]: %s [%d]", index,
                        peerAddress.c_str(), peerPort);
    }
    // Writable before the connection is announced (a player may announce its state while it
    // starts for the first client), receiving only after: the router must know the
    // connection before its first request arrives.
    m_slots[index]->Open(id, std::move(socket), peerAddress, peerPort, m_limits);
    CEventHolder holder;
    holder.message = std::make_unique<CMessage>();
    holder.message->SetClientId(static_cast<int32_t>(id));
    m_context.bus.Fire(event::ConnectionAdded, holder, Source());
    m_slots[index]->StartReceiving();
}

void CXmlChannelServer::OnData(const char* bytes, size_t length,
                               CXmlChannelConnection& connection) {
    CLogger& log = m_context.logger;
    std::string wire(bytes, strnlen(bytes, length));
    if (log.IsEnabled(kLogVerbose)) {
        log.LogVerbose("%s", "\nReceived:");
        log.LogText(kLogVerbose, wire);
    }
    auto connectionId = static_cast<int32_t>(connection.ConnectionId());
    CReceiveResult received = ReceiveDocument(std::move(wire), connectionId);
    if (received.recognized) {
        CEventHolder holder(std::move(received.message));
        m_context.bus.Fire(event::MessageReceived, holder, Source());
    } else {
        Send(*received.message);
    }
}

void CXmlChannelServer::OnClosed(int flag, int reason, CXmlChannelConnection& connection) {
    if (flag != 0) return;
    CLogger& log = m_context.logger;
    uint32_t id = connection.ConnectionId();
    if (log.IsEnabled(kLogDetailed))
        log.LogDetailed("Closing XML channel connection %u, reason: %d", id, reason);
    CEventHolder holder;
    holder.message = std::make_unique<CMessage>();
    holder.message->SetClientId(static_cast<int32_t>(id));
    m_context.bus.Fire(event::ConnectionRemoved, holder, Source());
}

int CXmlChannelServer::Send(const CMessage& message) {
    std::string doc = message.ToXml();
    if (doc.empty()) return -1;
    ToWireText(doc);
    CLogger& log = m_context.logger;
    if (log.IsEnabled(kLogVerbose)) {
        log.LogVerbose("%s", "\nSending:");
        log.LogText(kLogVerbose, doc);
    }
    // Responses that carry URLs name the server by the address each client reached.
    bool fillAddress = message.TypeId() == msg::GetAlbumArtResponse ||
                       message.TypeId() == msg::GetClientVersionResponse;
    int64_t target = message.ClientId();
    doc.push_back('\0');  // the end of a document on the wire
    for (auto& slot : m_slots) slot->Write(doc, target, fillAddress);
    return 0;
}

}  // namespace vantor
