#pragma once

#include <string>
#include <string_view>

namespace vantor {

// True when a name taken from a URL is a plain file name that stays in its folder:
// not empty, no "/" or "\" and not "." or "..". Used for /art/ and /clients/.
bool IsSafeFileName(std::string_view name);

// True when a path below the HTTP root stays inside it: it starts with "/", has no "\",
// no NUL byte and no "." or ".." segment.
bool IsSafeRootPath(std::string_view path);

enum class FileResolution { kInside, kMissing, kOutside };

// Follows every link of `path` (a file meant to lie in `folder`): kInside, with the real
// path in `resolved`, when the file exists and its real path lies inside the real folder;
// kOutside when it exists elsewhere (a link pointing out of the folder); kMissing when it
// or the folder does not exist.
FileResolution ResolveInsideFolder(const std::string& folder, const std::string& path,
                                   std::string& resolved);

}  // namespace vantor
