#pragma once
// The game's 55 battle backgrounds, decompressed from the ROM and composed into 256 x 152
// indexed images of 48 colours, and what the pages draw behind their pictures: 60 previews of
// 128 x 128 pixels and the small (128 x 128) and large (256 x 256) backdrops.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_bytes.h"
#include "rom/rom_state.h"
#include "image/indexed_image.h"
#include "image/surface.h"

namespace morvi {

constexpr std::uint32_t kBackgroundPropertiesOffset = 0x270000;
constexpr std::uint32_t kBackgroundPalettesOffset = 0x270150;
constexpr std::uint32_t kGraphicsSetPointersOffset = 0x271650;
constexpr std::uint32_t kTileMapPointersOffset = 0x271848;
constexpr std::uint32_t kBackgroundBank = 0x270000;
constexpr std::uint8_t kCompressedBankFrom = 0xE7;
constexpr std::uint8_t kSnesBankBase = 0xC0;
constexpr std::uint8_t kNoGraphicsSet = 0xFF;
constexpr int kBackgroundCount = 55;
constexpr int kBackgroundPaletteColors = 6144;
constexpr int kBackgroundColors = 48;
constexpr int kBackgroundWidth = 256;
constexpr int kBackgroundHeight = 152;
constexpr int kBackgroundTiles = 576;
constexpr int kTileMapColumns = 32;
constexpr int kTileMapRows = 19;
constexpr int kPreviewCount = 60;
constexpr int kPreviewSide = 128;
constexpr int kBackdropArtCount = 5;

struct TileMapCell {
    std::int32_t tile = 0;
    std::uint8_t paletteOffset = 0;
    bool flipX = false;
    bool flipY = false;
};

struct BattleBackground {
    IndexedImage image;
    int paletteNumber = 0;
    std::array<TileMapCell, kTileMapColumns * kTileMapRows> tileMap{};
};

struct BackgroundSet {
    std::array<BattleBackground, kBackgroundCount> backgrounds;
    std::array<PaletteColor, kBackgroundPaletteColors> palettes{};
    std::vector<Surface> previews;  // kPreviewCount once loaded; each drawn when first asked for
    std::vector<bool> previewDrawn;
    // The ROM image the backgrounds are composed from, each when it is first shown.
    std::vector<std::uint8_t> source;
    std::array<bool, kBackgroundCount> composed{};
    IndexedImage smallBackdrop;
    IndexedImage largeBackdrop;
    std::uint32_t backdropGeneration = 0; // counts the backdrops built, so a view knows when to redraw
    bool loaded = false;
};

// The decoded cell of a tile-map entry.
TileMapCell decodeTileMapEntry(std::uint8_t low, std::uint8_t high);

// Reads the palette table and composes all 55 backgrounds. False, changing nothing, when the
// file cannot be opened or is too short for its tables; pointers into nowhere give empty areas.
bool readBackgrounds(BackgroundSet& set, const std::string& path, const RomState& rom);
bool readBackgrounds(BackgroundSet& set, std::span<const std::uint8_t> romImage);
// The two steps of readBackgrounds: the palette table (false when the image is too short for
// the tables), then the composition of background n, which reads only what lies in the image.
bool readBackgroundTables(BackgroundSet& set, std::span<const std::uint8_t> romImage);
void composeBackground(BackgroundSet& set, std::span<const std::uint8_t> romImage, int n);

// The five built-in backdrop pictures (our own art).
Surface backdropArt(int index);
// Previews 0 to 59: the built-in pictures, black, a plain blue, backgrounds 0 to 48 and 51 to 54.
void buildBackgroundPreviews(BackgroundSet& set);
// Preview i, drawn (and its background composed from the kept ROM image) when first asked for.
const Surface& backgroundPreview(BackgroundSet& set, int i);
// The small and large backdrops from preview number `background` (0 when out of range).
void buildBackdrop(BackgroundSet& set, int background);
// Reads the backgrounds' tables once (later calls keep them) and rebuilds the backdrops; the
// backgrounds are composed when their previews are first drawn, not all at the first open.
void loadBackgrounds(BackgroundSet& set, const std::string& path, const RomState& rom, int background);
void loadBackgrounds(BackgroundSet& set, const RomBytes& rom, int background);

} // namespace morvi
