// Reading the sheet pointer table, loading the sheets, the vehicles, the pose table and the
// palettes, and writing the tiles back.
#include <algorithm>
#include <cstdio>

#include "fieldsprites/field_palettes.h"
#include "fieldsprites/field_sprites.h"
#include "image/snes_codec.h"

namespace morvi {

namespace {

constexpr std::uint32_t kLastFieldGraphicsByte = kFieldGraphicsEnd - 1;
constexpr std::uint32_t kVehicleGraphicsEnd = kVehicleGraphicsOffset + kVehicleGraphicsSize;

std::string snesText(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X:%04X", unsigned(address >> 16) & 0xFF, unsigned(address & 0xFFFF));
    return text;
}

std::string regionText() {
    return "the field sprite graphics (" + snesText(kFieldGraphicsStart) + " to " + snesText(kLastFieldGraphicsByte) + ")";
}

// Everything the loader takes from the file, read and checked before the set changes.
struct FieldTables {
    FieldSheetPlaces places{};
    std::span<const std::uint8_t> poses, palettes, battle;
};

std::string readFieldTables(const RomBytes& rom, FieldTables& t) {
    std::string error = readFieldSheetPlaces(rom, t.places);
    if (!error.empty()) return error;
    bool ok = true;
    t.poses = rom.view(kFieldPoseTableOffset, kFieldPoseRecords * 12, &ok);
    t.palettes = rom.view(kFieldPalettesOffset, kFieldPaletteCount * 32, &ok);
    t.battle = rom.view(kCharacterPaletteNumbersOffset, kCharacterCount, &ok);
    if (!ok) return "The file is too short for the field sprites' pose table and palettes";
    return "";
}

void decodeSheet(FieldSheet& sheet, std::span<const std::uint8_t> bytes) {
    const int tiles = sheet.tileCount();
    sheet.tiles.assign(std::size_t(tiles) * FieldSheet::kTilePixelsPerTile, 0);
    for (int t = 0; t < tiles; ++t) decodeTile(bytes.data() + std::size_t(t) * kFieldTileBytes, sheet.tilePixels(t), 16);
    sheet.tail.assign(bytes.begin() + std::ptrdiff_t(tiles) * kFieldTileBytes, bytes.end());
}

} // namespace

std::string readFieldSheetPlaces(const RomBytes& rom, FieldSheetPlaces& places) {
    bool ok = true;
    const auto low = rom.view(kFieldSheetLowWordsOffset, kFieldSheetCount * 2, &ok);
    const auto banks = rom.view(kFieldSheetBanksOffset, kFieldSheetCount * 2, &ok);
    if (!ok) return "The file is too short for the field sprite sheet table";
    std::array<std::uint32_t, kFieldSheetCount + 1> address{};
    for (int i = 0; i < kFieldSheetCount; ++i) {
        const std::size_t at = 2 * std::size_t(i);
        address[std::size_t(i)] = std::uint32_t(banks[at]) << 16 | std::uint32_t(low[at + 1]) << 8 | low[at];
    }
    address[kFieldSheetCount] = kFieldGraphicsEnd;
    FieldSheetPlaces out{};
    for (int i = kFirstFieldSheet; i < kFieldSheetCount; ++i) {
        const std::uint32_t start = address[std::size_t(i)];
        if (start < kFieldGraphicsStart || start > kLastFieldGraphicsByte)
            return "Field sprite sheet " + std::to_string(i) + " starts at " + snesText(start) + ", outside " + regionText();
        if (i > kFirstFieldSheet && start < address[std::size_t(i - 1)])
            return "Field sprite sheet " + std::to_string(i) + " starts at " + snesText(start) + ", before sheet " +
                   std::to_string(i - 1) + " (" + snesText(address[std::size_t(i - 1)]) +
                   "): the sheet pointers are out of order";
        out[std::size_t(i)] = {start - kHiRomBase, address[std::size_t(i + 1)] - start};
    }
    // The characters' own tiles are the character family's to write: a sheet on any of them
    // would have two writers.
    for (int n = 0; n < kFirstFieldSheet; ++n) {
        const std::uint32_t from = address[std::size_t(n)], to = from + kShortCharacterTileBytes;
        if (from < kFieldGraphicsEnd && to > address[kFirstFieldSheet])
            return "Character " + std::to_string(n) + "'s tiles (" + snesText(from) + " to " + snesText(to - 1) +
                   ") lie inside the field sprite sheets, which begin at " + snesText(address[kFirstFieldSheet]);
    }
    if (!rom.holds(kVehicleGraphicsOffset, kVehicleGraphicsSize))
        return "The file ends before the field sprite graphics and the vehicles do (at " +
               snesText(kVehicleGraphicsEnd - 1 + kHiRomBase) + ")";
    places = out;
    return "";
}

bool canLoadFieldSprites(const RomBytes& rom) {
    FieldTables t;
    return readFieldTables(rom, t).empty();
}

std::string loadFieldSprites(FieldSpriteSet& set, const RomBytes& rom) {
    FieldTables t;
    if (std::string error = readFieldTables(rom, t); !error.empty()) return error;
    // Nothing below can fail: the set changes only now.
    for (std::size_t k = 0; k < set.poseTable.size(); ++k) set.poseTable[k] = std::uint16_t(t.poses[2 * k] | t.poses[2 * k + 1] << 8);
    decodeSnesColors(t.palettes, set.palettes);
    std::copy(t.battle.begin(), t.battle.end(), set.battlePalettes.begin());
    for (int i = 0; i <= kFieldSheetCount; ++i) {
        FieldSheet& sheet = set.sheet(i);
        sheet = FieldSheet{};
        sheet.kind = fieldSheetKind(i);
        sheet.defaultPalette = sheet.palette = defaultFieldPalette(i, set.battlePalettes);
        if (i < kFirstFieldSheet) continue;
        if (i == kVehicleSheet) sheet.offset = kVehicleGraphicsOffset, sheet.size = kVehicleGraphicsSize;
        else sheet.offset = t.places[std::size_t(i)].offset, sheet.size = t.places[std::size_t(i)].size;
        decodeSheet(sheet, rom.at(sheet.offset, sheet.size));
        sheet.frames = fieldFrames(set.poseTable, i, sheet.kind, sheet.tileCount());
    }
    return "";
}

std::vector<std::uint8_t> fieldSheetBytes(const FieldSpriteSet& set, int index) {
    const FieldSheet& sheet = set.sheet(index);
    std::vector<std::uint8_t> out(std::size_t(sheet.tileCount()) * kFieldTileBytes);
    if (sheet.tiles.size() != std::size_t(sheet.tileCount()) * FieldSheet::kTilePixelsPerTile) return {};
    for (int t = 0; t < sheet.tileCount(); ++t) encodeTilePixels(sheet.tilePixels(t), out.data() + std::size_t(t) * kFieldTileBytes, 16);
    out.insert(out.end(), sheet.tail.begin(), sheet.tail.end());
    return out;
}

bool saveFieldSprites(const FieldSpriteSet& set, RomBuffer& file, Notifier& notifier) {
    auto refuse = [&](const std::string& reason) {
        notifier.notify(MessageKind::Error, std::string(kMsgFieldSpriteSaveError) + ": " + reason);
        return false;
    };
    FieldSheetPlaces places{};
    if (std::string error = readFieldSheetPlaces(file.bytes(), places); !error.empty()) return refuse(error);
    for (int i = kFirstFieldSheet; i < kFieldSheetCount; ++i)
        if (places[std::size_t(i)].offset != set.sheet(i).offset || places[std::size_t(i)].size != set.sheet(i).size)
            return refuse("sheet " + std::to_string(i) + " is no longer where it was read from");
    // Every sheet encoded first: a sheet the set holds wrongly stops the save before any write.
    std::vector<std::vector<std::uint8_t>> encoded;
    for (int i = kFirstFieldSheet; i <= kFieldSheetCount; ++i) {
        encoded.push_back(fieldSheetBytes(set, i));
        if (encoded.back().size() != set.sheet(i).size) return refuse("sheet " + std::to_string(i) + " holds the wrong number of tiles");
    }
    for (int i = kFirstFieldSheet; i <= kFieldSheetCount; ++i) {
        const FieldSheet& sheet = set.sheet(i);
        const auto& bytes = encoded[std::size_t(i - kFirstFieldSheet)];
        const auto now = file.bytes().at(sheet.offset, sheet.size);
        if (std::equal(bytes.begin(), bytes.end(), now.begin(), now.end())) continue;
        if (!file.write(sheet.offset, bytes)) return refuse("the write of sheet " + std::to_string(i) + " failed");
    }
    return true;
}

bool saveFieldPalettes(const FieldSpriteSet& set, RomBuffer& file) {
    return file.write(kFieldPalettesOffset, encodeSnesColors(set.palettes));
}

} // namespace morvi
