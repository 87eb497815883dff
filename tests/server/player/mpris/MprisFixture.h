#pragma once

// Test support for the MPRIS player: a private session bus and mpv with its MPRIS plugin
// on it, playing files with the null audio output. Nothing here touches the user's own bus.

#include "tests/support/MusicFolder.h"
#include "tests/support/PrivateBus.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantor::test {

// mpv with the MPRIS plugin, idle when its playlist ends. Start() waits until its name is on
// the bus; Stop() ends it by its process id and waits.
class CMpvProcess {
public:
    static constexpr const char* kBusName = "org.mpris.MediaPlayer2.mpv";

    ~CMpvProcess();
    bool Start(const std::vector<std::string>& files);
    void Stop();
    bool IsRunning() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

// True when mpv and its MPRIS plugin are installed.
bool MpvWithMprisAvailable();
// True when `name` is on the session bus now.
bool BusHasName(const std::string& name);
// Runs playerctl for mpv with these arguments; its standard output without the final
// line break, or "<failed>" when it did not exit with 0.
std::string Playerctl(const std::vector<std::string>& args);

}  // namespace vantor::test
