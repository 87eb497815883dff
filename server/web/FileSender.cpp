#include "server/web/FileSender.h"

#include "platform/FileDescriptor.h"
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

// One buffer per thread, reused: receiver threads send file after file, and a fresh large
// allocation per answer costs more than the copy it holds.
std::vector<char>& ChunkBuffer(size_t prefixSize) {
    thread_local std::vector<char> buffer;
    const size_t wanted = static_cast<size_t>(kChunkSize) + prefixSize;
    if (buffer.size() < wanted) buffer.resize(wanted);
    return buffer;
}

// Reads the span in chunks and writes it. The first write also carries the prefix, so
// small answers leave in one write.
bool WriteFileChunks(std::string_view prefix, int fd, int64_t offset, int64_t length,
                     const HttpWriteFn& write) {
    std::vector<char>& buffer = ChunkBuffer(prefix.size());
    std::copy(prefix.begin(), prefix.end(), buffer.begin());
    size_t prefixSize = prefix.size();
    const int64_t end = offset + length;
    while (offset < end) {
        const int64_t want = std::min(kChunkSize, end - offset);
        ssize_t got = ::pread(fd, buffer.data() + prefixSize, static_cast<size_t>(want), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // the file shrank under us: the length is wrong now
        offset += got;
        const size_t total = prefixSize + static_cast<size_t>(got);
        prefixSize = 0;
        if (!write(std::string_view(buffer.data(), total))) return false;
    }
    return true;
}

}  // namespace

FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, std::string* header) {
    return SendHttpFile(path, request, nowUtc, write, HttpFileSpanFn{}, header);
}

FileSendResult SendHttpFile(const std::string& path, const CHttpRequest& request, int64_t nowUtc,
                            const HttpWriteFn& write, const HttpFileSpanFn& sendSpan,
                            std::string* header) {
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsValid()) return FileSendResult::kNotFound;
    return SendHttpOpenFile(file.Get(), path, request, nowUtc, write, sendSpan, header);
}

FileSendResult SendHttpOpenFile(int fd, const std::string& path, const CHttpRequest& request,
                                int64_t nowUtc, const HttpWriteFn& write,
                                const HttpFileSpanFn& sendSpan, std::string* header) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return FileSendResult::kNotFound;
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

    const HttpFileSpanFn chunked = [&write](std::string_view prefix, int fd, int64_t offset,
                                            int64_t length) {
        return WriteFileChunks(prefix, fd, offset, length, write);
    };
    const HttpFileSpanFn& send = sendSpan ? sendSpan : chunked;
    std::string_view prefix = head;
    for (const CFileSpan& span : plan.spans) {
        if (!send(prefix, fd, span.first, span.last - span.first + 1)) {
            return FileSendResult::kWriteFailed;
        }
        prefix = {};
    }
    // An empty file: the header alone.
    if (!prefix.empty() && !write(head)) return FileSendResult::kWriteFailed;
    return FileSendResult::kSent;
}

}  // namespace vantor
