#pragma once

#include "server/web/HttpRequest.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// Cuts one connection's byte stream into requests. Requests may arrive in pieces or
// several in one read (pipelining); they come out whole and in order. Bounded: a header
// block larger than kMaxHeaderBytes or a body larger than kMaxBodyBytes is refused, and so
// is a request whose body length is in doubt; the caller answers with the status of
// StatusFor and closes the connection. One reader per connection, one thread at a time.
class CHttpRequestReader {
public:
    static constexpr size_t kMaxHeaderBytes = 64 * 1024;
    static constexpr size_t kMaxBodyBytes = 1024 * 1024;

    enum Result { kNeedMore, kRequest, kHeaderTooLarge, kBodyTooLarge, kMalformed, kUncertainLength };

    // The status line text that answers a refused request ("400 Bad Request", ...), and
    // a few words for the log.
    static std::string_view StatusFor(Result result);
    static std::string_view Describe(Result result);

    void Append(std::string_view bytes) { m_buffer.append(bytes); }

    // Takes the next whole request out of the buffer. The raw header block is kept in
    // headerText (for the detailed log).
    Result Next(CHttpRequest& request, std::string* headerText = nullptr);

    size_t Buffered() const { return m_buffer.size(); }

private:
    std::string m_buffer;
};

}  // namespace vantor
