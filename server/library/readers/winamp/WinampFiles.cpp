#include "server/library/readers/winamp/WinampFiles.h"

#include "platform/DataFolder.h"
#include "protocol/TextCoding.h"
#include "protocol/Xml.h"
#include "server/library/readers/common/TextFile.h"

#include <sys/stat.h>

#include <cctype>
#include <map>

namespace vantor {

namespace {

constexpr size_t kMaxSettingsFile = size_t{1024} * 1024;

std::string_view Trim(std::string_view text) {
    const char* const space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Calls `line` with the key (lower-cased) and the trimmed value of every "key=value" line.
template <typename Handler>
void ForEachIniValue(std::string_view text, Handler&& line) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view row = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t equals = row.find('=');
        if (equals == std::string_view::npos) continue;
        line(Lower(Trim(row.substr(0, equals))), Trim(row.substr(equals + 1)));
    }
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "{26}\Winamp" -> "<application data>/Winamp"; "" when a token names no known folder.
std::string ExpandSpecialFolders(std::string_view value) {
    std::string out;
    size_t pos = 0;
    while (pos < value.size()) {
        const size_t open = value.find('{', pos);
        if (open == std::string_view::npos) {
            out.append(value.substr(pos));
            break;
        }
        out.append(value.substr(pos, open - pos));
        const size_t close = value.find('}', open);
        const std::string_view digits = close == std::string_view::npos
                                            ? std::string_view()
                                            : value.substr(open + 1, close - open - 1);
        if (digits.empty() || digits.size() > 4 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return "";
        }
        const std::string folder = GetSpecialFolder(std::stoi(std::string(digits)));
        if (folder.empty()) return "";
        out += folder;
        pos = close + 1;
    }
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

}  // namespace

std::string WinampSettingsFolder(const std::string& winampFolder) {
    std::string winampDir = winampFolder;
    while (winampDir.size() > 1 && winampDir.back() == '/') winampDir.pop_back();
    std::string text;
    if (winampDir.empty() || !ReadTextFile(winampDir + "/paths.ini", kMaxSettingsFile, text)) {
        return winampDir;
    }
    std::string folder;
    ForEachIniValue(text, [&](const std::string& key, std::string_view value) {
        if (key == "inidir" && folder.empty()) {
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            folder = ExpandSpecialFolders(value);
            if (!folder.empty() && folder.front() != '/') folder = winampDir + "/" + folder;
        }
    });
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return !folder.empty() && IsFolder(folder) ? folder : winampDir;
}

std::vector<WinampPlaylistEntry> ParseGenMlViews(std::string_view text) {
    std::map<std::string, std::string> values;  // the first of a key counts, as for the player
    std::vector<std::string> playlistViews;     // "queryN" prefixes in file order
    ForEachIniValue(text, [&](const std::string& key, std::string_view value) {
        values.emplace(key, std::string(value));
        constexpr std::string_view kMode = "_mode";
        if (key.rfind("query", 0) == 0 && key.size() > kMode.size() + 5 &&
            key.compare(key.size() - kMode.size(), kMode.size(), kMode) == 0 && value == "32") {
            playlistViews.push_back(key.substr(0, key.size() - kMode.size()));
        }
    });
    auto value = [&](const std::string& prefix, const char* what) {
        auto found = values.find(prefix + what + "_utf8");
        if (found != values.end()) return found->second;
        found = values.find(prefix + what);
        if (found == values.end()) return std::string();
        std::string eightBit = found->second;
        ToWireText(eightBit);
        return eightBit;
    };
    std::vector<WinampPlaylistEntry> entries;
    entries.reserve(playlistViews.size());
    for (const std::string& prefix : playlistViews) {
        entries.push_back({value(prefix, "_name"), value(prefix, "_val")});
    }
    return entries;
}

namespace {

// The value of each attribute of the start tag that begins at `pos` (just after its name);
// moves `pos` past the tag.
std::map<std::string, std::string> ReadAttributes(std::string_view text, size_t& pos) {
    std::map<std::string, std::string> attributes;
    while (pos < text.size()) {
        pos = text.find_first_not_of(" \t\r\n", pos);
        if (pos == std::string_view::npos || text[pos] == '>' || text[pos] == '/') break;
        const size_t equals = text.find('=', pos);
        if (equals == std::string_view::npos) break;
        const std::string name(Trim(text.substr(pos, equals - pos)));
        const size_t quote = text.find_first_of("\"'", equals);
        if (quote == std::string_view::npos) break;
        const size_t close = text.find(text[quote], quote + 1);
        if (close == std::string_view::npos) break;
        attributes.emplace(name, DecodeXmlEntities(text.substr(quote + 1, close - quote - 1)));
        pos = close + 1;
    }
    pos = pos == std::string_view::npos ? text.size() : pos;
    return attributes;
}

}  // namespace

std::vector<WinampPlaylistEntry> ParsePlaylistsXml(std::string_view text) {
    constexpr std::string_view kTag = "<playlist";
    std::vector<WinampPlaylistEntry> entries;
    size_t pos = 0;
    while ((pos = text.find(kTag, pos)) != std::string_view::npos) {
        pos += kTag.size();
        // "<playlists ...>" is the list itself.
        if (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])) == 0) continue;
        auto attributes = ReadAttributes(text, pos);
        entries.push_back({attributes["title"], attributes["filename"]});
    }
    return entries;
}

std::string PlaylistFilePath(const std::string& folder, const std::string& file) {
    if (file.empty() || file.front() == '/' || file.find('\\') != std::string::npos) return file;
    return folder + file;
}

}  // namespace vantor
