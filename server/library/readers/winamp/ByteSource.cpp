#include "server/library/readers/winamp/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace vantor {

IByteSource::~IByteSource() = default;

CFileByteSource::~CFileByteSource() {
    Close();
}

bool CFileByteSource::Open(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return false;
    struct stat info {};
    m_size = ::fstat(m_fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return true;
}

void CFileByteSource::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    for (CWindow& window : m_windows) window.lastUse = 0;
}

CFileByteSource::CWindow& CFileByteSource::Fill(uint64_t position) {
    CWindow* oldest = &m_windows[0];
    for (CWindow& window : m_windows) {
        if (window.lastUse < oldest->lastUse) oldest = &window;
    }
    oldest->start = position;
    oldest->length = 0;
    while (oldest->length < kWindowSize) {
        const ssize_t got =
            ::pread(m_fd, oldest->bytes.data() + oldest->length, kWindowSize - oldest->length,
                    static_cast<off_t>(position + oldest->length));
        if (got <= 0) break;
        oldest->length += static_cast<size_t>(got);
    }
    return *oldest;
}

size_t CFileByteSource::ReadAt(uint64_t position, void* out, size_t size) {
    if (m_fd < 0) return 0;
    auto* target = static_cast<char*>(out);
    size_t done = 0;
    while (done < size) {
        const uint64_t at = position + done;
        CWindow* hit = nullptr;
        for (CWindow& window : m_windows) {
            if (window.lastUse != 0 && at >= window.start && at < window.start + window.length) {
                hit = &window;
                break;
            }
        }
        if (hit == nullptr) {
            hit = &Fill(at);
            if (hit->length == 0) {
                hit->lastUse = 0;
                break;  // past the end, or unreadable
            }
        }
        hit->lastUse = ++m_uses;
        const auto offset = static_cast<size_t>(at - hit->start);
        const size_t take = std::min(size - done, hit->length - offset);
        std::memcpy(target + done, hit->bytes.data() + offset, take);
        done += take;
    }
    return done;
}

size_t CMemoryByteSource::ReadAt(uint64_t position, void* out, size_t size) {
    if (position >= m_bytes.size()) return 0;
    const size_t take = std::min<uint64_t>(size, m_bytes.size() - position);
    std::memcpy(out, m_bytes.data() + position, take);
    return take;
}

}  // namespace vantor
