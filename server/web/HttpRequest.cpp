#include "server/web/HttpRequest.h"

#include "protocol/TextCoding.h"
#include "server/web/HttpDate.h"

#include <strings.h>

#include <algorithm>
#include <charconv>

namespace vantor {

namespace {

bool ParseDecimal(std::string_view text, int64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool NameIs(std::string_view name, const char* expected) {
    return name.size() == std::char_traits<char>::length(expected) &&
           strncasecmp(name.data(), expected, name.size()) == 0;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> params;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view piece = query.substr(0, amp);
        size_t eq = piece.find('=');
        if (eq != std::string_view::npos) {
            params.emplace_back(std::string(piece.substr(0, eq)),
                                PercentDecode(piece.substr(eq + 1)));
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return params;
}

bool ParseRangeHeader(std::string_view value, std::vector<CByteRange>& ranges) {
    ranges.clear();
    constexpr std::string_view kPrefix = "bytes=";
    if (value.substr(0, kPrefix.size()) != kPrefix) return false;
    value.remove_prefix(kPrefix.size());
    std::vector<CByteRange> parsed;
    while (true) {
        size_t comma = value.find(',');
        std::string_view piece = TrimSpaces(value.substr(0, comma));
        size_t dash = piece.find('-');
        if (dash == std::string_view::npos) return false;
        CByteRange range;
        std::string_view first = piece.substr(0, dash);
        std::string_view second = piece.substr(dash + 1);
        if (!first.empty() && !ParseDecimal(first, range.start)) return false;
        if (!second.empty() && !ParseDecimal(second, range.end)) return false;
        if (first.empty() && second.empty()) return false;
        parsed.push_back(range);
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    ranges = std::move(parsed);
    return true;
}

bool ParseHeaderBlock(std::string_view block, CHttpRequest& request) {
    size_t lineEnd = block.find("\r\n");
    std::string_view requestLine = block.substr(0, lineEnd);
    block = lineEnd == std::string_view::npos ? std::string_view() : block.substr(lineEnd + 2);

    size_t sp1 = requestLine.find(' ');
    if (sp1 == std::string_view::npos || sp1 == 0) return false;
    size_t sp2 = requestLine.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || sp2 == sp1 + 1) return false;
    std::string_view method = requestLine.substr(0, sp1);
    std::string_view url = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    std::string_view version = requestLine.substr(sp2 + 1);
    if (!std::all_of(method.begin(), method.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        return false;
    if (version.substr(0, 5) != "HTTP/" || version.find(' ') != std::string_view::npos)
        return false;
    request.method = std::string(method);
    request.version = std::string(version);

    size_t question = url.find('?');
    request.path = PercentDecode(url.substr(0, question));
    request.query =
        question == std::string_view::npos ? std::string() : std::string(url.substr(question + 1));
    request.params = ParseQuery(request.query);

    while (!block.empty()) {
        lineEnd = block.find("\r\n");
        std::string_view line = block.substr(0, lineEnd);
        block = lineEnd == std::string_view::npos ? std::string_view() : block.substr(lineEnd + 2);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = line.substr(0, colon);
        std::string_view value = line.substr(colon + 1);
        // The value starts after exactly one space, like the client wrote it; only the
        // line end is trimmed so that a date with two spaces stays as it came.
        if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        while (!value.empty() && value.back() == '\r') value.remove_suffix(1);
        if (NameIs(name, "User-Agent")) {
            request.userAgent = std::string(value);
        } else if (NameIs(name, "Host")) {
            request.host = std::string(value);
        } else if (NameIs(name, "Range")) {
            request.range = std::string(value);
            ParseRangeHeader(value, request.ranges);
        } else if (NameIs(name, "If-Modified-Since")) {
            request.ifModifiedSince = std::string(value);
            request.modifiedSince = ParseIfModifiedSince(value);
        } else if (NameIs(name, "Content-Length")) {
            int64_t length = 0;
            if (!ParseDecimal(TrimSpaces(value), length)) return false;
            if (request.hasContentLength && length != request.contentLength)
                request.uncertainLength = true;
            request.contentLength = length;
            request.hasContentLength = true;
        } else if (NameIs(name, "Transfer-Encoding")) {
            request.uncertainLength = true;
        }
    }
    return true;
}

}  // namespace vantor
