#include "client/link/MessageFramer.h"

#include <cstring>

namespace vantor::client {

bool MessageFramer::Feed(const char* data, size_t length,
                         const std::function<void(std::string&& document)>& onDocument) {
    // Only the new bytes can hold a zero: what was buffered had none.
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != '\0') continue;
        std::string document = std::move(m_buffer);
        m_buffer.clear();
        document.append(data + start, i - start);
        onDocument(std::move(document));
        start = i + 1;
    }
    m_buffer.append(data + start, length - start);
    if (m_buffer.size() > m_limit) {
        m_buffer.clear();
        m_buffer.shrink_to_fit();
        return false;
    }
    return true;
}

}  // namespace vantor::client
