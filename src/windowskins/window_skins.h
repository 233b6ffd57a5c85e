#pragma once
// The menu window skins: 8 skins of 28 tiles (4 bits a pixel as stored, colours 0 to 7 used),
// each on its own 16-colour palette of which the game copies colours 1 to 7. A skin is edited as
// the window the game lays out from its tiles: a tile shown in several places is one tile.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "image/indexed_image.h"
#include "image/raster.h"
#include "rom/notifier.h"
#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"

namespace morvi {

constexpr std::uint32_t kWindowGraphicsOffset = 0x2D0000;  // ED:0000
constexpr std::uint32_t kWindowPalettesOffset = 0x2D1C00;  // ED:1C00
constexpr int kWindowSkinCount = 8;
constexpr int kWindowSkinTiles = 28;
constexpr int kWindowSkinBytes = kWindowSkinTiles * 32;    // 0x380
constexpr int kWindowPaletteBytes = 32;
constexpr int kWindowShownColors = 8;  // colours 0 (transparent) to 7
constexpr int kWindowPreviewTiles = 6; // the window drawn 6 x 6 tiles
constexpr int kWindowPreviewSide = kWindowPreviewTiles * 8;

// The tile the game draws at each cell of a 6 x 6 window: corners, alternating edges, and the
// 4 x 4 background.
extern const std::array<std::array<std::uint8_t, kWindowPreviewTiles>, kWindowPreviewTiles> kWindowArrangement;

struct WindowSkin {
    std::array<std::uint8_t, kWindowSkinTiles * 64> tiles{}; // one byte a pixel, tile by tile
    IndexedImage window;                                      // the 48 x 48 window, made from tiles
};

struct WindowSkinSet {
    std::array<WindowSkin, kWindowSkinCount> skins;
    std::array<PaletteColor, kWindowSkinCount * 16> palettes{};
};

bool canLoadWindowSkins(const RomBytes& rom);
bool loadWindowSkins(WindowSkinSet& set, const RomBytes& rom);
// Writes the tiles and palettes in place (fixed size: nothing moves); false when a pixel holds a
// colour past 7 (it would show as another colour in the game).
bool saveWindowSkins(const WindowSkinSet& set, RomBuffer& file, Notifier& notifier);
// The skin's window and palette drawn again from its tiles and its palette.
void rebuildWindow(const WindowSkinSet& set, int skin, WindowSkin& out);
void rebuildWindows(WindowSkinSet& set);

// Why a pixel of this value cannot be painted on a skin, or "".
std::string windowColorRefusal(int value);
// Why these writes cannot be made (the first value refused), or "".
std::string windowWritesRefusal(std::span<const PixelWrite> writes);
// Writes pixels of the window through its tiles; 0 when none changed or any is refused.
int setWindowPixels(WindowSkinSet& set, int skin, std::span<const PixelWrite> writes);
void clearWindowSkin(WindowSkinSet& set, int skin);
void flipWindowSkin(WindowSkinSet& set, int skin, bool vertical);
// Takes a 48 x 48 window picture: each tile from the first cell that shows it. "" or what the
// user should know (cells of one tile that differ, or colours past 7, which refuse the picture).
std::string setWindowFromPicture(WindowSkinSet& set, int skin, const IndexedImage& picture);
// Colour k and 0 trade places in the skin's palette and pixels (k 1 to 7).
void swapWindowColor(WindowSkinSet& set, int skin, int k);

} // namespace morvi
