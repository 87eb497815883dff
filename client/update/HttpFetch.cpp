#include "client/update/HttpFetch.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>

namespace vantor::client {

namespace {

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct MemorySink {
    std::string* body;
    size_t maxBytes;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

size_t WriteToMemory(char* data, size_t size, size_t count, void* sink) {
    auto* memory = static_cast<MemorySink*>(sink);
    const size_t bytes = size * count;
    if (memory->body->size() + bytes > memory->maxBytes) return 0;  // aborts the transfer
    memory->body->append(data, bytes);
    return bytes;
}

// Servers name files as they are ("Late Set.png"): characters a URL can't carry as they are
// are percent-encoded; everything else, "%" included, stays.
std::string EncodeUnsafe(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
            c == '`' || c == '{' || c == '|' || c == '}') {
            out += {'%', kHex[c >> 4], kHex[c & 15]};
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

int ReportProgress(void* options, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    const auto& progress = static_cast<const FetchOptions*>(options)->progress;
    return progress(static_cast<int64_t>(received), static_cast<int64_t>(total)) ? 0 : 1;
}

FetchResult Perform(const std::string& url, const FetchOptions& options, curl_write_callback write,
                    void* target) {
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    FetchResult result;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.error = "cannot start a transfer";
        return result;
    }
    const std::string safeUrl = EncodeUnsafe(url);
    curl_easy_setopt(curl.get(), CURLOPT_URL, safeUrl.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    if (options.viaProxy) {
        curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    } else {
        // A server on the local network is never reached through a proxy.
        curl_easy_setopt(curl.get(), CURLOPT_PROXY, "");
    }
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, options.timeoutSeconds);
    if (options.stallSeconds > 0) {
        curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 100L);
        curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    }
    if (options.progress) {
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &ReportProgress);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &options);
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    }
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, write);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, target);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        result.error = curl_easy_strerror(code);
        return result;
    }
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    if (result.status != 200) result.error = "HTTP status " + std::to_string(result.status);
    return result;
}

}  // namespace

FetchResult FetchToFile(const std::string& url, const std::string& path, long timeoutSeconds) {
    FetchOptions options;
    options.timeoutSeconds = timeoutSeconds;
    return FetchToFile(url, path, options);
}

FetchResult FetchToMemory(const std::string& url, std::string& body, long timeoutSeconds,
                          size_t maxBytes) {
    FetchOptions options;
    options.timeoutSeconds = timeoutSeconds;
    return FetchToMemory(url, body, options, maxBytes);
}

FetchResult FetchToFile(const std::string& url, const std::string& path,
                        const FetchOptions& options) {
    FetchResult result;
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
        if (!file) {
            result.error = "cannot write " + path;
            return result;
        }
        result = Perform(url, options, &WriteToFile, file.get());
        if (std::fflush(file.get()) != 0 && result.Ok()) {
            result.status = 0;
            result.error = "cannot write " + path;
        }
    }
    if (!result.Ok()) std::remove(path.c_str());
    return result;
}

FetchResult FetchToMemory(const std::string& url, std::string& body, const FetchOptions& options,
                          size_t maxBytes) {
    body.clear();
    MemorySink sink{&body, maxBytes};
    FetchResult result = Perform(url, options, &WriteToMemory, &sink);
    if (!result.Ok()) body.clear();
    return result;
}

}  // namespace vantor::client
