#pragma once
// 4-bit files keep their palette order: the readers preset the image palette from the file and
// a pixel keeps its file index. Looking its colour up instead would move pixels of a palette
// that repeats a colour (the game's palettes often do) to the lower index, and a picture
// exported and imported again would no longer be the same picture.
#include <algorithm>

#include "image/indexed_image.h"
#include "imagefile/image_file.h"

namespace morvi {

// How many palette entries an indexed picture that is not 4 bits deep keeps in order: its first
// order->keepBelow entries when every pixel's index is below that (and below the palette's
// size), else none (its colours go in order of first use).
inline int keptEntries(int highestIndex, int paletteEntries, const IndexOrder* order) {
    if (!order || order->keepBelow <= 0) return 0;
    const int n = std::min(paletteEntries, order->keepBelow);
    return highestIndex < n ? n : 0;
}

inline int placePixel(IndexedImage& image, int presetCount, int index, PaletteColor color, int x, int y) {
    if (index >= 0 && index < presetCount) {
        image.setPixel(x, y, std::uint8_t(index));
        return image.colorCount;
    }
    return image.setPixelColor(color, x, y);
}

} // namespace morvi
