#pragma once
// A field sheet as one picture of its kind (its frames side by side, as the page and the exported
// file show them), as the raw bytes of exactly the sheet, and a palette as its 32-byte file.
#include <span>
#include <string>
#include <vector>

#include "fieldsprites/field_sprites.h"

namespace morvi {

constexpr int kFieldSheetPictureWidth = 128; // frames wrap to a new row past this width
constexpr std::size_t kFieldPaletteFileBytes = 32;

struct FieldSheetLayout {
    int width = 0;
    int height = 0;
    struct Spot {
        int x = 0;
        int y = 0;
    };
    std::vector<Spot> spots; // each frame's top-left corner
};
// The frames left to right, a new row where the next frame would pass 128 pixels.
FieldSheetLayout fieldSheetLayout(const FieldSheet& sheet);
// The frame whose picture holds pixel (x, y) of the sheet picture, or -1.
int fieldFrameAtSheet(const FieldSheet& sheet, int x, int y);
// The sheet picture in the sheet's palette; absent cells and the gaps between rows colour 0.
IndexedImage fieldSheetPicture(const FieldSpriteSet& set, int index);
// Takes the frames' tiles from a picture of exactly the layout's size, each tile from the first
// frame, in order, that shows it; pixels are palette indices. "" when done; otherwise why not
// (the size, a pixel past colour 15) and nothing changes.
std::string setFieldSheetFromPicture(FieldSpriteSet& set, int index, const IndexedImage& picture);
// The sheet's bytes from a file of exactly its size; otherwise the size it must have, and
// nothing changes.
std::string setFieldSheetFromBytes(FieldSpriteSet& set, int index, std::span<const std::uint8_t> bytes);
// Palette n as 16 SNES colour words, and back from a file of exactly 32 bytes.
std::vector<std::uint8_t> fieldPaletteFile(const FieldSpriteSet& set, int palette);
std::string setFieldPaletteFromFile(FieldSpriteSet& set, int palette, std::span<const std::uint8_t> bytes);
// The sheets that open in palette n, in order (the vehicles as kVehicleSheet): the ones a
// change of its colours reaches beside the sheet being edited.
std::vector<int> fieldSheetsInPalette(const FieldSpriteSet& set, int palette);

} // namespace morvi
