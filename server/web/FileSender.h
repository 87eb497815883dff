#pragma once

#include "server/web/HttpRequest.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantor {

// Writes all bytes on a connection; returns false when the peer is gone.
using HttpWriteFn = std::function<bool(std::string_view bytes)>;

enum class FileSendResult { kSent, kNotFound, kWriteFailed };

// Answers a request with a file: whole, in ranges, 304 or 416. The file is read and
// written in chunks of a fixed size, so files of any size (64-bit) cost the same memory;
// the header goes out together with the first chunk. A path that is missing or not a
// regular file gives kNotFound and writes nothing. header (optional) receives the
// header text for logging.
FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, std::string* header = nullptr);

}  // namespace vantor
