#include "tests/server/player/mpd/QrmMpdClient.h"

#include "protocol/Xml.h"

#include <chrono>

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::string RootName(const std::string& doc) {
    return GetRootElementName(doc);
}

std::string CQrmMpdClient::Call(CRequestMessage& request, int timeoutMs) {
    const int32_t id = m_nextRequestId++;
    request.SetRequestId(id);
    // A response's type name is the request's with "Request" replaced by "Response".
    std::string responseName = request.TypeName();
    responseName.replace(responseName.size() - 7, 7, "Response");
    if (!m_client.SendDocument(request.ToXml())) return "";
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto doc = m_client.ReadDocument(RemainingMs(deadline))) {
        if (RootName(*doc) == responseName && GetElementInt(*doc, "requestId") == id) return *doc;
        m_events.push_back(*doc);
        if (RemainingMs(deadline) == 0) break;
    }
    return "";
}

bool CQrmMpdClient::Call(CRequestMessage& request, CResponseMessage& response, int timeoutMs) {
    const std::string doc = Call(request, timeoutMs);
    if (doc.empty()) return false;
    response.FromXml(doc);
    return true;
}

int32_t CQrmMpdClient::Code(int32_t requestType, int timeoutMs) {
    CRequestMessage request(requestType);
    CResponseMessage response;
    return Call(request, response, timeoutMs) ? response.ReturnCode() : -1;
}

std::optional<std::string> CQrmMpdClient::WaitForEvent(
    const std::string& type, const std::function<bool(const std::string&)>& accept, int timeoutMs) {
    auto matches = [&](const std::string& doc) {
        return RootName(doc) == type && (!accept || accept(doc));
    };
    for (auto it = m_events.begin(); it != m_events.end();) {
        if (matches(*it)) {
            std::string doc = *it;
            m_events.erase(m_events.begin(), it + 1);
            return doc;
        }
        ++it;
    }
    m_events.clear();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto doc = m_client.ReadDocument(RemainingMs(deadline))) {
        if (matches(*doc)) return doc;
        if (RemainingMs(deadline) == 0) break;
    }
    return std::nullopt;
}

}  // namespace vantor::test
