#include "tests/support/MessageSession.h"

#include "protocol/MessageFactory.h"
#include "protocol/Xml.h"

#include <chrono>

namespace vantor::test {

bool CMessageSession::Send(CRequestMessage& request) {
    m_backlog.clear();
    request.SetRequestId(++m_requestId);
    return m_client.SendDocument(request.ToXml());
}

bool CMessageSession::Send(int32_t typeId) {
    CRequestMessage request(typeId);
    return Send(request);
}

std::unique_ptr<CMessage> CMessageSession::Expect(int32_t typeId,
                                                  const std::function<bool(const CMessage&)>& check,
                                                  int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto matches = [&](const CMessage& m) {
        return m.TypeId() == typeId && (!check || check(m));
    };
    for (auto it = m_backlog.begin(); it != m_backlog.end(); ++it) {
        if (matches(**it)) {
            auto found = std::move(*it);
            m_backlog.erase(it);
            return found;
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        auto doc = m_client.ReadDocument(static_cast<int>(left.count()) + 1);
        if (!doc) {
            break;
        }
        auto message = CreateAnyMessage(msg::TypeIdFromName(GetRootElementName(*doc)));
        if (!message) {
            continue;
        }
        message->FromXml(*doc);
        if (matches(*message)) {
            return message;
        }
        m_backlog.push_back(std::move(message));
    }
    return nullptr;
}

int32_t CMessageSession::ResultOf(int32_t responseType, int timeoutMs) {
    auto response = Expect(
        responseType,
        [this](const CMessage& m) {
            return static_cast<const CResponseMessage&>(m).RequestId() == m_requestId;
        },
        timeoutMs);
    return response ? static_cast<const CResponseMessage&>(*response).ReturnCode() : -1;
}

}  // namespace vantor::test
