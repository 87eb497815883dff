#pragma once

#include <string>

namespace vantor {

// Blocking HTTP GET over libcurl with bounded time; safe on any thread.

// Fetches url into body. Returns 0 on a 2xx answer, -1 otherwise.
int HttpGetText(const std::string& url, std::string& body);

// Downloads url into the file at path. Returns 0 when a 2xx answer was written completely;
// on failure the file is removed and -1 is returned.
int HttpGetFile(const std::string& url, const std::string& path);

}  // namespace vantor
