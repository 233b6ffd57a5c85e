#pragma once
// Rectangular regions of a picture for selections: cut out, put down, flipped and turned, all on
// palette indices; and the clipboard form of a region, which keeps those indices between
// pictures. Nothing here trusts the bytes it is given back.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/indexed_image.h"
#include "image/raster.h"

namespace morvi {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
    bool operator==(const Rect&) const = default;
};

// The box with corners a and b (both included), cut to a width x height picture; empty when
// it lies wholly outside.
Rect rectBetween(Point a, Point b, int width, int height);
Rect intersected(Rect a, Rect b);

// The region's pixels (with the picture's palette); pixels outside the picture read as 0.
IndexedImage copyRegion(const IndexedImage& picture, Rect region);
// Writes that set every pixel of the region to `value`, cut to the picture.
std::vector<PixelWrite> fillWrites(Rect region, std::uint8_t value, int width, int height);
// Writes that put `pixels` down with its corner at `at`, every pixel (colour 0 too), cut to the
// picture: what falls outside is dropped.
std::vector<PixelWrite> placeWrites(const IndexedImage& pixels, Point at, int width, int height);
// The region mirrored left to right (or top to bottom), and turned a quarter clockwise or
// anticlockwise (its width and height trade places).
IndexedImage flippedRegion(const IndexedImage& pixels, bool vertical);
IndexedImage turnedRegion(const IndexedImage& pixels, bool clockwise);
// Where a turned region's corner goes so it turns about its centre.
Point turnedCorner(Rect region);

// Each pixel of an ARGB picture (another program's) as the nearest of the palette's colours
// 1 to n-1; pixels more than half transparent become colour 0.
IndexedImage mapArgbToPalette(std::span<const std::uint32_t> argb, int width, int height,
                              std::span<const PaletteColor> palette);
// A region whose indices reach past the colours a picture has, mapped onto that picture's
// palette by colour; a region within them is returned as it is.
IndexedImage fitRegionToPalette(const IndexedImage& pixels, std::span<const PaletteColor> palette);

// The clipboard form: "MRVR", version 1, origin x and y, width, height (16 bits each, little
// endian), the 256-colour palette as RGB, then the indices row by row.
struct ClipRegion {
    Point origin;       // where it was copied from
    IndexedImage pixels; // with the palette it had
};
std::vector<std::uint8_t> encodeClipRegion(const ClipRegion& region);
// nullopt for anything that is not exactly that form (wrong tag, sizes past 1024, short data).
std::optional<ClipRegion> decodeClipRegion(std::span<const std::uint8_t> bytes);

} // namespace morvi
