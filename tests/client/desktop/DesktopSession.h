#pragma once

// What the desktop remote's end-to-end tests drive: a private X server (Xvfb), the real
// VantorPC on it with a registry folder of its own, pointer and key input through xdotool
// and screenshots read back as Cairo images.

#include <sys/types.h>

#include <cairo.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "client/link/ServerLink.h"
#include "client/skin/Skin.h"

namespace vantor::test {

// Two 0xRRGGBB colours within `tolerance` of each other in every channel.
inline bool NearColour(unsigned a, unsigned b, int tolerance = 12) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xff);
        const int cb = static_cast<int>((b >> shift) & 0xff);
        if (ca - cb > tolerance || cb - ca > tolerance) return false;
    }
    return true;
}

// The whole play list as `link` reads it; empty when the request fails.
std::vector<std::string> PlaylistItems(client::ServerLink& link);

// A program started in the background, stopped (SIGTERM, then SIGKILL) by its owner.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Environment: this process's, with `env` added or replaced. Output goes to `logPath`.
    bool Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& logPath, int keepFd = -1);
    // The exit status as waitpid() gives it; -1 when nothing ran.
    int Stop(int timeoutMs = 10000);
    bool IsRunning();
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// Xvfb on a free display number.
class VirtualDisplay {
public:
    bool Start(int width, int height);
    void Stop() { m_server.Stop(); }
    // ":N"
    const std::string& Name() const { return m_name; }
    pid_t Pid() const { return m_server.Pid(); }

private:
    ChildProcess m_server;
    std::string m_name;
};

// A screenshot of the whole screen, read back; empty when it could not be taken.
class Screenshot {
public:
    Screenshot() = default;
    ~Screenshot();
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    bool Take(const std::string& display, const std::string& path);
    bool Empty() const { return m_surface == nullptr; }
    // 0xRRGGBB
    unsigned At(int x, int y) const;
    // A hash of the rectangle's pixels (every third column of every second row): it changes
    // when something else is drawn there.
    uint64_t Hash(int left, int top, int right, int bottom) const;
    // Saves the rectangle as a PNG.
    bool SaveCrop(int x, int y, int w, int h, const std::string& path) const;
    cairo_surface_t* Surface() const { return m_surface; }

private:
    cairo_surface_t* m_surface = nullptr;
};

// A remote (VantorPC, VantorCE) on the display, with the test's settings.
class RemoteWindow {
public:
    // `registryDir` holds the client's settings (VANTOR_REGISTRY_DIR); `args` follow the
    // program's name.
    bool Start(const std::string& program, const std::string& display,
               const std::string& registryDir, const std::string& logPath,
               const std::vector<std::string>& args = {});
    int Stop() { return m_process.Stop(); }
    bool IsRunning() { return m_process.IsRunning(); }
    pid_t Pid() const { return m_process.Pid(); }

    // Finds the window and where its skinned face lies (the face fills its bottom).
    bool Locate(int faceWidth, int faceHeight, int timeoutMs = 20000);
    // Finds the window titled `title`; positions are then window coordinates.
    bool LocateWindow(const std::string& title, int timeoutMs = 20000);
    // The window's new size, as a turned screen gives it.
    void Resize(int width, int height) const;
    // The window's geometry ("X", "Y", "WIDTH", "HEIGHT"); empty when it is not found.
    std::map<std::string, int> Geometry() const;
    // Text typed into the focused field.
    void Type(const std::string& text) const;
    int FaceX() const { return m_faceX; }
    int FaceY() const { return m_faceY; }

    // Pointer input at face coordinates (`button` 3 is the right one).
    void Click(int x, int y, int button = 1) const;
    void DoubleClick(int x, int y) const;
    // A press held for a second, as a thumb that asks for a row's menu.
    void LongPress(int x, int y) const;
    void Drag(int x1, int y1, int x2, int y2) const;
    // A key press through xdotool ("alt+e").
    void Key(const std::string& keys) const;
    // Keys or text to whatever has the focus now (a menu, a dialog over the window).
    void KeyToFocus(const std::string& keys) const;
    void TypeToFocus(const std::string& text) const;
    // Keys to the visible window titled `title` (a message box), focused first.
    void KeyToWindow(const std::string& title, const std::string& keys) const;
    // The top-left corner of the visible window titled `title` (a dialog) in face
    // coordinates; false when it did not show within the timeout.
    bool WindowAt(const std::string& title, int& x, int& y, int timeoutMs = 10000) const;
    // The centre of a component's norm rectangle, in face coordinates.
    static void Centre(const skin::Skin& skin, const std::string& name, const std::string& screen,
                       int& x, int& y);

private:
    // Finds the window titled `title` and gives its geometry.
    std::map<std::string, int> FindWindow(const std::string& title, int timeoutMs);
    bool Xdotool(const std::vector<std::string>& args, std::string* output = nullptr) const;
    // xdotool arguments that move the pointer to face coordinates and wait until it is there.
    std::vector<std::string> MoveTo(int x, int y) const;

    ChildProcess m_process;
    std::string m_display;
    std::string m_window;
    int m_faceX = 0;
    int m_faceY = 0;
};

}  // namespace vantor::test
