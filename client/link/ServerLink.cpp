#include "client/link/ServerLink.h"

#include <climits>

#include "client/link/ServerAddress.h"
#include "protocol/Receive.h"
#include "protocol/Xml.h"

namespace vantor::client {

LinkEndpoints EndpointsFromSettings(const std::string& connectionPort,
                                    const std::string& discoveryAddress, int discoveryPort) {
    LinkEndpoints endpoints;
    endpoints.connectionPort = PortFromText(connectionPort, 3567);
    endpoints.discovery.broadcastAddress = discoveryAddress;
    endpoints.discovery.port = discoveryPort;
    return endpoints;
}

namespace {

// The clients read every type of the table: ids never travel, only names.
const CMessageCatalogue& ReceivingCatalogue() {
    static const CMessageCatalogue catalogue{&msg::ServerTypes(), &CreateAnyMessage};
    return catalogue;
}

}  // namespace

ServerLink::ServerLink() {
    m_connection.SetCallbacks([this](std::string&& document) { OnDocument(std::move(document)); },
                              [this](int) { OnDisconnected(); });
}

ServerLink::~ServerLink() {
    m_connection.Close();
}

void ServerLink::SetListener(LinkListener* listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = listener;
}

void ServerLink::SetEndpoints(const LinkEndpoints& endpoints) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_endpoints = endpoints;
}

void ServerLink::SetDiagnostics(DiagnosticSink sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_diagnostics = sink;
    m_endpoints.discovery.diagnostics = sink;
    m_connection.SetDiagnostics(std::move(sink));
}

void ServerLink::SetResponseWait(std::chrono::milliseconds wait) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responseWait = wait;
}

void ServerLink::SetConnectTimeout(int milliseconds) {
    m_connection.SetConnectTimeout(milliseconds);
}

void ServerLink::SetEventObserver(std::function<void(const CMessage&)> observer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_eventObserver = std::move(observer);
}

LinkListener* ServerLink::Listener() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listener;
}

int ServerLink::Connect(const std::string& server) {
    Disconnect();
    LinkEndpoints endpoints;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_serverName.clear();
        m_state = PlayerState{};
        endpoints = m_endpoints;
    }
    // Requests of an earlier connection will never be answered.
    m_pending.DropAsync();
    std::string target = server;
    if (target.empty()) target = Discover();
    if (target.empty()) return -1;
    ServerEndpoint endpoint;
    if (!ParseServerText(target, endpoints.connectionPort, endpoint)) return -1;
    if (!m_connection.Open(endpoint.host, endpoint.port)) return -1;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_serverName = target;
    return 0;
}

void ServerLink::Disconnect() {
    m_connection.Close();
    m_pending.Wake();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_serverName.clear();
}

bool ServerLink::IsConnected() const {
    return m_connection.IsConnected();
}

std::string ServerLink::ServerName() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_serverName;
}

std::string ServerLink::ServerHost() const {
    ServerEndpoint endpoint;
    const std::string name = ServerName();
    return ParseServerText(name, 0, endpoint) ? endpoint.host : name;
}

std::string ServerLink::Discover() {
    DiscoveryOptions options;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        options = m_endpoints.discovery;
        options.connectionPort = m_endpoints.connectionPort;
    }
    return m_discovery.Run(options);
}

PlayerState ServerLink::State() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

int32_t ServerLink::NextRequestId() {
    // Ids stay positive: after the largest one the count starts again at 1.
    int32_t id = m_nextRequestId.load();
    while (!m_nextRequestId.compare_exchange_weak(id, id == INT_MAX ? 1 : id + 1)) {
    }
    return id;
}

std::string ServerLink::WireText(const CRequestMessage& request) {
    std::string text = request.ToXml();
    ToWireText(text);
    return text;
}

int32_t ServerLink::SendText(const std::string& text) {
    if (text.empty()) return kLinkEmptyRequest;
    return m_connection.Send(text) ? kLinkOk : kLinkNotConnected;
}

int32_t ServerLink::SendAndWait(CRequestMessage& request,
                                std::unique_ptr<CResponseMessage>& response) {
    const int32_t id = NextRequestId();
    request.SetRequestId(id);
    const std::string text = WireText(request);
    if (!m_pending.Enter(id, true, nullptr)) return kLinkTableFull;
    const int32_t sent = SendText(text);
    if (sent != kLinkOk) {
        m_pending.Remove(id);
        return sent;
    }
    std::chrono::milliseconds wait;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        wait = m_responseWait;
    }
    std::unique_ptr<CResponseMessage> answer =
        m_pending.Wait(id, wait, [this] { return m_connection.IsConnected(); });
    if (!answer) return kLinkTimeout;
    response = std::move(answer);
    return kLinkOk;
}

int32_t ServerLink::SendAsync(std::unique_ptr<CRequestMessage> request) {
    if (!request) return kLinkNoRequest;
    if (request->RequestId() < 0) request->SetRequestId(NextRequestId());
    const int32_t id = request->RequestId();
    const std::string text = WireText(*request);
    // The table owns the request from here; a failed send frees its slot again.
    if (!m_pending.Enter(id, false, std::move(request))) return kLinkTableFull;
    const int32_t sent = SendText(text);
    if (sent != kLinkOk) m_pending.Remove(id);
    return sent;
}

void ServerLink::OnDocument(std::string&& document) {
    // Text that is not UTF-8 did not come from a server: it is dropped.
    if (!FromWireText(document)) return;
    CReceiveResult received = ReceiveDocument(std::move(document), -1, ReceivingCatalogue());
    if (!received.recognized) return;
    switch (received.message->Kind()) {
        case kResponse:
            HandleResponse(std::unique_ptr<CResponseMessage>(
                static_cast<CResponseMessage*>(received.message.release())));
            break;
        case kEvent:
            HandleEvent(*received.message);
            break;
        default:
            break;
    }
}

void ServerLink::OnDisconnected() {
    m_pending.Wake();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_serverName.clear();
    }
    if (LinkListener* listener = Listener()) listener->OnConnectionLost();
}

}  // namespace vantor::client
