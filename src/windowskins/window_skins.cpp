#include "windowskins/window_skins.h"

#include <algorithm>

#include "image/snes_codec.h"

namespace morvi {

const std::array<std::array<std::uint8_t, kWindowPreviewTiles>, kWindowPreviewTiles> kWindowArrangement = {{
    {16, 17, 18, 17, 18, 19},
    {20, 0, 1, 2, 3, 21},
    {22, 4, 5, 6, 7, 23},
    {20, 8, 9, 10, 11, 21},
    {22, 12, 13, 14, 15, 23},
    {24, 25, 26, 25, 26, 27},
}};

namespace {

std::uint8_t& tilePixel(WindowSkin& skin, int x, int y) {
    const int tile = kWindowArrangement[std::size_t(y / 8)][std::size_t(x / 8)];
    return skin.tiles[std::size_t(tile * 64 + (y % 8) * 8 + x % 8)];
}

bool insideWindow(int x, int y) { return x >= 0 && y >= 0 && x < kWindowPreviewSide && y < kWindowPreviewSide; }

} // namespace

bool canLoadWindowSkins(const RomBytes& rom) {
    return rom.holds(kWindowGraphicsOffset, std::size_t(kWindowSkinCount) * kWindowSkinBytes) &&
           rom.holds(kWindowPalettesOffset, std::size_t(kWindowSkinCount) * kWindowPaletteBytes);
}

bool loadWindowSkins(WindowSkinSet& set, const RomBytes& rom) {
    if (!canLoadWindowSkins(rom)) return false;
    const auto graphics = rom.at(kWindowGraphicsOffset, std::size_t(kWindowSkinCount) * kWindowSkinBytes);
    for (int s = 0; s < kWindowSkinCount; ++s)
        for (int t = 0; t < kWindowSkinTiles; ++t)
            decodeTile(graphics.data() + std::size_t(s * kWindowSkinBytes + t * 32), set.skins[std::size_t(s)].tiles.data() + t * 64, 16);
    decodeSnesColors(rom.at(kWindowPalettesOffset, std::size_t(kWindowSkinCount) * kWindowPaletteBytes), set.palettes);
    rebuildWindows(set);
    return true;
}

std::string windowColorRefusal(int value) {
    if (value < kWindowShownColors) return "";
    return "A window skin shows only colours 1 to 7 (0 is transparent): colour " + std::to_string(value) +
           " would show as another colour in the game.";
}

bool saveWindowSkins(const WindowSkinSet& set, RomBuffer& file, Notifier& notifier) {
    for (const WindowSkin& skin : set.skins)
        if (std::any_of(skin.tiles.begin(), skin.tiles.end(), [](std::uint8_t v) { return v >= kWindowShownColors; })) {
            notifier.notify(MessageKind::Error, "Error saving window skins: " + windowColorRefusal(8));
            return false;
        }
    std::vector<std::uint8_t> graphics(std::size_t(kWindowSkinCount) * kWindowSkinBytes);
    for (int s = 0; s < kWindowSkinCount; ++s)
        for (int t = 0; t < kWindowSkinTiles; ++t)
            encodeTilePixels(set.skins[std::size_t(s)].tiles.data() + t * 64, graphics.data() + std::size_t(s * kWindowSkinBytes + t * 32), 16);
    return file.write(kWindowGraphicsOffset, graphics) && file.write(kWindowPalettesOffset, encodeSnesColors(set.palettes));
}

void rebuildWindow(const WindowSkinSet& set, int skin, WindowSkin& out) {
    IndexedImage& w = out.window;
    if (w.width != kWindowPreviewSide || w.height != kWindowPreviewSide) w.allocateImage(kWindowPreviewSide, kWindowPreviewSide);
    w.colorCount = 16;
    for (int k = 0; k < 16; ++k) w.palette[std::size_t(k)] = set.palettes[std::size_t(skin * 16 + k)];
    for (int y = 0; y < kWindowPreviewSide; ++y)
        for (int x = 0; x < kWindowPreviewSide; ++x) w.setPixel(x, y, tilePixel(out, x, y));
}

void rebuildWindows(WindowSkinSet& set) {
    for (int s = 0; s < kWindowSkinCount; ++s) rebuildWindow(set, s, set.skins[std::size_t(s)]);
}

std::string windowWritesRefusal(std::span<const PixelWrite> writes) {
    for (const PixelWrite& w : writes)
        if (std::string why = windowColorRefusal(w.value); !why.empty()) return why;
    return "";
}

int setWindowPixels(WindowSkinSet& set, int skin, std::span<const PixelWrite> writes) {
    WindowSkin& s = set.skins[std::size_t(skin)];
    if (!windowWritesRefusal(writes).empty()) return 0;
    int changed = 0;
    for (const PixelWrite& w : writes) {
        if (!insideWindow(w.x, w.y)) continue;
        std::uint8_t& p = tilePixel(s, w.x, w.y);
        if (p != w.value) p = w.value, ++changed;
    }
    if (changed) rebuildWindow(set, skin, s);
    return changed;
}

void clearWindowSkin(WindowSkinSet& set, int skin) {
    set.skins[std::size_t(skin)].tiles.fill(0);
    rebuildWindow(set, skin, set.skins[std::size_t(skin)]);
}

void flipWindowSkin(WindowSkinSet& set, int skin, bool vertical) {
    // The arrangement mirrors onto itself (left edge onto right, each alternating edge tile onto
    // its partner), so the flipped window gives every tile the same pixels in each of its cells.
    IndexedImage flipped = set.skins[std::size_t(skin)].window;
    for (int y = 0; y < kWindowPreviewSide; ++y)
        for (int x = 0; x < kWindowPreviewSide; ++x) {
            const int fx = vertical ? x : kWindowPreviewSide - 1 - x, fy = vertical ? kWindowPreviewSide - 1 - y : y;
            flipped.setPixel(x, y, set.skins[std::size_t(skin)].window.pixel(fx, fy));
        }
    setWindowFromPicture(set, skin, flipped);
}

std::string setWindowFromPicture(WindowSkinSet& set, int skin, const IndexedImage& picture) {
    for (int y = 0; y < std::min(picture.height, kWindowPreviewSide); ++y)
        for (int x = 0; x < std::min(picture.width, kWindowPreviewSide); ++x)
            if (const std::string why = windowColorRefusal(picture.pixel(x, y)); !why.empty()) return "The picture was not taken. " + why;
    WindowSkin& s = set.skins[std::size_t(skin)];
    std::array<bool, kWindowSkinTiles> taken{};
    bool differ = false;
    for (int cy = 0; cy < kWindowPreviewTiles; ++cy)
        for (int cx = 0; cx < kWindowPreviewTiles; ++cx) {
            const int tile = kWindowArrangement[std::size_t(cy)][std::size_t(cx)];
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const int px = cx * 8 + x, py = cy * 8 + y;
                    const std::uint8_t v = px < picture.width && py < picture.height ? picture.pixel(px, py) : 0;
                    std::uint8_t& p = s.tiles[std::size_t(tile * 64 + y * 8 + x)];
                    if (!taken[std::size_t(tile)]) p = v;
                    else differ = differ || p != v;
                }
            taken[std::size_t(tile)] = true;
        }
    rebuildWindow(set, skin, s);
    return differ ? "Cells that show one tile differ in the picture; the game holds one, so the first cell's pixels were kept." : "";
}

void swapWindowColor(WindowSkinSet& set, int skin, int k) {
    if (k <= 0 || k >= kWindowShownColors) return;
    std::swap(set.palettes[std::size_t(skin * 16)], set.palettes[std::size_t(skin * 16 + k)]);
    for (auto& v : set.skins[std::size_t(skin)].tiles) v = v == 0 ? std::uint8_t(k) : v == k ? std::uint8_t(0) : v;
    rebuildWindow(set, skin, set.skins[std::size_t(skin)]);
}

} // namespace morvi
