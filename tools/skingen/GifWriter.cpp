#include "tools/skingen/GifWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace vantor::skingen {

namespace {

struct Entry {
    uint8_t r, g, b;
};

std::array<Entry, 256> MakePalette() {
    std::array<Entry, 256> palette{};
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[i++] = {static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                static_cast<uint8_t>(b * 51)};
    for (int k = 0; k < 40; ++k) {
        const auto v = static_cast<uint8_t>(std::lround(255.0 * (k + 1) / 41));
        palette[i++] = {v, v, v};
    }
    return palette;
}

int Distance(const Entry& e, int r, int g, int b) {
    return (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
}

uint8_t Nearest(const std::array<Entry, 256>& palette, int r, int g, int b) {
    const int cube = (r * 5 + 127) / 255 * 36 + (g * 5 + 127) / 255 * 6 + (b * 5 + 127) / 255;
    int best = cube;
    int bestDistance = Distance(palette[cube], r, g, b);
    for (int k = 216; k < 256; ++k) {
        const int d = Distance(palette[k], r, g, b);
        if (d < bestDistance) {
            best = k;
            bestDistance = d;
        }
    }
    return static_cast<uint8_t>(best);
}

class BitWriter {
public:
    void Put(uint32_t code, uint32_t bits) {
        m_accumulator |= code << m_count;
        m_count += bits;
        while (m_count >= 8) {
            Byte(static_cast<uint8_t>(m_accumulator & 0xff));
            m_accumulator >>= 8;
            m_count -= 8;
        }
    }
    // The data as GIF sub-blocks of at most 255 bytes, with the terminating empty block.
    std::vector<uint8_t> Finish() {
        if (m_count > 0) Byte(static_cast<uint8_t>(m_accumulator & 0xff));
        std::vector<uint8_t> out;
        for (size_t at = 0; at < m_bytes.size(); at += 255) {
            const size_t n = std::min<size_t>(255, m_bytes.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), m_bytes.begin() + at, m_bytes.begin() + at + n);
        }
        out.push_back(0);
        return out;
    }

private:
    void Byte(uint8_t b) { m_bytes.push_back(b); }
    uint32_t m_accumulator = 0;
    uint32_t m_count = 0;
    std::vector<uint8_t> m_bytes;
};

std::vector<uint8_t> Compress(const std::vector<uint8_t>& indices) {
    constexpr uint32_t kMinCodeSize = 8;
    constexpr uint32_t kClear = 1u << kMinCodeSize;
    std::vector<std::array<uint16_t, 256>> tree(4096);
    BitWriter out;
    uint32_t codeSize = kMinCodeSize + 1;
    uint32_t maxCode = kClear + 1;
    int32_t current = -1;
    out.Put(kClear, codeSize);
    for (uint8_t value : indices) {
        if (current < 0) {
            current = value;
        } else if (tree[current][value] != 0) {
            current = tree[current][value];
        } else {
            out.Put(static_cast<uint32_t>(current), codeSize);
            tree[current][value] = static_cast<uint16_t>(++maxCode);
            if (maxCode >= (1u << codeSize)) ++codeSize;
            if (maxCode == 4095) {
                out.Put(kClear, codeSize);
                for (auto& node : tree) node.fill(0);
                codeSize = kMinCodeSize + 1;
                maxCode = kClear + 1;
            }
            current = value;
        }
    }
    out.Put(static_cast<uint32_t>(current), codeSize);
    out.Put(kClear, codeSize);
    out.Put(kClear + 1, kMinCodeSize + 1);
    return out.Finish();
}

void Word(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
}

}  // namespace

bool WriteGif(cairo_surface_t* surface, const std::string& path) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;

    const std::array<Entry, 256> palette = MakePalette();
    std::vector<uint8_t> indices;
    indices.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            indices.push_back(Nearest(palette, (p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff));
        }
    }

    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Word(out, width);
    Word(out, height);
    out.push_back(0xf7);  // global colour table of 256 entries
    out.push_back(0);
    out.push_back(0);
    for (const Entry& e : palette) {
        out.push_back(e.r);
        out.push_back(e.g);
        out.push_back(e.b);
    }
    out.push_back(0x2c);
    Word(out, 0);
    Word(out, 0);
    Word(out, width);
    Word(out, height);
    out.push_back(0);
    out.push_back(8);
    const std::vector<uint8_t> compressed = Compress(indices);
    out.insert(out.end(), compressed.begin(), compressed.end());
    out.push_back(0x3b);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace vantor::skingen
