#pragma once

// Cuts the byte stream of the XML channel into documents: each zero byte ends one. Bytes
// after the last zero are kept for the next receive.

#include <cstddef>
#include <functional>
#include <string>

namespace vantor::client {

class MessageFramer {
public:
    // Receives are made in pieces of this size.
    static constexpr size_t kReceiveChunk = 1000;
    // An unfinished document may hold at most this much; a peer that sends more without a
    // zero byte is cut off.
    static constexpr size_t kDefaultLimit = 64u << 20;

    explicit MessageFramer(size_t limit = kDefaultLimit) : m_limit(limit) {}

    // Adds received bytes and hands every completed document (without its zero byte) to
    // `onDocument`, in order. False when the unfinished document grew past the limit; the
    // buffered bytes are then dropped.
    bool Feed(const char* data, size_t length,
              const std::function<void(std::string&& document)>& onDocument);
    size_t Pending() const { return m_buffer.size(); }

private:
    std::string m_buffer;
    size_t m_limit;
};

}  // namespace vantor::client
