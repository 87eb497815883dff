#include "tests/support/QrmClient.h"

#include "protocol/Xml.h"

#include <curl/curl.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <thread>

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::string EncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out += {'%', hex[c >> 4], hex[c & 15]};
        }
    }
    return out;
}

long HttpGet(const std::string& url, std::string& body) {
    body.clear();
    CURL* curl = curl_easy_init();
    if (!curl) return 0;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t n, void* out) {
            static_cast<std::string*>(out)->append(data, size * n);
            return size * n;
        });
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    }
    curl_easy_cleanup(curl);
    return status;
}

bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

std::string RootName(const std::string& doc) {
    return GetRootElementName(doc);
}

std::string CQrmClient::Call(CRequestMessage& request, int timeoutMs) {
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

bool CQrmClient::Call(CRequestMessage& request, CResponseMessage& response, int timeoutMs) {
    const std::string doc = Call(request, timeoutMs);
    if (doc.empty()) return false;
    response.FromXml(doc);
    return true;
}

int32_t CQrmClient::Code(int32_t requestType, int timeoutMs) {
    CRequestMessage request(requestType);
    CResponseMessage response;
    return Call(request, response, timeoutMs) ? response.ReturnCode() : -1;
}

std::optional<std::string> CQrmClient::WaitForEvent(
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
