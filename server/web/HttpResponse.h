#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

inline constexpr std::string_view kHttpServerName = "QRM/1.0";
inline constexpr std::string_view kXmlPrologue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The fixed response header blocks. date is an HTTP date text (FormatHttpDate).
std::string FormatContentHeader(std::string_view status, std::string_view date, int64_t length,
                                std::string_view contentType);
std::string FormatPartialHeader(std::string_view date, int64_t length, int64_t first, int64_t last,
                                int64_t fileSize, std::string_view contentType);
std::string FormatNotModified(std::string_view date);

// Whole responses (header and body).
std::string FormatContent(std::string_view status, std::string_view date,
                          std::string_view contentType, std::string_view body);
std::string FormatRedirect(std::string_view date, std::string_view location);
std::string FormatNotFound(std::string_view date);
std::string FormatRangeNotSatisfiable(std::string_view date, int64_t fileSize);
// The last answer on a connection the server is about to close ("400 Bad Request",
// "408 Request Timeout", "503 Service Unavailable", ...): a short page, "Connection: close".
std::string FormatRefusal(std::string_view status, std::string_view date);

}  // namespace vantor
