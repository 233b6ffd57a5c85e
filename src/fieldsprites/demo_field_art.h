#pragma once
// The demo ROM's pictures for the field sheets, drawn in code in the palette roles the demo's
// palettes share: 1 outline, 2-3 skin, 4-6 first ramp, 7-9 second ramp, 10 third, 11 darkest,
// 12-15 accents.
#include "fieldsprites/field_sprites.h"

namespace morvi::demo {

// Frame `frame` of sheet `index` as the demo draws it, at the frame's size.
IndexedImage fieldFrameArt(const FieldSheet& sheet, int index, int frame);
// The vehicles' 128 x 128 grid: raft, chocobos, magitek armour, battle-only parts.
IndexedImage vehicleArt();

} // namespace morvi::demo
