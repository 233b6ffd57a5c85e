#include "image/indexed_image.h"

#include <algorithm>
#include <new>

namespace morvi {

bool IndexedImage::allocateImage(std::int32_t w, std::int32_t h) {
    width = w;
    height = h;
    colorCount = 1;
    if (w < 0 || h < 0 || std::int64_t(w) * h > kMaxImagePixels) {
        releasePixels();
        return true;
    }
    // The buffer is reused when it is not far larger than needed: pictures are given new sizes
    // and reloaded often, and each would otherwise cost a fresh allocation.
    const std::size_t count = std::size_t(w) * std::size_t(h);
    if (pixels.capacity() > 4 * count + 65536) releasePixels();
    try {
        pixels.assign(count, 0);
    } catch (const std::bad_alloc&) {
        releasePixels();
        return true;
    }
    palette[0] = PaletteColor{};
    return false;
}

int IndexedImage::findOrAddColor(PaletteColor color) {
    if (colorCount >= 256) return PALETTE_FULL;
    for (int i = 0; i < colorCount; ++i)
        if (palette[i] == color) return i;
    palette[colorCount] = color;
    return colorCount++;
}

int IndexedImage::setPixelColor(PaletteColor color, int x, int y) {
    int index = findOrAddColor(color);
    if (index == PALETTE_FULL) return PALETTE_FULL;
    setPixel(x, y, std::uint8_t(index));
    return colorCount;
}

void IndexedImage::setPaletteEntry(std::uint8_t index, PaletteColor color) {
    palette[index] = color;
    if (index >= colorCount) colorCount = index + 1;
}

void IndexedImage::swapPaletteEntries(int a, int b) {
    if (a == b || a < 0 || b < 0 || a > 255 || b > 255) return;
    std::swap(palette[a], palette[b]);
    for (auto& p : pixels) {
        if (p == a)
            p = std::uint8_t(b);
        else if (p == b)
            p = std::uint8_t(a);
    }
}

PaletteColor IndexedImage::colorAt(int x, int y) const {
    if (!contains(x, y) || !hasPixels()) return PaletteColor{};
    return palette[pixel(x, y)];
}

void IndexedImage::mirrorImage(int vertical, bool withinContent) {
    if (!hasPixels()) return;
    int extentW = width, extentH = height;
    if (withinContent) {
        extentW = 1;
        extentH = 1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (pixel(x, y) != 0) {
                    extentW = std::max(extentW, x + 1);
                    extentH = std::max(extentH, y + 1);
                }
    }
    const std::vector<std::uint8_t> old = pixels;
    auto oldAt = [&](int x, int y) { return old[std::size_t(y) * width + x]; };
    for (int y = 0; y < extentH; ++y)
        for (int x = 0; x < extentW; ++x)
            setPixel(x, y, vertical ? oldAt(x, extentH - 1 - y) : oldAt(extentW - 1 - x, y));
}

void IndexedImage::captureImage(const Surface& surface, int w, int h) {
    if (allocateImage(w, h)) return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t v = surface.contains(x, y) ? surface.at(x, y) : 0;
            setPixelColor(makeColor(std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)),
                          x, y);
        }
}

IndexedImage remapToPalette(const IndexedImage& image, std::span<const PaletteColor> palette) {
    IndexedImage out;
    const int count = int(std::min<std::size_t>(palette.size(), 256));
    if (count == 0 || out.allocateImage(image.width, image.height)) return out;
    for (int i = 0; i < count; ++i) out.setPaletteEntry(std::uint8_t(i), palette[std::size_t(i)]);
    // One choice per colour of the file, made once.
    std::array<int, 256> to{};
    for (int c = 0; c < 256; ++c) {
        if (c == 0 || count == 1) continue;
        const PaletteColor want = image.palette[std::size_t(c)];
        int best = 1;
        long bestDistance = -1;
        for (int i = 1; i < count; ++i) {
            const PaletteColor have = palette[std::size_t(i)];
            const long dr = long(want.red) - have.red, dg = long(want.green) - have.green, db = long(want.blue) - have.blue;
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
            if (d == 0) break; // an exact match wins at once
        }
        to[std::size_t(c)] = best;
    }
    if (!image.hasPixels()) return out;
    for (std::size_t p = 0; p < image.pixels.size(); ++p) out.pixels[p] = std::uint8_t(to[image.pixels[p]]);
    return out;
}

} // namespace morvi
