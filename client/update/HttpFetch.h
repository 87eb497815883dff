#pragma once

// HTTP GET for the clients (installer downloads, album art), through libcurl.

#include <cstdint>
#include <functional>
#include <string>

namespace vantor::client {

struct FetchResult {
    long status = 0;    // the HTTP status; 0 when nothing answered
    std::string error;  // why it failed, for messages
    bool Ok() const { return status == 200; }
};

struct FetchOptions {
    long timeoutSeconds = 60;  // for the whole transfer; 0 for none
    // Ends a transfer that moves fewer than 100 bytes a second for this long; 0 for never.
    long stallSeconds = 0;
    // Through the proxy the environment names (http_proxy and the like) instead of directly;
    // the loopback address is always reached directly.
    bool viaProxy = false;
    // Called from the fetching thread as bytes arrive, with the bytes so far and the total
    // (0 while unknown); returning false aborts the transfer.
    std::function<bool(int64_t received, int64_t total)> progress;
};

// Fetches `url` into the file `path` (replaced; removed again unless the answer is 200).
// Blocks for at most `timeoutSeconds`; any thread.
FetchResult FetchToFile(const std::string& url, const std::string& path, long timeoutSeconds = 60);
// Fetches `url` into memory, at most `maxBytes`.
FetchResult FetchToMemory(const std::string& url, std::string& body, long timeoutSeconds = 30,
                          size_t maxBytes = 64u << 20);
FetchResult FetchToFile(const std::string& url, const std::string& path,
                        const FetchOptions& options);
FetchResult FetchToMemory(const std::string& url, std::string& body, const FetchOptions& options,
                          size_t maxBytes);

}  // namespace vantor::client
