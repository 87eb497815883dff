#include "server/web/HttpRequestReader.h"

namespace vantor {

CHttpRequestReader::Result CHttpRequestReader::Next(CHttpRequest& request,
                                                    std::string* headerText) {
    // Browsers may send a stray line end between keep-alive requests.
    size_t skip = 0;
    while (skip + 1 < m_buffer.size() && m_buffer[skip] == '\r' && m_buffer[skip + 1] == '\n')
        skip += 2;
    if (skip) m_buffer.erase(0, skip);

    size_t end = m_buffer.find("\r\n\r\n");
    if (end == std::string::npos) {
        return m_buffer.size() > kMaxHeaderBytes ? kHeaderTooLarge : kNeedMore;
    }
    if (end + 4 > kMaxHeaderBytes) return kHeaderTooLarge;

    CHttpRequest parsed;
    if (!ParseHeaderBlock(std::string_view(m_buffer).substr(0, end), parsed)) return kMalformed;
    if (parsed.uncertainLength) return kUncertainLength;
    if (parsed.hasContentLength && parsed.contentLength > static_cast<int64_t>(kMaxBodyBytes)) {
        return kBodyTooLarge;
    }
    const size_t bodyLength = static_cast<size_t>(parsed.contentLength);
    if (m_buffer.size() < end + 4 + bodyLength) return kNeedMore;

    parsed.body = m_buffer.substr(end + 4, bodyLength);
    if (headerText) *headerText = m_buffer.substr(0, end);
    m_buffer.erase(0, end + 4 + bodyLength);
    request = std::move(parsed);
    return kRequest;
}

std::string_view CHttpRequestReader::StatusFor(Result result) {
    switch (result) {
        case kHeaderTooLarge:
            return "431 Request Header Fields Too Large";
        case kBodyTooLarge:
            return "413 Payload Too Large";
        default:
            return "400 Bad Request";
    }
}

std::string_view CHttpRequestReader::Describe(Result result) {
    switch (result) {
        case kHeaderTooLarge:
            return "a header block too large";
        case kBodyTooLarge:
            return "a body too large";
        case kUncertainLength:
            return "a body of uncertain length";
        default:
            return "malformed";
    }
}

}  // namespace vantor
