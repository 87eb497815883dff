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

// Opens `name` (a relative path) for reading below `folder`, following links only while
// they stay inside it: a link that leads out of the folder (to /etc/passwd, say) gives
// kOutside, a file that does not exist kMissing. Returns the open descriptor (owned by the
// caller) or -1. The check and the open are one step, so nothing can swap a link in
// between.
int OpenFileBeneath(const std::string& folder, const std::string& name, FileResolution& result);

}  // namespace vantor
