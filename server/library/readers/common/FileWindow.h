#pragma once

#include "platform/FileDescriptor.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// A file read front to back in blocks, holding in memory only the bytes from the last
// Discard to the furthest point a search has reached. Positions are offsets in the file.
//
// Library files run to gigabytes; a reader that keeps its place with Discard holds a few
// blocks whatever the file's size. (A memory mapping would hold as little, but a file that
// its player truncates while it is mapped kills the process on the next access.)
class CFileWindow {
public:
    static constexpr uint64_t npos = UINT64_MAX;
    static constexpr size_t kBlockSize = 1 << 20;
    // No search holds more than this; a longer element is cut where the window is full.
    static constexpr size_t kDefaultMaxWindow = 64u << 20;

    explicit CFileWindow(size_t maxWindow = kDefaultMaxWindow) : m_maxWindow(maxWindow) {}

    bool Open(const std::string& path);
    // The file's size when it was opened.
    uint64_t FileSize() const { return m_fileSize; }

    // Offset of the first `needle` that starts at `from` or later and ends by `limit`,
    // reading on as needed; npos when there is none before the limit or the end of the
    // file, or when the window is full (see Truncated). With `discarding`, what lies before
    // a possible match is let go while searching, so a skip over a long stretch holds no
    // more than a block.
    uint64_t Find(std::string_view needle, uint64_t from, bool discarding = false,
                  uint64_t limit = npos);
    // The bytes from `begin` to `end` (clamped to what is held).
    std::string_view Text(uint64_t begin, uint64_t end) const;
    // Lets go of everything before `offset`.
    void Discard(uint64_t offset);
    // Reads on until `offset` is held or the file ends; the offset reached.
    uint64_t ReadUpTo(uint64_t offset);
    // Offset just past the last byte read so far.
    uint64_t End() const { return m_base + m_buffer.size(); }
    bool AtEndOfFile() const { return m_eof; }
    // True once a search stopped at the window's limit.
    bool Truncated() const { return m_truncated; }

private:
    bool ReadBlock();

    size_t m_maxWindow;
    CFileDescriptor m_file;
    uint64_t m_fileSize = 0;
    std::string m_buffer;  // the bytes from m_base on
    uint64_t m_base = 0;
    uint64_t m_kept = 0;   // offset of the first byte still needed
    bool m_eof = false;
    bool m_truncated = false;
};

}  // namespace vantor
