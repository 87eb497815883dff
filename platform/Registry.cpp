#include "platform/Registry.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/DataFolder.h"

namespace vantor {

namespace {

// Serialises read-modify-write cycles of key files within this process.
std::mutex g_writeMutex;

struct RegValue {
    std::string name;
    bool isDword = false;
    std::string text;
    uint32_t dword = 0;
};

std::string EscapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Parses `@=` or `"name"=` at the start of a line; returns the position after '='.
size_t ParseName(const std::string& line, std::string& name) {
    name.clear();
    if (line.rfind("@=", 0) == 0) return 2;
    if (line.empty() || line[0] != '"') return std::string::npos;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            name += line[++i];
        } else if (line[i] == '"') {
            return i + 1 < line.size() && line[i + 1] == '=' ? i + 2 : std::string::npos;
        } else {
            name += line[i];
        }
    }
    return std::string::npos;
}

std::string QuoteName(const std::string& name) {
    if (name.empty()) return "@";
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// Lines that do not parse are dropped, so a hand-edited file never blocks the others.
bool ReadKeyFile(const std::string& path, std::vector<RegValue>& values) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        RegValue value;
        const size_t dataStart = ParseName(line, value.name);
        if (dataStart == std::string::npos) continue;
        const std::string data = line.substr(dataStart);
        if (data.rfind("sz:", 0) == 0) {
            value.text = UnescapeText(data.substr(3));
        } else if (data.rfind("dword:", 0) == 0) {
            char* end = nullptr;
            const unsigned long number = std::strtoul(data.c_str() + 6, &end, 10);
            if (end == data.c_str() + 6 || *end != '\0') continue;
            value.isDword = true;
            value.dword = static_cast<uint32_t>(number);
        } else {
            continue;
        }
        values.push_back(std::move(value));
    }
    return true;
}

bool WriteKeyFile(const std::string& path, const std::vector<RegValue>& values) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || !MakeFolders(path.substr(0, slash))) return false;
    std::ostringstream text;
    for (const RegValue& value : values) {
        text << QuoteName(value.name) << '=';
        if (value.isDword) {
            text << "dword:" << value.dword;
        } else {
            text << "sz:" << EscapeText(value.text);
        }
        text << '\n';
    }
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

const RegValue* FindValue(const std::vector<RegValue>& values, const std::string& name) {
    for (const RegValue& value : values) {
        if (SameName(value.name, name)) return &value;
    }
    return nullptr;
}

}  // namespace

std::string CRegistry::DefaultFolder() {
    const char* env = std::getenv("VANTOR_REGISTRY_DIR");
    std::string folder;
    if (env && *env) {
        folder = env;
    } else {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        if (config && *config) {
            folder = config;
        } else {
            const char* home = std::getenv("HOME");
            folder = std::string(home && *home ? home : "/tmp") + "/.config";
        }
        folder += "/Quillmere/registry";
    }
    if (folder.back() != '/') folder += '/';
    return folder;
}

CRegistry::CRegistry(std::string folder) : m_folder(std::move(folder)) {
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
}

std::string CRegistry::KeyFilePath(RegistryRoot root, const std::string& key) const {
    std::string path = m_folder.empty() ? DefaultFolder() : m_folder;
    path += root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    size_t start = 0;
    while (true) {
        const size_t end = key.find('\\', start);
        const std::string part = key.substr(start, end == std::string::npos ? end : end - start);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos) {
            return "";
        }
        path += '/';
        path += part;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return path + ".key";
}

bool CRegistry::KeyExists(RegistryRoot root, const std::string& key) const {
    const std::string path = KeyFilePath(root, key);
    return !path.empty() && ::access(path.c_str(), F_OK) == 0;
}

bool CRegistry::GetString(RegistryRoot root, const std::string& key, const std::string& name,
                          std::string& value) const {
    std::vector<RegValue> values;
    const std::string path = KeyFilePath(root, key);
    if (path.empty() || !ReadKeyFile(path, values)) return false;
    const RegValue* found = FindValue(values, name);
    if (!found || found->isDword) return false;
    value = found->text;
    return true;
}

bool CRegistry::GetDword(RegistryRoot root, const std::string& key, const std::string& name,
                         uint32_t& value) const {
    std::vector<RegValue> values;
    const std::string path = KeyFilePath(root, key);
    if (path.empty() || !ReadKeyFile(path, values)) return false;
    const RegValue* found = FindValue(values, name);
    if (!found || !found->isDword) return false;
    value = found->dword;
    return true;
}

bool CRegistry::CreateKey(RegistryRoot root, const std::string& key) {
    const std::string path = KeyFilePath(root, key);
    if (path.empty()) return false;
    std::lock_guard<std::mutex> lock(g_writeMutex);
    if (::access(path.c_str(), F_OK) == 0) return true;
    return WriteKeyFile(path, {});
}

namespace {

bool StoreValue(const std::string& path, RegValue value) {
    if (path.empty()) return false;
    std::lock_guard<std::mutex> lock(g_writeMutex);
    std::vector<RegValue> values;
    ReadKeyFile(path, values);
    bool replaced = false;
    for (RegValue& existing : values) {
        if (SameName(existing.name, value.name)) {
            value.name = existing.name;
            existing = value;
            replaced = true;
            break;
        }
    }
    if (!replaced) values.push_back(std::move(value));
    return WriteKeyFile(path, values);
}

}  // namespace

bool CRegistry::SetString(RegistryRoot root, const std::string& key, const std::string& name,
                          const std::string& value) {
    RegValue entry;
    entry.name = name;
    entry.text = value;
    return StoreValue(KeyFilePath(root, key), std::move(entry));
}

bool CRegistry::SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                         uint32_t value) {
    RegValue entry;
    entry.name = name;
    entry.isDword = true;
    entry.dword = value;
    return StoreValue(KeyFilePath(root, key), std::move(entry));
}

bool CRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
    const std::string path = KeyFilePath(root, key);
    if (path.empty()) return false;
    std::lock_guard<std::mutex> lock(g_writeMutex);
    std::vector<RegValue> values;
    if (!ReadKeyFile(path, values)) return false;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameName(it->name, name)) {
            values.erase(it);
            return WriteKeyFile(path, values);
        }
    }
    return false;
}

bool CRegistry::DeleteKey(RegistryRoot root, const std::string& key) {
    const std::string path = KeyFilePath(root, key);
    if (path.empty()) return false;
    std::lock_guard<std::mutex> lock(g_writeMutex);
    return std::remove(path.c_str()) == 0;
}

}  // namespace vantor
