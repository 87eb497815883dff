#pragma once

#include "platform/WindowSystem.h"
#include "platform/WindowWire.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A window as its own program sees it; called on the thread that runs CWindowPublisher::Serve.
class IPublishedWindow {
public:
    virtual ~IPublishedWindow() = default;
    virtual int32_t OnMessage(uint32_t message, int64_t wParam, int64_t lParam) = 0;
    virtual int32_t OnCopyData(uint32_t dataId, std::string_view data) = 0;
    virtual std::string Title() = 0;
};

// The memory that a publishing program lends to others by address. Addresses are never
// reused, so a stale address reads nothing instead of someone else's text.
class CProcessMemoryArena {
public:
    RemoteAddress Reserve(size_t size);
    // Reserves room for the text and its terminating zero and writes both.
    RemoteAddress Store(std::string_view text);
    // Fails when the bytes do not fit in the block that holds `address`.
    bool Write(RemoteAddress address, std::string_view bytes);
    // Up to `size` bytes from `address` to the end of its block; false outside every block.
    bool Read(RemoteAddress address, size_t size, std::string& out) const;
    // The zero-terminated text at `address` (to the end of its block at most).
    std::string ReadString(RemoteAddress address) const;
    bool Free(RemoteAddress address);
    size_t BlockCount() const { return m_blocks.size(); }

private:
    const std::vector<char>* BlockAt(RemoteAddress address, RemoteAddress& base) const;

    std::map<RemoteAddress, std::vector<char>> m_blocks;
    RemoteAddress m_next = 0x00100000;
};

// Publishes this program's windows as local sockets in the windows folder and answers the
// requests of CLocalWindowSystem. Single-threaded: Serve handles one request at a time, as a
// window's message loop would.
class CWindowPublisher {
public:
    // An empty folder means the default windows folder.
    explicit CWindowPublisher(std::string directory = {});
    ~CWindowPublisher();
    CWindowPublisher(const CWindowPublisher&) = delete;
    CWindowPublisher& operator=(const CWindowPublisher&) = delete;

    // 0 when the socket cannot be made. The window must outlive the publisher.
    WindowHandle Publish(const std::string& className, IPublishedWindow& window);
    CProcessMemoryArena& Memory() { return m_memory; }
    // Waits up to `timeoutMs` for requests and answers those that came; true when there were.
    bool Serve(int timeoutMs);
    // False once someone removed one of the socket files (the way to unpublish from outside).
    bool StillPublished() const;

private:
    struct CEntry {
        WindowHandle handle = 0;
        std::string path;
        windowwire::CFd listener;
        IPublishedWindow* window = nullptr;
    };

    void Answer(CEntry& entry, int connection);
    std::string Dispatch(CEntry& entry, const std::string& request);

    std::string m_directory;
    std::vector<CEntry> m_entries;
    CProcessMemoryArena m_memory;
};

}  // namespace vantor
