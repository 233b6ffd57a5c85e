#include "image/snes_codec.h"

#include <array>
#include <bit>

#include <algorithm>
#include <cstring>
#include <span>

namespace morvi {

namespace {

// Where the byte of one pixel row of one bit plane lies in a tile: offset + rowStride x row.
// Decoding and encoding both walk this table, so they cannot disagree.
struct TilePlane {
    int offset;
    int rowStride;
};
constexpr TilePlane kPlanes4bpp[] = {{0, 2}, {1, 2}, {16, 2}, {17, 2}};
constexpr TilePlane kPlanes3bpp[] = {{0, 2}, {1, 2}, {16, 1}};

std::span<const TilePlane> planesFor(int colors) {
    if (colors == 16) return kPlanes4bpp;
    return kPlanes3bpp;
}

} // namespace

PaletteColor colorFromSnes(std::uint8_t low, std::uint8_t high) {
    std::uint8_t red = std::uint8_t((low & 0x1F) * 8);
    std::uint8_t green = std::uint8_t((((high & 0x03) * 8) + (low >> 5)) * 8);
    std::uint8_t blue = std::uint8_t(((high >> 2) & 0x1F) * 8);
    return makeColor(red, green, blue);
}

std::pair<std::uint8_t, std::uint8_t> colorToSnes(PaletteColor color) {
    std::uint8_t low = std::uint8_t(((color.green >> 3) & 7) * 32 + (color.red >> 3));
    std::uint8_t high = std::uint8_t((color.blue >> 3) * 4 + (color.green >> 6));
    return {low, high};
}

std::vector<std::uint8_t> encodeSnesColors(std::span<const PaletteColor> colors) {
    std::vector<std::uint8_t> out;
    out.reserve(2 * colors.size());
    for (const PaletteColor& c : colors) {
        auto [low, high] = colorToSnes(c);
        out.push_back(low);
        out.push_back(high);
    }
    return out;
}

void decodeSnesColors(std::span<const std::uint8_t> bytes, std::span<PaletteColor> out) {
    for (std::size_t k = 0; k < out.size() && 2 * k + 1 < bytes.size(); ++k)
        out[k] = colorFromSnes(bytes[2 * k], bytes[2 * k + 1]);
}

namespace {

// One plane byte spread over a row of eight pixels: bit 7 (the leftmost pixel) to byte 0.
constexpr std::array<std::uint64_t, 256> kSpread = [] {
    std::array<std::uint64_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned c = 0; c < 8; ++c) t[b] |= std::uint64_t((b >> (7 - c)) & 1u) << (8 * c);
    return t;
}();

std::uint64_t loadRow(const std::uint8_t* p) {
    std::uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, 8);
    } else {
        for (int c = 0; c < 8; ++c) v |= std::uint64_t(p[c]) << (8 * c);
    }
    return v;
}

void storeRow(std::uint8_t* p, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, 8);
    } else {
        for (int c = 0; c < 8; ++c) p[c] = std::uint8_t(v >> (8 * c));
    }
}

} // namespace

// Both work a pixel row at a time, held in a 64-bit word (pixel c in byte c).
void decodeTile(const std::uint8_t* src, std::uint8_t* dst, int colors) {
    const std::uint64_t* spread = kSpread.data();
    if (colors == 16) {
        // The common case, written out: planes 0 and 1 interleaved in the first 16 bytes, 2 and 3
        // in the next 16.
        for (int r = 0; r < 8; ++r)
            storeRow(dst + 8 * r, spread[src[2 * r]] | spread[src[2 * r + 1]] << 1 | spread[src[16 + 2 * r]] << 2 |
                                      spread[src[17 + 2 * r]] << 3);
        return;
    }
    const auto planes = planesFor(colors);
    const std::size_t count = planes.size();
    const TilePlane* plane = planes.data();
    for (int r = 0; r < 8; ++r) {
        std::uint64_t row = 0;
        for (std::size_t p = 0; p < count; ++p) row |= spread[src[plane[p].offset + plane[p].rowStride * r]] << p;
        storeRow(dst + 8 * r, row);
    }
}

void encodeTilePixels(const std::uint8_t* tile, std::uint8_t* dst, int colors) {
    std::memset(dst, 0, std::size_t(tileBytes(colors)));
    const auto planes = planesFor(colors);
    const std::size_t count = planes.size();
    const TilePlane* plane = planes.data();
    for (int r = 0; r < 8; ++r) {
        const std::uint64_t row = loadRow(tile + 8 * r);
        for (std::size_t p = 0; p < count; ++p) {
            // Bit p of pixel c sits at bit 8c of the masked row; the multiplier moves each to bit
            // 63 - c (its bits are at 63 - 9c, and no two products share a place, so nothing
            // carries), which puts pixel 0 in bit 7 of the top byte.
            const std::uint64_t bits = ((row >> p) & 0x0101010101010101ull) * 0x8040201008040201ull;
            dst[plane[p].offset + plane[p].rowStride * r] = std::uint8_t(bits >> 56);
        }
    }
}

void encodeTile(const IndexedImage& image, int tx, int ty, std::uint8_t* dst, int colors) {
    std::uint8_t tile[kTilePixels] = {};
    if (image.hasPixels()) {
        const bool inside = tx >= 0 && ty >= 0 && 8 * std::int64_t(tx) + 8 <= image.width &&
                            8 * std::int64_t(ty) + 8 <= image.height;
        if (inside) {
            // The usual case, a whole tile of the picture: eight rows of eight bytes.
            const std::uint8_t* from = image.pixels.data() + std::size_t(8 * ty) * std::size_t(image.width) + 8 * tx;
            for (int r = 0; r < 8; ++r) std::memcpy(tile + 8 * r, from + std::size_t(r) * std::size_t(image.width), 8);
        } else {
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 8; ++c) {
                    int x = 8 * tx + c, y = 8 * ty + r;
                    if (image.contains(x, y)) tile[8 * r + c] = image.pixel(x, y);
                }
        }
    }
    encodeTilePixels(tile, dst, colors);
}

void flipTileX(std::uint8_t* tile) {
    for (int r = 0; r < 8; ++r) std::reverse(tile + 8 * r, tile + 8 * r + 8);
}

void flipTileY(std::uint8_t* tile) {
    for (int r = 0; r < 4; ++r) std::swap_ranges(tile + 8 * r, tile + 8 * r + 8, tile + 8 * (7 - r));
}

bool placeTile(IndexedImage& image, const std::uint8_t* tile, int tx, int ty) {
    if (tx < 0 || ty < 0 || 8 * tx >= image.width - 7 || 8 * ty >= image.height - 7 ||
        !image.hasPixels())
        return true;
    std::uint8_t* to = image.pixels.data() + std::size_t(8 * ty) * std::size_t(image.width) + 8 * tx;
    for (int r = 0; r < 8; ++r) std::memcpy(to + std::size_t(r) * std::size_t(image.width), tile + 8 * r, 8);
    return false;
}

} // namespace morvi
