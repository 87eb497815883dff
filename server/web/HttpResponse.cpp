#include "server/web/HttpResponse.h"

#include "server/web/ContentTypes.h"

namespace vantor {

namespace {

void AddLine(std::string& out, std::string_view name, std::string_view value) {
    out.append(name).append(": ").append(value).append("\r\n");
}

std::string StartHeader(std::string_view status, std::string_view date) {
    std::string out;
    out.reserve(256);
    out.append("HTTP/1.1 ").append(status).append("\r\n");
    AddLine(out, "Date", date);
    AddLine(out, "Server", kHttpServerName);
    return out;
}

}  // namespace

std::string FormatContentHeader(std::string_view status, std::string_view date, int64_t length,
                                std::string_view contentType) {
    std::string out = StartHeader(status, date);
    AddLine(out, "Accept-Ranges", "bytes");
    AddLine(out, "Content-Length", std::to_string(length));
    AddLine(out, "Connection", "Keep-Alive");
    AddLine(out, "Content-Type", contentType);
    out.append("\r\n");
    return out;
}

std::string FormatPartialHeader(std::string_view date, int64_t length, int64_t first, int64_t last,
                                int64_t fileSize, std::string_view contentType) {
    std::string out = StartHeader("206 Partial Content", date);
    AddLine(out, "Accept-Ranges", "bytes");
    AddLine(out, "Content-Length", std::to_string(length));
    AddLine(out, "Content-Range",
            "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                std::to_string(fileSize));
    AddLine(out, "Connection", "Keep-Alive");
    AddLine(out, "Content-Type", contentType);
    out.append("\r\n");
    return out;
}

std::string FormatNotModified(std::string_view date) {
    std::string out = StartHeader("304 Not Modified", date);
    AddLine(out, "Connection", "Keep-Alive");
    out.append("\r\n");
    return out;
}

std::string FormatContent(std::string_view status, std::string_view date,
                          std::string_view contentType, std::string_view body) {
    std::string out =
        FormatContentHeader(status, date, static_cast<int64_t>(body.size()), contentType);
    out.append(body);
    return out;
}

std::string FormatRedirect(std::string_view date, std::string_view location) {
    std::string body =
        "<html><head><title>301 Moved Permanently</title></head><body><h1>301 Moved "
        "Permanently</h1>This document has moved to <a href=\"";
    body.append(location).append("\">").append(location).append("</a></body></html>");
    std::string out = StartHeader("301 Moved Permanently", date);
    AddLine(out, "Location", location);
    AddLine(out, "Content-Length", std::to_string(body.size()));
    AddLine(out, "Connection", "close");
    AddLine(out, "Content-Type", ContentTypeForExtension("html"));
    out.append("\r\n").append(body);
    return out;
}

std::string FormatNotFound(std::string_view date) {
    return FormatContent("404 Not Found", date, ContentTypeForExtension("html"),
                         "<html><head><title>404 Not Found</title></head><body><h1>404 Not "
                         "Found</h1>Error 404 - File Not Found</body></html>");
}

std::string FormatRangeNotSatisfiable(std::string_view date, int64_t fileSize) {
    std::string_view body =
        "<html><head><title>416 Range Not Satisfiable</title></head><body><h1>416 Range Not "
        "Satisfiable</h1></body></html>";
    std::string out = StartHeader("416 Range Not Satisfiable", date);
    AddLine(out, "Accept-Ranges", "bytes");
    AddLine(out, "Content-Length", std::to_string(body.size()));
    AddLine(out, "Content-Range", "bytes */" + std::to_string(fileSize));
    AddLine(out, "Connection", "Keep-Alive");
    AddLine(out, "Content-Type", ContentTypeForExtension("html"));
    out.append("\r\n").append(body);
    return out;
}

std::string FormatRefusal(std::string_view status, std::string_view date) {
    std::string body = "<html><head><title>";
    body.append(status).append("</title></head><body><h1>").append(status).append(
        "</h1></body></html>");
    std::string out = StartHeader(status, date);
    AddLine(out, "Content-Length", std::to_string(body.size()));
    AddLine(out, "Connection", "close");
    AddLine(out, "Content-Type", ContentTypeForExtension("html"));
    out.append("\r\n").append(body);
    return out;
}

}  // namespace vantor
