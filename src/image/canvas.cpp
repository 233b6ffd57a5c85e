#include "image/canvas.h"

#include <algorithm>
#include <array>

#include "image/raster.h"

namespace morvi {

namespace {

void ensureSize(Surface& surface, int width, int height) {
    if (surface.width < width || surface.height < height)
        surface.resize(std::max(surface.width, width), std::max(surface.height, height));
}

// Palette of a composite: the image's colours at 0 .. n - 1, the backdrop's at n + k (mod 256).
std::array<std::uint32_t, 256> compositePalette(const IndexedImage& image, const IndexedImage* backdrop,
                                                bool imageWins) {
    std::array<std::uint32_t, 256> colours{};
    const int n = image.colorCount;
    auto putImage = [&] {
        for (int i = 0; i < n && i < 256; ++i) colours[std::size_t(i)] = image.palette[std::size_t(i)].toRgb32();
    };
    for (auto& c : colours) c = rgb32(0, 0, 0);
    putImage();
    if (backdrop)
        for (int k = 0; k < backdrop->colorCount; ++k)
            colours[std::size_t((n + k) % 256)] = backdrop->palette[std::size_t(k)].toRgb32();
    if (imageWins) putImage();
    return colours;
}

} // namespace

void drawImage(const IndexedImage& image, Surface& surface, const IndexedImage* backdrop, int width, int height) {
    if (width == 0) width = image.width;
    if (height == 0) height = image.height;
    if (width <= 0 || height <= 0) return;
    ensureSize(surface, width, height);
    const auto colours = compositePalette(image, backdrop, false);
    const bool hasPixels = image.hasPixels();
    const int n = image.colorCount;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside = hasPixels && x < image.width && y < image.height;
            const std::uint8_t v = inside ? image.pixel(x, y) : 0;
            if (backdrop) {
                std::uint8_t index = v;
                if (!inside || v == 0) {
                    const bool under = backdrop->hasPixels() && backdrop->contains(x, y);
                    index = std::uint8_t((under ? backdrop->pixel(x, y) : 0) + n);
                }
                surface.set(x, y, colours[index]);
            } else if (inside) {
                surface.set(x, y, colours[v]);
            }
        }
}

void drawMagnified(const IndexedImage& image, int m, Surface& surface, int originX, int originY,
                   const IndexedImage* backdrop, int width, int height, int shiftX, int shiftY) {
    if (m < 1) m = 1;
    if (width == 0) width = m * image.width;
    if (height == 0) height = m * image.height;
    if (width <= 0 || height <= 0) return;
    ensureSize(surface, width, height);
    const auto colours = compositePalette(image, backdrop, true);
    const int n = image.colorCount;
    const bool hasPixels = image.hasPixels();
    const bool backdropPixels = backdrop && backdrop->hasPixels() && backdrop->width > 0 && backdrop->height > 0;
    for (int y = 0; y < height; ++y) {
        // Canvas pixels left of or above a shifted picture fall outside it.
        const int sy = originY + floorDiv(y - shiftY, m);
        const bool rowInside = hasPixels && sy >= 0 && sy < image.height;
        std::uint32_t* out = &surface.pixels[std::size_t(y) * surface.width];
        // A canvas larger than the backdrop shows it again, tile by tile.
        const std::uint8_t* under = backdropPixels ? &backdrop->pixels[std::size_t(y % backdrop->height) * backdrop->width] : nullptr;
        for (int x = 0; x < width; ++x) {
            const int sx = originX + floorDiv(x - shiftX, m);
            std::uint8_t v = rowInside && sx >= 0 && sx < image.width ? image.pixels[std::size_t(sy) * image.width + sx] : 0;
            if (v == 0 && backdrop) v = std::uint8_t(n + (under ? under[x % backdrop->width] : 0));
            out[x] = colours[v];
        }
    }
}

void drawBackdropTiles(const IndexedImage& backdrop, Surface& surface, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (surface.width != width || surface.height != height) surface.resize(width, height);
    if (!backdrop.hasPixels()) {
        std::fill(surface.pixels.begin(), surface.pixels.end(), rgb32(0, 0, 0));
        return;
    }
    std::array<std::uint32_t, 256> colours{};
    for (int k = 0; k < backdrop.colorCount && k < 256; ++k) colours[std::size_t(k)] = backdrop.palette[std::size_t(k)].toRgb32();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &backdrop.pixels[std::size_t(y % backdrop.height) * std::size_t(backdrop.width)];
        std::uint32_t* out = &surface.pixels[std::size_t(y) * std::size_t(width)];
        for (int x = 0; x < width; ++x) out[x] = colours[row[x % backdrop.width]];
    }
}

void drawMagnifiedOver(const IndexedImage& image, int m, Surface& surface, const Surface& under, int originX,
                       int originY, int shiftX, int shiftY, CanvasRect part) {
    if (m < 1) m = 1;
    if (under.width != surface.width || under.height != surface.height) return;
    const int x0 = std::max(0, part.x), y0 = std::max(0, part.y);
    const int x1 = std::min(surface.width, part.x + part.width), y1 = std::min(surface.height, part.y + part.height);
    if (x0 >= x1 || y0 >= y1) return;
    // The picture's colours; index 0 lets the backdrop through, as drawMagnified's composite does.
    std::array<std::uint32_t, 256> colours{};
    for (auto& c : colours) c = rgb32(0, 0, 0);
    const int n = image.colorCount;
    for (int i = 0; i < n && i < 256; ++i) colours[std::size_t(i)] = image.palette[std::size_t(i)].toRgb32();
    const bool hasPixels = image.hasPixels();
    // Canvas columns [left, right) show picture columns: left of them and right of them, the backdrop.
    const int left = std::clamp(shiftX + m * (0 - originX), x0, x1);
    const int right = std::clamp(shiftX + m * (image.width - originX), x0, x1);
    const std::size_t stride = std::size_t(surface.width);
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* out = &surface.pixels[std::size_t(y) * stride];
        const std::uint32_t* back = &under.pixels[std::size_t(y) * stride];
        const int sy = originY + floorDiv(y - shiftY, m);
        if (!hasPixels || sy < 0 || sy >= image.height || left >= right) {
            std::copy(back + x0, back + x1, out + x0);
            continue;
        }
        std::copy(back + x0, back + left, out + x0);
        std::copy(back + right, back + x1, out + right);
        const std::uint8_t* row = &image.pixels[std::size_t(sy) * std::size_t(image.width)];
        for (int x = left; x < right;) {
            const int sx = originX + floorDiv(x - shiftX, m);
            // The run of canvas pixels this picture pixel covers, cut to the part.
            const int end = std::min(right, shiftX + m * (sx - originX + 1));
            const std::uint8_t v = row[sx];
            if (v == 0) std::copy(back + x, back + end, out + x);
            else std::fill(out + x, out + end, colours[v]);
            x = end;
        }
    }
}

void blendOnionLayer(const IndexedImage& picture, const OnionLayer& layer, int m, Surface& surface, int originX, int originY,
                     int shiftX, int shiftY, CanvasRect part) {
    if (m < 1 || !layer.image || !layer.image->hasPixels() || !picture.hasPixels()) return;
    const IndexedImage& onion = *layer.image;
    const int x0 = std::max(0, part.x), y0 = std::max(0, part.y);
    const int x1 = std::min(surface.width, part.x + part.width), y1 = std::min(surface.height, part.y + part.height);
    if (x0 >= x1 || y0 >= y1) return;
    const int a = std::clamp(layer.opacity, 0, 100);
    // Each onion colour tinted once: half its own, half the tint.
    std::array<PaletteColor, 256> tinted{};
    for (int i = 0; i < 256; ++i) {
        const PaletteColor& c = onion.palette[std::size_t(i)];
        tinted[std::size_t(i)] = makeColor(std::uint8_t((c.red + layer.tint.red) / 2), std::uint8_t((c.green + layer.tint.green) / 2),
                                           std::uint8_t((c.blue + layer.tint.blue) / 2));
    }
    // Picture pixel by picture pixel; each covers an m x m block of the canvas, cut to the part.
    const int px0 = std::max(0, originX + floorDiv(x0 - shiftX, m)), px1 = std::min(picture.width, originX + floorDiv(x1 - 1 - shiftX, m) + 1);
    const int py0 = std::max(0, originY + floorDiv(y0 - shiftY, m)), py1 = std::min(picture.height, originY + floorDiv(y1 - 1 - shiftY, m) + 1);
    for (int py = py0; py < py1; ++py)
        for (int px = px0; px < px1; ++px) {
            if (picture.pixel(px, py) != 0 || !onion.contains(px - layer.x, py - layer.y)) continue;
            const std::uint8_t v = onion.pixel(px - layer.x, py - layer.y);
            if (v == 0) continue;
            const PaletteColor& c = tinted[v];
            const int bx0 = std::max(x0, shiftX + m * (px - originX)), bx1 = std::min(x1, shiftX + m * (px - originX + 1));
            const int by0 = std::max(y0, shiftY + m * (py - originY)), by1 = std::min(y1, shiftY + m * (py - originY + 1));
            for (int y = by0; y < by1; ++y) {
                std::uint32_t* out = &surface.pixels[std::size_t(y) * std::size_t(surface.width)];
                for (int x = bx0; x < bx1; ++x) {
                    const std::uint32_t under = out[x];
                    const int r = int((under >> 16) & 0xFF), g = int((under >> 8) & 0xFF), b = int(under & 0xFF);
                    out[x] = rgb32(std::uint8_t(r + (c.red - r) * a / 100), std::uint8_t(g + (c.green - g) * a / 100),
                                   std::uint8_t(b + (c.blue - b) * a / 100));
                }
            }
        }
}

void drawCanvasGrid(Surface& surface, GridMode mode, int minMagnification, int m, int imageWidth, int imageHeight,
                    int originX, int originY, GridClip clip, int shiftX, int shiftY, const CanvasRect* part) {
    if (mode == GridMode::None || m < minMagnification || m < 1) return;
    // The canvas is the surface; a shifted picture's grid starts at its own corner.
    const int canvasW = std::max(0, surface.width - shiftX), canvasH = std::max(0, surface.height - shiftY);
    const int extentW = std::min(m * imageWidth, canvasW), extentH = std::min(m * imageHeight, canvasH);
    auto plot = [&](int x, int y) {
        if (clip == GridClip::SpriteExtent && (x > extentW || y > extentH)) return;
        const int cx = x + shiftX, cy = y + shiftY;
        if (part && (cx < part->x || cy < part->y || cx >= part->x + part->width || cy >= part->y + part->height)) return;
        if (surface.contains(cx, cy)) surface.set(cx, cy, kGridColor);
    };
    auto vertical = [&](int x) {
        for (int y = 0; y <= extentH; ++y) plot(x, y);
    };
    auto horizontal = [&](int y) {
        for (int x = 0; x <= extentW; ++x) plot(x, y);
    };
    const int loopW = clip == GridClip::SquareExtent ? extentW : canvasW;
    const int loopH = clip == GridClip::SquareExtent ? extentH : canvasH;
    if (mode == GridMode::Pixel) {
        for (int p = 0; p <= loopW; p += m) vertical(p);
        for (int p = 0; p <= loopH; p += m) horizontal(p);
        return;
    }
    const int t = 8 * m;
    const int wrapW = canvasW + t - (canvasW % t), wrapH = canvasH + t - (canvasH % t);
    const int ox = m * (((originX % 8) + 8) % 8), oy = m * (((originY % 8) + 8) % 8);
    for (int h = 0; h <= loopW; h += t) vertical(h - ox < 0 ? wrapW + h - ox : h - ox);
    for (int h = 0; h <= loopH; h += t) horizontal(h - oy < 0 ? wrapH + h - oy : h - oy);
}

void drawPaletteStrip(Surface& surface, std::span<const PaletteColor> colors, int swatchWidth, int current,
                      std::uint32_t unused) {
    surface.resize(kStripWidth, kStripHeight);
    if (swatchWidth < 3) return;
    const std::uint32_t white = rgb32(255, 255, 255), black = rgb32(0, 0, 0);
    for (int c = 0; c < int(colors.size()) && (c + 1) * swatchWidth <= kStripWidth; ++c) {
        const bool chosen = c == current;
        const std::uint32_t inside = colors[std::size_t(c)].toRgb32();
        const int left = c * swatchWidth, right = left + swatchWidth - 1;
        // The current swatch's white border has two black rings inside it, so that it stands out
        // on a light colour as well as on a dark one.
        const int rings = chosen && swatchWidth >= 9 ? 3 : 1;
        for (int y = 0; y < kStripHeight; ++y)
            for (int x = left; x <= right; ++x) {
                const int ring = std::min({x - left, right - x, y, kStripHeight - 1 - y});
                surface.set(x, y, ring >= rings ? inside : ring > 0 ? black : chosen ? white : black);
            }
        if (c < 32 && (unused >> c & 1u)) {
            const PaletteColor& k = colors[std::size_t(c)];
            const bool light = k.red * 3 + k.green * 6 + k.blue > 1280;
            const int side = std::min(7, swatchWidth - 2);
            for (int d = 0; d < side; ++d)
                for (int x = right - 1 - d; x < right; ++x) surface.set(x, kStripHeight - side - 1 + d, light ? black : white);
        }
    }
}

} // namespace morvi
