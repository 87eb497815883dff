#pragma once

// Blocking socket clients for tests: an XML-channel client (documents end with one zero
// byte in both directions) and a UDP client for discovery. Every wait has a timeout so a
// silent server fails the test instead of hanging it. Neither class is thread-safe; use one
// instance per thread.

#include <optional>
#include <string>
#include <string_view>

namespace vantor::test {

class CXmlTestClient {
public:
    CXmlTestClient() = default;
    ~CXmlTestClient();
    CXmlTestClient(const CXmlTestClient&) = delete;
    CXmlTestClient& operator=(const CXmlTestClient&) = delete;
    CXmlTestClient(CXmlTestClient&& other) noexcept;
    CXmlTestClient& operator=(CXmlTestClient&& other) noexcept;

    // A receiveBuffer above 0 makes the socket's receive buffer that small (a client that
    // stops reading then holds up a writer at once).
    bool Connect(int port, const std::string& host = "127.0.0.1", int receiveBuffer = 0);
    void Close();
    bool IsConnected() const { return m_fd >= 0; }

    // Writes exactly these bytes (no terminator added).
    bool SendRaw(std::string_view bytes);
    // Writes the document followed by one zero byte.
    bool SendDocument(std::string_view doc);
    // Next zero-terminated document from the server without its zero byte, or nothing on
    // timeout or when the connection ends first.
    std::optional<std::string> ReadDocument(int timeoutMs = 5000);
    // True when the server closes the connection within the timeout; received documents
    // are kept for ReadDocument().
    bool WaitForClose(int timeoutMs = 5000);

private:
    int m_fd = -1;
    std::string m_pending;
};

class CUdpTestClient {
public:
    CUdpTestClient();  // bound to 127.0.0.1, any port
    ~CUdpTestClient();
    CUdpTestClient(const CUdpTestClient&) = delete;
    CUdpTestClient& operator=(const CUdpTestClient&) = delete;

    bool SendTo(int port, std::string_view bytes, const std::string& host = "127.0.0.1");
    // One datagram (with the sender's port in *fromPort when given), or nothing on timeout.
    std::optional<std::string> Receive(int timeoutMs = 2000, int* fromPort = nullptr);
    int LocalPort() const;

private:
    int m_fd = -1;
};

}  // namespace vantor::test
