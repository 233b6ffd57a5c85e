#pragma once
// Lays out monster and esper graphics in a ROM image byte by byte, the way the game stores
// them, including what the editor itself never writes (molds that mark empty tiles, several
// entries on one graphics offset). Used by the demo ROM and by test fixtures.
#include <array>
#include <string>
#include <vector>

#include "rom/rom_image.h"
#include "monsters/monster_graphics.h"

namespace morvi {

std::uint8_t asciiToGameText(char c);

class MonsterRomBuilder {
public:
    MonsterRomBuilder();
    // Returns the mold's number; an equal mold already added is reused unless told otherwise.
    int addMold(bool large, const Mold& cells, bool reuse = true);
    // Appends tile data to the graphics region; returns its graphics offset (units of 8 bytes).
    std::uint16_t addTileData(std::span<const std::uint8_t> bytes);
    // The image's tiles for every cell the mold marks, in cell order, at the given depth.
    static std::vector<std::uint8_t> encodeTiles(const IndexedImage& image, const Mold& mold, bool large,
                                                 int colors);
    // The mold of the image's non-empty tiles (cell (0, 0) when it is empty).
    static Mold moldOfPixels(const IndexedImage& image, bool large);
    void setInfo(int entry, std::uint16_t graphicsOffset, int colors, bool large, int palette, int mold);
    void setPaletteColor(int k, PaletteColor color) { m_palettes.at(std::size_t(k)) = color; }
    void setName(int entry, const std::string& ascii);
    std::size_t regionBytes() const { return m_region.size(); }
    std::size_t moldCount(bool large) const { return large ? m_large.size() : m_small.size(); }
    // False when the molds or the tile data do not fit their areas.
    bool writeTo(RomImage& rom) const;

private:
    std::vector<Mold> m_small, m_large;
    std::vector<std::uint8_t> m_region;
    std::array<std::array<std::uint8_t, 5>, kMonsterEntryCount> m_info{};
    std::array<PaletteColor, kMonsterPaletteColors> m_palettes{};
    std::array<std::string, kMonsterEntryCount> m_names;
};

} // namespace morvi
