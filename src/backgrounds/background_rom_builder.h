#pragma once
// Lays out battle backgrounds in a ROM image the way the game stores them: property table,
// palette table, graphics set and tile-map pointer tables, raw and compressed data. Used by
// the demo ROM and by tests.
#include <array>
#include <optional>
#include <vector>

#include "rom/rom_image.h"
#include "backgrounds/battle_backgrounds.h"

namespace morvi {

constexpr std::uint32_t kRawGraphicsSetsOffset = 0x240000;  // bank 0xE4: stored raw
constexpr std::uint32_t kBackgroundDataOffset = 0x271948;   // after the tile-map pointers
constexpr std::uint32_t kBackgroundDataEnd = 0x297000;      // the monster graphics begin here

class BackgroundRomBuilder {
public:
    // A graphics set of 128 or 256 tiles (4096 or 8192 bytes); returns its number (0 to 127).
    int addGraphicsSet(std::vector<std::uint8_t> tiles, bool compressed);
    // A tile map of 19 x 32 entries (1216 bytes), always compressed; returns its number.
    int addTileMap(std::vector<std::uint8_t> entries);
    // Set bytes: 0xFF for none, else the set number plus 0x80 for a 256-tile set.
    void setBackground(int n, std::uint8_t areaA, std::uint8_t areaB, std::uint8_t areaC, int tileMap, int palette);
    void setPaletteColor(int k, PaletteColor c) { m_palettes.at(std::size_t(k)) = c; }
    // False when the data does not fit its areas.
    bool writeTo(RomImage& rom) const;

private:
    struct GraphicsSet {
        std::vector<std::uint8_t> bytes;
        bool compressed;
    };
    std::vector<GraphicsSet> m_sets;
    std::vector<std::vector<std::uint8_t>> m_maps;
    std::array<std::array<std::uint8_t, 6>, kBackgroundCount> m_properties{};
    std::array<PaletteColor, kBackgroundPaletteColors> m_palettes{};
};

// A tile-map entry's two bytes.
std::array<std::uint8_t, 2> encodeTileMapEntry(int tile, int paletteField, bool flipX, bool flipY);

namespace demo {
// The demo ROM's 55 battle backgrounds, drawn in code and compressed with our own compressor.
void addDemoBackgrounds(RomImage& rom);
} // namespace demo

} // namespace morvi
