#pragma once

// Owning handle of a Cairo image surface (Cairo counts references; this holds one).

#include <cairo.h>

#include <utility>

namespace vantor::face {

class SurfaceHandle {
public:
    SurfaceHandle() = default;
    // Takes over the reference the caller holds.
    explicit SurfaceHandle(cairo_surface_t* surface) : m_surface(surface) {}
    ~SurfaceHandle() { Reset(); }
    SurfaceHandle(const SurfaceHandle& other)
        : m_surface(other.m_surface ? cairo_surface_reference(other.m_surface) : nullptr) {}
    SurfaceHandle& operator=(const SurfaceHandle& other) {
        if (this != &other) {
            Reset();
            m_surface = other.m_surface ? cairo_surface_reference(other.m_surface) : nullptr;
        }
        return *this;
    }
    SurfaceHandle(SurfaceHandle&& other) noexcept
        : m_surface(std::exchange(other.m_surface, nullptr)) {}
    SurfaceHandle& operator=(SurfaceHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_surface = std::exchange(other.m_surface, nullptr);
        }
        return *this;
    }

    cairo_surface_t* get() const { return m_surface; }
    explicit operator bool() const { return m_surface != nullptr; }
    int Width() const { return m_surface ? cairo_image_surface_get_width(m_surface) : 0; }
    int Height() const { return m_surface ? cairo_image_surface_get_height(m_surface) : 0; }
    void Reset() {
        if (m_surface) cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }

private:
    cairo_surface_t* m_surface = nullptr;
};

}  // namespace vantor::face
