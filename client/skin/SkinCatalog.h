#pragma once

// Where skins are found and which one a client starts with.
//
// Skins lie below the install folder in "skins/" (or "skins_vga/" for high-resolution
// handheld screens): one sub-folder per skin holding one or more "*.xml" skin files, each
// with an optional preview picture beside it (same path, ".gif" in place of ".xml").

#include <cstdint>
#include <string>
#include <vector>

#include "client/skin/Skin.h"

namespace vantor::skin {

// The message box the window layer shows, then ends the client, when no skin loads.
inline constexpr char kSkinErrorText[] = "Error Loading Skin!";
inline constexpr char kSkinErrorTitle[] = "Skin System Error";

struct InstalledSkin {
    std::string folder;       // the skin's sub-folder name
    std::string displayName;  // the file name without ".xml"
    std::string filePath;     // full path of the skin file
    std::string previewPath;  // the ".gif" beside it, or "" when there is none
};

// "skins/" or "skins_vga/".
std::string SkinsFolderName(bool vga);
// installFolder (ending in "/") + "skins/default/default.xml" (or the VGA one).
std::string DefaultSkinPath(const std::string& installFolder, bool vga);

// The folder a client's skins lie below when its settings name none: the program's own
// folder when the default skin lies beside the program (a build tree), else the installed
// data folder.
std::string ChooseInstallFolder(const std::string& programFolder,
                                const std::string& installedFolder, bool vga);

// Every "*.xml" in every folder directly below `skinsFolder`, ordered by folder, then file.
// Empty when the folder can't be read.
std::vector<InstalledSkin> ListInstalledSkins(const std::string& skinsFolder);

enum class SkinLoadOutcome {
    kConfigured,  // the configured skin loaded
    kDefault,     // it did not; the default skin did
    kFailed,      // nothing loaded: show kSkinErrorText titled kSkinErrorTitle and end
};

// Loads the configured skin file; when that fails and it is not the default skin, the
// default skin.
SkinLoadOutcome LoadSkinOrDefault(Skin& skin, const std::string& configuredPath,
                                  const std::string& defaultPath, int32_t pixelsPerInch = 96);

}  // namespace vantor::skin
