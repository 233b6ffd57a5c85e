#pragma once
// The one picture type of the program: palette indices, one byte per pixel, rows top first, and
// a palette of up to 256 colours. Palette index 0 is the transparent colour.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "image/surface.h"

namespace morvi {

// Channels stored blue, green, red (the byte order of BMP palettes and pixels).
struct PaletteColor {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    bool operator==(const PaletteColor&) const = default;
    std::uint32_t toRgb32() const { return rgb32(red, green, blue); }
};

constexpr PaletteColor makeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return PaletteColor{blue, green, red};
}

// Result of findOrAddColor and setPixelColor when all 256 entries are taken.
constexpr int PALETTE_FULL = 257;
// Largest pixel count an image may hold: far above any picture the program handles.
constexpr std::int64_t kMaxImagePixels = 16 * 1024 * 1024;

class IndexedImage {
public:
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t colorCount = 0;
    std::vector<std::uint8_t> pixels;
    std::array<PaletteColor, 256> palette{};

    // Gives the image a new size with one black colour and every pixel 0. True when the pixel
    // buffer cannot be had (a negative or oversized request); the image then has no pixels.
    bool allocateImage(std::int32_t w, std::int32_t h);
    // Drops the pixel buffer, keeping size and palette.
    void releasePixels() { std::vector<std::uint8_t>().swap(pixels); }
    // Back to an empty picture, as constructed, keeping the pixel buffer's memory for reuse.
    void reset() {
        width = height = colorCount = 0;
        pixels.clear();
        palette = {};
    }
    bool hasPixels() const {
        return width > 0 && height > 0 && pixels.size() == std::size_t(width) * std::size_t(height);
    }

    int findOrAddColor(PaletteColor color);
    int setPixelColor(PaletteColor color, int x, int y);
    void setPaletteEntry(std::uint8_t index, PaletteColor color);
    void swapPaletteEntries(int a, int b);
    PaletteColor colorAt(int x, int y) const;
    void mirrorImage(int vertical, bool withinContent);
    // Turns the top-left width x height pixels of a surface into indices, black first.
    void captureImage(const Surface& surface, int w, int h);

    std::uint8_t pixel(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    void setPixel(int x, int y, std::uint8_t value) { pixels[std::size_t(y) * width + x] = value; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The picture with its colours mapped onto a palette of `count` colours: index 0 stays 0 (the
// transparent colour); every other colour takes the palette entry from 1 up that equals it, or
// else the closest one by RGB distance. The result carries that palette.
IndexedImage remapToPalette(const IndexedImage& image, std::span<const PaletteColor> palette);

} // namespace morvi
