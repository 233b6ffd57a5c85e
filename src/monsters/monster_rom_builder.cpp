#include "monsters/monster_rom_builder.h"

#include <algorithm>

#include "image/snes_codec.h"

namespace morvi {

std::uint8_t asciiToGameText(char c) {
    if (c >= 'A' && c <= 'Z') return std::uint8_t(0x80 + (c - 'A'));
    if (c >= 'a' && c <= 'z') return std::uint8_t(0x9A + (c - 'a'));
    if (c >= '0' && c <= '9') return std::uint8_t(0xB4 + (c - '0'));
    switch (c) {
    case '!': return 0xBE;
    case '?': return 0xBF;
    case '/': return 0xC0;
    case '"': return 0xC2;
    case '\'': return 0xC3;
    case '-': return 0xC4;
    case '.': return 0xC5;
    case ',': return 0xC6;
    case '%': return 0xCD;
    default: return 0xFF;
    }
}

MonsterRomBuilder::MonsterRomBuilder() {
    for (auto& record : m_info) record = {0, 0, 0, 0, 0};
}

int MonsterRomBuilder::addMold(bool large, const Mold& cells, bool reuse) {
    auto& table = large ? m_large : m_small;
    if (reuse)
        if (auto found = std::find(table.begin(), table.end(), cells); found != table.end())
            return int(found - table.begin());
    table.push_back(cells);
    return int(table.size() - 1);
}

std::uint16_t MonsterRomBuilder::addTileData(std::span<const std::uint8_t> bytes) {
    m_region.resize((m_region.size() + 7) & ~std::size_t(7), 0);
    std::uint16_t offset = std::uint16_t(m_region.size() / 8);
    m_region.insert(m_region.end(), bytes.begin(), bytes.end());
    return offset;
}

std::vector<std::uint8_t> MonsterRomBuilder::encodeTiles(const IndexedImage& image, const Mold& mold,
                                                         bool large, int colors) {
    const int side = large ? kLargeMoldSide : kSmallMoldSide;
    std::vector<std::uint8_t> out;
    std::uint8_t tile[32];
    for (int cell = 0; cell < side * side; ++cell) {
        if (!mold[std::size_t(cell)]) continue;
        encodeTile(image, cell % side, cell / side, tile, colors);
        out.insert(out.end(), tile, tile + tileBytes(colors));
    }
    return out;
}

Mold MonsterRomBuilder::moldOfPixels(const IndexedImage& image, bool large) {
    const int side = large ? kLargeMoldSide : kSmallMoldSide;
    Mold mold{};
    for (int y = 0; y < std::min(image.height, 8 * side); ++y)
        for (int x = 0; x < std::min(image.width, 8 * side); ++x)
            if (image.pixel(x, y)) mold[std::size_t((y / 8) * side + x / 8)] = 1;
    if (std::find(mold.begin(), mold.end(), 1) == mold.end()) mold[0] = 1;
    return mold;
}

void MonsterRomBuilder::setInfo(int entry, std::uint16_t graphicsOffset, int colors, bool large, int palette,
                                int mold) {
    auto& b = m_info.at(std::size_t(entry));
    b[0] = std::uint8_t(graphicsOffset & 0xFF);
    b[1] = std::uint8_t(((graphicsOffset >> 8) & 0x7F) | (colors == 8 ? 0x80 : 0));
    b[2] = std::uint8_t((large ? 0x80 : 0) | ((palette >> 8) & 3));
    b[3] = std::uint8_t(palette & 0xFF);
    b[4] = std::uint8_t(mold);
}

void MonsterRomBuilder::setName(int entry, const std::string& ascii) { m_names.at(std::size_t(entry)) = ascii; }

bool MonsterRomBuilder::writeTo(RomImage& rom) const {
    std::vector<std::uint8_t> molds;
    for (const auto& m : m_small) appendMoldBits(molds, m, false);
    const std::uint32_t largeStart = kSmallMoldsOffset + std::uint32_t(molds.size());
    for (const auto& m : m_large) appendMoldBits(molds, m, true);
    if (kSmallMoldsOffset + molds.size() > kMoldAreaEnd + 1 || m_region.size() > kGraphicsRegionRead) return false;
    rom.put16(kMoldPointersOffset, kSmallMoldPointer);
    rom.put16(kMoldPointersOffset + 2, std::uint16_t(largeStart - kMoldBank));
    rom.put(kSmallMoldsOffset, molds);
    rom.put(kMonsterGraphicsOffset, m_region);
    for (int i = 0; i < kMonsterEntryCount; ++i)
        rom.put(kMonsterInfoOffset + std::uint32_t(i * kInfoRecordBytes), m_info[std::size_t(i)]);
    rom.put(kMonsterPaletteOffset, encodeSnesColors(m_palettes));
    for (int i = 0; i < kFirstEsper + kEsperCount; ++i) {
        const bool esper = i >= kFirstEsper;
        const int length = esper ? kEsperNameLength : kMonsterNameLength;
        const std::uint32_t at = esper ? kEsperNamesOffset + std::uint32_t((i - kFirstEsper) * length)
                                       : kMonsterNamesOffset + std::uint32_t(i * length);
        for (int c = 0; c < length; ++c) {
            const std::string& name = m_names[std::size_t(i)];
            rom.put8(at + std::uint32_t(c), c < int(name.size()) ? asciiToGameText(name[std::size_t(c)]) : 0xFF);
        }
    }
    return true;
}

} // namespace morvi
