#pragma once

// A protocol client for the integration tests: sends request messages to a running QRM,
// waits for the matching response, and keeps the events that arrive in between so a test
// can wait for them. Beside it, the small helpers those tests share.

#include "protocol/Message.h"
#include "tests/support/TestClients.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor::test {

class CQrmClient {
public:
    bool Connect(int port) { return m_client.Connect(port); }
    void Close() { m_client.Close(); }

    // Sends the request (its request id is set here) and returns the response document of
    // the same type and request id; empty after the timeout.
    std::string Call(CRequestMessage& request, int timeoutMs = 5000);
    // Calls and reads the response into `response`; false on timeout.
    bool Call(CRequestMessage& request, CResponseMessage& response, int timeoutMs = 5000);
    // The result code of a request without a response body; -1 on timeout.
    int32_t Code(int32_t requestType, int timeoutMs = 5000);

    // Waits for an event of that type (root element) for which `accept` holds; received
    // events are looked at once, in order, and dropped when they do not match.
    std::optional<std::string> WaitForEvent(const std::string& type,
                                            const std::function<bool(const std::string&)>& accept,
                                            int timeoutMs = 5000);
    void DropEvents() { m_events.clear(); }

private:
    CXmlTestClient m_client;
    std::vector<std::string> m_events;
    int32_t m_nextRequestId = 1;
};

// The root element name of a document.
std::string RootName(const std::string& doc);

// Polls `condition` every 50 ms until it holds or the time is up; its last answer.
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 8000);

// Percent-encodes what a URL path cannot carry as it is (art file names have spaces).
std::string EncodePath(const std::string& path);
// GET over HTTP (no proxy); the status code (0 when nothing answered) and the body.
long HttpGet(const std::string& url, std::string& body);

}  // namespace vantor::test
