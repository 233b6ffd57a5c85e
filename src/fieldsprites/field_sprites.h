#pragma once
// The game's field sprite sheets other than the playable characters' (sheets 22 to 164 of the
// 165-entry sheet table) and the vehicle graphics: where each lies, what kind of picture the game
// draws from it, its tiles, and the 32 field sprite palettes. A sheet is exactly the bytes from
// its pointer to the next one; nothing here reads or writes a byte outside it.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "characters/characters.h"
#include "image/indexed_image.h"
#include "image/raster.h"
#include "rom/notifier.h"
#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"

namespace morvi {

constexpr int kFieldSheetCount = 165;                 // entries of the sheet pointer table
constexpr int kFirstFieldSheet = kCharacterCount;     // 0 to 21 are the characters' (characters/)
constexpr int kVehicleSheet = kFieldSheetCount;       // the vehicles' place in a FieldSpriteSet
constexpr std::uint32_t kFieldSheetLowWordsOffset = kCharacterTileAddressOffset; // 2 bytes an entry
constexpr std::uint32_t kFieldSheetBanksOffset = kCharacterTileBankOffset;       // bank, then 0x20
constexpr std::uint32_t kHiRomBase = 0xC00000;        // SNES address of file offset 0
constexpr std::uint32_t kFieldGraphicsStart = kSpriteGraphicsSnesAddress; // D5:0000
constexpr std::uint32_t kFieldGraphicsEnd = 0xD83000; // one past the last sheet: the vehicles
constexpr std::uint32_t kVehicleGraphicsOffset = kFieldGraphicsEnd - kHiRomBase;
constexpr std::uint32_t kVehicleGraphicsSize = 0x2000;
constexpr int kVehicleColumns = 16; // tiles a row: a 16 x 16 vehicle sprite is tiles n, n+1, n+16, n+17
constexpr std::uint32_t kFieldPoseTableOffset = kSpriteTileTableOffset;
constexpr int kFieldPoseRecords = 58; // the whole table, characters' 40 poses included
constexpr std::uint32_t kFieldPalettesOffset = kCharacterPalettesOffset;
constexpr int kFieldPaletteCount = kCharacterPaletteCount;
constexpr int kFieldTileBytes = 32;
constexpr int kAbsentTile = -1; // a cell whose tile lies outside its sheet

enum class FieldSheetKind {
    Character,   // 0 to 21: the character family's
    Person,      // NPCs of 40, 46, 55 or 56 tiles, in the game's poses
    Ramuh,       // 63: three poses of 11 tiles
    RidingTiles, // 64: sheet 59's riding poses
    Still,       // one 16 x 24 figure
    Object,      // 1, 2 or 4 frames of 16 x 16 under a top row of tile 0 twice
    Special16,   // 16 x 16 frames of 4 tiles, loaded whole
    Special32,   // 32 x 32 frames of 16 tiles, loaded whole
    Vehicles,    // raft, chocobo, magitek armour: 16 tiles a row
};

// One picture the game draws from a sheet: a pose through the pose table, an object's or a
// special sprite's frame, or the vehicles' whole grid.
struct FieldFrame {
    int pose = -1;    // the pose table entry drawn; -1 for frames taken straight from the tiles
    int columns = 2;  // in 8 x 8 cells
    int rows = 3;
    std::vector<int> tiles; // the sheet's tile in each cell, rows top first, or kAbsentTile
    std::string name;       // "Walking Down 1", "Frame 2"
    int width() const { return 8 * columns; }
    int height() const { return 8 * rows; }
    int tile(int column, int row) const { return tiles[std::size_t(row * columns + column)]; }
};

struct FieldSheet {
    FieldSheetKind kind = FieldSheetKind::Character;
    std::uint32_t offset = 0; // ROM offset of the first byte (without a copier header)
    std::uint32_t size = 0;   // bytes: the next sheet's pointer minus this one's
    int defaultPalette = 0;   // the field palette the sheet is best shown in
    int palette = 0;          // the one it is shown in now
    std::vector<std::uint8_t> tiles; // 64 pixels a tile, size / 32 tiles
    std::vector<std::uint8_t> tail;  // the bytes after the last whole tile, no frame shows them
    std::vector<FieldFrame> frames;
    int tileCount() const { return int(size / kFieldTileBytes); }
    std::uint8_t* tilePixels(int t) { return tiles.data() + std::size_t(t) * kTilePixelsPerTile; }
    const std::uint8_t* tilePixels(int t) const { return tiles.data() + std::size_t(t) * kTilePixelsPerTile; }
    static constexpr int kTilePixelsPerTile = 64;
};

// The pose table as the field reads it: 58 records of six tile offsets (tile x 32).
using FieldPoseTable = std::array<std::uint16_t, kFieldPoseRecords * 6>;

struct FieldSpriteSet {
    std::array<FieldSheet, kFieldSheetCount + 1> sheets; // by the game's number; the vehicles last
    std::array<PaletteColor, kFieldPaletteCount * 16> palettes{};
    FieldPoseTable poseTable{};
    std::array<std::uint8_t, kCharacterCount> battlePalettes{}; // the characters' battle table bytes

    FieldSheet& sheet(int index) { return sheets[std::size_t(index)]; }
    const FieldSheet& sheet(int index) const { return sheets[std::size_t(index)]; }
    std::span<const PaletteColor> palette(int n) const { return std::span(palettes).subspan(std::size_t(n) * 16, 16); }
};

// Where each of the 165 sheets lies, read from the pointer table and checked.
struct FieldSheetPlace {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
using FieldSheetPlaces = std::array<FieldSheetPlace, kFieldSheetCount>;
// "" when the table holds: sheets 22 to 164 in order, inside D5:0000 to D8:2FFF, on none of the
// characters' 171 tiles, within the file together with the vehicles. Otherwise why it does not,
// for a message.
std::string readFieldSheetPlaces(const RomBytes& rom, FieldSheetPlaces& places);

bool canLoadFieldSprites(const RomBytes& rom);
// "" when the sheets, the vehicles, the pose table and the palettes were read into the set;
// otherwise the reason, and the set is as it was.
std::string loadFieldSprites(FieldSpriteSet& set, const RomBytes& rom);
// Writes every sheet's and the vehicles' tiles where they differ from the file, each inside its
// own bytes. Refused (nothing written, the reason to the notifier) when the file's sheet table no
// longer places the sheets where they were read from.
bool saveFieldSprites(const FieldSpriteSet& set, RomBuffer& file, Notifier& notifier);
// The 32 palettes at E6:8000, which the character family reads and writes as well.
bool saveFieldPalettes(const FieldSpriteSet& set, RomBuffer& file);
// The tiles of one sheet as the ROM holds them (its whole size; a tail under 32 bytes as read).
std::vector<std::uint8_t> fieldSheetBytes(const FieldSpriteSet& set, int index);

// What the game draws from a sheet of this number (by the game's layout of the table).
FieldSheetKind fieldSheetKind(int index);
// Builds the frames of a sheet from its kind, its size and the pose table.
std::vector<FieldFrame> fieldFrames(const FieldPoseTable& table, int index, FieldSheetKind kind, int tileCount);
// "29 · person, 46 tiles", "87 · object, 1 frame", "120 · 32 x 32 picture", "vehicles".
std::string describeFieldSheet(const FieldSpriteSet& set, int index);
// "Walking Down 1", "Waving 2", "Frame 3"; "" for an entry without a name.
const char* fieldPoseName(int pose);

// A frame drawn from the tiles in the sheet's current palette; absent cells are colour 0.
IndexedImage renderFieldFrame(const FieldSpriteSet& set, int index, int frame);
// Writes pixels of one frame through its tiles: a tile shown in several frames (or twice in one)
// changes in all of them; pixels of absent cells, outside the frame or past colour 15 are dropped. Later writes
// to the same tile pixel win. Returns how many tile pixels changed.
int setFieldFramePixels(FieldSpriteSet& set, int index, int frame, std::span<const PixelWrite> writes);
// The frames of a sheet that show tile t, in order.
std::vector<int> fieldFramesUsingTile(const FieldSheet& sheet, int tile);

inline constexpr const char* kMsgFieldSpriteSaveError = "Error saving field sprites data";

} // namespace morvi
