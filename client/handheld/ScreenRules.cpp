#include "client/handheld/ScreenRules.h"

#include <algorithm>
#include <cmath>

#include "client/skin/SkinCatalog.h"

namespace vantor::handheld {

client::ClientProfile HandheldProfileFor(int32_t deviceWidth, const std::string& installedFolder) {
    client::ClientProfile profile = client::ClientProfile::Handheld(deviceWidth);
    profile.defaultInstallFolder =
        skin::ChooseInstallFolder(profile.defaultInstallFolder, installedFolder, profile.vga);
    return profile;
}

ScreenShape ShapeOf(int32_t width, int32_t height) {
    if (width == height) return ScreenShape::kSquare;
    return width > height ? ScreenShape::kLandscape : ScreenShape::kPortrait;
}

const char* ShapeMessage(ScreenShape shape) {
    switch (shape) {
        case ScreenShape::kSquare:
            return kSquareScreenText;
        case ScreenShape::kLandscape:
            return kLandscapeScreenText;
        case ScreenShape::kPortrait:
            break;
    }
    return "";
}

bool IsVgaWidth(int32_t width) {
    return width >= 480;
}

ScreenReaction ScreenWatch::OnSize(int32_t width, int32_t height) {
    ScreenReaction reaction;
    const bool first = m_width < 0;
    if (!first && width == m_width && height == m_height) return reaction;
    m_width = width;
    m_height = height;
    const bool vga = IsVgaWidth(width);
    reaction.vga = m_vga = vga;
    const ScreenShape shape = ShapeOf(width, height);
    if (shape != ScreenShape::kPortrait) {
        m_message = true;
        reaction.kind = ScreenReaction::Kind::kMessage;
        reaction.message = ShapeMessage(shape);
        return reaction;
    }
    if (m_message) {
        m_message = false;
        reaction.kind = ScreenReaction::Kind::kRestore;
        reaction.screen = "main";
        return reaction;
    }
    reaction.kind = ScreenReaction::Kind::kRefit;
    return reaction;
}

std::string SkinPathForVga(const std::string& path, const std::string& installFolder, bool vga) {
    const std::string from = installFolder + skin::SkinsFolderName(!vga);
    if (path.rfind(from, 0) != 0) return path;
    return installFolder + skin::SkinsFolderName(vga) + path.substr(from.size());
}

int32_t HeaderHeightFor(int32_t width) {
    return static_cast<int32_t>(std::lround(width / 6.0));
}

face::FaceView FitFace(int32_t faceWidth, int32_t faceHeight, int32_t areaWidth,
                       int32_t areaHeight, bool growList) {
    face::FaceView view;
    view.areaWidth = std::max(areaWidth, 1);
    view.areaHeight = std::max(areaHeight, 1);
    if (faceWidth <= 0 || faceHeight <= 0) return view;
    view.scale = std::min(static_cast<double>(view.areaWidth) / faceWidth,
                          static_cast<double>(view.areaHeight) / faceHeight);
    const auto width = static_cast<int32_t>(std::lround(faceWidth * view.scale));
    const auto height = static_cast<int32_t>(std::lround(faceHeight * view.scale));
    view.left = (view.areaWidth - width) / 2;
    if (growList) {
        view.extraHeight = view.areaHeight - height;
    } else {
        view.top = (view.areaHeight - height) / 2;
    }
    return view;
}

}  // namespace vantor::handheld
