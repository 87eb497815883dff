#include "server/core/ConfigStore.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/Registry.h"

namespace vantor {

namespace {

const char kPlayerTypeKey[] = "PlayerType";
const char kAppPaths[] = R"(Software\Microsoft\Windows\CurrentVersion\App Paths\)";
const size_t kMaxRegistryText = 500;

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// atoi without its undefined overflow: the value saturates at the int range.
int ParseInt(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start) return 0;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

CConfigStore::CConfigStore(std::string dataFolder)
    : m_dataFolder(std::move(dataFolder)), m_filePath(m_dataFolder + "QRM.config") {
    Load();
}

void CConfigStore::Load() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
    std::ifstream in(m_filePath, std::ios::binary);
    if (!in) return;
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    // A line longer than the line limit is read as several lines, the way the file was
    // always read; pieces without '=' are skipped.
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        end = end == std::string::npos ? content.size() : end + 1;
        if (end - pos > kMaxLineLength) end = pos + kMaxLineLength;
        std::string line = content.substr(pos, end - pos);
        pos = end;
        if (line.find('=') == std::string::npos) continue;
        std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
        const size_t eq = line.find('=');
        SetLocked(line.substr(0, eq), line.substr(eq + 1), false);
    }
}

CConfigStore::Entry* CConfigStore::FindLocked(const std::string& key) {
    for (Entry& entry : m_entries) {
        if (entry.key == key) return &entry;
    }
    return nullptr;
}

const CConfigStore::Entry* CConfigStore::FindLocked(const std::string& key) const {
    for (const Entry& entry : m_entries) {
        if (entry.key == key) return &entry;
    }
    return nullptr;
}

void CConfigStore::SetLocked(const std::string& key, const std::string& value, bool doNotSave) {
    if (Entry* entry = FindLocked(key)) {
        entry->value = value;
        entry->doNotSave = doNotSave;
        return;
    }
    m_entries.push_back(Entry{key, value, doNotSave});
}

std::string CConfigStore::GetString(const std::string& key, const std::string& def) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Entry* entry = FindLocked(key);
    return entry ? entry->value : def;
}

int CConfigStore::GetInt(const std::string& key, int def) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Entry* entry = FindLocked(key);
    return entry ? ParseInt(entry->value) : def;
}

bool CConfigStore::GetBool(const std::string& key, bool def) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Entry* entry = FindLocked(key);
    if (!entry) return def;
    if (::strcasecmp(entry->value.c_str(), "true") == 0) return true;
    if (::strcasecmp(entry->value.c_str(), "false") == 0) return false;
    return def;
}

bool CConfigStore::SetString(const std::string& key, const std::string& value, bool doNotSave,
                             bool noSave) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SetLocked(key, value, doNotSave);
    return noSave || SaveLocked();
}

bool CConfigStore::SetInt(const std::string& key, int value, bool doNotSave, bool noSave) {
    return SetString(key, std::to_string(value), doNotSave, noSave);
}

bool CConfigStore::SetBool(const std::string& key, bool value, bool doNotSave, bool noSave) {
    return SetString(key, value ? "true" : "false", doNotSave, noSave);
}

bool CConfigStore::Remove(const std::string& key, bool noSave) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_entries, [&key](const Entry& entry) { return entry.key == key; });
    return noSave || SaveLocked();
}

bool CConfigStore::Save() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SaveLocked();
}

bool CConfigStore::SaveLocked() {
    std::string content;
    for (const Entry& entry : m_entries) {
        if (entry.doNotSave) continue;
        content += entry.key;
        content += '=';
        content += entry.value;
        content += "\r\n";
    }
    if (content.empty()) {
        return ::unlink(m_filePath.c_str()) == 0 || errno == ENOENT;
    }
    const std::string temp = m_filePath + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), m_filePath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::string CConfigStore::PlayerTypeName(int type) {
    switch (type) {
        case kPlayerITunes:
            return "iTunes";
        case kPlayerMCE:
            return "MCE";
        case kPlayerWMP:
            return "WMP";
        case kPlayerWinamp:
            return "Winamp";
        case kPlayerMPD:
            return "MPD";
        case kPlayerMPRIS:
            return "MPRIS";
        default:
            return "";
    }
}

int CConfigStore::PlayerTypeFromName(const std::string& name) {
    for (int type = kPlayerITunes; type <= kPlayerMPRIS; ++type) {
        if (::strcasecmp(name.c_str(), PlayerTypeName(type).c_str()) == 0) return type;
    }
    return kPlayerNone;
}

int CConfigStore::GetPlayerType() const {
    const int stored = PlayerTypeFromName(GetString(kPlayerTypeKey, ""));
    return stored != kPlayerNone ? stored : DetectPlayerType();
}

bool CConfigStore::SetPlayerType(int type) {
    if (type == kPlayerNone) return Remove(kPlayerTypeKey);
    const std::string name = PlayerTypeName(type);
    if (name.empty()) return false;
    return SetString(kPlayerTypeKey, name);
}

std::string CConfigStore::DetectWinampFolder() {
    const CRegistry registry;
    std::string folder;
    if (!registry.GetString(RegistryRoot::CurrentUser, "Software\\Winamp", "", folder) ||
        folder.empty() || folder.size() > kMaxRegistryText) {
        return "";
    }
    const std::string exe = folder + (folder.back() == '/' ? "" : "/") + "Winamp.exe";
    return FileExists(exe) ? folder : "";
}

int CConfigStore::DetectPlayerType() const {
    const CRegistry registry;
    std::string value;
    if (registry.GetString(RegistryRoot::LocalMachine, std::string(kAppPaths) + "iTunes.exe", "",
                           value) &&
        value.size() <= kMaxRegistryText && FileExists(value)) {
        return kPlayerITunes;
    }
    if (registry.GetString(RegistryRoot::LocalMachine, std::string(kAppPaths) + "wmplayer.exe", "",
                           value)) {
        return kPlayerWMP;
    }
    if (!DetectWinampFolder().empty()) return kPlayerWinamp;

    std::vector<PlayerDetector> detectors;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        detectors = m_detectors;
    }
    for (const PlayerDetector& detector : detectors) {
        const int type = detector();
        if (type != kPlayerNone) return type;
    }
    return kPlayerNone;
}

void CConfigStore::AddPlayerDetector(PlayerDetector detector) {
    if (!detector) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_detectors.push_back(std::move(detector));
}

std::string CConfigStore::GetServerName() const {
    return GetString("ServerName", "");
}

bool CConfigStore::SetServerName(const std::string& name) {
    return SetString("ServerName", name);
}

std::string CConfigStore::GetWinampPath() const {
    const std::string stored = GetString("Paths\\Winamp", "");
    return stored.empty() ? DetectWinampFolder() : stored;
}

std::string CConfigStore::DetectAppPath(const std::string& exeName) {
    const CRegistry registry;
    std::string value;
    if (!registry.GetString(RegistryRoot::LocalMachine, std::string(kAppPaths) + exeName, "",
                            value) ||
        value.size() > kMaxRegistryText) {
        return "";
    }
    return value;
}

std::string CConfigStore::GetITunesProgram() const {
    const std::string stored = GetString("Paths\\iTunes", "");
    return stored.empty() ? DetectAppPath("iTunes.exe") : stored;
}

std::string CConfigStore::GetWMPProgram() const {
    const std::string stored = GetString("Paths\\WMP", "");
    return stored.empty() ? DetectAppPath("wmplayer.exe") : stored;
}

}  // namespace vantor
