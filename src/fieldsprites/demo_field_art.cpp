#include "fieldsprites/demo_field_art.h"

#include "image/demo_art.h"

namespace morvi::demo {

namespace {

enum class Facing { Down, Up, Left };

// A townsperson: styles vary the clothes (robe, hat, beard, armour) and the colours' use.
void drawPerson(Painter& p, Facing facing, int step, int arms, bool eyesShut, int style) {
    const int robe = style % 4 == 0;
    // Legs and feet, one of them lifted on a step.
    if (!robe) {
        p.rect(4, 17, 6, 22 - (step == 1 ? 1 : 0), 10);
        p.rect(9, 17, 11, 22 - (step == 2 ? 1 : 0), 10);
        p.rect(4, 22 - (step == 1 ? 1 : 0), 6, 23 - (step == 1 ? 1 : 0), 11);
        p.rect(9, 22 - (step == 2 ? 1 : 0), 11, 23 - (step == 2 ? 1 : 0), 11);
    }
    // Body: a tunic, or a robe down to the ground.
    p.rect(4, 11, 11, robe ? 23 : 18, std::uint8_t(7 + style % 2));
    p.rect(5, 11, 10, 12, 9);
    if (style % 4 == 3) p.rect(4, 14, 11, 15, 14); // armour's belt
    // Arms: at the sides, swinging with the step, or raised (1 one arm, 2 both, 3 one higher).
    const int swing = step == 0 ? 0 : step == 1 ? 1 : -1;
    // A waving pose has tiles of its own on the left only: that arm is the one raised.
    if (arms == 0) p.line(3, 12, 2, 16 + swing, 2, 8);
    else p.line(3, 12, 1, arms == 3 ? 3 : 6, 2, 8);
    if (arms == 2) p.line(12, 12, 14, 6, 2, 8);
    else p.line(12, 12, 13, 16 - swing, 2, 8);
    // Head.
    p.shadedEllipse(8, 6, 5, 5, 2, 2);
    const std::uint8_t hair = std::uint8_t(4 + style % 3);
    if (facing == Facing::Up) p.ellipse(8, 6, 5.2, 5.2, hair);
    else p.ellipse(facing == Facing::Left ? 9 : 8, 3, 5.5, 2.5, hair);
    if (style % 4 == 1) p.rect(2, 0, 13, 1, 12); // a hat's brim
    if (style % 4 == 2 && facing != Facing::Up) p.rect(5, 9, 10, 11, 13); // a beard
    if (facing == Facing::Up) return;
    const int eyeRows = eyesShut ? 0 : 1;
    p.rect(facing == Facing::Left ? 4 : 5, 6, facing == Facing::Left ? 4 : 5, 6 + eyeRows, 11);
    if (facing == Facing::Down) p.rect(10, 6, 10, 6 + eyeRows, 11);
}

IndexedImage blank(const FieldFrame& frame) {
    IndexedImage image;
    image.allocateImage(frame.width(), frame.height());
    return image;
}

IndexedImage personPose(const FieldFrame& frame, int style) {
    IndexedImage image = blank(frame);
    Painter p(image);
    const int pose = frame.pose;
    if (pose >= 0 && pose < 9) {
        const Facing facing = pose < 3 ? Facing::Down : pose < 6 ? Facing::Up : Facing::Left;
        drawPerson(p, facing, pose % 3 == 1 ? 0 : pose % 3 == 0 ? 1 : 2, 0, false, style);
    } else {
        // The extra poses: waving (two heights), both arms up, looking down, singing.
        const int arms = pose == 0x2A ? 1 : pose == 0x2B ? 3 : pose == 0x29 || pose == 0x2D ? 2 : 0;
        drawPerson(p, Facing::Down, 0, arms, pose == 0x2C || pose == 0x37, style);
        if (pose == 0x36) p.rect(7, 8, 8, 9, 1); // the open mouth
    }
    p.outline(1);
    return image;
}

// An old sage with a staff: standing, staff raised, eyes closed.
IndexedImage sagePose(const FieldFrame& frame) {
    IndexedImage image = blank(frame);
    Painter p(image);
    drawPerson(p, Facing::Down, 0, 0, frame.pose == 0x31, 2);
    const int top = frame.pose == 0x30 ? 0 : 4;
    p.line(14, top, 14, 23, 1.5, 12);
    p.ellipse(14, top + 1, 1.5, 1.5, 14);
    p.outline(1);
    return image;
}

// A rider on a bird, the rider's arm forward or back.
IndexedImage riderPose(const FieldFrame& frame) {
    IndexedImage image = blank(frame);
    Painter p(image);
    p.ellipse(8, 19, 7, 4, 14);
    p.rect(0, 13, 2, 19, 14);
    p.rect(4, 22, 5, 23, 12), p.rect(10, 22, 11, 23, 12);
    p.rect(5, 8, 10, 16, 7);
    p.line(5, 10, frame.pose == 0x2F ? 1 : 3, frame.pose == 0x2F ? 10 : 14, 2, 8);
    p.shadedEllipse(8, 4, 4, 4, 2, 2);
    p.ellipse(9, 1, 4.5, 2, 5);
    p.outline(1);
    return image;
}

// Things that stand still: a statue, a signpost, a barrel, a sleeping figure.
IndexedImage stillArt(const FieldFrame& frame, int index) {
    IndexedImage image = blank(frame);
    Painter p(image);
    switch (index % 4) {
    case 0: drawPerson(p, Facing::Down, 0, 2, true, 3), p.rect(1, 20, 14, 23, 10); break;
    case 1: p.rect(7, 8, 8, 23, 12), p.rect(1, 3, 14, 9, 14), p.rect(3, 5, 12, 6, 11); break;
    case 2: p.shadedEllipse(8, 15, 6, 8, 12, 2), p.rect(2, 10, 13, 11, 11), p.rect(2, 19, 13, 20, 11); break;
    default: p.rect(0, 14, 15, 23, 13), p.shadedEllipse(5, 13, 4, 3, 2, 2), p.rect(6, 15, 15, 20, 7); break;
    }
    p.outline(1);
    return image;
}

// Objects: the top row (tile 0, shown twice) and a 16 x 16 frame under it: a flame, a chest
// opening, a sparkle, a door.
IndexedImage objectArt(const FieldFrame& frame, int index, int f) {
    IndexedImage image = blank(frame);
    Painter p(image);
    switch (index % 4) {
    case 0: // a flame that flickers
        p.rect(5, 20, 10, 23, 12);
        p.triangle(8, 8 + 2 * (f % 2), 3, 20, 13, 20, 14);
        p.triangle(8, 12 + f % 3, 6, 20, 10, 20, 13);
        break;
    case 1: // a chest whose lid lifts
        p.rect(1, 14, 14, 23, 12);
        p.rect(1, 10 - 2 * f, 14, 13 - 2 * f, 14);
        p.rect(7, 16, 8, 18, 11);
        break;
    case 2: { // a sparkle turning
        const double r = 6 - f;
        p.line(8 - r, 16, 8 + r, 16, 1, 13);
        p.line(8, 16 - r, 8, 16 + r, 1, 13);
        p.ellipse(8, 16, 2, 2, 14);
        p.rect(6, 2, 9, 5, 15); // the top row's glint
        break;
    }
    default: // a door sliding open
        p.rect(0, 8, 15, 23, 10);
        p.rect(2 + 3 * f, 10, 13, 23, 11);
        p.rect(2, 2, 13, 7, 12);
        break;
    }
    p.outline(1);
    return image;
}

// Special sprites: an orb or a bird (16 x 16), a wheel or a gate (32 x 32), shifted a little
// from frame to frame.
IndexedImage specialArt(const FieldFrame& frame, int index, int f) {
    IndexedImage image = blank(frame);
    Painter p(image);
    const double w = frame.width(), h = frame.height();
    if (index % 2) {
        p.shadedEllipse(w / 2, h / 2, w / 2 - 1, h / 2 - 1 - f, 7, 3);
        p.ellipse(w / 3, h / 3, w / 8, h / 8, 13);
    } else {
        p.rect(1, int(h / 2), int(w) - 2, int(h) - 2, 12);
        p.triangle(w / 2, 1 + f, 1, h / 2, w - 1, h / 2, 4);
        p.rect(int(w / 2) - 1, int(h * 0.6), int(w / 2) + 1, int(h) - 2, 11);
    }
    p.outline(1);
    return image;
}

} // namespace

IndexedImage fieldFrameArt(const FieldSheet& sheet, int index, int frame) {
    const FieldFrame& f = sheet.frames[std::size_t(frame)];
    switch (sheet.kind) {
    case FieldSheetKind::Person: return personPose(f, index);
    case FieldSheetKind::Ramuh: return sagePose(f);
    case FieldSheetKind::RidingTiles: return riderPose(f);
    case FieldSheetKind::Still: return stillArt(f, index);
    case FieldSheetKind::Object: return objectArt(f, index, frame);
    case FieldSheetKind::Special16:
    case FieldSheetKind::Special32: return specialArt(f, index, frame);
    default: return blank(f);
    }
}

IndexedImage vehicleArt() {
    IndexedImage image;
    image.allocateImage(128, 128);
    Painter p(image);
    // Rows 0-1: the raft's planks, four 16 x 16 pieces and their shadows.
    for (int x = 0; x < 64; x += 16) {
        p.rect(x + 1, 3, x + 14, 12, 12);
        for (int k = 0; k < 4; ++k) p.rect(x + 1, 4 + 2 * k, x + 14, 4 + 2 * k, 11);
    }
    // Rows 2-7: chocobos, 16 x 16 each, in steps.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 8; ++col) {
            const int x = 16 * col, y = 16 + 16 * row;
            p.ellipse(x + 8, y + 9, 5, 4, 14);
            p.rect(x + 3 + col % 2, y + 2, x + 4 + col % 2, y + 8, 14);
            p.ellipse(x + 4, y + 2, 2, 2, 14);
            p.rect(x + 6, y + 13, x + 6, y + 15 - col % 2, 12), p.rect(x + 10, y + 13, x + 10, y + 14 + col % 2, 12);
        }
    // Rows 8-13: magitek armour, walking.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 8; ++col) {
            const int x = 16 * col, y = 64 + 16 * row;
            p.rect(x + 3, y + 2, x + 12, y + 9, 10);
            p.rect(x + 5, y + 3, x + 10, y + 6, 9);
            p.rect(x + 3 + col % 3, y + 10, x + 5 + col % 3, y + 15, 11);
            p.rect(x + 10 - col % 3, y + 10, x + 12 - col % 3, y + 15, 11);
        }
    // Rows 14-15: parts only a battle shows.
    for (int x = 0; x < 128; x += 16) p.shadedEllipse(x + 8, 120, 6, 6, 7, 3);
    p.outline(1);
    return image;
}

} // namespace morvi::demo
