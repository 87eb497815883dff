#include "server/web/PathSafety.h"

#include <climits>
#include <cstdlib>

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

FileResolution ResolveInsideFolder(const std::string& folder, const std::string& path,
                                   std::string& resolved) {
    char real[PATH_MAX];
    if (::realpath(folder.c_str(), real) == nullptr) return FileResolution::kMissing;
    std::string realFolder = real;
    if (realFolder.back() != '/') realFolder += '/';
    if (::realpath(path.c_str(), real) == nullptr) return FileResolution::kMissing;
    resolved = real;
    return resolved.compare(0, realFolder.size(), realFolder) == 0 ? FileResolution::kInside
                                                                  : FileResolution::kOutside;
}

}  // namespace vantor
