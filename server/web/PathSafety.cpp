#include "server/web/PathSafety.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

namespace vantor {

bool IsSafeFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsSafeRootPath(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    if (path.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) return false;
    size_t pos = 1;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        std::string_view segment = path.substr(
            pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        if (segment == "." || segment == "..") return false;
        if (slash == std::string_view::npos) break;
        pos = slash + 1;
    }
    return true;
}

namespace {

FileResolution FromErrno(int error) {
    return error == EXDEV || error == ELOOP ? FileResolution::kOutside : FileResolution::kMissing;
}

// For kernels without openat2: the real path of the file must lie inside the real folder.
int OpenCheckingRealPath(const std::string& folder, const std::string& name,
                         FileResolution& result) {
    char real[PATH_MAX];
    result = FileResolution::kMissing;
    if (::realpath(folder.c_str(), real) == nullptr) return -1;
    std::string realFolder = real;
    if (realFolder.back() != '/') realFolder += '/';
    const std::string path = (folder.back() == '/' ? folder : folder + "/") + name;
    if (::realpath(path.c_str(), real) == nullptr) return -1;
    if (std::string_view(real).substr(0, realFolder.size()) != realFolder) {
        result = FileResolution::kOutside;
        return -1;
    }
    const int fd = ::open(real, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) result = FileResolution::kInside;
    return fd;
}

}  // namespace

int OpenFileBeneath(const std::string& folder, const std::string& name, FileResolution& result) {
    result = FileResolution::kMissing;
    const int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return -1;
    std::string_view relative = name;
    while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
    open_how how{};
    how.flags = O_RDONLY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, dir, std::string(relative).c_str(), &how, sizeof how);
    const int error = errno;
    ::close(dir);
    if (fd >= 0) {
        result = FileResolution::kInside;
        return static_cast<int>(fd);
    }
    if (error == ENOSYS || error == EPERM) {
        return OpenCheckingRealPath(folder, std::string(relative), result);
    }
    result = FromErrno(error);
    return -1;
}

}  // namespace vantor
