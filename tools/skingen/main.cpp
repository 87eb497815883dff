// vantor_skingen [--handheld] OUTPUT_FOLDER
// Draws the shipped skins into OUTPUT_FOLDER/skins/<skin>/ at the normal size and into
// OUTPUT_FOLDER/skins_vga/<skin>/ at twice the size: the desktop remote's, or with
// --handheld the handheld profile's portrait skins.

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skingen/Layout.h"
#include "tools/skingen/Palette.h"
#include "tools/skingen/SkinWriter.h"

int main(int argc, char** argv) {
    using namespace vantor::skingen;
    const bool handheld = argc == 3 && std::strcmp(argv[1], "--handheld") == 0;
    if ((argc != 2 && !handheld) || std::string(argv[argc - 1]) == "--help") {
        std::fprintf(stderr, "usage: vantor_skingen [--handheld] OUTPUT_FOLDER\n");
        return argc == 2 ? 0 : 2;
    }
    const std::string out = argv[argc - 1];
    for (const Palette& palette : {GraphitePalette(), DaylightPalette()}) {
        for (const auto& [folder, scale] :
             {std::pair<const char*, double>{"skins", 1.0}, {"skins_vga", 2.0}}) {
            SkinWriter skin(palette, scale);
            handheld ? BuildHandheldSkin(skin) : BuildSkin(skin);
            const std::string target = out + "/" + folder + "/" + palette.name;
            if (!skin.Write(target)) {
                std::fprintf(stderr, "vantor_skingen: could not write %s\n", target.c_str());
                return 1;
            }
        }
    }
    return 0;
}
