// The demo ROM's character sprites: small figures facing four ways, built from tiles that the
// sprites share (one head for each direction, one pair of legs for two poses) and with tiles
// that no sprite uses.
#include <algorithm>

#include "characters/characters.h"
#include "cli/demo_art.h"
#include "cli/demo_parts.h"
#include "image/snes_codec.h"

namespace morvi::demo {

namespace {

constexpr int kSpecialHeadsFrom = 32;
constexpr int kFirstSpecialHeadTile = 8, kFirstBodyTile = 24, kFirstLegTile = 104, kFirstUnusedTile = 144;

int tileFor(int s, int row, int col) {
    if (row == 0) return s < kSpecialHeadsFrom ? 2 * (s % 4) + col : kFirstSpecialHeadTile + 2 * (s - kSpecialHeadsFrom) + col;
    if (row == 1) return kFirstBodyTile + 2 * s + col;
    return kFirstLegTile + 2 * (s / 2) + col;
}

// Colours: 1 outline, 2..3 skin, 4..6 hair, 7..9 tunic, 10..11 trousers, 12 boots, 13 eyes,
// 14 belt, 15 accent. Each band is drawn by itself so that shared tiles agree.
void drawHead(Painter& p, int direction, int style, int special) {
    p.shadedEllipse(8, 4.5, 5, 4.5, 2, 2);
    p.ellipse(8, 2 + (direction == 1 ? 2 : 0), 6, direction == 1 ? 5 : 3, std::uint8_t(4 + style % 3));
    if (style % 2) p.rect(2, 3, 3, 7, 5);
    if (direction == 0 || special) {
        p.rect(5, 5, 6, 6, 13);
        p.rect(10, 5, 11, 6, 13);
        if (special) p.rect(6, 7, 9, 7, 1);
    } else if (direction == 2) {
        p.rect(4, 5, 5, 6, 13);
    } else if (direction == 3) {
        p.rect(10, 5, 11, 6, 13);
    }
}

void drawBody(Painter& p, int s, int style) {
    const int swing = (s / 4) % 3 - 1;
    p.rect(4, 0, 11, 7, 8);
    p.rect(5, 0, 10, 1, 9);
    p.rect(4, 6, 11, 6, 14);
    p.rect(2, 1 + swing, 3, 6 + swing, 2);
    p.rect(12, 1 - swing, 13, 6 - swing, 2);
    if (style % 3 == 0) p.rect(7, 1, 8, 5, 15);
}

void drawLegs(Painter& p, int pair) {
    const int step = pair % 3 - 1;
    p.rect(4, 0, 11, 2, 10);
    p.rect(4 + step, 2, 6 + step, 6, 11);
    p.rect(9 - step, 2, 11 - step, 6, 11);
    p.rect(3 + step, 6, 6 + step, 7, 12);
    p.rect(9 - step, 6, 12 - step, 7, 12);
}

std::vector<std::uint8_t> characterTiles(int ch) {
    std::vector<std::uint8_t> bytes(kCharacterTileBytes, 0);
    auto putBand = [&](const IndexedImage& band, int firstTile) {
        std::uint8_t raw[32];
        for (int c = 0; c < 2; ++c) {
            encodeTile(band, c, 0, raw, 16);
            std::copy(raw, raw + 32, bytes.begin() + 32 * (firstTile + c));
        }
    };
    auto band = [](auto draw) {
        IndexedImage image;
        image.allocateImage(16, 8);
        Painter p(image);
        draw(p);
        p.outline(1);
        return image;
    };
    for (int d = 0; d < 4; ++d) putBand(band([&](Painter& p) { drawHead(p, d, ch, 0); }), tileFor(d, 0, 0));
    for (int s = kSpecialHeadsFrom; s < kSpritesPerCharacter; ++s)
        putBand(band([&](Painter& p) { drawHead(p, 0, ch, s); }), tileFor(s, 0, 0));
    for (int s = 0; s < kSpritesPerCharacter; ++s) putBand(band([&](Painter& p) { drawBody(p, s, ch); }), tileFor(s, 1, 0));
    for (int pair = 0; pair < kSpritesPerCharacter / 2; ++pair)
        putBand(band([&](Painter& p) { drawLegs(p, pair); }), tileFor(2 * pair, 2, 0));
    // Tiles no sprite uses hold leftovers the editor must never touch.
    Dice dice{std::uint32_t(900 + ch)};
    for (int t = kFirstUnusedTile; t < kTilesPerCharacter; ++t)
        for (int b = 0; b < 32; ++b) bytes[std::size_t(32 * t + b)] = std::uint8_t(dice.next());
    return bytes;
}

} // namespace

void addDemoCharacters(RomImage& rom) {
    for (int s = 0; s < kSpritesPerCharacter; ++s)
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 2; ++col)
                rom.put16(kSpriteTileTableOffset + std::uint32_t(2 * (6 * s + 2 * row + col)),
                          std::uint16_t(32 * tileFor(s, row, col)));
    for (int palette = 0; palette < kCharacterPaletteCount; ++palette) {
        Dice dice{std::uint32_t(1300 + palette)};
        const int hr = dice.below(248), hg = dice.below(200), hb = dice.below(160);
        const int tr = dice.below(248), tg = dice.below(248), tb = dice.below(248);
        const PaletteColor colours[16] = {
            steppedColor(0, 0, 0),        steppedColor(16, 16, 24),     steppedColor(176, 120, 88),   steppedColor(240, 192, 152),
            steppedColor(hr / 2, hg / 2, hb / 2), steppedColor(hr, hg, hb), steppedColor(hr + 50, hg + 50, hb + 50), steppedColor(tr / 2, tg / 2, tb / 2),
            steppedColor(tr, tg, tb),     steppedColor(tr + 50, tg + 50, tb + 50), steppedColor(60, 60, 100), steppedColor(90, 90, 150),
            steppedColor(96, 56, 32),     steppedColor(248, 248, 248), steppedColor(200, 160, 48), steppedColor(hb, hr, hg)};
        const std::vector<std::uint8_t> words = encodeSnesColors(colours);
        rom.put(kCharacterPalettesOffset + std::uint32_t(32 * palette), words);
        if (palette < kCopiedCharacterPalettes) rom.put(kCharacterPaletteCopyOffset + std::uint32_t(32 * palette), words);
    }
    for (int ch = 0; ch < kCharacterCount; ++ch) {
        const std::uint32_t address = kSpriteGraphicsSnesAddress + std::uint32_t(kCharacterTileBytes * ch);
        rom.put8(kCharacterTileAddressOffset + std::uint32_t(2 * ch), std::uint8_t(address));
        rom.put8(kCharacterTileAddressOffset + std::uint32_t(2 * ch + 1), std::uint8_t(address >> 8));
        rom.put8(kCharacterTileBankOffset + std::uint32_t(2 * ch), std::uint8_t(address >> 16));
        // Palettes 0 to 8 only, so several characters share one.
        rom.put8(kCharacterPaletteNumbersOffset + std::uint32_t(ch), std::uint8_t(ch % 9));
        rom.put(kSpriteGraphicsOffset + (address - kSpriteGraphicsSnesAddress), characterTiles(ch));
    }
}

} // namespace morvi::demo
