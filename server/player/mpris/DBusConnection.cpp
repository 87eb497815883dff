#include "server/player/mpris/DBusConnection.h"

#include "protocol/ResultCodes.h"

#include <cerrno>
#include <cstring>

namespace vantor {

int OpenBus(const std::string& which, int callTimeoutMs, BusPtr& out) {
    out.reset();
    sd_bus* bus = nullptr;
    int r = 0;
    if (which.empty() || which == "session") {
        r = sd_bus_open_user(&bus);
    } else if (which == "system") {
        r = sd_bus_open_system(&bus);
    } else {
        r = sd_bus_new(&bus);
        if (r >= 0) r = sd_bus_set_address(bus, which.c_str());
        if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
        if (r >= 0) r = sd_bus_start(bus);
        if (r < 0 && bus) {
            sd_bus_flush_close_unref(bus);
            bus = nullptr;
        }
    }
    if (r < 0) return r;
    out.reset(bus);
    sd_bus_set_method_call_timeout(bus, static_cast<uint64_t>(callTimeoutMs) * 1000u);
    return 0;
}

int ListBusNames(sd_bus* bus, std::vector<std::string>& names, CBusError& error) {
    names.clear();
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "ListNames", error.Get(), &reply, "");
    if (r < 0) return r;
    BusMessagePtr owned(reply);
    r = sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "s");
    if (r < 0) return r;
    const char* name = nullptr;
    while ((r = sd_bus_message_read_basic(reply, SD_BUS_TYPE_STRING, &name)) > 0) {
        names.emplace_back(name ? name : "");
    }
    return r < 0 ? r : 0;
}

int32_t MapBusError(int r, const sd_bus_error* error) {
    static const char* const kGone[] = {
        SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER, SD_BUS_ERROR_NO_REPLY,
        SD_BUS_ERROR_DISCONNECTED,    SD_BUS_ERROR_TIMEOUT,           "org.freedesktop.DBus.Error.TimedOut",
        SD_BUS_ERROR_NO_SERVER,       SD_BUS_ERROR_IO_ERROR,
    };
    static const char* const kMissing[] = {
        SD_BUS_ERROR_UNKNOWN_METHOD,   SD_BUS_ERROR_UNKNOWN_INTERFACE,
        SD_BUS_ERROR_UNKNOWN_OBJECT,   SD_BUS_ERROR_UNKNOWN_PROPERTY,
        SD_BUS_ERROR_PROPERTY_READ_ONLY, SD_BUS_ERROR_NOT_SUPPORTED,
    };
    if (error && error->name) {
        for (const char* name : kGone)
            if (std::strcmp(error->name, name) == 0) return kResultPlayerComm;
        for (const char* name : kMissing)
            if (std::strcmp(error->name, name) == 0) return kResultNotSupported;
        return kResultPlayerCommandFailed;
    }
    return IsBusBroken(r) || r == -ETIMEDOUT || r == -ENXIO || r == -ESRCH ? kResultPlayerComm
                                                                          : kResultPlayerCommandFailed;
}

bool IsBusBroken(int r) {
    return r == -ECONNRESET || r == -ENOTCONN || r == -EPIPE || r == -ESHUTDOWN ||
           r == -ECONNREFUSED || r == -ENOENT;
}

}  // namespace vantor
