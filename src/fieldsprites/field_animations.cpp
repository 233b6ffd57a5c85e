#include "fieldsprites/field_animations.h"

#include <algorithm>

#include "characters/poses.h"

namespace morvi {

namespace {

Animation make(const char* name, const char* title, const std::string& sequence) {
    std::string error;
    return Animation{name, title, false, 8, parsePoseSequence(sequence, error).value_or(std::vector<AnimationFrame>{})};
}

// The frames in order: "0 1 2 3".
std::string inOrder(std::size_t count) {
    std::string text;
    for (std::size_t f = 0; f < count; ++f) {
        if (f) text += ' ';
        text += std::to_string(f);
    }
    return text;
}

std::vector<Animation> framesOrFlip(std::size_t count) {
    if (count == 1) return {make("flip", "one frame flipped back and forth", "0 0m")};
    return {make("frames", "frames in turn", inOrder(count))};
}

} // namespace

std::vector<Animation> fieldAnimations(const FieldSheet& sheet) {
    switch (sheet.kind) {
    case FieldSheetKind::Person:
        // A person's first nine frames are poses 0 to 8, so the game's walks apply as they are.
        return {make("walk-up", "walk up", "4 5 4 3"), make("walk-right", "walk right", "7m 8m 7m 6m"),
                make("walk-down", "walk down", "1 2 1 0"), make("walk-left", "walk left", "7 8 7 6")};
    case FieldSheetKind::RidingTiles: // frames: Riding 1, Riding 2
        return {make("ride-left", "riding left", "1 0 1 0"), make("ride-right", "riding right", "1m 0m 1m 0m")};
    case FieldSheetKind::Ramuh: return {make("frames", "poses in turn", inOrder(sheet.frames.size()))};
    case FieldSheetKind::Still:
    case FieldSheetKind::Object:
    case FieldSheetKind::Special16:
    case FieldSheetKind::Special32: return framesOrFlip(sheet.frames.size());
    case FieldSheetKind::Character:
    case FieldSheetKind::Vehicles: break;
    }
    return {};
}

IndexedImage renderFieldAnimationFrame(const FieldSpriteSet& set, int index, AnimationFrame frame) {
    IndexedImage image = renderFieldFrame(set, index, frame.pose);
    if (!image.hasPixels()) return image;
    auto mirrorRows = [&](int from) {
        for (int y = std::max(0, from); y < image.height; ++y)
            std::reverse(image.pixels.begin() + std::ptrdiff_t(y) * image.width,
                         image.pixels.begin() + std::ptrdiff_t(y + 1) * image.width);
    };
    const FieldSheet& sheet = set.sheet(index);
    if (sheet.kind == FieldSheetKind::Person && poseHasMirroredFeet(sheet.frames[std::size_t(frame.pose)].pose))
        mirrorRows(image.height - 8);
    if (frame.mirrored) mirrorRows(0);
    return image;
}

} // namespace morvi
