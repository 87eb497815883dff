#pragma once

#include "platform/NetSocket.h"
#include "server/core/CommChannel.h"
#include "server/core/PeriodicTimer.h"
#include "server/core/WorkerThread.h"
#include "server/web/HttpLimits.h"
#include "server/web/HttpReceiverPool.h"
#include "server/web/HttpResponder.h"
#include "server/web/WebRoutes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

class CHttpConnection;
struct CServerContext;

// The HTTP channel: the router's second channel. A listener ("HTTP Connection Listener")
// on "Ports\HTTPChannel" (default 3569), a receiver pool that serves files to connections
// with no thread of their own, one receiver thread for each connection that needs more
// (polls, the protocol, streams; see CHttpConnection), a connection
// monitor ("HTTP Connection Monitor", every second) and an address monitor ("HTTP IP
// Address Monitor") that keeps "WebAccessURL" and "WebAccessPort" current and fires
// event 4 when this machine's address changes. Requests go to CWebRoutes. What one peer
// may hold (connections, time, answers it does not read) is bounded by CHttpLimits.
//
// Start, Stop: the server's thread. Send: any thread (responses go to their connection,
// broadcasts into the web event queues).
class CHttpChannel : public ICommChannel, private IHttpResponder {
public:
    static constexpr int kDefaultPort = 3569;

    // Where the address monitor reads this machine's address; by default the first of
    // the host's IPv4 addresses (loopback when it has none).
    using AddressSource = std::function<std::string()>;

    explicit CHttpChannel(CServerContext& context, AddressSource addressSource = {});
    ~CHttpChannel() override;
    CHttpChannel(const CHttpChannel&) = delete;
    CHttpChannel& operator=(const CHttpChannel&) = delete;

    int Start() override;
    int Stop() override;
    int Send(const CMessage& message) override;
    std::string StartFailure() const override { return m_startFailure; }

    // The port actually listened on (the configured one, or the system's pick for 0).
    int Port() const override { return m_port.load(); }
    std::string WebAccessUrl() const;
    size_t ConnectionCount() const;

private:
    using ConnectionPtr = std::shared_ptr<CHttpConnection>;

    // IHttpResponder
    bool SendContent(int32_t connection, std::string_view status, std::string_view contentType,
                     std::string_view body) override;
    bool SendFile(int32_t connection, const std::string& path, const CHttpRequest& request,
                  const std::string& folder) override;
    bool SendRedirect(int32_t connection, const std::string& location) override;
    bool SendNotFound(int32_t connection) override;
    bool IsConnectionOpen(int32_t connection) const override;
    std::string HostAddress() const override;

    void ListenLoop();
    // Why a new connection from `peer` is refused ("" when it is not). Table lock held.
    std::string RefusalFor(const std::string& peer) const;
    // Answers 503 and closes; logged, but not once per connection in a flood. Listener.
    void Refuse(CNetSocket socket, const std::string& peer, const std::string& why);
    // A connection's own receiver thread.
    void Receive(const ConnectionPtr& connection);
    enum class Served { kWaiting, kHandOver, kEnded };
    // Answers the whole requests the connection has buffered; pooled, it stops at the
    // first request that needs a thread (kHandOver) or at an answer the peer did not take
    // at once. Whoever serves the connection.
    Served ServeBuffered(CHttpConnection& connection);
    void DispatchRequest(CHttpConnection& connection, const CHttpRequest& request);
    // Pool threads: request bytes arrived on a pooled connection.
    void OnPooledReadable(const ConnectionPtr& connection);
    Served ReceivePooled(CHttpConnection& connection);
    // Moves a pooled connection to a receiver thread of its own, for good.
    void HandOver(const ConnectionPtr& connection);
    // The connection monitor: the request and idle deadlines of parked connections.
    void CheckPooledDeadlines();
    // The end of a connection: closed, its polls dropped, the event fired.
    void EndConnection(const ConnectionPtr& connection);
    // The last answer on a connection ("400 Bad Request", ...), then a close that lets the
    // peer read it. Receiver thread.
    void RefuseAndClose(CHttpConnection& connection, std::string_view status);
    // Waits until request bytes can be read, within the request or idle deadline: 1 when
    // they can, 0 when the connection ended, -1 when a deadline closed it.
    int WaitForRequestBytes(CHttpConnection& connection, bool partial,
                            const std::optional<std::chrono::steady_clock::time_point>& requestStart,
                            std::chrono::steady_clock::time_point lastRequest);
    void MonitorPass();
    void AddressLoop();
    void UpdateWebAccess(const std::string& address);
    // Takes closed connections out of the table (table lock held); EndConnections then
    // joins their receivers (table lock not held).
    std::vector<ConnectionPtr> TakeDeadConnections();
    void EndConnections(const std::vector<ConnectionPtr>& dead);
    ConnectionPtr Find(int32_t connection) const;
    void FireConnectionEvent(int eventId, int32_t connection);
    const void* Source() const { return static_cast<const ICommChannel*>(this); }

    CServerContext& m_context;
    CWebRoutes m_routes;
    CNetSocket m_listenSocket;
    CWorkerThread m_listener;
    CWorkerThread m_addressMonitor;
    CPeriodicTimer m_monitor;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_port{kDefaultPort};
    std::string m_startFailure;
    CHttpLimits m_limits;  // read on Start
    CHttpReceiverPool m_pool;
    // Listener thread only: refusals not yet in the log, and when the last was logged.
    int m_refusedUnlogged = 0;
    std::chrono::steady_clock::time_point m_lastRefusalLog;
    std::chrono::steady_clock::time_point m_startTime;

    mutable std::mutex m_tableLock;
    std::vector<ConnectionPtr> m_connections;
    int32_t m_nextConnectionId = 1;
    int m_idlePasses = 0;
    int m_passes = 0;

    AddressSource m_addressSource;
    mutable std::mutex m_addressLock;
    std::string m_address;
    std::string m_webAccessUrl;
    std::condition_variable m_addressWake;
};

}  // namespace vantor
