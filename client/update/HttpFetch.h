#pragma once

// HTTP GET for the clients (installer downloads, album art), through libcurl.

#include <string>

namespace vantor::client {

struct FetchResult {
    long status = 0;    // the HTTP status; 0 when nothing answered
    std::string error;  // why it failed, for messages
    bool Ok() const { return status == 200; }
};

// Fetches `url` into the file `path` (replaced; removed again unless the answer is 200).
// Blocks for at most `timeoutSeconds`; any thread.
FetchResult FetchToFile(const std::string& url, const std::string& path, long timeoutSeconds = 60);
// Fetches `url` into memory, at most `maxBytes`.
FetchResult FetchToMemory(const std::string& url, std::string& body, long timeoutSeconds = 30,
                          size_t maxBytes = 64u << 20);

}  // namespace vantor::client
