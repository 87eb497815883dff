#include "server/web/HttpChannel.h"

#include "platform/FileDescriptor.h"
#include "platform/HostAddresses.h"
#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/web/FileSender.h"
#include "server/web/HttpConnection.h"
#include "server/web/HttpDate.h"
#include "server/web/HttpRequestReader.h"
#include "server/web/HttpResponse.h"
#include "server/web/PathSafety.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>

namespace vantor {

namespace {

constexpr int kMonitorPeriodMs = 1000;
constexpr int kIdlePassesBeforeSleep = 5;
constexpr int kPassesPerCleanup = 10;
// A file is sent by its connection's own thread and may take long; a peer that takes
// nothing of it for this long is given up.
constexpr int kFileSendTimeoutMs = 60000;
constexpr size_t kReceiveChunk = 16 * 1024;
// Refused connections are logged once, then at most once in this many seconds.
constexpr int kRefusalLogSeconds = 10;

int64_t MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now())
        .count();
}

std::string DateNow() {
    return FormatHttpDate(static_cast<int64_t>(std::time(nullptr)));
}

std::string CurrentAddress() {
    std::vector<std::string> addresses = GetHostIPv4Addresses();
    return addresses.empty() ? std::string("127.0.0.1") : addresses.front();
}

}  // namespace

CHttpChannel::CHttpChannel(CServerContext& context, AddressSource addressSource)
    : m_context(context),
      m_routes(context, *this, static_cast<const ICommChannel*>(this)),
      m_listener(context.logger),
      m_addressMonitor(context.logger),
      m_monitor(context.logger),
      m_addressSource(addressSource ? std::move(addressSource) : AddressSource(CurrentAddress)) {}

CHttpChannel::~CHttpChannel() {
    Stop();
}

int CHttpChannel::Start() {
    char cwd[1024];
    m_startFailure.clear();
    if (!::getcwd(cwd, sizeof cwd)) {
        m_context.logger.LogCritical("HTTP: Unable to read working directory");
        m_startFailure = std::string("the HTTP channel cannot read the working directory: ") +
                         std::strerror(errno);
        return -1;
    }
    const std::string workingFolder = cwd;
    std::string httpRoot = m_context.config.GetString("Paths\\HTTPRoot", "");
    if (httpRoot.empty()) httpRoot = workingFolder + "/web";
    while (httpRoot.size() > 1 && httpRoot.back() == '/') httpRoot.pop_back();

    // Files go out with sendfile, which cannot be told not to raise SIGPIPE when a peer
    // has gone; a write error is what the sender handles instead.
    std::signal(SIGPIPE, SIG_IGN);
    m_monitor.Init([this] { MonitorPass(); }, kMonitorPeriodMs, "HTTP Connection Monitor");

    const int port = m_context.config.GetInt("Ports\\HTTPChannel", kDefaultPort);
    m_limits = ReadHttpLimits(m_context.config);
    m_stopping = false;
    const std::string bindAddress = m_context.config.GetString("BindAddress", "");
    if (!m_listenSocket.CreateTcp(port, bindAddress, true) || !m_listenSocket.Listen()) {
        const char* reason = std::strerror(errno);
        m_listenSocket.Close();
        m_context.logger.LogCritical("ERROR: Unable to start HTTP channel");
        m_startFailure = "the HTTP channel cannot listen on port " + std::to_string(port) + ": " +
                         reason;
        m_context.logger.LogCritical("ERROR: %s", m_startFailure.c_str());
        return -1;
    }
    m_port = m_listenSocket.LocalPort();
    m_startTime = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(m_addressLock);
        m_address.clear();
    }
    UpdateWebAccess(m_addressSource());
    m_routes.StartRoutes(httpRoot, workingFolder);

    if (m_listener.Start("HTTP Connection Listener", [this] { ListenLoop(); }) != 0 ||
        m_addressMonitor.Start("HTTP IP Address Monitor", [this] { AddressLoop(); }) != 0) {
        m_context.logger.LogCritical("ERROR: Unable to start HTTP channel");
        m_startFailure = "the HTTP channel cannot start its threads";
        Stop();
        return -1;
    }
    m_context.logger.LogNormal("Initializing HTTP channel (port %d)", m_port.load());
    return 0;
}

int CHttpChannel::Stop() {
    m_stopping = true;
    m_routes.StopRoutes();
    m_listenSocket.Close();
    m_listener.Stop();
    {
        std::lock_guard lock(m_addressLock);
        m_addressWake.notify_all();
    }
    m_addressMonitor.Stop();
    m_monitor.Cancel();
    for (int i = 0; i < 50 && m_monitor.IsThreadRunning(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    std::vector<ConnectionPtr> connections;
    {
        std::lock_guard lock(m_tableLock);
        connections.swap(m_connections);
    }
    for (const ConnectionPtr& connection : connections) {
        connection->Close();
        connection->Thread().Stop();
    }
    return 0;
}

std::string CHttpChannel::WebAccessUrl() const {
    std::lock_guard lock(m_addressLock);
    return m_webAccessUrl;
}

size_t CHttpChannel::ConnectionCount() const {
    std::lock_guard lock(m_tableLock);
    return static_cast<size_t>(
        std::count_if(m_connections.begin(), m_connections.end(),
                      [](const ConnectionPtr& c) { return !c->IsClosed(); }));
}

void CHttpChannel::UpdateWebAccess(const std::string& address) {
    const int port = m_port.load();
    std::string url = port == 80 ? "http://" + address + "/"
                                 : "http://" + address + ":" + std::to_string(port) + "/";
    {
        std::lock_guard lock(m_addressLock);
        m_address = address;
        m_webAccessUrl = url;
    }
    m_context.config.SetString("WebAccessURL", url);
    m_context.config.SetInt("WebAccessPort", port);
    m_context.logger.LogNormal("Web access: %s (phone remote and browsers)", url.c_str());
}

std::string CHttpChannel::HostAddress() const {
    std::lock_guard lock(m_addressLock);
    return m_address;
}

void CHttpChannel::AddressLoop() {
    while (!m_stopping) {
        const std::string address = m_addressSource();
        if (address != HostAddress()) {
            UpdateWebAccess(address);
            CEventHolder holder;
            m_context.bus.Fire(event::WebAccessChanged, holder, Source());
        }
        std::unique_lock lock(m_addressLock);
        m_addressWake.wait_for(lock, std::chrono::milliseconds(1000),
                               [this] { return m_stopping.load(); });
    }
}

void CHttpChannel::ListenLoop() {
    while (!m_stopping) {
        std::string peer;
        CNetSocket socket = m_listenSocket.Accept(&peer);
        if (!socket.IsValid()) {
            if (m_stopping) break;
            m_context.logger.LogNormal("ERROR: Error accepting HTTP server client socket!");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // e.g. out of descriptors
            continue;
        }
        // Small answers leave at once instead of waiting for the peer's acknowledgement.
        int on = 1;
        ::setsockopt(socket.Descriptor(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        socket.SetSendTimeout(kFileSendTimeoutMs);

        ConnectionPtr connection;
        std::vector<ConnectionPtr> dead;
        std::string refusal;
        {
            std::lock_guard lock(m_tableLock);
            dead = TakeDeadConnections();
            refusal = RefusalFor(peer);
            if (refusal.empty()) {
                connection = std::make_shared<CHttpConnection>(
                    m_context.logger, m_nextConnectionId++, std::move(socket), peer,
                    m_limits.sendDeadline);
                m_connections.push_back(connection);
            }
        }
        EndConnections(dead);
        if (!connection) {
            Refuse(std::move(socket), peer, refusal);
            continue;
        }
        m_context.logger.LogDetailed("HTTP channel added connection: %d", connection->Id());
        // The router learns of the connection before its first request can arrive.
        FireConnectionEvent(event::ConnectionAdded, connection->Id());
        if (connection->Thread().Start("HTTP Socket Receiver",
                                       [this, connection] { Receive(connection); }) != 0) {
            connection->Close();
        }
        if (!m_monitor.IsActive()) m_monitor.Start();
    }
}

std::string CHttpChannel::RefusalFor(const std::string& peer) const {
    int open = 0;
    int fromPeer = 0;
    for (const ConnectionPtr& connection : m_connections) {
        if (connection->IsClosed()) continue;
        ++open;
        if (connection->PeerAddress() == peer) ++fromPeer;
    }
    if (open >= m_limits.maxConnections) {
        return std::to_string(open) + " connections are open (HTTP\\MaxConnections)";
    }
    if (fromPeer >= m_limits.maxConnectionsPerAddress) {
        return std::to_string(fromPeer) + " connections from " + peer +
               " are open (HTTP\\MaxConnectionsPerAddress)";
    }
    return {};
}

void CHttpChannel::Refuse(CNetSocket socket, const std::string& peer, const std::string& why) {
    // The answer fits the empty send buffer of a new connection, so it never waits.
    const std::string answer = FormatRefusal("503 Service Unavailable", DateNow());
    socket.SendBefore(answer.data(), answer.size(), std::chrono::steady_clock::now());
    // What the peer already sent is dropped, so that closing does not reset the connection
    // under the answer; the listener never waits for more.
    socket.ShutdownSend();
    char sink[4096];
    for (int i = 0; i < 16; ++i) {
        if (socket.WaitReadable(0) != 1 || socket.Receive(sink, sizeof sink) <= 0) break;
    }
    socket.Close();
    const auto now = std::chrono::steady_clock::now();
    if (m_refusedUnlogged > 0 && now - m_lastRefusalLog < std::chrono::seconds(kRefusalLogSeconds)) {
        ++m_refusedUnlogged;
        return;
    }
    // A flood of connections must not become a flood of log lines.
    m_context.logger.LogCritical("ERROR: Refused an HTTP connection from %s: %s%s", peer.c_str(),
                                 why.c_str(),
                                 m_refusedUnlogged > 1
                                     ? (" (" + std::to_string(m_refusedUnlogged - 1) +
                                        " more refused since the last report)")
                                           .c_str()
                                     : "");
    m_lastRefusalLog = now;
    m_refusedUnlogged = 1;
}

void CHttpChannel::Receive(const ConnectionPtr& connection) {
    CHttpRequestReader reader;
    std::string chunk(kReceiveChunk, '\0');
    const int32_t id = connection->Id();
    // When the first byte of the request now being received came.
    std::optional<std::chrono::steady_clock::time_point> requestStart;
    auto lastRequest = std::chrono::steady_clock::now();
    bool open = true;
    while (open && !connection->IsClosed()) {
        const int waited = WaitForRequestBytes(*connection, reader.Buffered() > 0, requestStart,
                                               lastRequest);
        if (waited == 0) break;
        if (waited < 0) {
            open = false;
            break;
        }
        int got = connection->Socket().Receive(chunk.data(), chunk.size());
        if (got <= 0) break;
        if (!requestStart) requestStart = std::chrono::steady_clock::now();
        reader.Append(std::string_view(chunk.data(), static_cast<size_t>(got)));
        while (open) {
            CHttpRequest request;
            std::string header;
            CHttpRequestReader::Result result = reader.Next(request, &header);
            if (result == CHttpRequestReader::kNeedMore) break;
            if (result != CHttpRequestReader::kRequest) {
                m_context.logger.LogNormal(
                    "ERROR: HTTP request on connection %d is %s, closing it", id,
                    std::string(CHttpRequestReader::Describe(result)).c_str());
                RefuseAndClose(*connection, CHttpRequestReader::StatusFor(result));
                open = false;
                break;
            }
            if (m_context.logger.GetLevel() > 2) {
                m_context.logger.LogVerbose("\r\nReceived HTTP from connection %d:", id);
                m_context.logger.LogVerbose("%s", header.c_str());
            }
            m_routes.Dispatch(id, request);
            lastRequest = std::chrono::steady_clock::now();
            requestStart.reset();
            if (reader.Buffered() > 0) requestStart = lastRequest;  // pipelined
            if (connection->IsClosed()) open = false;
        }
    }
    connection->Close();
    m_routes.ConnectionClosed(id);
    FireConnectionEvent(event::ConnectionRemoved, id);
    m_context.logger.LogDetailed("HTTP channel removed connection: %d (active: %d)", id,
                                 static_cast<int>(ConnectionCount()));
}

void CHttpChannel::RefuseAndClose(CHttpConnection& connection, std::string_view status) {
    if (!connection.Write(FormatRefusal(status, DateNow()))) return;
    // Closing with the peer's bytes unread would reset the connection, and the peer could
    // lose the answer before reading it: end the sending side first and drop what still
    // comes for a moment (bounded in time and bytes).
    constexpr int kLingerMs = 1000;
    constexpr int64_t kLingerBytes = 1024 * 1024;
    connection.MarkClosed();  // no longer counts as open, takes no more answers
    connection.Socket().ShutdownSend();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLingerMs);
    char sink[16 * 1024];
    int64_t dropped = 0;
    while (dropped < kLingerBytes) {
        const int64_t left = MillisecondsUntil(until);
        if (left <= 0 || connection.Socket().WaitReadable(static_cast<int>(left)) != 1) break;
        const int got = connection.Socket().Receive(sink, sizeof sink);
        if (got <= 0) break;
        dropped += got;
    }
    connection.Close();
}

int CHttpChannel::WaitForRequestBytes(
    CHttpConnection& connection, bool partial,
    const std::optional<std::chrono::steady_clock::time_point>& requestStart,
    std::chrono::steady_clock::time_point lastRequest) {
    // A request being received must be whole within the request deadline from its first
    // byte; between requests the connection may idle for the idle deadline after the last
    // request and the last answer, and for as long as one of its polls is held.
    constexpr int64_t kHeldPollRecheckMs = 1000;
    while (!connection.IsClosed()) {
        int64_t waitMs = 0;
        if (partial && requestStart) {
            waitMs = MillisecondsUntil(*requestStart + m_limits.requestTime);
            if (waitMs <= 0) {
                m_context.logger.LogNormal(
                    "HTTP connection %d (%s) sent no whole request within %lld s, closing it",
                    connection.Id(), connection.PeerAddress().c_str(),
                    static_cast<long long>(m_limits.requestTime.count()));
                RefuseAndClose(connection, "408 Request Timeout");
                return -1;
            }
        } else if (m_routes.IsHoldingPoll(connection.Id())) {
            waitMs = kHeldPollRecheckMs;
        } else {
            waitMs = MillisecondsUntil(std::max(lastRequest, connection.LastAnswer()) +
                                       m_limits.idleTime);
            if (waitMs <= 0) {
                m_context.logger.LogDetailed("HTTP connection %d idle, closing it",
                                             connection.Id());
                return -1;
            }
        }
        const int ready = connection.Socket().WaitReadable(
            static_cast<int>(std::min<int64_t>(waitMs, kHeldPollRecheckMs * 60)));
        if (ready != 0) return ready;  // data, the end of the stream, or a closed socket
    }
    return 0;
}

std::vector<CHttpChannel::ConnectionPtr> CHttpChannel::TakeDeadConnections() {
    std::vector<ConnectionPtr> dead;
    std::erase_if(m_connections, [&dead](const ConnectionPtr& connection) {
        if (!connection->IsClosed()) return false;
        dead.push_back(connection);
        return true;
    });
    return dead;
}

void CHttpChannel::EndConnections(const std::vector<ConnectionPtr>& dead) {
    // Joined without the table lock: a receiver that is still returning may need it.
    for (const ConnectionPtr& connection : dead) {
        m_context.logger.LogDetailed("Closing idle connection: %d", connection->Id());
        connection->Close();
        connection->Thread().Stop();
    }
}

void CHttpChannel::MonitorPass() {
    const auto age = std::chrono::steady_clock::now() - m_startTime;
    m_routes.ExpirePolls(std::chrono::duration_cast<std::chrono::seconds>(age).count());

    std::vector<ConnectionPtr> dead;
    {
        std::lock_guard lock(m_tableLock);
        ++m_passes;
        if (m_passes % kPassesPerCleanup == 0) dead = TakeDeadConnections();
        const bool anyOpen = std::any_of(m_connections.begin(), m_connections.end(),
                                         [](const ConnectionPtr& c) { return !c->IsClosed(); });
        m_idlePasses = anyOpen ? 0 : m_idlePasses + 1;
        // Sleeps while nobody is connected; the next accepted connection wakes it.
        if (m_idlePasses > kIdlePassesBeforeSleep) {
            m_idlePasses = 0;
            auto more = TakeDeadConnections();
            dead.insert(dead.end(), more.begin(), more.end());
            m_monitor.Cancel();
        }
    }
    EndConnections(dead);
}

CHttpChannel::ConnectionPtr CHttpChannel::Find(int32_t connection) const {
    std::lock_guard lock(m_tableLock);
    for (const ConnectionPtr& entry : m_connections) {
        if (entry->Id() == connection) return entry;
    }
    return nullptr;
}

bool CHttpChannel::IsConnectionOpen(int32_t connection) const {
    ConnectionPtr entry = Find(connection);
    return entry && !entry->IsClosed();
}

void CHttpChannel::FireConnectionEvent(int eventId, int32_t connection) {
    auto message = std::make_unique<CMessage>();
    message->SetClientId(connection);
    CEventHolder holder(std::move(message));
    m_context.bus.Fire(eventId, holder, Source());
}

int CHttpChannel::Send(const CMessage& message) {
    if (message.ClientId() == -1) {
        m_routes.Broadcast(message);
        return 0;
    }
    std::string text = message.ToXml();
    if (text.empty()) return -1;
    ToWireText(text);
    ConnectionPtr connection = Find(message.ClientId());
    if (!connection) return 0;
    // URLs in these answers name the address this client reached the server by.
    if (message.TypeId() == msg::GetAlbumArtResponse ||
        message.TypeId() == msg::GetClientVersionResponse) {
        ReplaceAll(text, "[0.0.0.0]", connection->Socket().LocalAddress());
    }
    if (m_context.logger.GetLevel() > 2) {
        m_context.logger.LogVerbose("\nSending:");
        m_context.logger.LogVerbose("%s", text.c_str());
    }
    SendContent(connection->Id(), "200 OK", "text/xml", std::string(kXmlPrologue) + text);
    return 0;
}

bool CHttpChannel::SendContent(int32_t connection, std::string_view status,
                               std::string_view contentType, std::string_view body) {
    ConnectionPtr entry = Find(connection);
    if (!entry) return false;
    std::string response = FormatContent(status, DateNow(), contentType, body);
    if (m_context.logger.GetLevel() > 2) {
        m_context.logger.LogVerbose("%s", response.substr(0, response.find("\r\n\r\n")).c_str());
    }
    if (!entry->Write(response)) {
        m_context.logger.LogNormal("ERROR: HTTP send failed, closing socket!");
        return false;
    }
    return true;
}

bool CHttpChannel::SendFile(int32_t connection, const std::string& path,
                            const CHttpRequest& request, const std::string& folder) {
    ConnectionPtr entry = Find(connection);
    if (!entry) return false;
    // Below a served folder the file is opened so that no link can lead out of it.
    CFileDescriptor file;
    if (!folder.empty()) {
        FileResolution resolution = FileResolution::kMissing;
        file.Reset(OpenFileBeneath(folder, path.substr(std::min(folder.size(), path.size())),
                                   resolution));
        if (resolution == FileResolution::kOutside) {
            m_context.logger.LogNormal("HTTP: Refused file outside its folder: %s", path.c_str());
            return entry->Write(FormatNotFound(DateNow()));
        }
    } else {
        file.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    }
    auto lock = entry->LockWrites();
    std::string header;
    FileSendResult result = FileSendResult::kNotFound;
    if (file.Get() >= 0) {
        result = SendHttpOpenFile(
            file.Get(), path, request, static_cast<int64_t>(std::time(nullptr)),
            [&entry](std::string_view bytes) { return entry->WriteLocked(bytes); },
            [&entry](std::string_view prefix, int fd, int64_t offset, int64_t length) {
                return entry->WriteFileLocked(prefix, fd, offset, length);
            },
            &header);
    }
    if (result == FileSendResult::kNotFound) {
        m_context.logger.LogNormal("HTTP: File not found: %s", path.c_str());
        return entry->WriteLocked(FormatNotFound(DateNow()));
    }
    if (m_context.logger.GetLevel() > 2) m_context.logger.LogVerbose("%s", header.c_str());
    if (result == FileSendResult::kWriteFailed) {
        m_context.logger.LogNormal("ERROR: HTTP send failed, closing socket!");
        entry->Close();
        return false;
    }
    return true;
}

bool CHttpChannel::SendRedirect(int32_t connection, const std::string& location) {
    ConnectionPtr entry = Find(connection);
    if (!entry) return false;
    std::string target = location;
    if (target.find("http") == std::string::npos) {
        target = "http://" + HostAddress() + ":" + std::to_string(m_port.load()) + location;
    }
    return entry->Write(FormatRedirect(DateNow(), target));
}

bool CHttpChannel::SendNotFound(int32_t connection) {
    ConnectionPtr entry = Find(connection);
    return entry && entry->Write(FormatNotFound(DateNow()));
}

}  // namespace vantor
