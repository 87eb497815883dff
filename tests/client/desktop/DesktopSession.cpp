#include "tests/client/desktop/DesktopSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "client/face/SkinPainter.h"
#include "client/link/Requests.h"
#include "tests/support/QrmProcess.h"

extern char** environ;

namespace vantor::test {

bool ChildProcess::Start(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env, const std::string& logPath,
                         int keepFd) {
    Stop();
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : env) merged[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    (void)keepFd;  // inherited as it is (opened without close-on-exec)
    const int rc = ::posix_spawn(&m_pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) m_pid = -1;
    return rc == 0;
}

bool ChildProcess::IsRunning() {
    if (m_pid <= 0) return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

int ChildProcess::Stop(int timeoutMs) {
    if (m_pid <= 0) return -1;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_pid = -1;
    return status;
}

bool VirtualDisplay::Start(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = m_server.Start({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]),
                                         "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                                        {}, "/dev/null", fds[1]);
    ::close(fds[1]);
    std::string number;
    if (started) {
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    }
    ::close(fds[0]);
    if (number.empty()) return false;
    m_name = ":" + number;
    return true;
}

Screenshot::~Screenshot() {
    if (m_surface) cairo_surface_destroy(m_surface);
}

std::vector<std::string> PlaylistItems(client::ServerLink& link) {
    auto request = client::requests::GetPlaylistItems(0, -1);
    std::unique_ptr<CResponseMessage> response;
    if (link.SendAndWait(*request, response) != 0) return {};
    auto* items =
        client::ResponseAs<CPlaylistItemsResponse>(response, msg::GetPlaylistItemsResponse);
    return items ? items->Body().items : std::vector<std::string>{};
}

bool Screenshot::Take(const std::string& display, const std::string& path) {
    if (m_surface) cairo_surface_destroy(m_surface);
    m_surface = nullptr;
    if (RunProgram({"/usr/bin/import", "-display", display, "-window", "root", "png24:" + path}) !=
        0)
        return false;
    m_surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }
    return m_surface != nullptr;
}

unsigned Screenshot::At(int x, int y) const {
    if (!m_surface || x < 0 || y < 0 || x >= cairo_image_surface_get_width(m_surface) ||
        y >= cairo_image_surface_get_height(m_surface))
        return 0;
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    const int stride = cairo_image_surface_get_stride(m_surface);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff;
}

uint64_t Screenshot::Hash(int left, int top, int right, int bottom) const {
    uint64_t hash = 1469598103934665603ull;
    for (int y = top; y < bottom; y += 2)
        for (int x = left; x < right; x += 3) hash = (hash ^ At(x, y)) * 1099511628211ull;
    return hash;
}

bool Screenshot::SaveCrop(int x, int y, int w, int h, const std::string& path) const {
    if (!m_surface) return false;
    cairo_surface_t* crop = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(crop);
    cairo_set_source_surface(cr, m_surface, -x, -y);
    cairo_paint(cr);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(crop, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(crop);
    return ok;
}

bool RemoteWindow::Start(const std::string& program, const std::string& display,
                         const std::string& registryDir, const std::string& logPath,
                         const std::vector<std::string>& args) {
    m_display = display;
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    return m_process.Start(argv,
                           {{"DISPLAY", display},
                            {"VANTOR_REGISTRY_DIR", registryDir},
                            {"NO_AT_BRIDGE", "1"},
                            {"GTK_THEME", "Adwaita"},
                            // The toolkit's own caches are not ours to answer for.
                            {"ASAN_OPTIONS", "detect_leaks=0"},
                            {"XDG_CACHE_HOME", registryDir + "cache"}},
                           logPath);
}

namespace {

// "X=10\nY=20\n..." as xdotool's --shell output gives it.
std::map<std::string, int> ShellValues(const std::string& output) {
    std::map<std::string, int> values;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = std::atoi(line.c_str() + eq + 1);
    }
    return values;
}

}  // namespace

bool RemoteWindow::Xdotool(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"/usr/bin/env", "DISPLAY=" + m_display, "/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, output, 20000) == 0;
}

std::map<std::string, int> RemoteWindow::FindWindow(const std::string& title, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string output;
    while (std::chrono::steady_clock::now() < deadline) {
        output.clear();
        if (Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}, &output) &&
            !output.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::istringstream ids(output);
    if (!(ids >> m_window)) return {};
    return Geometry();
}

std::map<std::string, int> RemoteWindow::Geometry() const {
    std::string output;
    if (!Xdotool({"getwindowgeometry", "--shell", m_window}, &output)) return {};
    return ShellValues(output);
}

bool RemoteWindow::Locate(int faceWidth, int faceHeight, int timeoutMs) {
    std::map<std::string, int> values = FindWindow("VantorPC", timeoutMs);
    if (values["WIDTH"] < faceWidth || values["HEIGHT"] < faceHeight) return false;
    m_faceX = values["X"] + (values["WIDTH"] - faceWidth) / 2;
    m_faceY = values["Y"] + values["HEIGHT"] - faceHeight;
    return true;
}

bool RemoteWindow::LocateWindow(const std::string& title, int timeoutMs) {
    std::map<std::string, int> values = FindWindow(title, timeoutMs);
    if (values.empty()) return false;
    m_faceX = values["X"];
    m_faceY = values["Y"];
    return true;
}

void RemoteWindow::Resize(int width, int height) const {
    Xdotool({"windowsize", "--sync", m_window, std::to_string(width), std::to_string(height)});
}

void RemoteWindow::Type(const std::string& text) const {
    Xdotool({"windowfocus", "--sync", m_window, "type", "--delay", "40", text});
}

// A synchronous move to where the pointer already is waits for a motion that never comes:
// the pointer is put a pixel beside the target first.
std::vector<std::string> RemoteWindow::MoveTo(int x, int y) const {
    const std::string sx = std::to_string(m_faceX + x);
    const std::string sy = std::to_string(m_faceY + y);
    return {"mousemove", std::to_string(m_faceX + x + 1), sy, "mousemove", "--sync", sx, sy};
}

void RemoteWindow::Click(int x, int y, int button) const {
    std::vector<std::string> args = MoveTo(x, y);
    args.insert(args.end(), {"click", std::to_string(button)});
    Xdotool(args);
}

void RemoteWindow::DoubleClick(int x, int y) const {
    std::vector<std::string> args = MoveTo(x, y);
    args.insert(args.end(), {"click", "--repeat", "2", "--delay", "80", "1"});
    Xdotool(args);
}

void RemoteWindow::LongPress(int x, int y) const {
    std::vector<std::string> args = MoveTo(x, y);
    args.insert(args.end(), {"mousedown", "1", "sleep", "1", "mouseup", "1"});
    Xdotool(args);
}

void RemoteWindow::Drag(int x1, int y1, int x2, int y2) const {
    std::vector<std::string> args = MoveTo(x1, y1);
    args.insert(args.end(), {"mousedown", "1"});
    for (int step = 1; step <= 4; ++step) {
        const int x = x1 + (x2 - x1) * step / 4;
        const int y = y1 + (y2 - y1) * step / 4;
        args.insert(args.end(), {"mousemove", "--sync", std::to_string(m_faceX + x),
                                 std::to_string(m_faceY + y), "sleep", "0.05"});
    }
    args.insert(args.end(), {"mouseup", "1"});
    Xdotool(args);
}

void RemoteWindow::Key(const std::string& keys) const {
    // Synthetic events sent to a window are ignored by the toolkit: focus it and type.
    Xdotool({"windowfocus", "--sync", m_window, "key", keys});
}

void RemoteWindow::KeyToFocus(const std::string& keys) const {
    Xdotool({"key", "--delay", "40", keys});
}

void RemoteWindow::TypeToFocus(const std::string& text) const {
    Xdotool({"type", "--delay", "40", text});
}

void RemoteWindow::KeyToWindow(const std::string& title, const std::string& keys) const {
    Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$", "windowfocus", "--sync", "%1",
             "key", keys});
}

bool RemoteWindow::WindowAt(const std::string& title, int& x, int& y, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string output;
    while (output.empty() && std::chrono::steady_clock::now() < deadline) {
        if (!Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$", "getwindowgeometry",
                      "--shell", "%1"},
                     &output))
            output.clear();
        if (output.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (output.empty()) return false;
    std::map<std::string, int> values = ShellValues(output);
    x = values["X"] - m_faceX;
    y = values["Y"] - m_faceY;
    return true;
}

void RemoteWindow::Centre(const skin::Skin& skin, const std::string& name,
                          const std::string& screen, int& x, int& y) {
    x = y = -1;
    for (const skin::Component& c : skin.Components()) {
        if (c.name != name || !face::SkinPainter::IsActive(c, screen)) continue;
        x = (c.norm.destination.left + c.norm.destination.right) / 2;
        y = (c.norm.destination.top + c.norm.destination.bottom) / 2;
        return;
    }
}

}  // namespace vantor::test
