#include "server/ConfigReload.h"

#include <fstream>
#include <iterator>

#include "server/core/ConfigStore.h"

namespace vantor {

bool ReloadConfig(CConfigStore& config) {
    std::ifstream in(config.GetFilePath(), std::ios::binary);
    if (!in) return false;
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    // The store's own reading rules: pieces of at most the line limit, CR and LF dropped,
    // the key ends at the first '=', pieces without one are skipped.
    bool hasPlayerType = false;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        end = end == std::string::npos ? content.size() : end + 1;
        if (end - pos > CConfigStore::kMaxLineLength) end = pos + CConfigStore::kMaxLineLength;
        std::string line = content.substr(pos, end - pos);
        pos = end;
        std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        if (key == "PlayerType") hasPlayerType = true;
        config.SetString(key, line.substr(equals + 1), false, true);
    }
    if (!hasPlayerType) config.Remove("PlayerType", true);
    return true;
}

}  // namespace vantor
