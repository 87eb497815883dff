#include "server/core/RequestRouter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "protocol/ConnectionMessages.h"
#include "protocol/MessageType.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/core/XmlChannelServer.h"

namespace vantor {

namespace {

constexpr int kDefaultWebAccessPort = 3569;

// A client names its update file by its platform text; anything that could leave the
// "clients" folder is refused before the file system is asked.
bool IsSafeClientType(const std::string& type) {
    return type.find('/') == std::string::npos && type.find('\\') == std::string::npos &&
           type.find("..") == std::string::npos;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

}  // namespace

CRequestRouter::CRequestRouter(CServerContext& context) : m_context(context) {
    m_channels[kXmlChannelPlace] = std::make_unique<CXmlChannelServer>(context);
}

CRequestRouter::~CRequestRouter() {
    Close();
}

bool CRequestRouter::SetChannel(int place, std::unique_ptr<ICommChannel> channel) {
    if (place < 0 || place >= kChannelPlaces || m_open) return false;
    m_channels[place] = std::move(channel);
    return true;
}

ICommChannel* CRequestRouter::Channel(int place) const {
    if (place < 0 || place >= kChannelPlaces) return nullptr;
    return m_channels[place].get();
}

CXmlChannelServer& CRequestRouter::XmlChannel() const {
    return static_cast<CXmlChannelServer&>(*m_channels[kXmlChannelPlace]);
}

int CRequestRouter::Open() {
    if (m_open) return m_openFailure.empty() ? 0 : -1;
    m_context.logger.LogNormal("Opening communication channels");
    // Subscribed before the channels start, so a client that connects at once is known.
    CEventBus& bus = m_context.bus;
    bus.Subscribe(event::ConnectionAdded, this, [this](CEventHolder& h) { OnConnectionAdded(h); });
    bus.Subscribe(event::ConnectionRemoved, this,
                  [this](CEventHolder& h) { OnConnectionRemoved(h); });
    bus.Subscribe(event::MessageReceived, this, [this](CEventHolder& h) { OnMessageReceived(h); });
    for (int id : {event::PlayerResponse, event::PlayerBroadcast, event::LibraryReply,
                   event::LibraryBroadcast})
        bus.Subscribe(id, this, [this](CEventHolder& h) { Deliver(h); });
    m_openFailure.clear();
    for (auto& channel : m_channels) {
        if (!channel || channel->Start() == 0) continue;
        std::string why = channel->StartFailure();
        if (why.empty()) why = "a communication channel did not start";
        if (!m_openFailure.empty()) m_openFailure += "; ";
        m_openFailure += why;
    }
    m_open = true;
    return m_openFailure.empty() ? 0 : -1;
}

void CRequestRouter::Close() {
    if (!m_open) return;
    m_context.bus.Unsubscribe(this);
    m_context.logger.LogNormal("Closing communication channels");
    for (auto& channel : m_channels)
        if (channel) channel->Stop();
    {
        std::lock_guard<std::mutex> lock(m_tableMutex);
        m_clients.clear();
    }
    m_open = false;
}

int32_t CRequestRouter::ClientIdOf(const ICommChannel* channel, int32_t connectionId) const {
    std::lock_guard<std::mutex> lock(m_tableMutex);
    for (const auto& entry : m_clients)
        if (entry.channel == channel && entry.connectionId == connectionId) return entry.clientId;
    return 0;
}

ICommChannel* CRequestRouter::ChannelFromSource(const void* source) const {
    for (const auto& channel : m_channels) {
        if (channel &&
            static_cast<const void*>(static_cast<const ICommChannel*>(channel.get())) == source)
            return channel.get();
    }
    return nullptr;
}

void CRequestRouter::OnConnectionAdded(CEventHolder& holder) {
    ICommChannel* channel = ChannelFromSource(holder.source);
    if (!holder.message || channel == nullptr) return;
    int32_t connectionId = holder.message->ClientId();
    std::lock_guard<std::mutex> lock(m_tableMutex);
    for (const auto& entry : m_clients)
        if (entry.channel == channel && entry.connectionId == connectionId) return;
    m_clients.push_back({channel, connectionId, m_nextClientId++});
}

void CRequestRouter::OnConnectionRemoved(CEventHolder& holder) {
    ICommChannel* channel = ChannelFromSource(holder.source);
    if (!holder.message || channel == nullptr) return;
    int32_t connectionId = holder.message->ClientId();
    std::lock_guard<std::mutex> lock(m_tableMutex);
    auto it = std::find_if(m_clients.begin(), m_clients.end(), [&](const ClientEntry& entry) {
        return entry.channel == channel && entry.connectionId == connectionId;
    });
    if (it != m_clients.end()) m_clients.erase(it);
}

void CRequestRouter::OnMessageReceived(CEventHolder& holder) {
    ICommChannel* channel = ChannelFromSource(holder.source);
    std::unique_ptr<CMessage> message = holder.Take();
    if (!message || channel == nullptr) return;
    switch (message->TypeId()) {
        case msg::GetErrorDetailsRequest:
            AnswerErrorDetails(*message, *channel);
            return;
        case msg::GetClientVersionRequest:
            AnswerClientVersion(*message, *channel);
            return;
        default:
            break;
    }
    if (message->ClientId() != -1) {
        std::lock_guard<std::mutex> lock(m_tableMutex);
        for (const auto& entry : m_clients) {
            if (entry.channel == channel && entry.connectionId == message->ClientId()) {
                message->SetClientId(entry.clientId);
                break;
            }
        }
    }
    CEventHolder request;
    int eventId =
        msg::IsLibraryType(message->TypeId()) ? event::LibraryRequest : event::PlayerRequest;
    request.message = std::move(message);
    m_context.bus.Fire(eventId, request, this);
}

void CRequestRouter::AnswerErrorDetails(const CMessage& request, ICommChannel& channel) {
    const auto& asked = static_cast<const CErrorDetailsRequest&>(request);
    CErrorDetailsResponse response;
    response.SetClientId(asked.ClientId());
    response.SetRequestId(asked.RequestId());
    response.Body().description = DescribeResultCode(asked.Body().returnCode);
    channel.Send(response);
}

void CRequestRouter::AnswerClientVersion(const CMessage& request, ICommChannel& channel) {
    const auto& asked = static_cast<const CClientVersionRequest&>(request);
    CClientVersionResponse response(msg::GetClientVersionResponse);
    response.SetClientId(asked.ClientId());
    response.SetRequestId(asked.RequestId());
    response.SetReturnCode(kResultSuccess);
    int port = m_context.config.GetInt("WebAccessPort", kDefaultWebAccessPort);
    const std::string& type = asked.Body().type;

    char cwd[PATH_MAX];
    std::string text;
    if (!IsSafeClientType(type)) {
        response.SetReturnCode(kResultInvalidArgs);
    } else if (::getcwd(cwd, sizeof cwd) == nullptr) {
        response.SetReturnCode(kResultSystemError);
    } else if (!ReadWholeFile(std::string(cwd) + "/clients/" + type + ".xml", text)) {
        response.SetReturnCode(kResultInvalidArgs);
    } else {
        CVersionInformation info(msg::VersionInformation);
        info.FromXml(text);
        auto& body = response.Body();
        body.version = info.Body().version;
        char url[64];
        std::snprintf(url, sizeof url, "http://[0.0.0.0]:%d/clients/", port);
        body.url = url + info.Body().updateURL;
        body.parameters = info.Body().parameters;
        body.checksum = info.Body().checksum;
    }
    channel.Send(response);
}

void CRequestRouter::Deliver(CEventHolder& holder) {
    CMessage* message = holder.message.get();
    if (message == nullptr) return;
    int32_t clientId = message->ClientId();
    if (clientId == -1) {
        for (auto& channel : m_channels)
            if (channel) channel->Send(*message);
        return;
    }
    ICommChannel* channel = nullptr;
    int32_t connectionId = 0;
    {
        std::lock_guard<std::mutex> lock(m_tableMutex);
        for (const auto& entry : m_clients) {
            if (entry.clientId == clientId) {
                channel = entry.channel;
                connectionId = entry.connectionId;
                break;
            }
        }
    }
    if (channel == nullptr) return;  // the client has gone, or an internal request
    // The holder still owns the message and later listeners may read it: restore the
    // router's client id once the channel has written it.
    message->SetClientId(connectionId);
    channel->Send(*message);
    message->SetClientId(clientId);
}

}  // namespace vantor
