#pragma once
// The sprite sheets of 22 characters: 43 poses each (40 through the ROM's pose table, which all
// characters share, then two riding poses and one lying pose on fixed tiles), built from the
// character's 181 tiles, or 171 for a character without the riding tiles.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rom/notifier.h"
#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"
#include "rom/rom_state.h"
#include "image/indexed_image.h"
#include "image/raster.h"
#include "characters/poses.h"

namespace morvi {

constexpr std::uint32_t kSpriteTileTableOffset = 0xCE3A;
constexpr std::uint32_t kCharacterTileAddressOffset = 0xD0F2; // low, high; 2 bytes a character
constexpr std::uint32_t kCharacterTileBankOffset = 0xD23C;    // bank; stride 2
constexpr std::uint32_t kSpriteGraphicsOffset = 0x150000;
constexpr std::uint32_t kSpriteGraphicsSize = 0x35000;
constexpr std::uint32_t kSpriteGraphicsSnesAddress = 0xD50000;
constexpr std::uint32_t kCharacterPaletteNumbersOffset = 0x2CE2B;
constexpr std::uint32_t kCharacterPalettesOffset = 0x268000;
constexpr std::uint32_t kCharacterPaletteCopyOffset = 0x2D6300;
constexpr int kCharacterCount = 22;
constexpr int kSpritesPerCharacter = kTablePoses;
constexpr int kSpriteWidth = 16;
constexpr int kSpriteHeight = 24;
constexpr int kTilesPerCharacter = kTilesWithRiding;
constexpr int kCharacterTileBytes = kTilesPerCharacter * 32; // 5792
constexpr int kShortCharacterTileBytes = kTilesWithoutRiding * 32; // 5472
// Characters from this one on never have the riding tiles: their 171-tile blocks follow one another.
constexpr int kFirstShortCharacter = 16;
constexpr int kSpriteTileEntries = kSpritesPerCharacter * 6;
constexpr int kCharacterPaletteCount = 32;
constexpr int kCopiedCharacterPalettes = 6;
constexpr int kLargestShownPaletteNumber = 8;
// Battle and menu palette 7, which no character of the game uses: a palette a character can have
// to itself. It lives only in the battle copy (ED:6300), so the set keeps it after the 32 field
// sprite palettes, and a character on it shows and edits that slot.
constexpr int kOwnBattlePalette = 7;
constexpr int kOwnBattlePaletteSlot = kCharacterPaletteCount;
// The palette the set shows for a character's table byte: the field palette of that number,
// battle palette 7's own slot, and 0 for a number the game has no palette for.
constexpr std::uint8_t shownPaletteOf(std::uint8_t tableByte) {
    return tableByte == kOwnBattlePalette ? std::uint8_t(kOwnBattlePaletteSlot) : tableByte > kLargestShownPaletteNumber ? 0 : tableByte;
}
constexpr int kEsperTerra = 18;
constexpr int kSheetSide = kSheetWidth;

extern const std::array<const char*, kCharacterCount> kCharacterNames;
extern const std::array<PaletteColor, 16> kEsperTerraPalette;

// The field sprite palettes of a set (E6:8000), without the battle palette kept after them.
template <class Set> auto fieldPalettesOf(Set& set) { return std::span(set.palettes).first(std::size_t(kCharacterPaletteCount) * 16); }

// The loader fills every field of these two in place: a field added here must be set there.
struct CharacterSprites {
    std::array<IndexedImage, kPoseCount> sprites; // one image a pose, as poseSize gives
    int tileCount = kTilesPerCharacter;           // 171 without the riding tiles
    // The poses whose tiles all lie in the character's block (without the riding tiles, not 40
    // and 41).
    std::array<bool, kPoseCount> available = allPoses();
    bool hasPose(int pose) const { return pose >= 0 && pose < kPoseCount && available[std::size_t(pose)]; }
    static constexpr std::array<bool, kPoseCount> allPoses() {
        std::array<bool, kPoseCount> all{};
        all.fill(true);
        return all;
    }
    std::vector<std::uint8_t> tileStore = std::vector<std::uint8_t>(kTilesPerCharacter * 64, 0);
    std::uint8_t paletteNumber = 0; // the palette shown and edited
    std::uint8_t storedNumber = 0;  // the byte the save writes back
    std::uint32_t tileAddress = 0;  // offset of the tiles in the sprite graphics block
    bool fixedPalette = false;
};

struct CharacterSet {
    std::array<CharacterSprites, kCharacterCount> characters;
    std::array<PaletteColor, (kCharacterPaletteCount + 1) * 16> palettes{}; // the 32 field sprite palettes, then battle palette 7
    std::array<std::uint16_t, kSpriteTileEntries> tileTable{};

    PaletteColor& color(int palette, int index) { return palettes[std::size_t(palette * 16 + index)]; }
    // Tile of cell (c, r) of sprite s.
    int tileOf(int s, int r, int c) const { return poseCells(tileTable, s).tile(c, r); }
    PoseCells cells(int pose) const { return poseCells(tileTable, pose); }
    // The available poses that show tile t, in pose order.
    std::vector<int> posesUsingTile(const CharacterSprites& ch, int tile) const;
};

// The 64 pixels of tile t in the character's tile store, rows top first.
inline std::uint8_t* tilePixels(CharacterSprites& ch, int t) { return ch.tileStore.data() + std::size_t(t) * 64; }

// False (set unchanged) when the file cannot be opened, is too short, or its tables point
// outside the sprite graphics block.
bool loadCharacterSprites(CharacterSet& set, const std::string& path, const RomState& rom);
bool loadCharacterSprites(CharacterSet& set, const RomBytes& rom);
// The checks the loader makes, alone: true exactly when loadCharacterSprites would accept the bytes.
bool canLoadCharacterSprites(const RomBytes& rom);
bool saveCharacterSprites(CharacterSet& set, RomBuffer& file, Notifier& notifier);
// The save in two halves: every character's tiles encoded, which needs no file (a save does it
// while the file is read), then the writing.
struct CharacterTiles {
    std::vector<std::uint8_t> bytes; // kCharacterTileBytes a character
    std::vector<std::uint8_t> shown; // kTilesPerCharacter a character: 1 where a pose shows the tile
};
CharacterTiles encodeCharacterTiles(const CharacterSet& set);
bool saveCharacterSprites(CharacterSet& set, const CharacterTiles& tiles, RomBuffer& file, Notifier& notifier);
// The 32 sprite palettes (E6:8000) and the battle's copy of the first six: what the field
// sprites' save writes of the table the two families share.
bool saveCharacterPalettes(const CharacterSet& set, RomBuffer& file);
// The same for a file on disk, replaced whole (see rewriteRomFile).
bool saveCharacterSprites(CharacterSet& set, const std::string& path, const RomState& rom, Notifier& notifier);
void rebuildSprites(CharacterSet& set, CharacterSprites& ch);

void setSpritePixel(CharacterSet& set, CharacterSprites& ch, int sprite, int x, int y, std::uint8_t colour);
// Writes a set of pixels of one sprite through its tiles (a shared tile changes in every sprite
// that uses it), then rebuilds the sprites once. Later writes to the same tile pixel win.
// Returns how many tile pixels changed.
int setSpritePixels(CharacterSet& set, CharacterSprites& ch, int sprite, std::span<const PixelWrite> writes);
void reloadCharacterPalette(CharacterSet& set, CharacterSprites& ch);
void clearCharacterSprites(CharacterSet& set, CharacterSprites& ch);
void flipCharacterSprites(CharacterSet& set, CharacterSprites& ch, int direction);
void swapCharacterColor(CharacterSet& set, CharacterSprites& ch, int k);
constexpr int kAllSprites = -1;
void copyCharacterSprites(CharacterSet& set, int target, int source, int sprite);
// Where a sheet gives two different pixels for one tile shown by two poses: the first pose's
// pixels were kept.
struct SheetDisagreement {
    int tile = 0;
    int keptPose = 0;
    int otherPose = 0;
};
// Takes the poses' tiles from a sheet (a full 128 x 144 sheet also fills the riding and lying
// poses; any other leaves them as they are) and the colours it has. Each tile comes from the
// first pose, in pose order, that shows it.
std::vector<SheetDisagreement> setCharacterFromSheet(CharacterSet& set, CharacterSprites& ch, const IndexedImage& sheet);
// "Poses 0 and 2 (tile 04), ..." for a message; "" when there is none.
std::string describeDisagreements(const std::vector<SheetDisagreement>& list);

// The community's sprite file: the character's tiles as the ROM holds them (tileCount x 32
// bytes), and its palette file (16 SNES colour words).
std::vector<std::uint8_t> characterTileFile(const CharacterSprites& ch);
std::vector<std::uint8_t> characterPaletteFile(const CharacterSet& set, const CharacterSprites& ch);
struct TileFileRead {
    bool ok = false;
    std::string error;        // why the files were refused
    std::vector<std::string> notes; // what the user should know of an accepted one
};
// Puts a sprite file (5792 or 5472 bytes) and, when given, its palette file (32 bytes) into
// character `index`. A refusal changes nothing.
TileFileRead setCharacterFromTileFile(CharacterSet& set, int index, std::span<const std::uint8_t> tiles,
                                      const std::vector<std::uint8_t>* palette);
// The other characters showing palette number n.
std::vector<int> charactersSharingPalette(const CharacterSet& set, int index);

// Pixels of colours 12 to 15 in the poses a battle shows (a pixel of a shared tile counts in
// each pose that shows it).
struct FieldOnlyUse {
    int pose = 0;
    int pixels = 0;
};
std::vector<FieldOnlyUse> fieldOnlyColorUse(const CharacterSprites& ch);
// Brings the tile store in step with the sprite images by the save's rule: each tile from the
// first sprite, in sprite order, that uses it; then rebuilds the sprites from it.
void syncTileStore(CharacterSet& set, CharacterSprites& ch);

// The poses laid out 8 to a row with sprite 0's 16 colours: the 40 in a 128 x 128 picture, or
// all 43 in the full 128 x 144 one. With a selected sprite, colour 16 is white and frames it;
// with markUnavailable, poses the character lacks are hatched in colour 17.
struct SheetOptions {
    int selected = -1;
    bool full = false;
    bool markUnavailable = false;
};
IndexedImage buildSpriteSheet(const CharacterSprites& ch, SheetOptions options);
IndexedImage buildSpriteSheet(const CharacterSprites& ch, int selectedSprite);

inline constexpr const char* kMsgCharacterSaveError = "Error saving character sprites data";

} // namespace morvi
