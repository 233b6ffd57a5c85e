#pragma once
// 4-bit files keep their palette order: the readers preset the image palette from the file and
// a pixel keeps its file index. Looking its colour up instead would move pixels of a palette
// that repeats a colour (the game's palettes often do) to the lower index, and a picture
// exported and imported again would no longer be the same picture.
#include "image/indexed_image.h"

namespace morvi {

inline int placePixel(IndexedImage& image, int presetCount, int index, PaletteColor color, int x, int y) {
    if (index >= 0 && index < presetCount) {
        image.setPixel(x, y, std::uint8_t(index));
        return image.colorCount;
    }
    return image.setPixelColor(color, x, y);
}

} // namespace morvi
