#pragma once
// The palette of one picture, as palette files and the command line name it (a family and a
// picture of it: "monster:12"). Changing it changes every picture that shares it, as the
// sliders do; the family's module says where the colours live and who shares them.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "family/workspace.h"

namespace morvi {

struct PaletteTarget {
    Family family = nullptr;
    int index = 0; // a picture of the family: 0 to its picture count - 1
};

// The picture's colours as its page shows them.
std::vector<PaletteColor> targetPalette(const Workspace& ws, PaletteTarget target);
// Fills the picture's colours from the first of the given ones (colour 0 too; five bits a
// channel, as the console keeps them) and leaves the rest. False, changing nothing, for a
// palette that cannot be edited (Esper Terra's fixed one).
bool setTargetPalette(Workspace& ws, PaletteTarget target, std::span<const PaletteColor> colors, std::string& error);

// Whether colour k of the picture's palette may be edited: not colour 0 (always transparent),
// not past the picture's colours, not a fixed palette.
bool targetColorEditable(const Workspace& ws, PaletteTarget target, int k);
// Sets colour k (five bits a channel kept) and refreshes every picture that shares the palette.
// False, changing nothing, when it is not editable or already holds that colour.
bool setTargetColor(Workspace& ws, PaletteTarget target, int k, PaletteColor color);
// The colours as the palette table holds them (a fixed palette's table colours too): what the
// palette strip shows.
std::vector<PaletteColor> targetTableColors(const Workspace& ws, PaletteTarget target);
// "Transparent": colour k and colour 0 trade places in the palette and in the picture's pixels.
// False, changing nothing, when k is 0 or not editable.
bool swapWithTransparent(Workspace& ws, PaletteTarget target, int k);
// How many colours the picture shows: 8 or 16.
int targetColorCount(const Workspace& ws, PaletteTarget target);

// Puts the picture's colours in a new order: new colour k is old colour order[k], for a
// permutation of 0 to n-1 (n the picture's colour count). The pixels of every picture that
// shows the palette are renumbered to match, so each looks as before, except where colour 0
// (always transparent) takes part. A monster entry whose 16 colours only half overlap the moved
// ones follows as far as its colours allow. False, changing nothing, for an order that is not
// a permutation or a fixed palette.
bool reorderTargetPalette(Workspace& ws, PaletteTarget target, std::span<const int> order, std::string& error);
// The orders for dragging swatch `from` onto swatch `to`: the two trade places, or (moveColor)
// `from` goes to `to`'s place and the colours between shift by one.
std::vector<int> swapOrder(int count, int from, int to);
std::vector<int> moveOrder(int count, int from, int to);
// Bit k set when the picture uses colour k (the monster entry's picture, the portrait, every
// sprite of the character).
std::uint32_t colorsUsed(const Workspace& ws, PaletteTarget target);
// For a new order of colours (new colour k is old colour order[k]): what each old pixel value
// becomes; values past the order stay.
std::array<std::uint8_t, 256> renumbering(std::span<const int> order);
// Bit k set when the picture has a pixel of colour k (below 32).
std::uint32_t pixelColors(const IndexedImage& image);

} // namespace morvi
