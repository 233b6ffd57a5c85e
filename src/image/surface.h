#pragma once
// A 32-bit RGB drawing surface: what the canvas renders into and the editor shows as it is.
// Pixels are 0xFFRRGGBB, rows top first, no padding.
#include <cstdint>
#include <vector>

namespace morvi {

struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Surface() = default;
    Surface(int w, int h) { resize(w, h); }
    void resize(int w, int h) {
        width = w < 0 ? 0 : w;
        height = h < 0 ? 0 : h;
        pixels.assign(std::size_t(width) * std::size_t(height), 0xFF000000u);
    }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    void set(int x, int y, std::uint32_t rgb) { pixels[std::size_t(y) * width + x] = rgb; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

constexpr std::uint32_t rgb32(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
}

} // namespace morvi
