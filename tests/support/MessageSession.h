#pragma once

#include "protocol/Message.h"
#include "tests/support/TestClients.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vantor::test {

// A client's conversation with the server over the XML channel: requests with ascending
// request ids, and the messages that came back, looked for by type. Not thread-safe.
class CMessageSession {
public:
    bool Connect(int port) { return m_client.Connect(port); }
    void Close() { m_client.Close(); }

    // Sends the request with the next request id. What came before it is forgotten, so an
    // expectation is met only by what follows the request.
    bool Send(CRequestMessage& request);
    bool Send(int32_t typeId);

    // The first message of that type passing `check`, from those read since the last request
    // or the next ones to come; null when none came in time.
    std::unique_ptr<CMessage> Expect(int32_t typeId,
                                     const std::function<bool(const CMessage&)>& check = {},
                                     int timeoutMs = 5000);
    // The result code of the response to the last request; -1 when none came in time.
    int32_t ResultOf(int32_t responseType, int timeoutMs = 5000);
    int32_t LastRequestId() const { return m_requestId; }

private:
    CXmlTestClient m_client;
    int32_t m_requestId = 0;
    std::vector<std::unique_ptr<CMessage>> m_backlog;
};

}  // namespace vantor::test
