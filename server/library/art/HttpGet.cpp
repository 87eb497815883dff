#include "server/library/art/HttpGet.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>

namespace vantor {

namespace {

constexpr long kConnectTimeoutSeconds = 5;
constexpr long kTotalTimeoutSeconds = 15;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

size_t AppendToString(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(user)) * size;
}

CurlHandle MakeHandle(const std::string& url) {
    InitCurlOnce();
    CurlHandle handle(curl_easy_init());
    if (!handle) return handle;
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    // Timer and request threads call this; signals must stay out of it.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    return handle;
}

bool Perform(CURL* handle) {
    if (curl_easy_perform(handle) != CURLE_OK) return false;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

}  // namespace

int HttpGetText(const std::string& url, std::string& body) {
    body.clear();
    CurlHandle handle = MakeHandle(url);
    if (!handle) return -1;
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &AppendToString);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &body);
    return Perform(handle.get()) ? 0 : -1;
}

int HttpGetFile(const std::string& url, const std::string& path) {
    CurlHandle handle = MakeHandle(url);
    if (!handle) return -1;
    bool ok = false;
    {
        FileHandle file(std::fopen(path.c_str(), "wb"));
        if (!file) return -1;
        curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &WriteToFile);
        curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, file.get());
        ok = Perform(handle.get());
        ok = (std::fflush(file.get()) == 0) && ok;
    }
    if (!ok) std::remove(path.c_str());
    return ok ? 0 : -1;
}

}  // namespace vantor
