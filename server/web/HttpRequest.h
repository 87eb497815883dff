#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

// One requested byte range as written by the client. start is -1 for a suffix range
// ("bytes=-N", then end holds the count); end is -1 when it was left empty.
struct CByteRange {
    int64_t start = -1;
    int64_t end = -1;
    bool operator==(const CByteRange&) const = default;
};

// A parsed HTTP request. Only the headers the routes use are kept.
struct CHttpRequest {
    std::string method;
    std::string path;                                         // percent-decoded
    std::string query;                                        // as received
    std::vector<std::pair<std::string, std::string>> params;  // values percent-decoded
    std::string version;
    std::string userAgent;
    std::string host;
    std::string range;
    std::string ifModifiedSince;
    bool hasContentLength = false;
    int64_t contentLength = 0;
    // The body's length is in doubt: Content-Length given twice with different values,
    // or a Transfer-Encoding (which this server does not decode). Such a request is refused
    // rather than guessed at, since a wrong guess reads body bytes as the next request.
    bool uncertainLength = false;
    std::vector<CByteRange> ranges;        // empty when no usable Range header
    std::optional<int64_t> modifiedSince;  // UTC seconds
    std::string body;

    // The first query parameter's value, or nullptr when there is none.
    const std::string* FirstParam() const { return params.empty() ? nullptr : &params[0].second; }
};

// Splits a query at "&"; a piece without "=" is not a parameter.
std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query);

// Reads a Range value. Returns false (and leaves ranges empty) when the value does not
// start with "bytes=" or a piece is not made of decimal numbers.
bool ParseRangeHeader(std::string_view value, std::vector<CByteRange>& ranges);

// Parses a header block (request line and header lines, without the closing empty line).
// Returns false when the request line is not "METHOD TARGET HTTP/x" (one space between
// them, a method of letters, a target that is not empty) or Content-Length is not a number.
bool ParseHeaderBlock(std::string_view block, CHttpRequest& request);

}  // namespace vantor
