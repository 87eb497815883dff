#pragma once

#include "server/web/HttpRequest.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantor {

// Writes all bytes on a connection; returns false when the peer is gone.
using HttpWriteFn = std::function<bool(std::string_view bytes)>;

// Writes `prefix` (the header, or empty) and then `length` bytes of the open file `fd`
// from `offset`; returns false when the peer is gone or the file ended early.
using HttpFileSpanFn =
    std::function<bool(std::string_view prefix, int fd, int64_t offset, int64_t length)>;

enum class FileSendResult { kSent, kNotFound, kWriteFailed };

// Answers a request with a file: whole, in ranges, 304 or 416. A path that is missing or
// not a regular file gives kNotFound and writes nothing. header (optional) receives the
// header text for logging.
//
// With `sendSpan`, the file's bytes go out through it (the header as the first span's
// prefix), so a socket can send them without a copy. Without it, the file is read and
// written in chunks of a fixed size, the header together with the first chunk. Either way
// files of any size (64-bit) cost the same memory.
FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, const HttpFileSpanFn& sendSpan,
                            std::string* header = nullptr);
FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, std::string* header = nullptr);
// The same for a file already open: `fd` (which stays the caller's) is sent, `path` names it
// for its content type.
FileSendResult SendHttpOpenFile(int fd, const std::string& path, const CHttpRequest& request,
                                int64_t nowUtc, const HttpWriteFn& write,
                                const HttpFileSpanFn& sendSpan, std::string* header = nullptr);

}  // namespace vantor
