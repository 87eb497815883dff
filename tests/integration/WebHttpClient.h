#pragma once

// A raw HTTP/1.1 client for the web integration tests: sends exactly the bytes given and
// reads answers one at a time, so pipelining, exact header texts and closed connections
// can be observed. Every wait has a timeout.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor::test {

struct CHttpAnswer {
    std::string statusLine;  // "HTTP/1.1 200 OK"
    std::string header;      // the whole header block including the final empty line
    std::string body;

    int Status() const;
    // Value of a header line (exact name), or nothing.
    std::optional<std::string> Header(std::string_view name) const;
};

class CWebHttpClient {
public:
    CWebHttpClient() = default;
    ~CWebHttpClient();
    CWebHttpClient(const CWebHttpClient&) = delete;
    CWebHttpClient& operator=(const CWebHttpClient&) = delete;

    bool Connect(int port);
    void Close();
    bool SendRaw(std::string_view bytes);
    // "GET target HTTP/1.1" with a Host header and any extra header lines ("Name: v\r\n").
    bool SendGet(const std::string& target, const std::string& extraHeaders = "");
    // The next answer; a body is read by its Content-Length. maxBody bounds what is kept
    // (the rest is read and counted in *skipped).
    std::optional<CHttpAnswer> Read(int timeoutMs = 5000, int64_t* skipped = nullptr);
    // Only the next header block (the body is left unread).
    std::optional<std::string> ReadHeader(int timeoutMs = 5000);
    // True when the server closes the connection within the timeout.
    bool WaitForClose(int timeoutMs = 5000);

private:
    bool Fill(int timeoutMs);

    int m_fd = -1;
    int m_port = 0;
    std::string m_pending;
};

// One request on a fresh connection.
std::optional<CHttpAnswer> HttpGet(int port, const std::string& target,
                                   const std::string& extraHeaders = "", int timeoutMs = 5000);

// The media library indexes once when the server starts and then broadcasts
// MediaLibraryChangedEvent, which would land in any web queue made before it. Waits until
// that first update is over (the library root stops answering 21); false on timeout.
bool WaitForFirstLibraryUpdate(int port, int timeoutMs = 20000);

}  // namespace vantor::test
