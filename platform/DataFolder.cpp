#include "platform/DataFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace vantor {

namespace {

std::mutex g_overrideMutex;
std::string g_override;

std::string EnvText(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = EnvText("HOME");
    return home.empty() ? std::string("/tmp") : home;
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::string GetSpecialFolder(int number) {
    struct Mapping {
        int number;
        const char* variable;  // null: none
        const char* underHome;
    };
    static constexpr Mapping kMappings[] = {
        {0, "XDG_DESKTOP_DIR", "/Desktop"},     {5, "XDG_DOCUMENTS_DIR", "/Documents"},
        {14, "XDG_VIDEOS_DIR", "/Videos"},      {16, "XDG_DESKTOP_DIR", "/Desktop"},
        {26, "XDG_DATA_HOME", "/.local/share"}, {28, "XDG_DATA_HOME", "/.local/share"},
        {39, "XDG_PICTURES_DIR", "/Pictures"},  {40, nullptr, ""},
    };
    if (number == 13) return GetMusicFolder();
    for (const Mapping& mapping : kMappings) {
        if (mapping.number != number) continue;
        std::string folder = mapping.variable ? EnvText(mapping.variable) : std::string();
        if (folder.empty()) folder = HomeFolder() + mapping.underHome;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        return folder;
    }
    return "";
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void SetDataFolderOverride(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    g_override = folder;
}

std::string GetDataFolder() {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(g_overrideMutex);
        folder = g_override;
    }
    if (folder.empty()) folder = EnvText("VANTOR_DATA_DIR");
    if (folder.empty()) {
        std::string base = EnvText("XDG_DATA_HOME");
        if (base.empty()) base = HomeFolder() + "/.local/share";
        folder = WithSlash(base) + "Quillmere/Vantor/";
    }
    folder = WithSlash(folder);
    MakeFolders(folder);
    return folder;
}

std::string GetMusicFolder() {
    std::string folder = EnvText("XDG_MUSIC_DIR");
    if (folder.empty()) folder = HomeFolder() + "/Music";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace vantor
