#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantor {

// Owning handles for sd-bus objects. A bus connection is not thread-safe: each user keeps
// its own or guards it with a lock.
struct CBusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct CBusMessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct CBusSlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusPtr = std::unique_ptr<sd_bus, CBusCloser>;
using BusMessagePtr = std::unique_ptr<sd_bus_message, CBusMessageUnref>;
using BusSlotPtr = std::unique_ptr<sd_bus_slot, CBusSlotUnref>;

// An sd_bus_error freed on scope exit.
class CBusError {
public:
    CBusError() = default;
    ~CBusError() { sd_bus_error_free(&m_error); }
    CBusError(const CBusError&) = delete;
    CBusError& operator=(const CBusError&) = delete;

    sd_bus_error* Get() { return &m_error; }
    const sd_bus_error* Get() const { return &m_error; }
    // The error's name, or "" when none was set.
    std::string Name() const { return m_error.name ? m_error.name : ""; }
    std::string Message() const { return m_error.message ? m_error.message : ""; }

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

// Opens a connection to the bus that `which` names: "session" (also the empty text),
// "system", or a D-Bus address such as "unix:path=/run/user/1000/bus". Method calls on it
// time out after `callTimeoutMs`. Returns 0 or a negative errno; blocks only for the
// connect, not for the bus's answer.
int OpenBus(const std::string& which, int callTimeoutMs, BusPtr& out);

// The names on the bus (ListNames). Returns 0 or a negative errno; `error` gets what the
// bus answered.
int ListBusNames(sd_bus* bus, std::vector<std::string>& names, CBusError& error);

// Maps a failed call (negative errno `r`, and the error the peer sent when there is one) to
// a protocol result code: 102 when the player or the bus is not there or does not answer,
// 19 when the player lacks the method or property, 103 when it refused the command.
int32_t MapBusError(int r, const sd_bus_error* error);

// True for the errors after which the connection itself is no longer usable.
bool IsBusBroken(int r);

}  // namespace vantor
