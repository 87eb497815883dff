#include "platform/LocalWindowSystem.h"

#include "platform/WindowWire.h"

#include <dirent.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace vantor {

namespace wire = windowwire;

namespace {

// Lists the published windows; entries whose program has gone are removed on the way.
std::vector<std::pair<WindowHandle, std::string>> ListWindows(const std::string& directory,
                                                              const std::string& className) {
    std::vector<std::pair<WindowHandle, std::string>> found;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) {
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        WindowHandle window = 0;
        std::string cls;
        if (wire::ParseSocketName(entry->d_name, window, cls) && cls == className) {
            found.emplace_back(window, directory + "/" + entry->d_name);
        }
    }
    ::closedir(dir);
    return found;
}

class CLocalProcessMemory : public IProcessMemory {
public:
    CLocalProcessMemory(CLocalWindowSystem& system, WindowHandle window)
        : m_system(system), m_window(window) {}

    RemoteAddress Reserve(size_t size) override {
        const auto answer = m_system.Transact(
            m_window, wire::CWriter().U8(wire::kOpReserve).U32(static_cast<uint32_t>(size)).Data());
        uint32_t address = 0;
        if (!answer || !wire::CReader(*answer).U32(address)) {
            return 0;
        }
        return address;
    }

    bool Write(RemoteAddress address, const void* data, size_t size) override {
        const auto answer = m_system.Transact(
            m_window, wire::CWriter()
                          .U8(wire::kOpWrite)
                          .U32(address)
                          .Bytes(std::string_view(static_cast<const char*>(data), size))
                          .Data());
        return Succeeded(answer);
    }

    int64_t Read(RemoteAddress address, void* out, size_t size) override {
        const auto answer = m_system.Transact(
            m_window,
            wire::CWriter().U8(wire::kOpRead).U32(address).U32(static_cast<uint32_t>(size)).Data());
        if (!answer) {
            return -1;
        }
        wire::CReader reader(*answer);
        uint32_t ok = 0;
        if (!reader.U32(ok) || ok == 0) {
            return -1;
        }
        const std::string_view bytes = reader.Rest();
        const size_t n = std::min(bytes.size(), size);
        std::copy_n(bytes.data(), n, static_cast<char*>(out));
        return static_cast<int64_t>(n);
    }

    bool Free(RemoteAddress address) override {
        return Succeeded(
            m_system.Transact(m_window, wire::CWriter().U8(wire::kOpFree).U32(address).Data()));
    }

private:
    static bool Succeeded(const std::optional<std::string>& answer) {
        uint32_t ok = 0;
        return answer && wire::CReader(*answer).U32(ok) && ok != 0;
    }

    CLocalWindowSystem& m_system;
    WindowHandle m_window;
};

}  // namespace

CLocalWindowSystem::CLocalWindowSystem(std::string directory)
    : m_directory(directory.empty() ? wire::WindowsDirectory() : std::move(directory)) {}

CLocalWindowSystem::~CLocalWindowSystem() {
    ReapChildren();
}

WindowHandle CLocalWindowSystem::FindWindowByClass(const std::string& className) {
    ReapChildren();
    for (const auto& [window, path] : ListWindows(m_directory, className)) {
        bool refused = false;
        if (wire::ConnectTo(path, &refused).Valid()) {
            std::lock_guard lock(m_mutex);
            m_paths[window] = path;
            return window;
        }
        if (refused) {
            // Nobody listens: its program has gone without cleaning up.
            ::unlink(path.c_str());
        }
    }
    return 0;
}

std::string CLocalWindowSystem::PathOf(WindowHandle window) {
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_paths.find(window); it != m_paths.end()) {
            return it->second;
        }
    }
    // A handle that came in a message answer: look for its socket by the handle alone.
    const std::string prefix = std::to_string(window) + ".";
    std::string path;
    if (DIR* dir = ::opendir(m_directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::string_view(entry->d_name).starts_with(prefix)) {
                path = m_directory + "/" + entry->d_name;
                break;
            }
        }
        ::closedir(dir);
    }
    if (!path.empty()) {
        std::lock_guard lock(m_mutex);
        m_paths[window] = path;
    }
    return path;
}

std::optional<std::string> CLocalWindowSystem::Transact(WindowHandle window,
                                                        const std::string& request) {
    if (window == 0) {
        return std::nullopt;
    }
    const std::string path = PathOf(window);
    if (path.empty()) {
        return std::nullopt;
    }
    wire::CFd fd = wire::ConnectTo(path);
    if (!fd.Valid()) {
        std::lock_guard lock(m_mutex);
        m_paths.erase(window);
        return std::nullopt;
    }
    wire::SetTimeouts(fd.Get(), wire::kTimeoutMs);
    std::string answer;
    if (!wire::WriteFrame(fd.Get(), request) || !wire::ReadFrame(fd.Get(), answer)) {
        return std::nullopt;
    }
    return answer;
}

int32_t CLocalWindowSystem::SendWindowMessage(WindowHandle window, uint32_t message, int64_t wParam,
                                              int64_t lParam) {
    const auto answer = Transact(
        window, wire::CWriter().U8(wire::kOpMessage).U32(message).I64(wParam).I64(lParam).Data());
    uint32_t result = 0;
    if (!answer || !wire::CReader(*answer).U32(result)) {
        return 0;
    }
    return static_cast<int32_t>(result);
}

int32_t CLocalWindowSystem::SendCopyData(WindowHandle window, uint32_t dataId, const void* data,
                                         size_t size) {
    const auto answer =
        Transact(window, wire::CWriter()
                             .U8(wire::kOpCopyData)
                             .U32(dataId)
                             .Bytes(std::string_view(static_cast<const char*>(data), size))
                             .Data());
    uint32_t result = 0;
    if (!answer || !wire::CReader(*answer).U32(result)) {
        return 0;
    }
    return static_cast<int32_t>(result);
}

std::string CLocalWindowSystem::GetWindowTitle(WindowHandle window, size_t maxChars) {
    auto answer = Transact(window, wire::CWriter().U8(wire::kOpGetTitle).Data());
    if (!answer) {
        return {};
    }
    if (answer->size() > maxChars) {
        answer->resize(maxChars);
    }
    return *answer;
}

std::unique_ptr<IProcessMemory> CLocalWindowSystem::OpenWindowProcess(WindowHandle window) {
    const std::string path = PathOf(window);
    if (path.empty() || !wire::ConnectTo(path).Valid()) {
        return nullptr;
    }
    return std::make_unique<CLocalProcessMemory>(*this, window);
}

bool CLocalWindowSystem::StartProgram(const std::string& path) {
    return m_children.Start(path);
}

void CLocalWindowSystem::ReapChildren() {
    m_children.Reap();
}

void CLocalWindowSystem::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vantor
