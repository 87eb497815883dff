#pragma once

// Test support for everything that talks to a real MPD: a private mpd process over the
// generated music folder, whose every file lives under a temporary folder and which
// listens on a free port of 127.0.0.1.

#include "tests/support/MusicFolder.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantor::test {

// A private mpd. Start() writes its configuration and waits until it answers and has
// indexed the music folder; Stop() ends it by its process id. Restart() keeps the
// port, the database and the sticker file, so stored state survives as in real use.
class CMpdInstance {
public:
    explicit CMpdInstance(const std::string& musicFolder, const std::string& playlistFolder);
    // One instance per test process over the shared music folder, started on first use
    // and again whenever a test left it stopped. Null when it cannot be started.
    static CMpdInstance* Shared();
    ~CMpdInstance();
    CMpdInstance(const CMpdInstance&) = delete;
    CMpdInstance& operator=(const CMpdInstance&) = delete;

    bool Start(size_t expectedSongs);
    void Stop();
    bool Restart(size_t expectedSongs) {
        Stop();
        return Start(expectedSongs);
    }
    bool IsRunning() const { return m_pid > 0; }

    const std::string& Host() const { return m_host; }
    int Port() const { return m_port; }
    const std::string& Folder() const { return m_work.Path(); }
    std::string Log() const;

    // Runs mpc against this instance; true when it succeeded. Its output goes to *output.
    bool Mpc(const std::vector<std::string>& args, std::string* output = nullptr) const;
    // Sends one raw protocol command and returns MPD's answer up to "OK" or "ACK".
    std::string Command(const std::string& line) const;
    // One value of "status" (e.g. "state", "volume", "song"); empty when absent.
    std::string Status(const std::string& key) const;

private:
    bool WriteConfig();
    bool WaitUntilReady(size_t expectedSongs);

    CTempFolder m_work;
    std::string m_music;
    std::string m_playlists;
    std::string m_host = "127.0.0.1";
    int m_port = 0;
    pid_t m_pid = -1;
};

}  // namespace vantor::test
