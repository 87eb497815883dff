#include "server/web/FileSender.h"

#include "server/web/ByteRanges.h"
#include "server/web/ContentTypes.h"
#include "server/web/HttpDate.h"
#include "server/web/HttpResponse.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace vantor {

namespace {

constexpr int64_t kChunkSize = 128 * 1024;

class CFileHandle {
public:
    explicit CFileHandle(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~CFileHandle() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// Reads [first, last] and writes it; pending holds bytes (the header) to put in front
// of the first chunk so that small answers leave in one write.
bool WriteSpan(int fd, int64_t first, int64_t last, std::string& pending, std::vector<char>& chunk,
               const HttpWriteFn& write) {
    int64_t offset = first;
    while (offset <= last) {
        int64_t want = std::min(kChunkSize, last - offset + 1);
        ssize_t got = ::pread(fd, chunk.data(), static_cast<size_t>(want), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // the file shrank under us: the length is wrong now
        offset += got;
        if (!pending.empty()) {
            pending.append(chunk.data(), static_cast<size_t>(got));
            bool ok = write(pending);
            pending.clear();
            if (!ok) return false;
        } else if (!write(std::string_view(chunk.data(), static_cast<size_t>(got)))) {
            return false;
        }
    }
    return true;
}

}  // namespace

FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, std::string* header) {
    CFileHandle file(path);
    struct stat info {};
    if (file.Fd() < 0 || ::fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return FileSendResult::kNotFound;
    }
    const std::string date = FormatHttpDate(nowUtc);
    const int64_t size = info.st_size;

    std::string head;
    if (request.modifiedSince && static_cast<int64_t>(info.st_mtime) < *request.modifiedSince) {
        head = FormatNotModified(date);
        if (header) *header = head;
        return write(head) ? FileSendResult::kSent : FileSendResult::kWriteFailed;
    }

    const std::string_view type = ContentTypeForPath(path);
    CRangePlan plan = PlanRanges(request.ranges, size);
    if (plan.kind == CRangePlan::kUnsatisfiable) {
        head = FormatRangeNotSatisfiable(date, size);
        if (header) *header = head.substr(0, head.find("\r\n\r\n") + 4);
        return write(head) ? FileSendResult::kSent : FileSendResult::kWriteFailed;
    }
    if (plan.kind == CRangePlan::kWhole) {
        head = FormatContentHeader("200 OK", date, size, type);
        if (size > 0) plan.spans.push_back(CFileSpan{0, size - 1});
    } else {
        head = FormatPartialHeader(date, plan.length, plan.lowest, plan.highest, size, type);
    }
    if (header) *header = head;

    std::vector<char> chunk(
        static_cast<size_t>(std::min<int64_t>(kChunkSize, std::max<int64_t>(plan.length, 1))));
    for (const CFileSpan& span : plan.spans) {
        if (!WriteSpan(file.Fd(), span.first, span.last, head, chunk, write)) {
            return FileSendResult::kWriteFailed;
        }
    }
    if (!head.empty() && !write(head)) return FileSendResult::kWriteFailed;
    return FileSendResult::kSent;
}

}  // namespace vantor
