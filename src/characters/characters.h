#pragma once
// The sprite sheets of 22 characters: 40 sprites of 16 x 24 pixels each, built from the
// character's 181 tiles through one sprite tile table that all characters share.
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
constexpr int kSpritesPerCharacter = 40;
constexpr int kSpriteWidth = 16;
constexpr int kSpriteHeight = 24;
constexpr int kTilesPerCharacter = 181;
constexpr int kCharacterTileBytes = kTilesPerCharacter * 32; // 5792
constexpr int kSpriteTileEntries = kSpritesPerCharacter * 6;
constexpr int kCharacterPaletteCount = 32;
constexpr int kCopiedCharacterPalettes = 6;
constexpr int kLargestShownPaletteNumber = 8;
constexpr int kEsperTerra = 18;
constexpr int kSheetSide = 128;

extern const std::array<const char*, kCharacterCount> kCharacterNames;
extern const std::array<PaletteColor, 16> kEsperTerraPalette;

// The loader fills every field of these two in place: a field added here must be set there.
struct CharacterSprites {
    std::array<IndexedImage, kSpritesPerCharacter> sprites;
    std::vector<std::uint8_t> tileStore = std::vector<std::uint8_t>(kTilesPerCharacter * 64, 0);
    std::uint8_t paletteNumber = 0; // the palette shown and edited
    std::uint8_t storedNumber = 0;  // the byte the save writes back
    std::uint32_t tileAddress = 0;  // offset of the tiles in the sprite graphics block
    bool fixedPalette = false;
};

struct CharacterSet {
    std::array<CharacterSprites, kCharacterCount> characters;
    std::array<PaletteColor, kCharacterPaletteCount * 16> palettes{};
    std::array<std::uint16_t, kSpriteTileEntries> tileTable{};

    PaletteColor& color(int palette, int index) { return palettes[std::size_t(palette * 16 + index)]; }
    // Tile of cell (c, r) of sprite s.
    int tileOf(int s, int r, int c) const { return tileTable[std::size_t(6 * s + 2 * r + c)] / 32; }
};

// False (set unchanged) when the file cannot be opened, is too short, or its tables point
// outside the sprite graphics block.
bool loadCharacterSprites(CharacterSet& set, const std::string& path, const RomState& rom);
bool loadCharacterSprites(CharacterSet& set, const RomBytes& rom);
// The checks the loader makes, alone: true exactly when loadCharacterSprites would accept the bytes.
bool canLoadCharacterSprites(const RomBytes& rom);
bool saveCharacterSprites(CharacterSet& set, RomBuffer& file, Notifier& notifier);
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
void setCharacterFromSheet(CharacterSet& set, CharacterSprites& ch, const IndexedImage& sheet);
// Brings the tile store in step with the sprite images by the save's rule: each tile from the
// first sprite, in sprite order, that uses it; then rebuilds the sprites from it.
void syncTileStore(CharacterSet& set, CharacterSprites& ch);

// The 40 sprites laid out 8 to a row in a 128 x 128 picture with sprite 0's 16 colours; with a
// selected sprite, colour 16 is white and frames it.
IndexedImage buildSpriteSheet(const CharacterSprites& ch, int selectedSprite);

inline constexpr const char* kMsgCharacterSaveError = "Error saving character sprites data";

} // namespace morvi
