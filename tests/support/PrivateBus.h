#pragma once

// Test support for everything that needs a D-Bus of its own: a dbus-daemon listening on a
// socket in a temporary folder, with no service activation (so nothing is started behind
// the test's back) and a policy that lets every local program own any name. Nothing here
// touches the machine's own buses.

#include "tests/support/MusicFolder.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantor::test {

class CPrivateBus {
public:
    enum Kind { kSession, kSystem };

    explicit CPrivateBus(Kind kind);
    ~CPrivateBus();  // Stop()
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    // Starts the daemon, waits until it accepts connections and points this process's
    // DBUS_SESSION_BUS_ADDRESS (or DBUS_SYSTEM_BUS_ADDRESS) at it, so every program the
    // test starts afterwards uses it.
    bool Start();
    void Stop();
    const std::string& Address() const { return m_address; }

private:
    const Kind m_kind;
    CTempFolder m_folder;
    std::string m_address;
    pid_t m_pid = -1;
};

// Starts a program (looked up in PATH) that dies with the test process; its output goes to
// `logFile`. The process id, or -1.
pid_t StartTestChild(const std::vector<std::string>& argv, const std::string& logFile);
// SIGTERM to the child, then waits for it; sets `pid` to -1.
void EndTestChild(pid_t& pid);

}  // namespace vantor::test
