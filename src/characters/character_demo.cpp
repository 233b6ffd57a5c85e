// The demo ROM's character sprites: the game's pose table (a table of tile numbers) with small
// figures drawn here for what each pose is: walking four ways with steps, battle stances,
// casting, kneeling, knocked out, riding and lying. Each pose is drawn whole; a tile several
// poses share takes the first of them in pose order, as the game's own sprites do. Characters
// 0 to 15 have 181 tiles; 16 to 21 have 171 and follow one another, as in the game.
#include <algorithm>
#include <array>

#include "characters/characters.h"
#include "image/demo_art.h"
#include "rom/rom_image.h"
#include "image/snes_codec.h"
#include "characters/character_module.h"

namespace morvi::demo {

namespace {

// The game's pose table: six tiles a pose (top-left, top-right, middle-left, middle-right,
// bottom-left, bottom-right).
constexpr std::array<std::uint8_t, kSpriteTileEntries> kPoseTable = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x00, 0x01, 0x06, 0x07, 0x08, 0x09, 0x00, 0x01, 0x0A, 0x0B, 0x04, 0x05,
    0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x0C, 0x0D, 0x12, 0x13, 0x14, 0x15, 0x0C, 0x0D, 0x16, 0x17, 0x10, 0x11,
    0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x18, 0x19, 0x24, 0x25, 0x26, 0x27,
    0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49,
    0x1E, 0x1F, 0x28, 0x29, 0x2A, 0x2B, 0x18, 0x19, 0x2C, 0x1B, 0x2D, 0x1D, 0x18, 0x2E, 0x2F, 0x30, 0x31, 0x32,
    0x1E, 0x33, 0x34, 0x35, 0x36, 0x37, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x4A, 0x4B, 0x50, 0x4D, 0x4E, 0x4F,
    0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x00, 0x01, 0x5D, 0x5E, 0x08, 0x09, 0x00, 0x01, 0x06, 0x5F, 0x08, 0x09,
    0x96, 0x1F, 0x97, 0x21, 0x22, 0x23, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75,
    0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x6A, 0x01, 0x6C, 0x07, 0x6E, 0x09, 0x82, 0x01, 0x83, 0x07, 0x6E, 0x09,
    0x0C, 0x71, 0x12, 0x73, 0x14, 0x75, 0x0C, 0x84, 0x12, 0x85, 0x14, 0x75, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65,
    0x66, 0x67, 0x68, 0x69, 0x64, 0x65, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x86, 0x87, 0x88, 0x89, 0x08, 0x09,
    0x8A, 0x8B, 0x8C, 0x8D, 0x14, 0x15, 0x8E, 0x8F, 0x90, 0x91, 0x22, 0x23, 0x92, 0x93, 0x94, 0x95, 0x08, 0x09,
    0xA3, 0xA4, 0x98, 0x99, 0x9A, 0x9B, 0xA3, 0xA4, 0x9C, 0x99, 0x9A, 0x9B, 0x9D, 0x9E, 0x9F, 0xA0, 0xA1, 0xA2,
    0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA};

// Colours: 1 outline, 2..3 skin, 4..6 hair, 7..9 tunic, 10 trousers, 11 boots and eyes. 12 to
// 15 (which a battle replaces) only in a few poses' trim, so the page has something to warn of.
enum Facing { Down, Up, Left };
enum Arms { Rest, SwingA, SwingB, BackRaised, FrontRaised, BothUp, Forward, Wave, Finger };
enum Legs { Stand, StepA, StepB, Kneel };
enum Face { Open, Closed, Wink, Angry, Surprised, Laughing, Crying, LookDown };

struct Look {
    Facing facing = Down;
    Arms arms = Rest;
    Legs legs = Stand;
    Face face = Open;
};

Look lookOf(int pose) {
    switch (pose) {
    case 0: return {Down, SwingA, StepA};
    case 1: return {Down};
    case 2: return {Down, SwingB, StepA};
    case 3: return {Up, SwingA, StepA};
    case 4: return {Up};
    case 5: return {Up, SwingB, StepA};
    case 6: return {Left, SwingA, StepA};
    case 7: return {Left};
    case 8: return {Left, SwingB, StepB};
    case 10: return {Left, Forward, StepB, Angry};
    case 11: return {Left, BackRaised, StepB, Closed};
    case 12: return {Left, Rest, Stand};
    case 13: return {Left, BackRaised, StepA};
    case 14: return {Left, FrontRaised, StepA};
    case 15: return {Left, BothUp, StepB};
    case 16: return {Left, Forward, Stand, Closed};
    case 17: return {Left, BothUp, Stand, Closed};
    case 19: return {Down, Rest, Stand, Closed};
    case 20: return {Down, Rest, Stand, Wink};
    case 21: return {Left, Rest, Stand, Closed};
    case 22: return {Down, BothUp};
    case 23: return {Up, BothUp};
    case 24: return {Down, Forward, Stand, Angry};
    case 25: return {Down, Wave};
    case 26: return {Down, BothUp};
    case 27: return {Up, Wave};
    case 28: return {Up, BothUp};
    case 29: return {Down, Rest, StepA, Laughing};
    case 30: return {Down, Rest, StepB, Laughing};
    case 31: return {Down, BothUp, Stand, Surprised};
    case 32: return {Down, Rest, Stand, LookDown};
    case 33: return {Up, Rest, Stand, LookDown};
    case 34: return {Left, Rest, Stand, LookDown};
    case 35: return {Left, Rest, Stand, Open};
    case 36: return {Down, Finger, Stand};
    case 37: return {Down, Wave, Stand};
    case 38: return {Down, Rest, Stand, Crying};
    default: return {};
    }
}

void drawHead(Painter& p, int cx, int cy, Facing facing, Face face, int style) {
    p.shadedEllipse(cx, cy, 5, 5.5, 2, 2);
    const std::uint8_t hair = std::uint8_t(4 + style % 3);
    if (facing == Up) {
        p.ellipse(cx, cy, 5.2, 5.6, hair);
        p.rect(cx - 4, cy - 5, cx + 3, cy - 4, 6);
        return;
    }
    p.ellipse(cx + (facing == Left ? 1 : 0), cy - 4, 5.5, 2.6, hair);
    if (style % 2) p.rect(cx - 5, cy - 2, cx - 4, cy + 3, 5);
    if (facing == Left) p.rect(cx + 2, cy - 2, cx + 5, cy + 4, hair);
    const int eyeY = face == LookDown ? cy + 1 : cy;
    auto eye = [&](int x) {
        switch (face) {
        case Closed:
        case Laughing: p.rect(x, eyeY + 1, x + 1, eyeY + 1, 11); break;
        case Surprised: p.rect(x, eyeY - 1, x + 1, eyeY + 1, 11); break;
        default: p.rect(x, eyeY, x, eyeY + 1, 11);
        }
    };
    if (facing == Down) {
        eye(cx - 3);
        if (face == Wink) p.rect(cx + 2, eyeY + 1, cx + 3, eyeY + 1, 11);
        else eye(cx + 2);
        if (face == Laughing || face == Surprised) p.rect(cx - 1, cy + 3, cx, cy + 4, 1);
        if (face == Angry) p.line(cx - 4, cy - 2, cx - 1, cy - 1, 1, 1);
        if (face == Crying) p.rect(cx - 3, eyeY + 2, cx - 3, eyeY + 4, 9);
    } else {
        eye(cx - 3);
        p.plot(cx - 5, cy + 2, 2); // nose
        if (face == Angry) p.line(cx - 4, cy - 2, cx - 2, cy - 1, 1, 1);
    }
}

void drawArm(Painter& p, int shoulderX, int shoulderY, int handX, int handY) {
    p.line(shoulderX, shoulderY, handX, handY, 2, 8);
    p.rect(handX - 1, handY - 1, handX, handY, 3);
}

void drawBody(Painter& p, const Look& look, int style, int dy) {
    const int top = 12 + dy;
    // Legs first, so the tunic covers their tops.
    auto leg = [&](int x, int footDy) {
        p.rect(x, top + 6, x + 2, 22 + dy - footDy, 10);
        p.rect(x - (look.facing == Left ? 1 : 0), 22 + dy - footDy, x + 2, 23 + dy - footDy, 11);
    };
    switch (look.legs) {
    case StepA: leg(4, 0), leg(9, 2); break;
    case StepB: leg(4, 2), leg(9, 0); break;
    case Kneel:
        p.rect(3, top + 6, 12, top + 8, 10);
        p.rect(2, top + 9, 6, 23, 10);
        p.rect(2, 22, 7, 23, 11);
        break;
    default: leg(4, 0), leg(9, 0);
    }
    p.rect(4, top, 11, top + 7, 8);
    p.rect(5, top, 10, top + 1, 9);
    p.rect(4, top + 6, 11, top + 6, 7);
    if (style % 3 == 0) p.rect(7, top + 1, 8, top + 5, 7);
    const int ly = top + 1, ry = top + 1;
    switch (look.arms) {
    case SwingA: drawArm(p, 3, ly, 2, top + 5), drawArm(p, 12, ry, 14, top + 7); break;
    case SwingB: drawArm(p, 3, ly, 1, top + 7), drawArm(p, 12, ry, 13, top + 5); break;
    case BackRaised: drawArm(p, 3, ly, 3, top + 7), drawArm(p, 12, ry, 14, top - 6); break;
    case FrontRaised: drawArm(p, 3, ly, 1, top - 6), drawArm(p, 12, ry, 12, top + 7); break;
    case BothUp: drawArm(p, 3, ly, 1, top - 7), drawArm(p, 12, ry, 14, top - 7); break;
    case Forward: drawArm(p, 3, ly, 0, top + 3), drawArm(p, 12, ry, 12, top + 7); break;
    case Wave: drawArm(p, 3, ly, 3, top + 7), drawArm(p, 12, ry, 15, top - 5); break;
    case Finger:
        drawArm(p, 3, ly, 3, top + 7), drawArm(p, 12, ry, 14, top - 3);
        p.rect(14, top - 6, 14, top - 4, 3);
        break;
    default: drawArm(p, 3, ly, 3, top + 7), drawArm(p, 12, ry, 12, top + 7);
    }
}

void drawFigure(Painter& p, int pose, int style) {
    switch (pose) {
    case 9: { // kneeling: the whole figure lower, legs folded
        const Look kneel{Left, Forward, Kneel, Open};
        drawBody(p, kneel, style, 3);
        drawHead(p, 8, 10, Left, Open, style);
        return;
    }
    case 18: { // knocked out: slumped on the ground, head down
        p.rect(1, 17, 14, 23, 8);
        p.rect(2, 16, 13, 17, 9);
        p.rect(11, 20, 15, 23, 10);
        drawHead(p, 5, 17, Up, Closed, style);
        return;
    }
    case 39: // the tent
        p.triangle(8, 6, 0, 23, 15, 23, 8);
        p.triangle(8, 12, 5, 23, 11, 23, 1);
        p.rect(7, 3, 8, 6, 11);
        return;
    default: break;
    }
    const Look look = lookOf(pose);
    drawBody(p, look, style, 0);
    drawHead(p, 8, 7, look.facing, look.face, style);
}

// Riding: the rider's upper body over the mount's back, which both riding poses share.
void drawRider(Painter& p, int pose, int style) {
    p.ellipse(8, 21, 8, 4, 6);      // the mount's back
    p.rect(0, 20, 3, 23, 4);        // its neck, to the left
    p.rect(13, 19, 15, 21, 4);      // its tail
    drawBody(p, Look{Left, pose == kRiding1Pose ? Forward : SwingB, Kneel, Open}, style, -2);
    p.ellipse(8, 20, 8, 3.5, 6);
    drawHead(p, 8, 6, Left, Open, style);
}

// Lying on the ground, head to the left (24 x 16).
void drawLying(Painter& p, int style) {
    p.rect(8, 7, 19, 13, 8);
    p.rect(8, 7, 19, 8, 9);
    p.rect(18, 9, 23, 12, 10);
    p.rect(22, 8, 23, 13, 11);
    p.line(9, 13, 16, 13, 2, 2);
    drawHead(p, 5, 10, Down, Closed, style);
}

IndexedImage poseArt(int pose, int style) {
    const PoseSize size = poseSize(pose);
    IndexedImage image;
    image.allocateImage(size.width, size.height);
    Painter p(image);
    if (pose == kLyingPose) drawLying(p, style);
    else if (pose == kRiding1Pose || pose == kRiding2Pose) drawRider(p, pose, style);
    else drawFigure(p, pose, style);
    // A trim in a colour the battle replaces, on a few poses of some characters.
    if (style % 4 == 1 && (pose == 16 || pose == 17 || pose == 39)) p.rect(7, 13, 8, 14, 15);
    p.outline(1);
    return image;
}

// The character's tiles: each pose drawn, each tile from the first pose that shows it.
std::vector<std::uint8_t> characterTiles(int ch, int tileCount) {
    std::vector<std::uint8_t> bytes(std::size_t(tileCount) * 32, 0);
    std::vector<bool> done(std::size_t(tileCount), false);
    PoseTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = std::uint16_t(32 * kPoseTable[i]);
    for (int pose = 0; pose < kPoseCount; ++pose) {
        const PoseCells cells = poseCells(table, pose);
        const IndexedImage art = poseArt(pose, ch);
        for (int r = 0; r < cells.rows; ++r)
            for (int c = 0; c < cells.columns; ++c) {
                const int t = cells.tile(c, r);
                if (t >= tileCount || done[std::size_t(t)]) continue;
                done[std::size_t(t)] = true;
                encodeTile(art, c, r, bytes.data() + 32 * std::size_t(t), 16);
            }
    }
    return bytes;
}

} // namespace

void addDemoCharacters(RomImage& rom) {
    for (int i = 0; i < kSpriteTileEntries; ++i)
        rom.put16(kSpriteTileTableOffset + std::uint32_t(2 * i), std::uint16_t(32 * kPoseTable[std::size_t(i)]));
    for (int palette = 0; palette < kCharacterPaletteCount; ++palette) {
        Dice dice{std::uint32_t(1300 + palette)};
        const int hr = dice.below(248), hg = dice.below(200), hb = dice.below(160);
        const int tr = dice.below(248), tg = dice.below(248), tb = dice.below(248);
        const PaletteColor colours[16] = {
            steppedColor(0, 0, 0),        steppedColor(16, 16, 24),     steppedColor(176, 120, 88),   steppedColor(240, 192, 152),
            steppedColor(hr / 2, hg / 2, hb / 2), steppedColor(hr, hg, hb), steppedColor(hr + 50, hg + 50, hb + 50), steppedColor(tr / 2, tg / 2, tb / 2),
            steppedColor(tr, tg, tb),     steppedColor(tr + 50, tg + 50, tb + 50), steppedColor(60, 60, 100), steppedColor(40, 28, 24),
            steppedColor(96, 56, 32),     steppedColor(248, 248, 248), steppedColor(200, 160, 48), steppedColor(hb, hr, hg)};
        const std::vector<std::uint8_t> words = encodeSnesColors(colours);
        rom.put(kCharacterPalettesOffset + std::uint32_t(32 * palette), words);
        // The battle copy: palettes 0 to 5, and 7, the one no character uses.
        if (palette < kCopiedCharacterPalettes || palette == kOwnBattlePalette)
            rom.put(kCharacterPaletteCopyOffset + std::uint32_t(32 * palette), words);
    }
    // Characters with the riding tiles first, then the short blocks one after another.
    std::uint32_t offset = 0;
    for (int ch = 0; ch < kCharacterCount; ++ch) {
        const int tileCount = ch < kFirstShortCharacter ? kTilesWithRiding : kTilesWithoutRiding;
        const std::uint32_t address = kSpriteGraphicsSnesAddress + offset;
        rom.put8(kCharacterTileAddressOffset + std::uint32_t(2 * ch), std::uint8_t(address));
        rom.put8(kCharacterTileAddressOffset + std::uint32_t(2 * ch + 1), std::uint8_t(address >> 8));
        rom.put8(kCharacterTileBankOffset + std::uint32_t(2 * ch), std::uint8_t(address >> 16));
        // Palettes 0 to 8 only, so several characters share one.
        rom.put8(kCharacterPaletteNumbersOffset + std::uint32_t(ch), std::uint8_t(ch % 9));
        rom.put(kSpriteGraphicsOffset + offset, characterTiles(ch, tileCount));
        offset += std::uint32_t(tileCount * 32);
    }
    // Other graphics follow the last block: what an edit past a short block would destroy.
    Dice dice{77};
    for (std::uint32_t k = 0; k < 32 * (kTilesWithRiding - kTilesWithoutRiding); ++k)
        rom.put8(kSpriteGraphicsOffset + offset + k, std::uint8_t(dice.next()));
}

} // namespace morvi::demo
