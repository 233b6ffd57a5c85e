// The demo ROM's monsters and espers: creatures drawn by code in a dozen shapes and a few
// sizes, both depths and both sizes, palette variants sharing their graphics, palettes shared
// between creatures, a few molds that mark empty tiles, and names in the game's text codes.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "image/demo_art.h"
#include "rom/rom_image.h"
#include "image/snes_codec.h"
#include "monsters/monster_rom_builder.h"
#include "monsters/monster_module.h"

namespace morvi::demo {

namespace {

// Colour indices: 1 outline, 2..5 body from dark to light, 6 accent, 7 eye white;
// 16-colour pictures add 8..11 a second ramp, 12 mouth, 13 glow, 14 and 15 highlights.
constexpr std::uint8_t kOutline = 1, kBody = 2, kAccent = 6, kWhite = 7, kSecond = 8, kMouth = 12, kGlow = 13;

enum Small { Blob, Bat, Eye, Ghost, Shroom, Fish, Bird, Snake, Crab, Bloom, Golem, Imp, kSmallKinds };
enum Large { Dragon, Titan, Treant, Behemoth, Knight, kLargeKinds };

constexpr std::array<const char*, kSmallKinds> kSmallNames = {"Blob", "Bat", "Eye", "Ghost", "Shroom", "Fish",
                                                              "Bird", "Snake", "Crab", "Bloom", "Golem", "Imp"};
constexpr std::array<const char*, kLargeKinds> kLargeNames = {"Drake", "Titan", "Treant", "Beast", "Knight"};
constexpr std::array<const char*, 16> kPrefixes = {"Moss", "Fire", "Ice", "Dusk", "Sand", "Bog", "Sky", "Iron",
                                                   "Mad", "Old", "Tiny", "Red", "Blue", "Gold", "Gloom", "Wild"};
constexpr std::array<const char*, 27> kEsperNames = {
    "Aurelis", "Brumm", "Cindra", "Dovan", "Elowen", "Fenric", "Gravis", "Halcyon", "Isolde", "Jorun",
    "Kestrel", "Lumen", "Morrow", "Nerith", "Ondine", "Pyrra", "Quill", "Rhune", "Sable", "Thessa",
    "Umbral", "Vesper", "Wyrda", "Xandor", "Ysolde", "Zephra", "Astra"};

std::uint8_t ramp(int step, bool sixteen, bool second) {
    return std::uint8_t((second && sixteen ? kSecond : kBody) + std::clamp(step, 0, 3));
}

void eyes(Painter& p, double cx, double cy, double gap, double r, bool glow) {
    for (double side : {-1.0, 1.0}) {
        p.ellipse(cx + side * gap, cy, r, r, kWhite);
        p.ellipse(cx + side * gap + r * 0.2, cy + r * 0.2, r * 0.5, r * 0.5, glow ? kGlow : kOutline);
    }
}

// Draws one small creature in a 64 x 64 picture. Its outline depends on kind and size only;
// the dice change details inside the body.
void drawSmall(IndexedImage& img, int kind, int size, bool sixteen, Dice& dice) {
    Painter p(img);
    const double s = 0.55 + 0.22 * size; // 0.55, 0.77, 0.99 of the picture
    const double w = 60 * s, h = 60 * s, cx = 2 + w / 2, cy = 2 + h / 2;
    switch (kind) {
    case Blob:
        p.shadedEllipse(cx, cy + h * 0.1, w / 2, h * 0.4, kBody, 4);
        p.rect(int(cx - w / 2 + 2), int(cy + h * 0.35), int(cx + w / 2 - 2), int(cy + h * 0.45), kBody);
        break;
    case Bat:
        p.triangle(cx, cy, 2, cy - h * 0.35, cx - w * 0.15, cy + h * 0.3, ramp(1, sixteen, true));
        p.triangle(cx, cy, 2 + w, cy - h * 0.35, cx + w * 0.15, cy + h * 0.3, ramp(1, sixteen, true));
        p.shadedEllipse(cx, cy, w * 0.2, h * 0.25, kBody, 4);
        p.triangle(cx - w * 0.15, cy - h * 0.15, cx - w * 0.08, cy - h * 0.45, cx, cy - h * 0.15, kBody + 1);
        p.triangle(cx + w * 0.15, cy - h * 0.15, cx + w * 0.08, cy - h * 0.45, cx, cy - h * 0.15, kBody + 1);
        break;
    case Eye:
        p.shadedEllipse(cx, cy, w / 2, h / 2, kBody, 4);
        p.ellipse(cx, cy, w * 0.34, h * 0.3, kWhite);
        break;
    case Ghost:
        p.shadedEllipse(cx, cy - h * 0.1, w * 0.4, h * 0.38, kBody, 4);
        p.rect(int(cx - w * 0.4), int(cy - h * 0.1), int(cx + w * 0.4), int(cy + h * 0.35), kBody + 2);
        for (int k = 0; k < 4; ++k)
            p.ellipse(cx - w * 0.3 + k * w * 0.2, cy + h * 0.38, w * 0.1, h * 0.1, kBody + 2);
        break;
    case Shroom:
        p.rect(int(cx - w * 0.12), int(cy), int(cx + w * 0.12), int(cy + h * 0.48), kWhite);
        p.shadedEllipse(cx, cy, w / 2, h * 0.35, kBody, 4);
        p.rect(int(cx - w / 2), int(cy), int(cx + w / 2), int(cy + h * 0.05), kBody);
        break;
    case Fish:
        p.shadedEllipse(cx - w * 0.1, cy, w * 0.38, h * 0.28, kBody, 4);
        p.triangle(cx + w * 0.22, cy, 2 + w, cy - h * 0.3, 2 + w, cy + h * 0.3, ramp(2, sixteen, true));
        p.triangle(cx - w * 0.2, cy - h * 0.2, cx, cy - h * 0.45, cx + w * 0.1, cy - h * 0.2, ramp(1, sixteen, true));
        break;
    case Bird:
        p.line(cx - w * 0.05, cy + h * 0.2, cx - w * 0.1, cy + h * 0.48, 2, kAccent);
        p.line(cx + w * 0.1, cy + h * 0.2, cx + w * 0.12, cy + h * 0.48, 2, kAccent);
        p.shadedEllipse(cx, cy + h * 0.05, w * 0.3, h * 0.25, kBody, 4);
        p.shadedEllipse(cx - w * 0.22, cy - h * 0.25, w * 0.17, h * 0.17, kBody, 4);
        p.triangle(cx - w * 0.38, cy - h * 0.3, cx - w * 0.5, cy - h * 0.2, cx - w * 0.36, cy - h * 0.16, kAccent);
        p.shadedEllipse(cx + w * 0.08, cy, w * 0.22, h * 0.12, ramp(0, sixteen, true), 4);
        break;
    case Snake:
        for (int k = 0; k <= 20; ++k) {
            const double t = k / 20.0;
            p.ellipse(2 + w * 0.15 + w * 0.7 * t, cy + h * 0.3 * std::sin(t * 6.0), w * 0.1, h * 0.1, ramp(k % 4, sixteen, false));
        }
        p.shadedEllipse(2 + w * 0.88, cy + h * 0.3 * std::sin(6.0) - h * 0.05, w * 0.13, h * 0.12, kBody, 4);
        break;
    case Crab:
        for (int k = 0; k < 3; ++k) {
            p.line(cx - w * 0.2, cy + h * 0.1, 2 + k * 4, cy + h * 0.3 + k * 4, 2, kOutline);
            p.line(cx + w * 0.2, cy + h * 0.1, 2 + w - k * 4, cy + h * 0.3 + k * 4, 2, kOutline);
        }
        p.shadedEllipse(cx, cy + h * 0.1, w * 0.35, h * 0.22, kBody, 4);
        p.shadedEllipse(cx - w * 0.38, cy - h * 0.25, w * 0.12, h * 0.12, ramp(0, sixteen, true), 4);
        p.shadedEllipse(cx + w * 0.38, cy - h * 0.25, w * 0.12, h * 0.12, ramp(0, sixteen, true), 4);
        break;
    case Bloom:
        p.rect(int(cx - 1), int(cy), int(cx + 1), int(2 + h), kAccent);
        p.ellipse(cx - w * 0.15, cy + h * 0.3, w * 0.15, h * 0.06, kAccent);
        for (int k = 0; k < 6; ++k) {
            const double a = k * 3.14159 / 3;
            p.shadedEllipse(cx + std::cos(a) * w * 0.28, cy - h * 0.15 + std::sin(a) * h * 0.28, w * 0.16, h * 0.16, kBody, 4);
        }
        p.ellipse(cx, cy - h * 0.15, w * 0.16, h * 0.16, sixteen ? kGlow : kWhite);
        break;
    case Golem:
        p.rect(int(cx - w * 0.3), int(cy - h * 0.15), int(cx + w * 0.3), int(cy + h * 0.3), kBody + 1);
        p.rect(int(cx - w * 0.2), int(2 + h * 0.05), int(cx + w * 0.2), int(cy - h * 0.15), kBody + 2);
        p.rect(int(cx - w * 0.48), int(cy - h * 0.1), int(cx - w * 0.32), int(cy + h * 0.2), kBody);
        p.rect(int(cx + w * 0.32), int(cy - h * 0.1), int(cx + w * 0.48), int(cy + h * 0.2), kBody);
        p.rect(int(cx - w * 0.25), int(cy + h * 0.3), int(cx - w * 0.08), int(2 + h - 1), kBody);
        p.rect(int(cx + w * 0.08), int(cy + h * 0.3), int(cx + w * 0.25), int(2 + h - 1), kBody);
        break;
    default: // Imp
        p.triangle(cx - w * 0.3, cy - h * 0.3, cx - w * 0.45, cy - h * 0.48, cx - w * 0.15, cy - h * 0.35, kBody);
        p.triangle(cx + w * 0.3, cy - h * 0.3, cx + w * 0.45, cy - h * 0.48, cx + w * 0.15, cy - h * 0.35, kBody);
        p.shadedEllipse(cx, cy - h * 0.22, w * 0.25, h * 0.22, kBody, 4);
        p.shadedEllipse(cx, cy + h * 0.15, w * 0.18, h * 0.2, ramp(0, sixteen, true), 4);
        p.line(cx - w * 0.1, cy + h * 0.3, cx - w * 0.15, 2 + h - 2, 3, kBody);
        p.line(cx + w * 0.1, cy + h * 0.3, cx + w * 0.15, 2 + h - 2, 3, kBody);
        break;
    }
    p.outline(kOutline);
    // Details inside the body only.
    p.onlyOverDrawn = true;
    const bool glow = sixteen && dice.below(2);
    switch (kind) {
    case Eye:
        p.ellipse(cx + dice.below(5) - 2, cy, w * 0.16, h * 0.16, sixteen ? ramp(2, true, true) : kAccent);
        p.ellipse(cx + dice.below(3) - 1, cy, w * 0.07, h * 0.07, kOutline);
        break;
    case Shroom:
        for (int k = 0; k < 3 + dice.below(4); ++k)
            p.ellipse(cx - w * 0.35 + dice.below(int(w * 0.7)), cy - h * 0.05 - dice.below(int(h * 0.25)), 2.5, 2, kWhite);
        break;
    case Bloom: break;
    case Golem: eyes(p, cx, 2 + h * 0.15, w * 0.08, 2, glow); break;
    default:
        eyes(p, cx + (kind == Fish ? -w * 0.25 : kind == Bird ? -w * 0.22 : 0),
             cy + (kind == Bird || kind == Imp ? -h * 0.25 : kind == Ghost ? -h * 0.12 : 0),
             kind == Fish || kind == Bird ? 0.01 : w * 0.1, std::max(1.5, w * 0.05), glow);
        if (sixteen) p.ellipse(cx, cy + h * 0.12, w * 0.07, h * 0.03, kMouth);
        break;
    }
    for (int k = 0; k < 6; ++k) p.plot(int(cx) - 8 + dice.below(16), int(cy) - 8 + dice.below(16), std::uint8_t(kBody + 3));
}

void drawLarge(IndexedImage& img, int kind, int size, Dice& dice) {
    Painter p(img);
    const double s = 0.7 + 0.3 * size;
    const double w = 124 * s, h = 124 * s, cx = 2 + w / 2, cy = 2 + h / 2;
    switch (kind) {
    case Dragon:
        p.triangle(cx - w * 0.1, cy - h * 0.1, cx - w * 0.45, cy - h * 0.45, cx + w * 0.15, cy - h * 0.2, kSecond + 1);
        p.triangle(cx + w * 0.1, cy - h * 0.1, cx + w * 0.45, cy - h * 0.45, cx + w * 0.25, cy - h * 0.05, kSecond + 2);
        p.shadedEllipse(cx, cy + h * 0.1, w * 0.3, h * 0.22, kBody, 4);
        p.line(cx + w * 0.2, cy + h * 0.2, cx + w * 0.48, cy + h * 0.45, w * 0.08, kBody + 1);
        p.line(cx - w * 0.15, cy, cx - w * 0.35, cy - h * 0.25, w * 0.1, kBody + 2);
        p.shadedEllipse(cx - w * 0.38, cy - h * 0.3, w * 0.12, h * 0.09, kBody, 4);
        p.rect(int(cx - w * 0.2), int(cy + h * 0.25), int(cx - w * 0.1), int(cy + h * 0.45), kBody);
        p.rect(int(cx + w * 0.05), int(cy + h * 0.25), int(cx + w * 0.15), int(cy + h * 0.45), kBody);
        break;
    case Titan:
        p.shadedEllipse(cx, cy - h * 0.32, w * 0.14, h * 0.13, kBody, 4);
        p.rect(int(cx - w * 0.3), int(cy - h * 0.2), int(cx + w * 0.3), int(cy + h * 0.15), kSecond + 2);
        p.rect(int(cx - w * 0.45), int(cy - h * 0.2), int(cx - w * 0.32), int(cy + h * 0.2), kBody + 1);
        p.rect(int(cx + w * 0.32), int(cy - h * 0.2), int(cx + w * 0.45), int(cy + h * 0.2), kBody + 1);
        p.rect(int(cx - w * 0.25), int(cy + h * 0.15), int(cx - w * 0.05), int(cy + h * 0.48), kSecond + 1);
        p.rect(int(cx + w * 0.05), int(cy + h * 0.15), int(cx + w * 0.25), int(cy + h * 0.48), kSecond + 1);
        break;
    case Treant:
        p.rect(int(cx - w * 0.1), int(cy - h * 0.1), int(cx + w * 0.1), int(cy + h * 0.48), kSecond + 1);
        for (int k = 0; k < 5; ++k)
            p.shadedEllipse(cx - w * 0.25 + k * w * 0.12, cy - h * 0.25 - (k % 2) * h * 0.1, w * 0.2, h * 0.18, kBody, 4);
        p.line(cx, cy + h * 0.1, cx - w * 0.35, cy + h * 0.3, w * 0.05, kSecond);
        p.line(cx, cy + h * 0.1, cx + w * 0.35, cy + h * 0.3, w * 0.05, kSecond);
        break;
    case Behemoth:
        p.shadedEllipse(cx, cy, w * 0.4, h * 0.25, kBody, 4);
        for (double lx : {-0.3, -0.12, 0.12, 0.3})
            p.rect(int(cx + w * lx - w * 0.05), int(cy + h * 0.1), int(cx + w * lx + w * 0.05), int(cy + h * 0.45), kBody + 1);
        p.shadedEllipse(cx - w * 0.38, cy - h * 0.15, w * 0.14, h * 0.13, kBody, 4);
        p.triangle(cx - w * 0.45, cy - h * 0.25, cx - w * 0.48, cy - h * 0.45, cx - w * 0.38, cy - h * 0.27, kWhite);
        p.triangle(cx - w * 0.32, cy - h * 0.25, cx - w * 0.25, cy - h * 0.45, cx - w * 0.28, cy - h * 0.2, kWhite);
        break;
    default: // Knight
        p.shadedEllipse(cx, cy - h * 0.33, w * 0.12, h * 0.12, kSecond, 4);
        p.triangle(cx - w * 0.28, cy - h * 0.2, cx + w * 0.28, cy - h * 0.2, cx, cy + h * 0.3, kSecond + 2);
        p.rect(int(cx - w * 0.12), int(cy + h * 0.1), int(cx - w * 0.03), int(cy + h * 0.48), kSecond + 1);
        p.rect(int(cx + w * 0.03), int(cy + h * 0.1), int(cx + w * 0.12), int(cy + h * 0.48), kSecond + 1);
        p.line(cx + w * 0.3, cy + h * 0.3, cx + w * 0.45, cy - h * 0.45, w * 0.04, kWhite);
        p.shadedEllipse(cx - w * 0.3, cy, w * 0.13, h * 0.2, kBody, 4);
        break;
    }
    p.outline(kOutline);
    p.onlyOverDrawn = true;
    const double ex = kind == Dragon ? cx - w * 0.4 : kind == Behemoth ? cx - w * 0.4 : cx;
    const double ey = kind == Dragon ? cy - h * 0.32 : kind == Behemoth ? cy - h * 0.16 : kind == Treant ? cy - h * 0.05 : cy - h * 0.34;
    eyes(p, ex, ey, w * 0.04, std::max(2.0, w * 0.02), dice.below(2));
    for (int k = 0; k < 30; ++k)
        p.plot(int(cx) - 30 + dice.below(60), int(cy) - 20 + dice.below(40), std::uint8_t(kBody + 3));
}

void writePalette(MonsterRomBuilder& b, int p, double hue, double hue2) {
    const int base = p * 8;
    if (p % 2) {
        // The second half of a 16-colour pair: a second ramp, mouth, glow and highlights.
        for (int i = 0; i < 4; ++i) b.setPaletteColor(base + i, hslColor(hue2, 0.25 + 0.17 * i, 0.8));
        b.setPaletteColor(base + 4, makeColor(200, 40, 48));
        b.setPaletteColor(base + 5, makeColor(248, 224, 64));
        b.setPaletteColor(base + 6, hslColor(hue, 0.85, 0.5));
        b.setPaletteColor(base + 7, makeColor(248, 248, 248));
        return;
    }
    b.setPaletteColor(base + 0, makeColor(0, 0, 0));
    b.setPaletteColor(base + 1, makeColor(16, 16, 24));
    for (int i = 0; i < 4; ++i) b.setPaletteColor(base + 2 + i, hslColor(hue, 0.2 + 0.18 * i, 0.9));
    b.setPaletteColor(base + 6, hslColor(hue2, 0.55, 0.9));
    b.setPaletteColor(base + 7, makeColor(240, 240, 232));
}

} // namespace

void addDemoMonsters(RomImage& rom) {
    MonsterRomBuilder b;
    for (int p = 0; p < kMonsterPaletteCount; ++p) writePalette(b, p, ((p / 2) % 24) / 24.0, (((p / 2) * 7 + 5) % 24) / 24.0);
    Dice dice(2026);
    // Unique pictures first; later entries reuse them with other palettes.
    struct Slot {
        std::uint16_t offset;
        int colors;
        bool large;
        int mold;
        std::string kind;
    };
    std::vector<Slot> slots;
    auto addPicture = [&](IndexedImage& img, bool large, int colors, const std::string& kind, bool extraEmptyTile) {
        Mold mold = MonsterRomBuilder::moldOfPixels(img, large);
        if (extraEmptyTile) {
            // The ROM's mold marks one tile more than the picture covers; the editor drops it.
            const int side = large ? 16 : 8;
            for (int cell = side * side - 1; cell >= 0; --cell)
                if (!mold[std::size_t(cell)]) {
                    mold[std::size_t(cell)] = 1;
                    break;
                }
        }
        const int number = b.addMold(large, mold);
        auto tiles = MonsterRomBuilder::encodeTiles(img, mold, large, colors);
        slots.push_back({b.addTileData(tiles), colors, large, number, kind});
    };
    for (int kind = 0; kind < kLargeKinds; ++kind)
        for (int size = 0; size < 2; ++size) {
            IndexedImage img;
            img.allocateImage(128, 128);
            drawLarge(img, kind, size, dice);
            addPicture(img, true, 16, kLargeNames[std::size_t(kind)], false);
        }
    for (int round = 0; round < 16; ++round)
        for (int kind = 0; kind < kSmallKinds; ++kind) {
            const int size = (round + kind) % 3;
            const bool sixteen = (round + kind) % 2 == 0;
            IndexedImage img;
            img.allocateImage(64, 64);
            drawSmall(img, kind, size, sixteen, dice);
            addPicture(img, false, sixteen ? 16 : 8, kSmallNames[std::size_t(kind)], round == 3 && kind < 4);
        }
    // Assign entries: the first entries take the pictures in turn; the rest are palette
    // variants of earlier ones and share their tile data.
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        const int picture = i < int(slots.size()) ? (i * 37) % int(slots.size()) : (i * 11) % int(slots.size());
        const Slot& slot = slots[std::size_t(picture)];
        // Palettes are shared: every third creature takes a neighbour's palette.
        const int palette = (i % 3 == 0 ? (i / 3) * 2 : i * 2) % (kMonsterPaletteCount - 1);
        b.setInfo(i, slot.offset, slot.colors, slot.large, palette, slot.mold);
        if (i < kMonsterCount) {
            std::string name = std::string(kPrefixes[std::size_t((i / 7) % 16)]) + " " + slot.kind;
            b.setName(i, name.substr(0, kMonsterNameLength));
        } else if (i < kFirstEsper + kEsperCount) {
            b.setName(i, kEsperNames[std::size_t(i - kFirstEsper)]);
        }
    }
    // The game pads its small molds to 128.
    while (b.moldCount(false) < kPaddedSmallMolds) b.addMold(false, Mold{}, false);
    b.writeTo(rom);
}

} // namespace morvi::demo
