#include "client/face/SkinImages.h"

#include <cstdint>

#include "client/face/PictureLoader.h"

namespace vantor::face {

cairo_surface_t* SkinImages::Get(const std::string& bitmapName) {
    auto found = m_cache.find(bitmapName);
    if (found != m_cache.end()) return found->second.get();
    SurfaceHandle surface;
    if (const skin::SkinBitmap* bitmap = m_skin.FindBitmap(bitmapName)) {
        std::optional<skin::Rgb> key;
        if (bitmap->transparent) key = bitmap->transparencyColour;
        surface = LoadPicture(bitmap->filePath, key);
    }
    // A bitmap that failed stays empty: it is not read again on every paint.
    return m_cache.emplace(bitmapName, std::move(surface)).first->second.get();
}

cairo_surface_t* SkinImages::GetKeyed(const std::string& bitmapName, skin::Rgb key) {
    const std::string cacheName = bitmapName + "\n" + std::to_string(key.red) + "," +
                                  std::to_string(key.green) + "," + std::to_string(key.blue);
    auto found = m_cache.find(cacheName);
    if (found != m_cache.end()) return found->second.get();
    SurfaceHandle surface;
    if (const skin::SkinBitmap* bitmap = m_skin.FindBitmap(bitmapName))
        surface = LoadPicture(bitmap->filePath, key);
    return m_cache.emplace(cacheName, std::move(surface)).first->second.get();
}

bool SkinImages::IsOpaqueAt(const std::string& bitmapName, int x, int y) {
    cairo_surface_t* surface = Get(bitmapName);
    if (!surface) return false;
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
        y >= cairo_image_surface_get_height(surface))
        return false;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    return (row[x] >> 24) != 0;
}

}  // namespace vantor::face
