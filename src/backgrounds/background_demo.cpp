// The demo ROM's battle backgrounds: landscapes built the way the game builds them, from
// shared graphics sets of 8 x 8 tiles and tile maps. Sky, clouds, mountains whose right slopes
// are their left slopes flipped, lakes that mirror them upside down, hills, trees and a few
// full pictures in 256-tile sets; raw and compressed sets, skipped areas and all three thirds
// of the 48-colour palettes.
#include <algorithm>
#include <cmath>

#include "backgrounds/background_rom_builder.h"
#include "image/demo_art.h"
#include "rom/rom_image.h"
#include "image/snes_codec.h"

namespace morvi::demo {

namespace {

// Tiles of the landscape set (area A, 128 tiles).
constexpr int kSky = 0;          // 16 sky shades, 0 darkest
constexpr int kCloud = 16;       // 8 cloud pieces: 4 wide, 2 high
constexpr int kSlope = 24;       // mountain: left slope (flip for the right one)
constexpr int kRock = 25;        // mountain inside, 4 variants
constexpr int kPeak = 29;        // snow-capped slope
constexpr int kSnow = 30;
constexpr int kHillTop = 32;     // 4 variants of a grassy edge
constexpr int kGround = 36;      // 16 variants
constexpr int kTreeTop = 52;     // 2 x 2 crown
constexpr int kTrunk = 56;
constexpr int kWater = 60;       // 4 waves
constexpr int kRockPile = 64;    // 2 x 2
constexpr int kStar = 68;        // 2 variants over dark sky

using Tile = std::array<std::uint8_t, 64>;

struct TileSet {
    std::vector<Tile> tiles;
    explicit TileSet(int count) : tiles(std::size_t(count), Tile{}) {}
    Tile& operator[](int t) { return tiles[std::size_t(t)]; }
    std::vector<std::uint8_t> encode() const {
        std::vector<std::uint8_t> out;
        std::uint8_t raw[32];
        for (const auto& t : tiles) {
            encodeTilePixels(t.data(), raw, 16);
            out.insert(out.end(), raw, raw + 32);
        }
        return out;
    }
};

std::uint8_t shade(double v) { return std::uint8_t(std::clamp(int(v), 1, 15)); }

TileSet landscapeTiles(int seed) {
    TileSet set(128);
    Dice dice{std::uint32_t(seed)};
    for (int k = 0; k < 16; ++k)
        for (int i = 0; i < 64; ++i) {
            // A dithered step between shade k and k + 1.
            const int x = i % 8, y = i / 8;
            set[kSky + k][std::size_t(i)] = std::uint8_t(std::min(15, k + (((x + y) % 2 == 0 && y >= 4) ? 1 : 0)));
        }
    // Clouds: an ellipse over 4 x 2 tiles, light colours 12..15 over sky colour 8.
    for (int ty = 0; ty < 2; ++ty)
        for (int tx = 0; tx < 4; ++tx)
            for (int i = 0; i < 64; ++i) {
                const double px = tx * 8 + i % 8 + 0.5, py = ty * 8 + i / 8 + 0.5;
                const double dx = (px - 16) / 15, dy = (py - 10) / 7;
                const double bumps = 0.25 * std::sin(px / 3);
                set[kCloud + ty * 4 + tx][std::size_t(i)] =
                    dx * dx + dy * dy < 1 + bumps ? std::uint8_t(15 - (py > 10 ? 2 : 0) - (dx > 0.5 ? 1 : 0)) : 8;
            }
    for (int i = 0; i < 64; ++i) {
        const int x = i % 8, y = i / 8;
        // Left slope: rock below the diagonal, sky colour 8 above it (the map picks the third).
        set[kSlope][std::size_t(i)] = x + y >= 7 ? shade(6 + (x > y ? 1 : 0)) : 0;
        set[kPeak][std::size_t(i)] = x + y >= 7 ? (y < 4 ? 15 : shade(7)) : 0;
        set[kSnow][std::size_t(i)] = std::uint8_t(y < 5 ? 15 : 14);
        for (int v = 0; v < 4; ++v) set[kRock + v][std::size_t(i)] = shade(5 + ((x * (v + 3) + y * 5 + v) % 7 == 0 ? 2 : 0) - (y == 7 - v ? 1 : 0));
        for (int v = 0; v < 4; ++v)
            set[kHillTop + v][std::size_t(i)] = y < 2 + ((x + v) % 3 == 0) ? 0 : shade(9 + (y < 4 ? 2 : 0) - ((x + v) % 4 == 0));
        for (int w = 0; w < 4; ++w)
            set[kWater + w][std::size_t(i)] = std::uint8_t(((y + int(2 * std::sin((x + 2 * w) / 1.3))) % 4 == 0) ? 13 : 10 + (y > 4));
    }
    for (int v = 0; v < 16; ++v)
        for (int i = 0; i < 64; ++i) set[kGround + v][std::size_t(i)] = shade(8 + dice.below(3) - (dice.below(9) == 0 ? 3 : 0) + (v % 4 == 0));
    for (int ty = 0; ty < 2; ++ty)
        for (int tx = 0; tx < 2; ++tx)
            for (int i = 0; i < 64; ++i) {
                const double px = tx * 8 + i % 8 + 0.5, py = ty * 8 + i / 8 + 0.5;
                const double dx = (px - 8) / 7.5, dy = (py - 8) / 7.5;
                const bool in = dx * dx + dy * dy < 1;
                set[kTreeTop + ty * 2 + tx][std::size_t(i)] = in ? shade(3 + 4 * (1 - dy) - dx + (int(px * py) % 5 == 0)) : 0;
                const double rx = (px - 8) / 7.5, ry = (py - 11) / 5.5;
                set[kRockPile + ty * 2 + tx][std::size_t(i)] = rx * rx + ry * ry < 1 ? shade(6 + 3 * (1 - ry) - rx) : 0;
            }
    for (int i = 0; i < 64; ++i) {
        const int x = i % 8;
        set[kTrunk][std::size_t(i)] = x >= 3 && x <= 4 ? std::uint8_t(1 + (x == 3)) : 0;
        set[kStar][std::size_t(i)] = i == 19 ? 15 : 1;
        set[kStar + 1][std::size_t(i)] = (i == 44 || i == 36 || i == 43 || i == 45 || i == 52) ? 14 : 1;
    }
    for (int t = kStar + 2; t < 128; ++t)
        for (int i = 0; i < 64; ++i) set[t][std::size_t(i)] = shade(4 + ((i + t) % 11 == 0) * 6);
    return set;
}

// A full picture of 16 x 16 tiles (a 256-tile set): a great moon or sun over the horizon,
// shaded in one 16-colour third.
TileSet pictureTiles(int kind) {
    TileSet set(256);
    for (int t = 0; t < 256; ++t)
        for (int i = 0; i < 64; ++i) {
            const double px = (t % 16) * 8 + i % 8 + 0.5, py = (t / 16) * 8 + i / 8 + 0.5;
            const double dx = (px - 64) / 40, dy = (py - (kind ? 60 : 52)) / 40;
            const double r = std::sqrt(dx * dx + dy * dy);
            double v = r < 1 ? 15 - 5 * r - (kind == 0 && std::sin(px / 5) * std::cos(py / 7) > 0.6 ? 3 : 0)
                             : std::max(1.0, 9 - 5 * (r - 1));
            if (py > 100) v = 2 + std::fmod(px / 9 + py / 3, 3.0);
            set[t][std::size_t(i)] = shade(v);
        }
    return set;
}

struct Theme {
    double skyHue, landHue, detailHue;
    double skyLight;
    bool snow, stars, water, trees;
};

void writePalette(BackgroundRomBuilder& b, int palette, const Theme& theme) {
    const int base = palette * kBackgroundColors;
    for (int c = 0; c < 16; ++c) {
        b.setPaletteColor(base + c, hslColor(theme.skyHue, std::clamp(theme.skyLight * (0.35 + c / 22.0), 0.05, 0.95), 0.6));
        b.setPaletteColor(base + 16 + c, hslColor(theme.landHue + (c > 11 ? 0.08 : 0), std::clamp(0.08 + c / 19.0, 0.0, 0.95), 0.5));
        b.setPaletteColor(base + 32 + c, hslColor(theme.detailHue, std::clamp(0.1 + c / 18.0, 0.0, 0.95), 0.65));
    }
    b.setPaletteColor(base + 8, hslColor(theme.skyHue, theme.skyLight * 0.7, 0.6));
}

struct MapBuilder {
    std::vector<std::uint8_t> entries = std::vector<std::uint8_t>(kTileMapColumns * kTileMapRows * 2, 0);
    void set(int x, int y, int tile, int third, bool flipX = false, bool flipY = false) {
        if (x < 0 || y < 0 || x >= kTileMapColumns || y >= kTileMapRows) return;
        auto e = encodeTileMapEntry(tile, 5 + third, flipX, flipY);
        entries[std::size_t(2 * (y * kTileMapColumns + x))] = e[0];
        entries[std::size_t(2 * (y * kTileMapColumns + x) + 1)] = e[1];
    }
};

// Sky thirds use palette field 5, land 6, details 7.
std::vector<std::uint8_t> landscapeMap(int variant, const Theme& theme) {
    MapBuilder m;
    Dice dice{std::uint32_t(5000 + variant)};
    const int horizon = 9 + variant % 4;            // first ground row
    for (int y = 0; y < kTileMapRows; ++y)
        for (int x = 0; x < kTileMapColumns; ++x)
            m.set(x, y, theme.stars && y < 6 ? kStar + dice.below(2) * (dice.below(4) == 0) : kSky + std::clamp(3 + y, 0, 15), 0);
    const int cloudX = 9 + dice.below(8);
    if (!theme.stars)
        for (int ty = 0; ty < 2; ++ty)
            for (int tx = 0; tx < 4; ++tx) m.set(cloudX + tx, 2 + variant % 2 + ty, kCloud + ty * 4 + tx, 0);
    // Mountains: a left slope, rock, a right slope (the left one flipped).
    const int peaks = 1 + variant % 3;
    for (int k = 0; k < peaks; ++k) {
        const int top = horizon - 3 - dice.below(3), centre = 9 + k * 5 + dice.below(3);
        for (int y = top; y < horizon; ++y) {
            const int half = y - top;
            const bool capped = theme.snow && half == 0;
            m.set(centre - half - 1, y, capped ? kPeak : kSlope, 1);
            m.set(centre + half, y, capped ? kPeak : kSlope, 1, true);
            for (int x = centre - half; x < centre + half; ++x) m.set(x, y, theme.snow && half == 1 ? kSnow : kRock + (x + y) % 4, 1);
        }
    }
    for (int x = 0; x < kTileMapColumns; ++x) m.set(x, horizon, kHillTop + (x % 4), 1);
    for (int y = horizon + 1; y < kTileMapRows; ++y)
        for (int x = 0; x < kTileMapColumns; ++x) m.set(x, y, kGround + dice.below(16), 1);
    if (theme.water) {
        // A lake that mirrors the row above it upside down.
        for (int y = horizon + 2; y < std::min(kTileMapRows, horizon + 5); ++y)
            for (int x = 11; x < 21; ++x) m.set(x, y, kWater + (x + y) % 4, 2, false, (y - horizon) % 2 == 0);
    }
    if (theme.trees)
        for (int k = 0; k < 3; ++k) {
            const int x = 8 + dice.below(14), y = horizon - 1;
            m.set(x, y - 1, kTreeTop, 2);
            m.set(x + 1, y - 1, kTreeTop + 1, 2);
            m.set(x, y, kTreeTop + 2, 2);
            m.set(x + 1, y, kTreeTop + 3, 2);
            m.set(x, y + 1, kTrunk, 2);
            m.set(x + 1, y + 1, kTrunk, 2, true);
        }
    for (int k = 0; k < 2; ++k) {
        const int x = 8 + dice.below(14), y = horizon + 4 + dice.below(3);
        m.set(x, y, kRockPile, 2);
        m.set(x + 1, y, kRockPile + 1, 2);
        m.set(x, y + 1, kRockPile + 2, 2);
        m.set(x + 1, y + 1, kRockPile + 3, 2);
    }
    return std::move(m.entries);
}

// A 256-tile picture at tiles 128 to 383 over rows 1 to 16, with ground below.
std::vector<std::uint8_t> pictureMap() {
    MapBuilder m;
    for (int y = 1; y <= 16; ++y)
        for (int x = 8; x < 24; ++x) m.set(x, y, 128 + (y - 1) * 16 + (x - 8), 2);
    for (int x = 0; x < kTileMapColumns; ++x) {
        m.set(x, 17, kGround + x % 16, 1);
        m.set(x, 18, kGround + (x + 5) % 16, 1);
    }
    return std::move(m.entries);
}

// Details for area C (tiles 448 to 575): grass tufts drawn over the ground.
TileSet grassTiles() {
    TileSet set(128);
    for (int t = 0; t < 128; ++t)
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8, y = i / 8;
            set[t][std::size_t(i)] = shade(9 + ((x + t) % 3 == 0 && y > 3 - t % 3 ? 4 : 0) - (y == 7));
        }
    return set;
}

} // namespace

void addDemoBackgrounds(RomImage& rom) {
    BackgroundRomBuilder b;
    const Theme themes[] = {
        {0.58, 0.30, 0.33, 1.00, false, false, true, true},  // meadow
        {0.60, 0.10, 0.08, 0.95, false, false, false, false}, // desert
        {0.55, 0.62, 0.55, 1.05, true, false, true, false},   // snowfield
        {0.70, 0.75, 0.12, 0.45, false, true, true, true},    // night
        {0.05, 0.02, 0.10, 0.80, false, false, false, false}, // volcano dusk
        {0.50, 0.40, 0.35, 0.85, false, false, true, true},   // forest
        {0.80, 0.85, 0.90, 0.60, true, true, false, false},   // frozen night
    };
    constexpr int kThemes = 7;
    int landscapeSets[kThemes];
    for (int t = 0; t < kThemes; ++t)
        landscapeSets[t] = b.addGraphicsSet(landscapeTiles(40 + t).encode(), t % 3 != 1); // some sets raw
    const int moon = b.addGraphicsSet(pictureTiles(0).encode(), true);
    const int sun = b.addGraphicsSet(pictureTiles(1).encode(), false);
    const int grass = b.addGraphicsSet(grassTiles().encode(), true);
    const int pictureMapNumber = b.addTileMap(pictureMap());
    for (int n = 0; n < kBackgroundCount; ++n) {
        const int theme = n % kThemes;
        const int palette = (n * 2 + 1) % 128;
        writePalette(b, palette, themes[theme]);
        if (n % 9 == 4) {
            // A full picture over the landscape set's ground.
            b.setBackground(n, std::uint8_t(landscapeSets[theme]), std::uint8_t((n % 2 ? sun : moon) | 0x80), 0xFF,
                            pictureMapNumber, palette);
            continue;
        }
        const int map = b.addTileMap(landscapeMap(n, themes[theme]));
        // Area C with grass on every fifth; area B skipped.
        b.setBackground(n, std::uint8_t(landscapeSets[theme]), 0xFF, n % 5 == 0 ? std::uint8_t(grass | 0x80) : 0xFF, map,
                        palette);
    }
    b.writeTo(rom);
}

} // namespace morvi::demo
