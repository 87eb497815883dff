#include "server/web/WebRoutes.h"

#include "protocol/LibraryMessages.h"
#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/PlayerMessages.h"
#include "protocol/Receive.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/core/TrackArtRequest.h"
#include "server/web/HttpResponder.h"
#include "server/web/HttpResponse.h"
#include "server/web/PathSafety.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace vantor {

namespace {

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t Now() {
    return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace

IHttpResponder::~IHttpResponder() = default;

CWebRoutes::CWebRoutes(CServerContext& context, IHttpResponder& responder, const void* source)
    : m_context(context), m_responder(responder), m_source(source) {}

CWebRoutes::~CWebRoutes() {
    StopRoutes();
}

void CWebRoutes::StartRoutes(const std::string& httpRoot, const std::string& workingFolder) {
    m_httpRoot = httpRoot;
    m_workingFolder = workingFolder;
    m_holdSeconds =
        std::max(1, m_context.config.GetInt("HTTP\\PollHoldSeconds", kDefaultHoldSeconds));
    {
        std::lock_guard lock(m_mediaLock);
        m_stopping = false;
    }
    m_context.bus.Subscribe(event::LibraryReply, this,
                            [this](CEventHolder& holder) { OnLibraryReply(holder); });
    m_context.bus.Subscribe(event::PlayerResponse, this,
                            [this](CEventHolder& holder) { OnPlayerResponse(holder); });
}

void CWebRoutes::StopRoutes() {
    m_context.bus.Unsubscribe(this);
    std::lock_guard lock(m_mediaLock);
    m_stopping = true;
    m_mediaAnswered.notify_all();
}

void CWebRoutes::Dispatch(int32_t connection, const CHttpRequest& request) {
    const std::string& path = request.path;
    m_context.logger.LogDetailed("HTTP[%d]: %s", connection, path.c_str());
    if (path.empty() || path == "/") {
        StartPage(connection, request);
    } else if (path == "/q") {
        EventQueue(connection, request);
    } else if (StartsWith(path, "/xml")) {
        ProtocolBridge(connection, request);
    } else if (path == "/art/" && request.FirstParam() != nullptr &&
               request.params.front().first == "track") {
        TrackArt(connection, request, *request.FirstParam());
    } else if (StartsWith(path, "/art/")) {
        SendNamedFile(connection, request, m_context.config.GetDataFolder() + "cache/",
                      path.substr(5));
    } else if (StartsWith(path, "/clients/")) {
        SendNamedFile(connection, request, m_workingFolder + "/clients/", path.substr(9));
    } else if (path == "/log" || path == "/log/") {
        m_responder.SendFile(connection, m_context.config.GetDataFolder() + "qrm.log", request);
    } else if (path == "/oldlog" || path == "/oldlog/") {
        m_responder.SendFile(connection, m_context.config.GetDataFolder() + "qrm_old.log", request);
    } else if (StartsWith(path, "/media/")) {
        MediaFile(connection, request, path.substr(7));
    } else if (StartsWith(path, "/picture/")) {
        m_responder.SendNotFound(connection);
    } else {
        RootFile(connection, request);
    }
}

std::string CWebRoutes::Absolute(const CHttpRequest& request, const std::string& path) const {
    if (!request.host.empty()) return "http://" + request.host + path;
    return "http://" + m_responder.HostAddress() + ":" + std::to_string(m_responder.Port()) + path;
}

void CWebRoutes::StartPage(int32_t connection, const CHttpRequest& request) {
    const std::string& agent = request.userAgent;
    std::string target = "/iphone/phone.html";
    if (agent.find(" Mobile/") != std::string::npos &&
        agent.find(" AppleWebKit/") != std::string::npos) {
        target = "/iphone/";
    } else if (agent.find("Windows CE; PPC;") != std::string::npos) {
        target = "/ppc/install.html";
    }
    m_responder.SendRedirect(connection, Absolute(request, target));
}

void CWebRoutes::EventQueue(int32_t connection, const CHttpRequest& request) {
    const std::string* action = request.FirstParam();
    if (!action) {
        m_responder.SendNotFound(connection);
        return;
    }
    if (*action == "new") {
        int32_t id = m_queues.Create(Now());
        m_responder.SendContent(connection, "200 OK", "text/plain", std::to_string(id));
        return;
    }
    if (*action == "ping") {
        m_responder.SendContent(connection, "200 OK", "text/plain", "ok");
        if (request.params.size() > 1) {
            int32_t held = m_queues.ReleaseHeld(std::atoi(request.params[1].second.c_str()));
            if (held >= 0) {
                m_responder.SendContent(held, "200 OK", "text/xml",
                                        "<events><PingResponse></PingResponse></events>");
            }
        }
        return;
    }
    CWebEventQueues::CPollResult result =
        m_queues.Poll(std::atoi(action->c_str()), connection, Now());
    if (result.kind == CWebEventQueues::CPollResult::kNotFound) {
        m_responder.SendNotFound(connection);
    } else if (result.kind == CWebEventQueues::CPollResult::kEvents) {
        m_responder.SendContent(connection, "200 OK", "text/xml", result.document);
    }
    // kHeld: the answer comes with the next event, a ping or the expiry.
}

void CWebRoutes::ProtocolBridge(int32_t connection, const CHttpRequest& request) {
    const std::string* text = request.FirstParam();
    if (!text) {
        m_responder.SendNotFound(connection);
        return;
    }
    CReceiveResult received = ReceiveDocument(*text, connection);
    if (!received.recognized) {
        m_responder.SendContent(connection, "400 Bad Request", "text/xml",
                                received.message->ToXml());
        return;
    }
    // The answer comes back through the router and Send, on this connection.
    CEventHolder holder(std::move(received.message));
    m_context.bus.Fire(event::MessageReceived, holder, m_source);
}

namespace {

bool IsLibraryId(const std::string& id) {
    return !id.empty() && id.size() <= 9 &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool CWebRoutes::IsStopping() {
    std::lock_guard lock(m_mediaLock);
    return m_stopping;
}

bool CWebRoutes::AskLibraryForItem(int32_t id, CMediaItemBody& item) {
    const int32_t sequence = m_context.bus.NextSequenceId();
    {
        std::lock_guard lock(m_mediaLock);
        if (m_stopping) return false;
        m_pendingMedia[sequence] = CPendingMedia{};
    }
    auto ask = std::make_unique<CMediaItemRequest>(msg::GetMediaItemRequest);
    ask->Body().id = id;
    ask->SetRequestId(sequence);
    ask->SetClientId(0);  // an internal request: its reply is never delivered to a client
    CEventHolder holder(std::move(ask));
    m_context.bus.Fire(event::LibraryRequest, holder, m_source);

    std::unique_lock lock(m_mediaLock);
    m_mediaAnswered.wait_for(lock, std::chrono::milliseconds(kMediaWaitMs),
                             [&] { return m_stopping || m_pendingMedia[sequence].answered; });
    const CPendingMedia answer = m_pendingMedia[sequence];
    m_pendingMedia.erase(sequence);
    if (m_stopping || !answer.found) return false;
    item = answer.item;
    return true;
}

void CWebRoutes::MediaFile(int32_t connection, const CHttpRequest& request, const std::string& id) {
    CMediaItemBody item;
    // The file is sent from this connection's own thread, not from the library's, so a
    // long stream never holds up the library service.
    if (!IsLibraryId(id) || !AskLibraryForItem(std::atoi(id.c_str()), item) || item.path.empty()) {
        if (!IsStopping()) m_responder.SendNotFound(connection);
        return;
    }
    m_responder.SendFile(connection, item.path, request);
}

void CWebRoutes::TrackArt(int32_t connection, const CHttpRequest& request, const std::string& id) {
    CMediaItemBody track;
    if (!IsLibraryId(id) || !AskLibraryForItem(std::atoi(id.c_str()), track) ||
        track.type != kMediaMusic) {
        if (!IsStopping()) m_responder.SendNotFound(connection);
        return;
    }
    const int32_t sequence = m_context.bus.NextSequenceId();
    {
        std::lock_guard lock(m_mediaLock);
        m_pendingArt[sequence].clear();
    }
    auto ask = std::make_unique<CTrackArtRequest>(track);
    ask->SetRequestId(sequence);
    ask->SetClientId(0);
    CEventHolder holder(std::move(ask));
    // The player service answers on this thread, inside Fire (or not at all: no player).
    m_context.bus.Fire(event::PlayerRequest, holder, m_source);
    std::string url;
    {
        std::lock_guard lock(m_mediaLock);
        url = m_pendingArt[sequence];
        m_pendingArt.erase(sequence);
    }
    const size_t at = url.find("/art/");
    if (at == std::string::npos) {
        m_responder.SendNotFound(connection);
        return;
    }
    SendNamedFile(connection, request, m_context.config.GetDataFolder() + "cache/",
                  url.substr(at + 5));
}

void CWebRoutes::OnPlayerResponse(CEventHolder& holder) {
    const auto* art = dynamic_cast<const CAlbumArtResponse*>(holder.message.get());
    if (art == nullptr || art->ClientId() != 0 || art->ReturnCode() != 0) return;
    std::lock_guard lock(m_mediaLock);
    auto pending = m_pendingArt.find(art->RequestId());
    if (pending != m_pendingArt.end()) pending->second = art->Body().artURL;
}

void CWebRoutes::OnLibraryReply(CEventHolder& holder) {
    const CMessage* reply = holder.message.get();
    if (!reply || reply->ClientId() != 0 || reply->Kind() != kResponse) return;
    const auto* response = static_cast<const CResponseMessage*>(reply);
    std::lock_guard lock(m_mediaLock);
    auto pending = m_pendingMedia.find(response->RequestId());
    if (pending == m_pendingMedia.end()) return;
    if (reply->TypeId() == msg::GetMediaItemResponse && response->ReturnCode() == 0) {
        if (const auto* item = dynamic_cast<const CMediaItemResponse*>(reply)) {
            pending->second.item = item->Body();
            pending->second.found = item->Body().id > 0 || !item->Body().path.empty();
        }
    }
    pending->second.answered = true;
    m_mediaAnswered.notify_all();
}

void CWebRoutes::SendNamedFile(int32_t connection, const CHttpRequest& request,
                               const std::string& folder, const std::string& name) {
    if (!IsSafeFileName(name)) {
        m_context.logger.LogNormal("HTTP: Refused file name: %s", name.c_str());
        m_responder.SendNotFound(connection);
        return;
    }
    m_responder.SendFile(connection, folder + name, request, folder);
}

void CWebRoutes::RootFile(int32_t connection, const CHttpRequest& request) {
    std::string path = request.path;
    if (!IsSafeRootPath(path)) {
        m_responder.SendNotFound(connection);
        return;
    }
    if (path.back() == '/') path += "index.html";
    if (path.find('.') != std::string::npos) {
        m_responder.SendFile(connection, m_httpRoot + path, request, m_httpRoot);
    } else if (IsRegularFile(m_httpRoot + path + "/index.html")) {
        m_responder.SendRedirect(connection, Absolute(request, path + "/"));
    } else {
        m_responder.SendNotFound(connection);
    }
}

void CWebRoutes::Broadcast(const CMessage& message) {
    std::string text = message.ToXml();
    if (text.empty()) return;
    ToWireText(text);
    auto answers = m_queues.Broadcast(message.TypeId(), text, [this](int32_t connection) {
        return m_responder.IsConnectionOpen(connection);
    });
    for (const auto& [connection, document] : answers) {
        m_responder.SendContent(connection, "200 OK", "text/xml", document);
    }
}

void CWebRoutes::ExpirePolls(int64_t secondsSinceStart) {
    const int64_t hold = secondsSinceStart < 5 ? 1 : m_holdSeconds;
    for (const auto& [connection, document] : m_queues.ExpireHeld(Now(), hold)) {
        m_context.logger.LogDetailed("Expiring connection %d", connection);
        m_responder.SendContent(connection, "200 OK", "text/xml", document);
    }
}

void CWebRoutes::ConnectionClosed(int32_t connection) {
    m_queues.ConnectionClosed(connection);
}

}  // namespace vantor
