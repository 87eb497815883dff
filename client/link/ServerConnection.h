#pragma once

// The client end of one XML-channel connection: a TCP socket and the receive thread that
// cuts the stream into documents. Documents go out as the text followed by one zero byte.
//
// Threads: Open, Send and Close may be called from any thread; Send calls are serialised.
// The callbacks run on the receive thread ("Link Receiver"). Close may be called from a
// callback: it then shuts the socket down without waiting for the thread it runs on.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "client/link/LinkDiagnostics.h"
#include "platform/NetSocket.h"

namespace vantor::client {

class ServerConnection {
public:
    // One received document (the bytes before its zero byte), on the receive thread.
    using MessageCallback = std::function<void(std::string&& document)>;
    // The connection ended without Close being called; the argument is always 0.
    using DisconnectCallback = std::function<void(int)>;

    ServerConnection() = default;
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Set before Open.
    void SetCallbacks(MessageCallback onMessage, DisconnectCallback onDisconnect);
    void SetDiagnostics(DiagnosticSink sink) { m_sink = std::move(sink); }
    // Bounds how long one connection attempt may take; 0 leaves it to the system.
    void SetConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }

    // Resolves `host` (empty: this machine's first address) and connects to `remotePort`.
    // True when connected; the receive thread then runs.
    bool Open(const std::string& host, int remotePort);
    // The text and one zero byte, in one send. False when not connected or sending failed.
    bool Send(const std::string& text);
    // Marks the connection closed, shuts the socket down and waits for the receive thread.
    void Close();

    bool IsConnected() const { return m_connected.load(); }
    // The address the connection went to (dotted IPv4); "" before the first Open.
    std::string PeerAddress() const;

private:
    // One connection: its socket and whether it was closed (by Close or by its end).
    struct Session {
        CNetSocket socket;
        std::atomic<bool> closed{false};
    };

    void ReceiveLoop(std::shared_ptr<Session> session);
    void JoinReceiver();
    std::shared_ptr<Session> CurrentSession() const;

    MessageCallback m_onMessage;
    DisconnectCallback m_onDisconnect;
    DiagnosticSink m_sink = StandardOutputSink();
    int m_connectTimeoutMs = 0;

    mutable std::mutex m_mutex;  // session replacement, peer address, thread handle
    std::mutex m_sendMutex;      // one document at a time on the wire
    std::shared_ptr<Session> m_session;
    std::string m_peerAddress;
    std::thread m_receiver;
    std::atomic<bool> m_connected{false};
};

}  // namespace vantor::client
