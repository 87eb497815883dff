#include "client/link/ServerConnection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>

#include "client/link/MessageFramer.h"
#include "client/link/ServerAddress.h"
#include "platform/HostAddresses.h"

namespace vantor::client {

ServerConnection::~ServerConnection() {
    Close();
}

void ServerConnection::SetCallbacks(MessageCallback onMessage, DisconnectCallback onDisconnect) {
    m_onMessage = std::move(onMessage);
    m_onDisconnect = std::move(onDisconnect);
}

bool ServerConnection::Open(const std::string& host, int remotePort) {
    Close();
    std::string target = host;
    if (target.empty()) {
        const std::vector<std::string> local = GetHostIPv4Addresses();
        if (local.empty()) return false;
        target = local.front();
    }
    const std::string address = ResolveHostAddress(target, m_sink);
    if (address.empty()) return false;
    auto session = std::make_shared<Session>();
    if (!session->socket.Connect(address, remotePort, m_connectTimeoutMs)) return false;
    // Each document goes out in one send: nothing is gained by holding it back.
    const int on = 1;
    ::setsockopt(session->socket.Descriptor(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

    std::lock_guard<std::mutex> lock(m_mutex);
    m_session = session;
    m_peerAddress = address;
    m_connected = true;
    m_receiver = std::thread([this, session] { ReceiveLoop(session); });
    return true;
}

std::shared_ptr<ServerConnection::Session> ServerConnection::CurrentSession() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_session;
}

bool ServerConnection::Send(const std::string& text) {
    const std::shared_ptr<Session> session = CurrentSession();
    if (!session || session->closed.load()) return false;
    std::string document = text;
    document.push_back('\0');
    std::lock_guard<std::mutex> lock(m_sendMutex);
    return session->socket.Send(document) == static_cast<int>(document.size());
}

void ServerConnection::Close() {
    if (const std::shared_ptr<Session> session = CurrentSession()) {
        session->closed = true;
        session->socket.Close();  // wakes the receive thread
    }
    m_connected = false;
    JoinReceiver();
}

void ServerConnection::JoinReceiver() {
    std::thread receiver;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_receiver.joinable()) return;
        receiver = std::move(m_receiver);
    }
    // Called from one of our own callbacks: that thread ends by itself once the callback
    // returns, touching only its own session.
    if (receiver.get_id() == std::this_thread::get_id()) {
        receiver.detach();
        return;
    }
    receiver.join();
}

std::string ServerConnection::PeerAddress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peerAddress;
}

void ServerConnection::ReceiveLoop(std::shared_ptr<Session> session) {
    ::pthread_setname_np(::pthread_self(), "Link Receiver");
    MessageFramer framer;
    char chunk[MessageFramer::kReceiveChunk];
    const auto deliver = [this, &session](std::string&& document) {
        if (m_onMessage && !session->closed.load()) m_onMessage(std::move(document));
    };
    while (true) {
        const int received = session->socket.Receive(chunk, sizeof chunk);
        if (received <= 0 || !framer.Feed(chunk, static_cast<size_t>(received), deliver)) break;
    }
    // A failed receive that Close did not cause: the server went away.
    if (!session->closed.exchange(true)) {
        session->socket.Close();
        m_connected = false;
        if (m_onDisconnect) m_onDisconnect(0);
    }
}

}  // namespace vantor::client
