#include "server/web/PathSafety.h"

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

}  // namespace vantor
