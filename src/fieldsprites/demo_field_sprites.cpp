#include "fieldsprites/demo_field_sprites.h"

#include <algorithm>

#include "image/demo_art.h"
#include "fieldsprites/demo_field_art.h"
#include "fieldsprites/field_sprites.h"
#include "image/snes_codec.h"

namespace morvi::demo {

namespace {

constexpr std::uint8_t kTileDmaLength = 0x20; // the byte after each bank in the pointer table
constexpr int kFirstDemoPalette = 9;           // 0 to 8 are the characters' own

// The pose table past the characters' 40, as tile numbers.
constexpr std::array<std::array<std::uint8_t, 6>, kFieldPoseRecords - kTablePoses> kExtraPoses = {{
    {0x51, 0x52, 0x53, 0x54, 0x55, 0x56}, {0x31, 0x32, 0x33, 0x34, 0x35, 0x36}, {0x28, 0x01, 0x29, 0x07, 0x2A, 0x09},
    {0x2B, 0x01, 0x2C, 0x07, 0x2A, 0x09}, {0x2D, 0x2E, 0x2F, 0x30, 0x08, 0x09}, {0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D},
    {0xB1, 0xB2, 0xB3, 0xB4, 0xAF, 0xB0}, {0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0}, {0x06, 0x01, 0x07, 0x03, 0x08, 0x05},
    {0x09, 0x0A, 0x02, 0x03, 0x04, 0x05}, {0x00, 0x00, 0x01, 0x02, 0x03, 0x04}, {0x00, 0x00, 0x05, 0x06, 0x07, 0x08},
    {0x00, 0x00, 0x09, 0x0A, 0x0B, 0x0C}, {0x00, 0x00, 0x0D, 0x0E, 0x0F, 0x10}, {0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33},
    {0x34, 0x35, 0x36, 0x37, 0x32, 0x33}, {0x34, 0x35, 0x36, 0x37, 0x32, 0x33}, {0x00, 0x01, 0x02, 0x02, 0x02, 0x02},
}};

// The game's sheet sizes in bytes, by runs of sheet numbers.
struct SizeRun {
    int first, last;
    std::uint32_t bytes;
};
constexpr std::array<SizeRun, 12> kSizeRuns = {{
    {0, 15, 0x16A0}, {16, 21, 0x1560}, {22, 25, 0x6E0}, {26, 28, 0x700}, {29, 48, 0x5C0}, {49, 62, 0x500},
    {63, 63, 0x160}, {64, 64, 0x140}, {65, 86, 0xC0}, {87, 101, 0xA0}, {102, 110, 0x120}, {111, 115, 0x220},
}};
constexpr std::uint32_t kLargeSpecialBytes = 0x200, kTwoFrameSpecialBytes = 0x100, kSpecialBytes = 0x80;
constexpr std::array<int, 4> kTwoFrameSpecials = {152, 162, 163, 164};

std::uint32_t gameSheetSize(int index) {
    for (const SizeRun& run : kSizeRuns)
        if (index >= run.first && index <= run.last) return run.bytes;
    if (fieldSheetKind(index) == FieldSheetKind::Special32) return kLargeSpecialBytes;
    const bool two = std::find(kTwoFrameSpecials.begin(), kTwoFrameSpecials.end(), index) != kTwoFrameSpecials.end();
    return two ? kTwoFrameSpecialBytes : kSpecialBytes;
}

FieldPoseTable writePoseTable(RomImage& rom) {
    for (int pose = kTablePoses; pose < kFieldPoseRecords; ++pose)
        for (int k = 0; k < 6; ++k)
            rom.put16(kFieldPoseTableOffset + std::uint32_t(12 * pose + 2 * k),
                      std::uint16_t(kFieldTileBytes * kExtraPoses[std::size_t(pose - kTablePoses)][std::size_t(k)]));
    FieldPoseTable table{};
    for (std::size_t k = 0; k < table.size(); ++k)
        table[k] = std::uint16_t(rom.bytes[kFieldPoseTableOffset + 2 * k] | rom.bytes[kFieldPoseTableOffset + 2 * k + 1] << 8);
    return table;
}

// Each tile from the first frame, in order, that shows it; tiles no frame shows stay 0.
std::vector<std::uint8_t> sheetTiles(const FieldSheet& sheet, int index) {
    std::vector<std::uint8_t> bytes(sheet.size, 0);
    std::vector<bool> done(std::size_t(sheet.tileCount()), false);
    for (int f = 0; f < int(sheet.frames.size()); ++f) {
        const FieldFrame& frame = sheet.frames[std::size_t(f)];
        const IndexedImage art = fieldFrameArt(sheet, index, f);
        for (int r = 0; r < frame.rows; ++r)
            for (int c = 0; c < frame.columns; ++c) {
                const int t = frame.tile(c, r);
                if (t == kAbsentTile || done[std::size_t(t)]) continue;
                done[std::size_t(t)] = true;
                encodeTile(art, c, r, bytes.data() + std::size_t(t) * kFieldTileBytes, 16);
            }
    }
    return bytes;
}

void writePalettes(RomImage& rom) {
    for (int n = kFirstDemoPalette; n < kFieldPaletteCount; ++n) {
        const double a = n * 0.137, b = a + 0.45, c = a + 0.7;
        const PaletteColor colours[16] = {
            steppedColor(0, 0, 0),     steppedColor(24, 16, 32),  hslColor(0.08, 0.55, 0.5), hslColor(0.08, 0.75, 0.6),
            hslColor(a, 0.3, 0.6),     hslColor(a, 0.5, 0.7),     hslColor(a, 0.7, 0.8),     hslColor(b, 0.3, 0.6),
            hslColor(b, 0.5, 0.7),     hslColor(b, 0.7, 0.8),     hslColor(c, 0.4, 0.3),     hslColor(c, 0.15, 0.4),
            steppedColor(120, 72, 32), steppedColor(248, 248, 248), steppedColor(232, 184, 40), hslColor(c, 0.6, 0.9)};
        rom.put(kFieldPalettesOffset + std::uint32_t(32 * n), encodeSnesColors(colours));
    }
}

} // namespace

void addDemoFieldSprites(RomImage& rom) {
    const FieldPoseTable table = writePoseTable(rom);
    std::uint32_t address = kFieldGraphicsStart;
    for (int i = 0; i < kFieldSheetCount; ++i) {
        rom.put16(kFieldSheetLowWordsOffset + std::uint32_t(2 * i), std::uint16_t(address));
        rom.put8(kFieldSheetBanksOffset + std::uint32_t(2 * i), std::uint8_t(address >> 16));
        rom.put8(kFieldSheetBanksOffset + std::uint32_t(2 * i + 1), kTileDmaLength);
        FieldSheet sheet;
        sheet.kind = fieldSheetKind(i);
        sheet.offset = address - kHiRomBase;
        sheet.size = gameSheetSize(i);
        address += sheet.size;
        if (i < kFirstFieldSheet) continue; // the characters' blocks are theirs
        sheet.frames = fieldFrames(table, i, sheet.kind, sheet.tileCount());
        rom.put(sheet.offset, sheetTiles(sheet, i));
    }
    const IndexedImage vehicles = vehicleArt();
    std::vector<std::uint8_t> bytes(kVehicleGraphicsSize, 0);
    for (std::uint32_t t = 0; t < kVehicleGraphicsSize / kFieldTileBytes; ++t)
        encodeTile(vehicles, int(t % kVehicleColumns), int(t / kVehicleColumns), bytes.data() + t * kFieldTileBytes, 16);
    rom.put(kVehicleGraphicsOffset, bytes);
    writePalettes(rom);
}

} // namespace morvi::demo
