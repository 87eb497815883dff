#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vantor {

// A top-level window of another program; 0 is no window. Handles fit in 31 bits so that a
// program can hand one back as a message result.
using WindowHandle = uint32_t;
// An address inside another program's memory; 0 is none.
using RemoteAddress = uint32_t;

// Message numbers shared by every program that publishes windows.
constexpr uint32_t kCloseMessage = 16;
constexpr uint32_t kCommandMessage = 273;
constexpr uint32_t kUserMessage = 1024;

// Memory of the program that owns a window, for messages that exchange text through it.
// Thread-safe; every call blocks until the program answered.
class IProcessMemory {
public:
    virtual ~IProcessMemory() = default;
    // Reserves `size` bytes; 0 on failure.
    virtual RemoteAddress Reserve(size_t size) = 0;
    virtual bool Write(RemoteAddress address, const void* data, size_t size) = 0;
    // Reads up to `size` bytes (fewer where the reserved block ends); -1 on failure.
    virtual int64_t Read(RemoteAddress address, void* out, size_t size) = 0;
    virtual bool Free(RemoteAddress address) = 0;
};

// Windows that other programs publish, reached by message. Thread-safe; calls block until the
// other program answered (bounded by a timeout). A window whose program has gone is no window.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    // The first live window of that class; 0 when there is none.
    virtual WindowHandle FindWindowByClass(const std::string& className) = 0;
    // The window's 32-bit answer; 0 when the window is gone.
    virtual int32_t SendWindowMessage(WindowHandle window, uint32_t message, int64_t wParam,
                                      int64_t lParam) = 0;
    // Hands `size` bytes tagged with `dataId` to the window; its answer, 0 when it is gone.
    virtual int32_t SendCopyData(WindowHandle window, uint32_t dataId, const void* data,
                                 size_t size) = 0;
    // The window's title, at most `maxChars` bytes; empty when the window is gone.
    virtual std::string GetWindowTitle(WindowHandle window, size_t maxChars) = 0;
    // Opens the memory of the window's program; null when the window is gone.
    virtual std::unique_ptr<IProcessMemory> OpenWindowProcess(WindowHandle window) = 0;
    // Starts the program detached from this one; false when it cannot be started.
    virtual bool StartProgram(const std::string& path) = 0;
    virtual void Sleep(int milliseconds) = 0;
};

}  // namespace vantor
