#include "server/library/readers/common/FileWindow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vantor {

bool CFileWindow::Open(const std::string& path) {
    m_file.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    m_buffer.clear();
    m_base = m_kept = 0;
    m_eof = m_truncated = false;
    m_fileSize = 0;
    if (!m_file.IsValid()) return false;
    struct stat info {};
    if (::fstat(m_file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        m_file.Reset();
        return false;
    }
    m_fileSize = static_cast<uint64_t>(info.st_size);
    ::posix_fadvise(m_file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

bool CFileWindow::ReadBlock() {
    if (m_eof || !m_file.IsValid()) return false;
    if (m_kept > m_base) {
        m_buffer.erase(0, static_cast<size_t>(std::min<uint64_t>(m_kept - m_base, m_buffer.size())));
        m_base = m_kept;
    }
    const size_t held = m_buffer.size();
    m_buffer.resize(held + kBlockSize);
    ssize_t got = 0;
    do {
        got = ::read(m_file.Get(), m_buffer.data() + held, kBlockSize);
    } while (got < 0 && errno == EINTR);
    m_buffer.resize(held + static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got <= 0) m_eof = true;  // an error ends the file like its end does
    return got > 0;
}

uint64_t CFileWindow::Find(std::string_view needle, uint64_t from, bool discarding,
                           uint64_t limit) {
    from = std::max(from, m_base);
    while (true) {
        if (from >= limit) return npos;
        if (from < End()) {
            const uint64_t searched = std::min(End(), limit) - m_base;
            const size_t at = std::string_view(m_buffer)
                                  .substr(0, static_cast<size_t>(searched))
                                  .find(needle, static_cast<size_t>(from - m_base));
            if (at != std::string_view::npos) return m_base + at;
            if (End() >= limit) return npos;
        }
        // A match may start in the last bytes held and end in the next block.
        const uint64_t overlap = needle.empty() ? 0 : needle.size() - 1;
        from = std::max(from, End() > overlap ? End() - overlap : 0);
        if (discarding) Discard(from);
        if (m_eof) return npos;
        if (End() - m_kept >= m_maxWindow) {
            m_truncated = true;
            return npos;
        }
        ReadBlock();
    }
}

uint64_t CFileWindow::ReadUpTo(uint64_t offset) {
    while (End() < offset && !m_eof && End() - m_kept < m_maxWindow) ReadBlock();
    return std::min(offset, End());
}

std::string_view CFileWindow::Text(uint64_t begin, uint64_t end) const {
    begin = std::clamp(begin, m_base, End());
    end = std::clamp(end, begin, End());
    return std::string_view(m_buffer).substr(static_cast<size_t>(begin - m_base),
                                             static_cast<size_t>(end - begin));
}

void CFileWindow::Discard(uint64_t offset) {
    m_kept = std::max(m_kept, std::min(offset, End()));
}

}  // namespace vantor
