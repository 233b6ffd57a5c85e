// The demo ROM's portraits: 19 faces of 40 x 40 pixels drawn by code, with a few palettes
// shared between portraits.
#include <algorithm>
#include <cmath>

#include "image/demo_art.h"
#include "rom/rom_image.h"
#include "image/snes_codec.h"
#include "portraits/portraits.h"
#include "portraits/portrait_module.h"

namespace morvi::demo {

namespace {

// Colours: 0 background, 1 outline, 2..4 skin, 5..7 hair, 8 iris, 9 brow, 10 white, 11 mouth,
// 12..14 clothes, 15 light.
void drawFace(IndexedImage& img, int i) {
    Painter p(img);
    Dice dice{std::uint32_t(100 + i)};
    const double faceW = 11 + (i % 3), faceH = 13 + (i % 2);
    p.rect(4, 32, 35, 39, 12);                          // shoulders
    p.ellipse(20, 40, 16, 9, 13);
    p.rect(17, 28, 23, 34, 2);                          // neck
    const int hairStyle = i % 4;
    if (hairStyle == 1) p.rect(7, 12, 33, 34, 5);       // long hair behind
    p.shadedEllipse(20, 20, faceW, faceH, 2, 3);        // face
    switch (hairStyle) {
    case 0: p.ellipse(20, 10, faceW + 1, 7, 6); break;  // short
    case 1: p.ellipse(20, 10, faceW + 2, 8, 6); break;
    case 2:                                             // spiky
        for (int k = 0; k < 5; ++k) p.triangle(8 + k * 5.5, 12, 11 + k * 5.5, 1, 14 + k * 5.5, 12, 6);
        p.ellipse(20, 11, faceW, 5, 6);
        break;
    default: p.rect(8, 5, 32, 11, 7); p.rect(6, 9, 34, 12, 5); break; // hat
    }
    p.outline(1);
    p.onlyOverDrawn = true;
    const int eyeY = 19 + dice.below(2);
    for (int side : {-1, 1}) {
        p.rect(20 + side * 5 - 2, eyeY, 20 + side * 5 + 1, eyeY + 2, 10);
        p.rect(20 + side * 5 - (side < 0 ? 0 : 1), eyeY, 20 + side * 5 + (side < 0 ? 1 : 0), eyeY + 2, 8);
        p.rect(20 + side * 5 - 2, eyeY - 3, 20 + side * 5 + 2, eyeY - 3, 9);
    }
    p.rect(19, eyeY + 4, 20, eyeY + 6, 3);             // nose
    const int mouthW = 2 + dice.below(3);
    p.rect(20 - mouthW, eyeY + 9, 20 + mouthW - 1, eyeY + 9, 11);
    p.plot(13, 14, 15);
    p.rect(4, 36, 35, 36, 14);                          // collar
}

void writePalette(RomImage& rom, int palette) {
    Dice dice{std::uint32_t(700 + palette)};
    const int hairR = 40 + dice.below(200), hairG = 30 + dice.below(150), hairB = 20 + dice.below(120);
    const int clothR = dice.below(200), clothG = dice.below(200), clothB = 40 + dice.below(200);
    const int skin = dice.below(3);
    const PaletteColor colours[16] = {
        steppedColor(40 + palette * 8, 60, 100),
        steppedColor(24, 16, 16),
        steppedColor(150 - skin * 30, 96 - skin * 20, 72 - skin * 16),
        steppedColor(208 - skin * 30, 152 - skin * 24, 112 - skin * 20),
        steppedColor(248 - skin * 24, 200 - skin * 24, 160 - skin * 24),
        steppedColor(hairR / 2, hairG / 2, hairB / 2),
        steppedColor(hairR, hairG, hairB),
        steppedColor(hairR + 48, hairG + 48, hairB + 48),
        steppedColor(40, 80 + dice.below(120), 160),
        steppedColor(hairR / 3, hairG / 3, hairB / 3),
        steppedColor(240, 240, 240),
        steppedColor(176, 64, 64),
        steppedColor(clothR / 2, clothG / 2, clothB / 2),
        steppedColor(clothR, clothG, clothB),
        steppedColor(clothR + 60, clothG + 60, clothB + 60),
        steppedColor(248, 248, 248)};
    rom.put(kPortraitPalettesOffset + std::uint32_t(kPortraitPaletteBytes * palette), encodeSnesColors(colours));
}

} // namespace

void addDemoPortraits(RomImage& rom) {
    for (int palette = 0; palette < kPortraitCount; ++palette) writePalette(rom, palette);
    for (int i = 0; i < kPortraitCount; ++i) {
        PortraitRecord record;
        record.image.allocateImage(kPortraitSide, kPortraitSide);
        drawFace(record.image, i);
        rom.put(kPortraitTilesOffset + std::uint32_t(kPortraitTileBytes * i), encodePortrait(record));
        // Vicks & Wedge and the Imp share a palette, and so do Leo and Banon.
        const int palette = i == 15 ? 14 : i == 17 ? 16 : i;
        rom.put8(kPortraitPaletteNumbersOffset + std::uint32_t(i < 18 ? i : kLastPortraitNumberByte), std::uint8_t(palette));
    }
    // Bytes 18 and 19 of the number table belong to something else.
    rom.put8(kPortraitPaletteNumbersOffset + 18, 0x5A);
    rom.put8(kPortraitPaletteNumbersOffset + 19, 0xC3);
}

} // namespace morvi::demo
