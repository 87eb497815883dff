#pragma once

#include <string>

namespace vantor {

// A server service (media library, player). The server starts and stops services on its
// own thread, in place order; a service runs its work on threads of its own and talks to
// the rest of the server only through the event bus.
class IService {
public:
    virtual ~IService();
    // 0 when running, -1 when it could not start (the server carries on regardless).
    virtual int Start() = 0;
    // Makes every thread of the service return and waits for them; safe to call twice.
    virtual void Stop() = 0;
    virtual std::string ShortName() const = 0;    // e.g. "medialib"
    virtual std::string DisplayName() const = 0;  // e.g. "Media Library"
    virtual std::string Version() const = 0;      // e.g. "1.0"
    // The event ids the service listens on, answers on and broadcasts on.
    virtual int RequestEvent() const = 0;
    virtual int ResponseEvent() const = 0;
    virtual int BroadcastEvent() const = 0;
};

}  // namespace vantor
