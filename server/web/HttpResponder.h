#pragma once

#include "server/web/HttpRequest.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// What the routes use to answer a connection of the HTTP channel. Every operation may be
// called from any thread; writes on one connection are serialised. Each returns false
// when the connection is gone or the write failed (the connection is then closed).
class IHttpResponder {
public:
    virtual ~IHttpResponder();

    virtual bool SendContent(int32_t connection, std::string_view status,
                             std::string_view contentType, std::string_view body) = 0;
    // A file with the request's ranges and condition; a missing file answers not-found.
    // With a `folder` (which `path` starts with), a file that is not inside it once links
    // are followed answers not-found too.
    virtual bool SendFile(int32_t connection, const std::string& path, const CHttpRequest& request,
                          const std::string& folder = "") = 0;
    // A location without "http" is made absolute with this machine's address and port.
    virtual bool SendRedirect(int32_t connection, const std::string& location) = 0;
    virtual bool SendNotFound(int32_t connection) = 0;
    virtual bool IsConnectionOpen(int32_t connection) const = 0;
    // This machine's address and the listening port, for start-page redirects.
    virtual std::string HostAddress() const = 0;
    virtual int Port() const = 0;
};

}  // namespace vantor
