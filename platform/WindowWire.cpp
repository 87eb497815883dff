#include "platform/WindowWire.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantor::windowwire {

CFd& CFd::operator=(CFd&& other) noexcept {
    if (this != &other) {
        Reset(other.Release());
    }
    return *this;
}

int CFd::Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void CFd::Reset(int fd) {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
}

std::string WindowsDirectory() {
    if (const char* dir = std::getenv("VANTOR_WINDOWS_DIR"); dir && *dir) {
        return dir;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return std::string(runtime) + "/vantor-windows";
    }
    return "/tmp/vantor-windows-" + std::to_string(::getuid());
}

std::string SocketName(WindowHandle window, std::string_view className) {
    // '/' cannot appear in a file name; '%' is escaped so that the mapping stays reversible.
    std::string name = std::to_string(window) + ".";
    for (char c : className) {
        if (c == '/') {
            name += "%2F";
        } else if (c == '%') {
            name += "%25";
        } else {
            name += c;
        }
    }
    return name;
}

bool ParseSocketName(std::string_view name, WindowHandle& window, std::string& className) {
    const size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot > 10) {
        return false;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(name[i] - '0');
    }
    if (value == 0 || value > 0x7fffffff) {
        return false;
    }
    window = static_cast<WindowHandle>(value);
    className.clear();
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (name.compare(i, 3, "%2F") == 0) {
            className += '/';
            i += 2;
        } else if (name.compare(i, 3, "%25") == 0) {
            className += '%';
            i += 2;
        } else {
            className += name[i];
        }
    }
    return true;
}

CFd ConnectTo(const std::string& path, bool* refused) {
    if (refused) {
        *refused = false;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) {
        return CFd();
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    CFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        return fd;
    }
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (refused) {
            *refused = errno == ECONNREFUSED;
        }
        return CFd();
    }
    return fd;
}

void SetTimeouts(int fd, int milliseconds) {
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
}

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFrame(int fd, std::string_view payload) {
    if (payload.size() > kMaxFrame) {
        return false;
    }
    std::string frame;
    frame.reserve(payload.size() + 4);
    const auto size = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) {
        frame += static_cast<char>((size >> (8 * i)) & 0xff);
    }
    frame += payload;
    return WriteAll(fd, frame.data(), frame.size());
}

bool ReadFrame(int fd, std::string& payload) {
    unsigned char header[4];
    if (!ReadAll(fd, reinterpret_cast<char*>(header), sizeof(header))) {
        return false;
    }
    const uint32_t size =
        header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24);
    if (size > kMaxFrame) {
        return false;
    }
    payload.resize(size);
    return ReadAll(fd, payload.data(), size);
}

CWriter& CWriter::U8(uint8_t v) {
    m_data += static_cast<char>(v);
    return *this;
}

CWriter& CWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        m_data += static_cast<char>((v >> (8 * i)) & 0xff);
    }
    return *this;
}

CWriter& CWriter::I64(int64_t v) {
    const auto u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i) {
        m_data += static_cast<char>((u >> (8 * i)) & 0xff);
    }
    return *this;
}

CWriter& CWriter::Bytes(std::string_view v) {
    m_data += v;
    return *this;
}

bool CReader::Take(void* out, size_t size) {
    if (m_data.size() - m_pos < size) {
        return false;
    }
    std::memcpy(out, m_data.data() + m_pos, size);
    m_pos += size;
    return true;
}

bool CReader::U8(uint8_t& v) {
    return Take(&v, 1);
}

bool CReader::U32(uint32_t& v) {
    unsigned char b[4];
    if (!Take(b, 4)) {
        return false;
    }
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool CReader::I64(int64_t& v) {
    unsigned char b[8];
    if (!Take(b, 8)) {
        return false;
    }
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i) {
        u = (u << 8) | b[i];
    }
    v = static_cast<int64_t>(u);
    return true;
}

std::string_view CReader::Rest() {
    std::string_view rest = m_data.substr(m_pos);
    m_pos = m_data.size();
    return rest;
}

}  // namespace vantor::windowwire
