#include "image/region.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace morvi {

namespace {

constexpr int kMaxClipSide = 1024;

IndexedImage blankLike(const IndexedImage& like, int width, int height) {
    IndexedImage out;
    out.allocateImage(width, height);
    out.palette = like.palette;
    out.colorCount = like.colorCount;
    return out;
}

int nearest(PaletteColor want, std::span<const PaletteColor> palette) {
    int best = palette.size() > 1 ? 1 : 0;
    long bestDistance = std::numeric_limits<long>::max();
    for (std::size_t i = 1; i < palette.size(); ++i) {
        const long dr = long(want.red) - palette[i].red, dg = long(want.green) - palette[i].green, db = long(want.blue) - palette[i].blue;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = int(i);
    }
    return best;
}

} // namespace

Rect rectBetween(Point a, Point b, int width, int height) {
    const int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    return intersected(Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1}, Rect{0, 0, width, height});
}

Rect intersected(Rect a, Rect b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width), y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0) return Rect{};
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

IndexedImage copyRegion(const IndexedImage& picture, Rect region) {
    if (region.empty()) return {};
    IndexedImage out = blankLike(picture, region.width, region.height);
    if (!picture.hasPixels()) return out;
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            if (picture.contains(region.x + x, region.y + y)) out.setPixel(x, y, picture.pixel(region.x + x, region.y + y));
    return out;
}

std::vector<PixelWrite> fillWrites(Rect region, std::uint8_t value, int width, int height) {
    const Rect r = intersected(region, Rect{0, 0, width, height});
    std::vector<PixelWrite> out;
    out.reserve(std::size_t(std::max(0, r.width)) * std::size_t(std::max(0, r.height)));
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) out.push_back({x, y, value});
    return out;
}

std::vector<PixelWrite> placeWrites(const IndexedImage& pixels, Point at, int width, int height) {
    std::vector<PixelWrite> out;
    if (!pixels.hasPixels()) return out;
    const Rect r = intersected(Rect{at.x, at.y, pixels.width, pixels.height}, Rect{0, 0, width, height});
    out.reserve(std::size_t(std::max(0, r.width)) * std::size_t(std::max(0, r.height)));
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) out.push_back({x, y, pixels.pixel(x - at.x, y - at.y)});
    return out;
}

IndexedImage flippedRegion(const IndexedImage& pixels, bool vertical) {
    if (!pixels.hasPixels()) return pixels;
    IndexedImage out = blankLike(pixels, pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            out.setPixel(x, y, vertical ? pixels.pixel(x, pixels.height - 1 - y) : pixels.pixel(pixels.width - 1 - x, y));
    return out;
}

IndexedImage turnedRegion(const IndexedImage& pixels, bool clockwise) {
    if (!pixels.hasPixels()) return pixels;
    IndexedImage out = blankLike(pixels, pixels.height, pixels.width);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            // Clockwise: the new row y is the old column y read from the bottom up.
            out.setPixel(x, y, clockwise ? pixels.pixel(y, pixels.height - 1 - x) : pixels.pixel(pixels.width - 1 - y, x));
    return out;
}

Point turnedCorner(Rect r) {
    // The centre stays (to the nearest pixel): x + w/2 = x' + h/2.
    return Point{r.x + (r.width - r.height) / 2, r.y + (r.height - r.width) / 2};
}

IndexedImage mapArgbToPalette(std::span<const std::uint32_t> argb, int width, int height, std::span<const PaletteColor> palette) {
    IndexedImage out;
    if (width <= 0 || height <= 0 || argb.size() < std::size_t(width) * std::size_t(height) || palette.empty()) return out;
    if (out.allocateImage(width, height)) return out;
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) out.setPaletteEntry(std::uint8_t(i), palette[i]);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            if ((p >> 24) < 128) continue;
            out.setPixel(x, y, std::uint8_t(nearest(makeColor(std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)), palette)));
        }
    return out;
}

IndexedImage fitRegionToPalette(const IndexedImage& pixels, std::span<const PaletteColor> palette) {
    if (!pixels.hasPixels()) return pixels;
    const bool fits = std::all_of(pixels.pixels.begin(), pixels.pixels.end(), [&](std::uint8_t v) { return v < palette.size(); });
    IndexedImage out = pixels;
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) out.palette[i] = palette[i];
    out.colorCount = int(std::min<std::size_t>(palette.size(), 256));
    if (fits) return out;
    // Colour 0 stays transparent; every other index takes the nearest of the picture's colours.
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const std::uint8_t v = pixels.pixels[i];
        out.pixels[i] = v == 0 ? 0 : std::uint8_t(nearest(pixels.palette[v], palette));
    }
    return out;
}

std::vector<std::uint8_t> encodeClipRegion(const ClipRegion& r) {
    std::vector<std::uint8_t> out = {'M', 'R', 'V', 'R', 1};
    auto u16 = [&out](int v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    u16(std::clamp(r.origin.x, 0, 0xFFFF));
    u16(std::clamp(r.origin.y, 0, 0xFFFF));
    u16(r.pixels.width);
    u16(r.pixels.height);
    for (const PaletteColor& c : r.pixels.palette) out.insert(out.end(), {c.red, c.green, c.blue});
    out.insert(out.end(), r.pixels.pixels.begin(), r.pixels.pixels.end());
    return out;
}

std::optional<ClipRegion> decodeClipRegion(std::span<const std::uint8_t> b) {
    constexpr std::size_t head = 13, palette = 768;
    if (b.size() < head + palette || std::memcmp(b.data(), "MRVR", 4) != 0 || b[4] != 1) return std::nullopt;
    auto u16 = [&b](std::size_t at) { return int(b[at]) | int(b[at + 1]) << 8; };
    ClipRegion r;
    r.origin = Point{u16(5), u16(7)};
    const int w = u16(9), h = u16(11);
    if (w <= 0 || h <= 0 || w > kMaxClipSide || h > kMaxClipSide) return std::nullopt;
    if (b.size() != head + palette + std::size_t(w) * std::size_t(h)) return std::nullopt;
    if (r.pixels.allocateImage(w, h)) return std::nullopt;
    for (int k = 0; k < 256; ++k)
        r.pixels.palette[std::size_t(k)] = makeColor(b[head + 3 * std::size_t(k)], b[head + 3 * std::size_t(k) + 1], b[head + 3 * std::size_t(k) + 2]);
    r.pixels.colorCount = 256;
    std::copy(b.begin() + std::ptrdiff_t(head + palette), b.end(), r.pixels.pixels.begin());
    return r;
}

} // namespace morvi
