#include "client/face/PictureLoader.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cctype>
#include <cstdint>

namespace vantor::face {

namespace {

bool EndsWithPng(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "png";
}

void InitDevil() {
    static const bool done = [] {
        ilInit();
        iluInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        return true;
    }();
    (void)done;
}

// One DevIL image name, deleted with its owner.
class DevilImage {
public:
    DevilImage() {
        ilGenImages(1, &m_name);
        ilBindImage(m_name);
    }
    ~DevilImage() { ilDeleteImages(1, &m_name); }
    DevilImage(const DevilImage&) = delete;
    DevilImage& operator=(const DevilImage&) = delete;

private:
    ILuint m_name = 0;
};

// Cairo's ARGB32 is premultiplied, native-endian 32-bit words.
SurfaceHandle FromRgba(const uint8_t* rgba, int width, int height, int rowBytes, bool bgr) {
    SurfaceHandle surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    unsigned char* out = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = rgba + static_cast<ptrdiff_t>(y) * rowBytes;
        auto* row = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x, in += 4) {
            const uint32_t a = in[3];
            const uint32_t r = bgr ? in[2] : in[0];
            const uint32_t g = in[1];
            const uint32_t b = bgr ? in[0] : in[2];
            row[x] = (a << 24) | (((r * a + 127) / 255) << 16) | (((g * a + 127) / 255) << 8) |
                     ((b * a + 127) / 255);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

SurfaceHandle LoadWithDevil(const std::string& path) {
    InitDevil();
    DevilImage image;
    if (!ilLoadImage(path.c_str())) return {};
    if (!ilConvertImage(IL_BGRA, IL_UNSIGNED_BYTE)) return {};
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (width <= 0 || height <= 0) return {};
    return FromRgba(ilGetData(), width, height, width * 4, true);
}

SurfaceHandle LoadWithPixbuf(const std::string& path) {
    GError* error = nullptr;
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (!loaded) {
        if (error) g_error_free(error);
        return {};
    }
    GdkPixbuf* rgba = gdk_pixbuf_add_alpha(loaded, FALSE, 0, 0, 0);
    g_object_unref(loaded);
    if (!rgba) return {};
    SurfaceHandle surface =
        FromRgba(gdk_pixbuf_get_pixels(rgba), gdk_pixbuf_get_width(rgba),
                 gdk_pixbuf_get_height(rgba), gdk_pixbuf_get_rowstride(rgba), false);
    g_object_unref(rgba);
    return surface;
}

void ApplyKey(const SurfaceHandle& surface, const skin::Rgb& key) {
    const uint32_t keyed =
        0xff000000u | (uint32_t{key.red} << 16) | (uint32_t{key.green} << 8) | uint32_t{key.blue};
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < surface.Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < surface.Width(); ++x)
            if (row[x] == keyed) row[x] = 0;
    }
    cairo_surface_mark_dirty(surface.get());
}

}  // namespace

SurfaceHandle LoadPicture(const std::string& path, std::optional<skin::Rgb> keyColour) {
    SurfaceHandle surface = EndsWithPng(path) ? LoadWithDevil(path) : LoadWithPixbuf(path);
    if (surface && keyColour) ApplyKey(surface, *keyColour);
    return surface;
}

}  // namespace vantor::face
