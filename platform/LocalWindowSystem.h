#pragma once

#include "platform/ChildPrograms.h"
#include "platform/WindowSystem.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// Reaches the windows that other programs publish as local sockets in the windows folder
// (see CWindowPublisher). Each call is one short connection, so a program that quit is
// noticed at the next call.
class CLocalWindowSystem : public IWindowSystem {
public:
    // An empty folder means the default windows folder.
    explicit CLocalWindowSystem(std::string directory = {});
    ~CLocalWindowSystem() override;

    WindowHandle FindWindowByClass(const std::string& className) override;
    int32_t SendWindowMessage(WindowHandle window, uint32_t message, int64_t wParam,
                              int64_t lParam) override;
    int32_t SendCopyData(WindowHandle window, uint32_t dataId, const void* data,
                         size_t size) override;
    std::string GetWindowTitle(WindowHandle window, size_t maxChars) override;
    std::unique_ptr<IProcessMemory> OpenWindowProcess(WindowHandle window) override;
    // The program is this process's child: its exit is collected at the next call here, so
    // it never lingers long as a zombie.
    bool StartProgram(const std::string& path) override;
    void Sleep(int milliseconds) override;

    // One request to the window; no value when it is gone or did not answer.
    std::optional<std::string> Transact(WindowHandle window, const std::string& request);

private:
    std::string PathOf(WindowHandle window);
    void ReapChildren();

    std::string m_directory;
    std::mutex m_mutex;
    std::map<WindowHandle, std::string> m_paths;  // socket file of each window seen
    CChildPrograms m_children;
};

}  // namespace vantor
