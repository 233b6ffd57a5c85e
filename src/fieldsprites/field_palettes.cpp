#include "fieldsprites/field_palettes.h"

#include "fieldsprites/field_sprites.h"

namespace morvi {

namespace {

constexpr std::array<const char*, kFieldPaletteCount> kPaletteNames = {
    "Edgar/Sabin/Celes", "Locke", "Terra", "Strago/Relm/Gau/Gogo", "Cyan/Shadow/Setzer", "Mog/Umaro",
    "rainbow (save point, sparkles)", "chocobo/magitek", "Esper Terra", "Edgar/Sabin/Celes alternate",
    "machinery 1", "raft", "machinery 2", "guardian", "sealed gate", "Vector crane", "statue/smoke",
    "treasure chest", "Chadarnook", "rock", "Falcon", "Odin", "Kefka's Tower parallax 1",
    "Kefka's Tower parallax 2", "Kefka's Tower parallax 3", "Dadaluma", "green magicite smoke", "unused",
    "unused", "airship parallax", "unused", "unused"};

constexpr int kNone = -1;
constexpr int kBattleEsperPalette = 6;
constexpr int kFieldEsperPalette = 8;
constexpr int kBattleTwinPalettes = 6; // battle palettes 0 to 5 are field palettes 0 to 5
constexpr int kVehiclePalette = 7;
constexpr int kRidingTilesSheet = 64;  // takes its rider's palette
constexpr int kRidingTilesOwner = 59;
constexpr int kSecondFrameSheet = 122; // the second frame of the one before it

// The slot most of the game's NPC records give sheets 22 to 164 (lowest of a tie); kNone where
// no record names the sheet.
constexpr std::array<std::int8_t, kFieldSheetCount - kFirstFieldSheet> kRecordSlots = {
    3, 0, 1, 4, 0, 1, 4, 4, 1, 5, 3, 2, 2, 1, 3, 0,                  // 22-37
    0, 1, 4, 0, 4, 4, 4, 4, 4, 3, 2, 3, 4, 4, 1, 0,                  // 38-53
    1, 2, 4, 2, 4, 2, 2, 0, 4, 4, kNone, 0, 3, 3, 2, 4,              // 54-69
    4, 4, 3, 4, 0, 3, 4, 2, 2, 3, 3, 4, 2, 5, 7, 4,                  // 70-85
    3, 3, 3, 3, 0, 2, 0, 2, 6, 6, 4, 4, 4, 0, 0, 5,                  // 86-101
    4, 4, 6, 6, 6, 6, 3, 7, 4, 6, 6, 6, 3, 3, 6, 4,                  // 102-117
    6, 6, 6, 6, kNone, 2, 3, 6, 6, 6, 6, 6, 6, 6, 6, 7,              // 118-133
    7, 7, 7, 4, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7,                  // 134-149
    7, 7, 6, 2, 6, 7, 7, 7, 7, 7, 7, 7, 2, 2, 4};                    // 150-164

// Sheets drawn in slots 6 and 7, which events refill: shown in the ROM palette of their name.
struct NamedPalette {
    int first, last, palette;
};
constexpr std::array<NamedPalette, 14> kNamedPalettes = {{
    {84, 84, 17}, {118, 118, 19}, {119, 119, 15}, {128, 128, 15}, {132, 132, 15}, {143, 145, 15},
    {125, 127, 13}, {129, 131, 13}, {134, 136, 14}, {146, 148, 18}, {149, 151, 20}, {154, 154, 21},
}};

int recordSlot(int index) {
    if (index == kRidingTilesSheet) index = kRidingTilesOwner;
    if (index == kSecondFrameSheet) index = kSecondFrameSheet - 1;
    const int slot = kRecordSlots[std::size_t(index - kFirstFieldSheet)];
    return slot == kNone ? 0 : slot;
}

} // namespace

const char* fieldPaletteName(int palette) {
    return palette >= 0 && palette < kFieldPaletteCount ? kPaletteNames[std::size_t(palette)] : "";
}

int fieldPaletteOfBattle(int battleNumber, int character) {
    if (character == kEsperTerra || battleNumber == kBattleEsperPalette) return kFieldEsperPalette;
    return battleNumber >= 0 && battleNumber < kBattleTwinPalettes ? battleNumber : 0;
}

int defaultFieldPalette(int index, std::span<const std::uint8_t, kCharacterCount> battlePalettes) {
    if (index < 0) return 0;
    if (index < kFirstFieldSheet) return fieldPaletteOfBattle(battlePalettes[std::size_t(index)], index);
    if (index >= kFieldSheetCount) return kVehiclePalette;
    for (const NamedPalette& named : kNamedPalettes)
        if (index >= named.first && index <= named.last) return named.palette;
    return recordSlot(index);
}

} // namespace morvi
