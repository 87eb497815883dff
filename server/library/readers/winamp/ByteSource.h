#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Random access to the bytes of one file or buffer, for readers that follow positions
// through a file instead of reading it whole. One thread at a time.
class IByteSource {
public:
    virtual ~IByteSource();
    // Copies up to `size` bytes from `position`; returns how many were there (fewer at the
    // end of the data or on a read error).
    virtual size_t ReadAt(uint64_t position, void* out, size_t size) = 0;
    // The size when the source was opened.
    virtual uint64_t Size() const = 0;
};

// A file read through a few cached windows, so that following a chain of small records
// costs a system call only when it leaves the windows. Holds at most kWindows × kWindowSize
// bytes, whatever the size of the file.
class CFileByteSource : public IByteSource {
public:
    static constexpr size_t kWindowSize = 32 * 1024;
    static constexpr size_t kWindows = 4;

    CFileByteSource() = default;
    ~CFileByteSource() override;
    CFileByteSource(const CFileByteSource&) = delete;
    CFileByteSource& operator=(const CFileByteSource&) = delete;

    // Opens for reading; false (with errno set) when the file cannot be opened.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    size_t ReadAt(uint64_t position, void* out, size_t size) override;
    uint64_t Size() const override { return m_size; }

private:
    struct CWindow {
        uint64_t start = 0;
        size_t length = 0;
        uint64_t lastUse = 0;  // 0: empty
        std::array<char, kWindowSize> bytes{};
    };
    CWindow& Fill(uint64_t position);

    int m_fd = -1;
    uint64_t m_size = 0;
    uint64_t m_uses = 0;
    std::array<CWindow, kWindows> m_windows{};
};

// Bytes held by someone else (tests and fuzzing); they must outlive the source.
class CMemoryByteSource : public IByteSource {
public:
    explicit CMemoryByteSource(std::string_view bytes) : m_bytes(bytes) {}
    size_t ReadAt(uint64_t position, void* out, size_t size) override;
    uint64_t Size() const override { return m_bytes.size(); }

private:
    std::string_view m_bytes;
};

}  // namespace vantor
