#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// The two hives the system reads and writes.
enum class RegistryRoot { LocalMachine, CurrentUser };

// A small file-backed stand-in for the system registry. Every key is one text file below
// the registry folder: the hive folder ("HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER"), one
// sub-folder per key path component ("\"-separated in key names), and the last component
// with ".key" appended. A key file holds one value per line:
//
//     @=sz:/opt/players/iTunes.exe        the default value (empty name), text
//     "Volume"=dword:50                   a named 32-bit value, decimal
//
// Value names are compared without regard to case, like the system registry does; inside
// the quotes '"' and '\' are preceded by '\'. In text data a backslash is written "\\", a
// line feed "\n" and a carriage return "\r", so every value stays on its line. Writes
// replace the key file atomically.
//
// All operations may be called from any thread; they never throw. Readers report a missing
// key, a missing value or a value of the other type as false.
class CRegistry {
public:
    // The registry folder: $VANTOR_REGISTRY_DIR, else $XDG_CONFIG_HOME (default ~/.config)
    // followed by "Quillmere/registry/". Always ends with '/'. Read at every call.
    static std::string DefaultFolder();

    // An empty folder means DefaultFolder() at the time of each operation.
    explicit CRegistry(std::string folder = "");

    bool KeyExists(RegistryRoot root, const std::string& key) const;
    bool GetString(RegistryRoot root, const std::string& key, const std::string& name,
                   std::string& value) const;
    bool GetDword(RegistryRoot root, const std::string& key, const std::string& name,
                  uint32_t& value) const;

    // Create the key when missing. False when the key name is unusable (empty component,
    // "." or "..", a '/') or the file cannot be written.
    bool CreateKey(RegistryRoot root, const std::string& key);
    bool SetString(RegistryRoot root, const std::string& key, const std::string& name,
                   const std::string& value);
    bool SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                  uint32_t value);
    bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name);
    // Removes the key's own values; sub-keys stay.
    bool DeleteKey(RegistryRoot root, const std::string& key);

    // The file that holds `key`, or "" when the key name is unusable.
    std::string KeyFilePath(RegistryRoot root, const std::string& key) const;

private:
    std::string m_folder;
};

}  // namespace vantor
