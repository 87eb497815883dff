#include "client/skin/Skin.h"

#include <fstream>
#include <iterator>

namespace vantor::skin {

namespace {

template <class T>
const T* FindByName(const std::vector<T>& list, std::string_view name) {
    for (const T& entry : list) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

}  // namespace

bool Skin::Load(const std::string& skinFilePath, int32_t pixelsPerInch) {
    std::ifstream in(skinFilePath, std::ios::binary);
    if (!in) return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    return LoadText(text, skinFilePath, pixelsPerInch);
}

const SkinBitmap* Skin::FindBitmap(std::string_view name) const {
    return FindByName(m_bitmaps, name);
}

const WindowComponent* Skin::FindWindowComponent(std::string_view name) const {
    return FindByName(m_windowComponents, name);
}

const FontDescription* Skin::FindFont(std::string_view name) const {
    return FindByName(m_fonts, name);
}

const Component* Skin::FindComponent(std::string_view name) const {
    return FindByName(m_components, name);
}

}  // namespace vantor::skin
