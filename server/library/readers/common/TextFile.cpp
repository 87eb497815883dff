#include "server/library/readers/common/TextFile.h"

#include "protocol/TextCoding.h"

#include <fstream>

namespace vantor {

namespace {

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool ReadTextFile(const std::string& path, size_t maxBytes, std::string& text) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), size)) return false;
    if (StartsWith(bytes, "\xFF\xFE")) {
        text = Utf16ToUtf8(std::string_view(bytes).substr(2), false);
    } else if (StartsWith(bytes, "\xFE\xFF")) {
        text = Utf16ToUtf8(std::string_view(bytes).substr(2), true);
    } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        text = bytes.substr(3);
    } else if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
        text = Utf16ToUtf8(bytes, false);
    } else {
        text = std::move(bytes);
    }
    return true;
}

}  // namespace vantor
