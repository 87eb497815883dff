#pragma once

#include "server/web/HttpRequest.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// Cuts one connection's byte stream into requests. Requests may arrive in pieces or
// several in one read (pipelining); they come out whole and in order. Bounded: a header
// block larger than kMaxHeaderBytes or a body larger than kMaxBodyBytes is refused, and
// the caller closes the connection. One reader per connection, one thread at a time.
class CHttpRequestReader {
public:
    static constexpr size_t kMaxHeaderBytes = 64 * 1024;
    static constexpr size_t kMaxBodyBytes = 1024 * 1024;

    enum Result { kNeedMore, kRequest, kHeaderTooLarge, kBodyTooLarge, kMalformed };

    void Append(std::string_view bytes) { m_buffer.append(bytes); }

    // Takes the next whole request out of the buffer. The raw header block is kept in
    // headerText (for the detailed log).
    Result Next(CHttpRequest& request, std::string* headerText = nullptr);

    size_t Buffered() const { return m_buffer.size(); }

private:
    std::string m_buffer;
};

}  // namespace vantor
