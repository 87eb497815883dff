#pragma once

#include "platform/WindowSystem.h"

#include <cstdint>
#include <string>
#include <string_view>

// The local-socket exchange between CLocalWindowSystem and CWindowPublisher. Every published
// window is a listening AF_UNIX socket in the windows folder named "<handle>.<class>"; a
// request is one connection carrying one frame each way (32-bit little-endian length, then
// the payload).
namespace vantor::windowwire {

enum Op : uint8_t {
    kOpMessage = 1,   // u32 message, i64 wParam, i64 lParam -> i32 result
    kOpCopyData = 2,  // u32 dataId, bytes -> i32 result
    kOpGetTitle = 3,  // -> bytes
    kOpReserve = 4,   // u32 size -> u32 address
    kOpWrite = 5,     // u32 address, bytes -> i32 ok
    kOpRead = 6,      // u32 address, u32 size -> i32 ok, bytes
    kOpFree = 7,      // u32 address -> i32 ok
};

constexpr size_t kMaxFrame = 1 << 20;
constexpr int kTimeoutMs = 5000;

// Owns a file descriptor.
class CFd {
public:
    CFd() = default;
    explicit CFd(int fd) : m_fd(fd) {}
    CFd(CFd&& other) noexcept : m_fd(other.Release()) {}
    CFd& operator=(CFd&& other) noexcept;
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    ~CFd() { Reset(); }

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    int Release();
    void Reset(int fd = -1);

private:
    int m_fd = -1;
};

// $VANTOR_WINDOWS_DIR, else $XDG_RUNTIME_DIR/vantor-windows, else /tmp/vantor-windows-<uid>.
std::string WindowsDirectory();
std::string SocketName(WindowHandle window, std::string_view className);
// False for names that are not published windows.
bool ParseSocketName(std::string_view name, WindowHandle& window, std::string& className);

// Connects to a socket path; an invalid descriptor when nobody listens there. `refused` (may
// be null) tells whether the socket exists but its program has gone.
CFd ConnectTo(const std::string& path, bool* refused = nullptr);
void SetTimeouts(int fd, int milliseconds);
bool WriteFrame(int fd, std::string_view payload);
bool ReadFrame(int fd, std::string& payload);

class CWriter {
public:
    CWriter& U8(uint8_t v);
    CWriter& U32(uint32_t v);
    CWriter& I64(int64_t v);
    // Bytes to the end of the frame; write last.
    CWriter& Bytes(std::string_view v);
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

class CReader {
public:
    explicit CReader(std::string_view data) : m_data(data) {}
    bool U8(uint8_t& v);
    bool U32(uint32_t& v);
    bool I64(int64_t& v);
    std::string_view Rest();

private:
    bool Take(void* out, size_t size);
    std::string_view m_data;
    size_t m_pos = 0;
};

}  // namespace vantor::windowwire
