// The demo ROM's window skins: eight windows of our own, a framed border over a patterned
// background in each skin's own hues, drawn into the game's 28 tiles.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "image/snes_codec.h"
#include "rom/rom_image.h"
#include "windowskins/window_skin_module.h"

namespace morvi::demo {

namespace {

using Tile = std::array<std::uint8_t, 64>;

// The frame as seen from the top edge: row 0 outermost. Colours 5 to 7 are the frame's shades.
std::uint8_t frameRow(int row, int along, int skin) {
    if (row <= 1) return 7;
    if (row == 2) return 6;
    if (row == 3) return (along + skin) % 4 == 0 ? 7 : 5;
    return 0; // filled by the background below
}

std::uint8_t background(int x, int y, int skin) {
    if ((x * 3 + y * 5 + skin) % 17 == 0) return 4;
    return std::uint8_t(1 + ((x + (skin % 2 ? y : 31 - y)) / (4 + skin % 3)) % 3);
}

// Edge tile: `row` counts inward from the window's edge, `along` runs along it.
Tile edgeTile(int phase, int skin, bool vertical, bool far) {
    Tile t{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            int row = vertical ? x : y, along = (vertical ? y : x) + phase * 8;
            if (far) row = 7 - row;
            const std::uint8_t f = frameRow(row, along, skin);
            t[std::size_t(y * 8 + x)] = f ? f : background(x, y, skin);
        }
    return t;
}

Tile cornerTile(int skin, bool right, bool bottom) {
    Tile t{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int rx = right ? 7 - x : x, ry = bottom ? 7 - y : y;
            const int row = std::min(rx, ry);
            std::uint8_t v = frameRow(row, rx + ry, skin);
            if (rx + ry < 2) v = 0; // a rounded corner: transparent outside
            t[std::size_t(y * 8 + x)] = v ? v : background(x, y, skin);
        }
    return t;
}

} // namespace

void addDemoWindowSkins(RomImage& rom) {
    std::vector<std::uint8_t> graphics(std::size_t(kWindowSkinCount) * kWindowSkinBytes);
    std::array<PaletteColor, kWindowSkinCount * 16> palettes{};
    for (int s = 0; s < kWindowSkinCount; ++s) {
        std::array<Tile, kWindowSkinTiles> tiles{};
        for (int t = 0; t < 16; ++t)
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) tiles[std::size_t(t)][std::size_t(y * 8 + x)] = background((t % 4) * 8 + x, (t / 4) * 8 + y, s);
        tiles[16] = cornerTile(s, false, false);
        tiles[17] = edgeTile(0, s, false, false);
        tiles[18] = edgeTile(1, s, false, false);
        tiles[19] = cornerTile(s, true, false);
        tiles[20] = edgeTile(0, s, true, false);
        tiles[21] = edgeTile(0, s, true, true);
        tiles[22] = edgeTile(1, s, true, false);
        tiles[23] = edgeTile(1, s, true, true);
        tiles[24] = cornerTile(s, false, true);
        tiles[25] = edgeTile(0, s, false, true);
        tiles[26] = edgeTile(1, s, false, true);
        tiles[27] = cornerTile(s, true, true);
        for (int t = 0; t < kWindowSkinTiles; ++t)
            encodeTilePixels(tiles[std::size_t(t)].data(), graphics.data() + std::size_t(s * kWindowSkinBytes + t * 32), 16);
        // Each skin its own hue: three shades of the background, an accent and a frame.
        const int r = (s * 37) % 24, g = (s * 11 + 6) % 24, b = 31 - (s * 3) % 16;
        auto c = [](int red, int green, int blue) {
            auto ch = [](int v) { return std::uint8_t(std::clamp(v, 0, 31) * 255 / 31); };
            return makeColor(ch(red), ch(green), ch(blue));
        };
        PaletteColor* p = palettes.data() + s * 16;
        p[1] = c(r / 3, g / 3, b / 2);
        p[2] = c(r / 2, g / 2, b * 2 / 3);
        p[3] = c(r * 2 / 3, g * 2 / 3, b * 5 / 6);
        p[4] = c(31, 28, 12);
        p[5] = c(16, 16, 18);
        p[6] = c(24, 24, 26);
        p[7] = c(31, 31, 31);
    }
    rom.put(kWindowGraphicsOffset, graphics);
    rom.put(kWindowPalettesOffset, encodeSnesColors(palettes));
}

} // namespace morvi::demo
