#include "backgrounds/background_rom_builder.h"

#include "backgrounds/block_codec.h"
#include "image/snes_codec.h"

namespace morvi {

int BackgroundRomBuilder::addGraphicsSet(std::vector<std::uint8_t> tiles, bool compressed) {
    m_sets.push_back({compressed ? compressBlock(tiles) : std::move(tiles), compressed});
    return int(m_sets.size() - 1);
}

int BackgroundRomBuilder::addTileMap(std::vector<std::uint8_t> entries) {
    m_maps.push_back(compressBlock(entries));
    return int(m_maps.size() - 1);
}

void BackgroundRomBuilder::setBackground(int n, std::uint8_t a, std::uint8_t b, std::uint8_t c, int tileMap, int palette) {
    m_properties.at(std::size_t(n)) = {a, b, c, std::uint8_t(tileMap), 0, std::uint8_t(palette & 0x7F)};
}

std::array<std::uint8_t, 2> encodeTileMapEntry(int tile, int paletteField, bool flipX, bool flipY) {
    // Tile numbers are low + 64 x bit 0 + 256 x bit 1 of the high byte.
    const int bit1 = tile >= 256 ? 1 : 0;
    int low = tile - 256 * bit1;
    const int bit0 = low > 255 ? 1 : 0;
    low -= 64 * bit0;
    const std::uint8_t high = std::uint8_t(bit0 | (bit1 << 1) | ((paletteField & 0x0F) << 2) | (flipX ? 0x40 : 0) |
                                           (flipY ? 0x80 : 0));
    return {std::uint8_t(low), high};
}

bool BackgroundRomBuilder::writeTo(RomImage& rom) const {
    if (m_maps.size() > 128 || m_sets.size() > 128) return false;
    for (int n = 0; n < kBackgroundCount; ++n)
        rom.put(kBackgroundPropertiesOffset + 6 * std::uint32_t(n), m_properties[std::size_t(n)]);
    rom.put(kBackgroundPalettesOffset, encodeSnesColors(m_palettes));
    std::uint32_t at = kBackgroundDataOffset;
    for (std::size_t m = 0; m < m_maps.size(); ++m) {
        if (at + m_maps[m].size() > 0x280000) return false; // tile maps live in the bank at 0x270000
        rom.put16(kTileMapPointersOffset + 2 * std::uint32_t(m), std::uint16_t(at - kBackgroundBank));
        rom.put(at, m_maps[m]);
        at += std::uint32_t(m_maps[m].size());
    }
    std::uint32_t raw = kRawGraphicsSetsOffset;
    for (std::size_t s = 0; s < m_sets.size(); ++s) {
        std::uint32_t& place = m_sets[s].compressed ? at : raw;
        const std::uint32_t limit = m_sets[s].compressed ? kBackgroundDataEnd : 0x260000;
        if (place + m_sets[s].bytes.size() > limit) return false;
        rom.put24(kGraphicsSetPointersOffset + 3 * std::uint32_t(s), place + 0xC00000);
        rom.put(place, m_sets[s].bytes);
        place += std::uint32_t(m_sets[s].bytes.size());
    }
    return true;
}

} // namespace morvi
