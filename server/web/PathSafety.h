#pragma once

#include <string_view>

namespace vantor {

// True when a name taken from a URL is a plain file name that stays in its folder:
// not empty, no "/" or "\" and not "." or "..". Used for /art/ and /clients/.
bool IsSafeFileName(std::string_view name);

// True when a path below the HTTP root stays inside it: it starts with "/", has no "\",
// no NUL byte and no "." or ".." segment.
bool IsSafeRootPath(std::string_view path);

}  // namespace vantor
