#pragma once
// SNES colour words (15 bits: red 0-4, green 5-9, blue 10-14, low byte first) and planar 8 x 8
// tiles of 4 bits (32 bytes) or 3 bits (24 bytes) per pixel.
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "image/indexed_image.h"

namespace morvi {

constexpr int kTilePixels = 64;
constexpr int kTileBytes4bpp = 32;
constexpr int kTileBytes3bpp = 24;

// Bytes of one planar tile for a colour count: exactly 16 means 4 bits per pixel.
constexpr int tileBytes(int colors) { return colors == 16 ? kTileBytes4bpp : kTileBytes3bpp; }

PaletteColor colorFromSnes(std::uint8_t low, std::uint8_t high);
std::pair<std::uint8_t, std::uint8_t> colorToSnes(PaletteColor color);
// A run of colours as the ROM stores them: one word each, low byte first.
std::vector<std::uint8_t> encodeSnesColors(std::span<const PaletteColor> colors);
// Fills out from 2 x out.size() bytes of colour words.
void decodeSnesColors(std::span<const std::uint8_t> bytes, std::span<PaletteColor> out);

// src holds 32 (16 colours) or 24 bytes; dst receives 64 indices, byte 8r + x.
void decodeTile(const std::uint8_t* src, std::uint8_t* dst, int colors);
// Encodes the 8 x 8 block at tile (tx, ty) of the image; pixels outside it count as 0.
void encodeTile(const IndexedImage& image, int tx, int ty, std::uint8_t* dst, int colors);
// Encodes 64 decoded indices.
void encodeTilePixels(const std::uint8_t* tile, std::uint8_t* dst, int colors);

void flipTileX(std::uint8_t* tile);
void flipTileY(std::uint8_t* tile);
// True when the tile would not lie wholly inside the image (nothing changes).
bool placeTile(IndexedImage& image, const std::uint8_t* tile, int tx, int ty);

} // namespace morvi
