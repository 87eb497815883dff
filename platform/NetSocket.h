#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantor {

// An owned IPv4 socket descriptor (TCP or UDP). Move-only; the descriptor is closed when
// the object is destroyed or Close is called.
//
// Threads: one thread may block in Accept, Receive or ReceiveFrom while another calls
// Close (or Send); Close wakes the blocked call, which then fails. Every other use is by
// one thread at a time. Close shuts the socket down at once but keeps the descriptor
// until the object is destroyed or reused (Create, Connect, assignment), so a thread that
// is just entering a call can never reach a descriptor number the system handed out anew.
class CNetSocket {
public:
    CNetSocket() = default;
    explicit CNetSocket(int fd) : m_fd(fd) {}
    ~CNetSocket();
    CNetSocket(CNetSocket&& other) noexcept;
    CNetSocket& operator=(CNetSocket&& other) noexcept;
    CNetSocket(const CNetSocket&) = delete;
    CNetSocket& operator=(const CNetSocket&) = delete;

    // A TCP socket bound to `port` (0: any free port) on `address` (empty: all local
    // addresses). `reuseAddress` sets SO_REUSEADDR. False (and nothing open) on failure,
    // with errno telling why.
    bool CreateTcp(int port, const std::string& address = "", bool reuseAddress = false);
    // A UDP socket bound like CreateTcp, with SO_REUSEADDR (and broadcast allowed).
    bool CreateUdp(int port, const std::string& address = "");
    // Starts listening with the largest backlog the system allows.
    bool Listen();
    // Blocks for the next connection. An invalid socket on failure or after Close.
    CNetSocket Accept(std::string* peerAddress = nullptr, int* peerPort = nullptr);
    // A TCP connection to `address`:`port` (dotted IPv4), for clients and tests. With a
    // positive `timeoutMs` an attempt that has not succeeded by then fails; 0 leaves the
    // wait to the system.
    bool Connect(const std::string& address, int port, int timeoutMs = 0);

    // Up to `length` bytes: the count, 0 at the end of the stream, -1 on error.
    int Receive(void* buffer, size_t length);
    // Sends all bytes (never raising SIGPIPE): `length`, or -1 when the connection failed.
    int Send(const void* data, size_t length);
    int Send(const std::string& data) { return Send(data.data(), data.size()); }
    // Like Send; with `more`, the system holds short data back for what follows at once
    // (a header followed by SendFileBytes leaves in one packet).
    int Send(const void* data, size_t length, bool more);
    // Sends `length` bytes of the open file `fd` from `offset`, without copying them through
    // this process. False when the connection failed or the file ended early. Unlike Send
    // it cannot suppress SIGPIPE: the process must ignore that signal.
    bool SendFileBytes(int fd, int64_t offset, int64_t length);
    // Sends all bytes before `deadline` without ever blocking past it: a peer that takes
    // a little at a time cannot stretch the write. kTimedOut leaves the stream cut in the
    // middle of the data, so the caller must close the connection then.
    enum class SendResult { kSent, kFailed, kTimedOut };
    SendResult SendBefore(const void* data, size_t length,
                          std::chrono::steady_clock::time_point deadline);
    // Waits up to `milliseconds` (negative: without limit) for data or the end of the
    // stream: 1 when a Receive would not block, 0 on timeout, -1 on error or after Close.
    int WaitReadable(int milliseconds);
    // One datagram to a dotted IPv4 address: bytes sent or -1.
    int SendTo(const void* data, size_t length, const std::string& address, int port);
    // One datagram (truncated to `length`): its byte count or -1; the sender's address.
    int ReceiveFrom(void* buffer, size_t length, std::string* address = nullptr,
                    int* port = nullptr);
    // Bounds a blocking Send; 0 means no limit.
    bool SetSendTimeout(int milliseconds);
    bool SetReceiveTimeout(int milliseconds);

    // Ends the sending direction only: the peer reads the end of the stream after what was
    // sent, while this side can still read (and drop) what the peer is still sending.
    void ShutdownSend();
    // Shuts the socket down (waking a blocked Accept/Receive); later calls fail. Idempotent.
    void Close();

    bool IsValid() const { return m_fd.load() >= 0; }
    int Descriptor() const { return m_fd.load(); }
    // Dotted IPv4 text and port of the other end / this end; "" and -1 when unknown.
    std::string PeerAddress() const;
    int PeerPort() const;
    std::string LocalAddress() const;
    int LocalPort() const;

private:
    bool Create(int type, int port, const std::string& address, bool reuseAddress);
    // Closes the descriptors for good; no other thread may be using the socket.
    void Release();

    std::atomic<int> m_fd{-1};
    std::atomic<int> m_shutFd{-1};  // shut down by Close, closed by Release
};

}  // namespace vantor
