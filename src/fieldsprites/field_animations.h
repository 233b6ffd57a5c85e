#pragma once
// What a field sheet plays: a person's walks, the riding tiles' ride, an object's or a special
// sprite's frames, a single frame flipped back and forth. The animations are the character
// family's type; here a frame's `pose` is an index into the sheet's frames.
#include <vector>

#include "characters/animations.h"
#include "fieldsprites/field_sprites.h"

namespace morvi {

std::vector<Animation> fieldAnimations(const FieldSheet& sheet);
// A sheet's frame as the game draws it on the field: the feet of Walking Down 2 and Walking Up 2
// mirrored, the whole frame mirrored when asked. Empty for a frame the sheet lacks.
IndexedImage renderFieldAnimationFrame(const FieldSpriteSet& set, int index, AnimationFrame frame);

} // namespace morvi
