#include "client/skin/SkinCatalog.h"

#include <algorithm>
#include <filesystem>

namespace vantor::skin {

namespace fs = std::filesystem;

std::string SkinsFolderName(bool vga) {
    return vga ? "skins_vga/" : "skins/";
}

std::string DefaultSkinPath(const std::string& installFolder, bool vga) {
    return installFolder + SkinsFolderName(vga) + "default/default.xml";
}

std::string ChooseInstallFolder(const std::string& programFolder,
                                const std::string& installedFolder, bool vga) {
    std::error_code error;
    if (std::filesystem::exists(DefaultSkinPath(programFolder, vga), error)) return programFolder;
    return installedFolder;
}

std::vector<InstalledSkin> ListInstalledSkins(const std::string& skinsFolder) {
    std::vector<InstalledSkin> skins;
    std::error_code ec;
    for (const auto& folder : fs::directory_iterator(skinsFolder, ec)) {
        if (!folder.is_directory(ec)) continue;
        for (const auto& file : fs::directory_iterator(folder.path(), ec)) {
            if (!file.is_regular_file(ec) || file.path().extension() != ".xml") continue;
            InstalledSkin skin;
            skin.folder = folder.path().filename().string();
            skin.displayName = file.path().stem().string();
            skin.filePath = file.path().string();
            fs::path preview = file.path();
            preview.replace_extension(".gif");
            if (fs::exists(preview, ec)) skin.previewPath = preview.string();
            skins.push_back(std::move(skin));
        }
    }
    std::sort(skins.begin(), skins.end(), [](const InstalledSkin& a, const InstalledSkin& b) {
        return a.folder != b.folder ? a.folder < b.folder : a.displayName < b.displayName;
    });
    return skins;
}

SkinLoadOutcome LoadSkinOrDefault(Skin& skin, const std::string& configuredPath,
                                  const std::string& defaultPath, int32_t pixelsPerInch) {
    if (skin.Load(configuredPath, pixelsPerInch)) return SkinLoadOutcome::kConfigured;
    if (configuredPath != defaultPath && skin.Load(defaultPath, pixelsPerInch))
        return SkinLoadOutcome::kDefault;
    return SkinLoadOutcome::kFailed;
}

}  // namespace vantor::skin
