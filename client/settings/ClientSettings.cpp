#include "client/settings/ClientSettings.h"

#include <algorithm>

#include "client/skin/SkinCatalog.h"
#include "platform/Registry.h"

namespace vantor::client {

namespace {

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;

std::string ServerValueName(int index) {
    return "Server" + std::to_string(index + 1);
}

std::string FunctionKeyName(int action) {
    return "FunctionKey" + std::to_string(action + 1);
}

void ReadText(const CRegistry& registry, const std::string& key, const char* name,
              std::string& value) {
    std::string read;
    if (registry.GetString(kRoot, key, name, read)) value = read;
}

void ReadNumber(const CRegistry& registry, const std::string& key, const std::string& name,
                int32_t& value) {
    uint32_t read = 0;
    if (registry.GetDword(kRoot, key, name, read)) value = static_cast<int32_t>(read);
}

void ReadFlag(const CRegistry& registry, const std::string& key, const char* name, bool& value) {
    int32_t number = value ? 1 : 0;
    ReadNumber(registry, key, name, number);
    value = number != 0;
}

}  // namespace

ClientSettings ClientSettings::Defaults(const ClientProfile& profile) {
    ClientSettings settings;
    settings.installFolder = profile.defaultInstallFolder;
    settings.skinFilePath = skin::DefaultSkinPath(settings.installFolder, profile.vga);
    return settings;
}

void ClientSettings::Load(const CRegistry& registry, const ClientProfile& profile) {
    *this = Defaults(profile);
    const std::string& key = profile.registryKey;
    if (!registry.KeyExists(kRoot, key)) return;

    ReadText(registry, key, "InstallDir", installFolder);
    if (!installFolder.empty() && installFolder.back() != '/') installFolder += '/';
    skinFilePath = skin::DefaultSkinPath(installFolder, profile.vga);
    ReadText(registry, key, "SkinFilePath", skinFilePath);
    servers.clear();
    for (int i = 0; i < kServerHistorySize; ++i) {
        std::string server;
        ReadText(registry, key, ServerValueName(i).c_str(), server);
        if (!server.empty()) servers.push_back(server);
    }
    ReadText(registry, key, "ConnectionPort", connectionPort);
    ReadText(registry, key, "DiscoveryAddress", discoveryAddress);
    ReadNumber(registry, key, "DiscoveryPort", discoveryPort);
    ReadFlag(registry, key, "AutoConnect", autoConnect);
    ReadFlag(registry, key, "NowPlayingOnIdle", nowPlayingOnIdle);
    ReadFlag(registry, key, "ShowRemainingTime", showRemainingTime);
    for (int action = 0; action < kActionCount; ++action) {
        KeyBinding binding;
        ReadNumber(registry, key, FunctionKeyName(action), binding.keyCode);
        bindings.Set(action, binding);
    }
}

bool ClientSettings::Save(CRegistry& registry, const ClientProfile& profile) const {
    const std::string& key = profile.registryKey;
    bool ok = registry.CreateKey(kRoot, key);
    ok = ok && registry.SetString(kRoot, key, "InstallDir", installFolder);
    ok = ok && registry.SetString(kRoot, key, "SkinFilePath", skinFilePath);
    for (int i = 0; ok && i < kServerHistorySize; ++i) {
        const std::string name = ServerValueName(i);
        ok = i < static_cast<int>(servers.size())
                 ? registry.SetString(kRoot, key, name, servers[static_cast<size_t>(i)])
                 : (registry.DeleteValue(kRoot, key, name), true);
    }
    ok = ok && registry.SetString(kRoot, key, "ConnectionPort", connectionPort);
    ok = ok && registry.SetString(kRoot, key, "DiscoveryAddress", discoveryAddress);
    ok = ok && registry.SetDword(kRoot, key, "DiscoveryPort", static_cast<uint32_t>(discoveryPort));
    ok = ok && registry.SetDword(kRoot, key, "AutoConnect", autoConnect ? 1 : 0);
    ok = ok && registry.SetDword(kRoot, key, "NowPlayingOnIdle", nowPlayingOnIdle ? 1 : 0);
    ok = ok && registry.SetDword(kRoot, key, "ShowRemainingTime", showRemainingTime ? 1 : 0);
    for (int action = 0; ok && action < kActionCount; ++action) {
        ok = registry.SetDword(kRoot, key, FunctionKeyName(action),
                               static_cast<uint32_t>(bindings.Binding(action).keyCode));
    }
    return ok;
}

void ClientSettings::RememberServer(const std::string& serverField) {
    if (serverField.empty() || serverField == kFindAutomatically) return;
    std::vector<std::string> history{serverField};
    for (const auto& server : servers) {
        if (history.size() >= kServerHistorySize) break;
        if (std::find(history.begin(), history.end(), server) == history.end())
            history.push_back(server);
    }
    servers = std::move(history);
}

std::vector<std::string> ClientSettings::ServerChoices() const {
    std::vector<std::string> choices{kFindAutomatically};
    choices.insert(choices.end(), servers.begin(), servers.end());
    return choices;
}

}  // namespace vantor::client
