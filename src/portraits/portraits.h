#pragma once
// The 19 character portraits: 40 x 40 pixels in 16 colours, 25 planar tiles each, coloured by a
// table of 19 shared palettes, with a palette number per portrait.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/notifier.h"
#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"
#include "rom/rom_state.h"
#include "image/indexed_image.h"
#include "image/raster.h"

namespace morvi {

constexpr std::uint32_t kPortraitTilesOffset = 0x2D1D00;
constexpr std::uint32_t kPortraitPalettesOffset = 0x2D5860;
constexpr std::uint32_t kPortraitPaletteNumbersOffset = 0x36F00;
constexpr int kPortraitCount = 19;
constexpr int kPortraitSide = 40;
constexpr int kPortraitTileCount = 25;
constexpr int kPortraitTileBytes = 800;
constexpr int kPortraitPaletteBytes = 32;
// Portraits 0 to 17 take bytes 0 to 17 of the palette-number table, portrait 18 takes byte 20.
constexpr int kLastPortraitNumberByte = 20;

extern const std::array<const char*, kPortraitCount> kPortraitNames;

struct PortraitRecord {
    IndexedImage image;
    std::array<std::uint8_t, kPortraitTileBytes> raw{};
    std::uint8_t paletteNumber = 0;  // the palette shown and edited, 0 to 18
    std::uint8_t storedNumber = 0;   // the byte the save writes: as read, until the user picks one
};

struct PortraitSet {
    std::array<PortraitRecord, kPortraitCount> portraits;
    std::array<PaletteColor, kPortraitCount * 16> palettes{};

    PaletteColor& color(int palette, int index) { return palettes[std::size_t(palette * 16 + index)]; }
};

// (column, row) of tile k of a portrait's tile data.
std::pair<int, int> portraitTilePosition(int k);

bool loadPortraits(PortraitSet& set, const std::string& path, const RomState& rom);
bool loadPortraits(PortraitSet& set, const RomBytes& rom);
// The checks the loader makes, alone: true exactly when loadPortraits would accept the bytes.
bool canLoadPortraits(const RomBytes& rom);
bool savePortraits(PortraitSet& set, RomBuffer& file, Notifier& notifier);
// The same for a file on disk, replaced whole (see rewriteRomFile).
bool savePortraits(PortraitSet& set, const std::string& path, const RomState& rom, Notifier& notifier);
void decodePortrait(PortraitSet& set, PortraitRecord& record, std::span<const std::uint8_t, kPortraitTileBytes> raw);
// Encodes the image into the record's raw tile data and returns it.
const std::array<std::uint8_t, kPortraitTileBytes>& encodePortrait(PortraitRecord& record);

void setPortraitPalette(PortraitSet& set, PortraitRecord& record, int n);
void reloadPortraitPalette(PortraitSet& set, PortraitRecord& record);
void clearPortrait(PortraitRecord& record);
// Writes a set of pixels (those outside the portrait are left out); returns how many changed.
int setPortraitPixels(PortraitRecord& record, std::span<const PixelWrite> writes);
void flipPortrait(PortraitRecord& record, int direction);
void copyPortrait(PortraitSet& set, int target, int source);
void setPortraitFromImage(PortraitSet& set, PortraitRecord& record, const IndexedImage& imported);
void swapPortraitColor(PortraitSet& set, PortraitRecord& record, int k);
// The other portraits that show the palette of portrait `index`.
std::vector<int> portraitsSharingPalette(const PortraitSet& set, int index);

// The raw pair: ".bin" tiles and the palette file beside it.
std::string portraitPalettePath(const std::string& tilePath);
bool isRawPortraitPath(const std::string& path);
// Writes the freshly encoded tiles and the palette; "Error saving portrait data" on failure.
bool exportPortraitRaw(PortraitSet& set, int index, const std::string& tilePath, Notifier& notifier);
// Reads the pair; a missing palette file leaves the palette as it is. The tile file must have
// exactly 800 bytes and the palette file 32: a file of another size changes nothing and is
// reported with the size found and the size expected; a tile file that cannot be read reports
// "Error opening file".
bool importPortraitRaw(PortraitSet& set, int index, const std::string& tilePath, Notifier& notifier);
// What importPortraitRaw would make of a pair, read without changing the set: the portrait as
// it would show, or the reason the pair is refused (the same text the import reports).
struct PortraitPairPreview {
    bool ok = false;
    bool hasPalette = false; // a palette file was found beside the tiles
    IndexedImage picture;
    std::string error;
};
PortraitPairPreview previewPortraitRaw(const PortraitSet& set, int index, const std::string& tilePath);

inline constexpr const char* kMsgPortraitSaveError = "Error saving portrait data";
inline constexpr const char* kMsgImportOpenError = "Error opening file";

} // namespace morvi
