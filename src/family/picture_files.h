#pragma once
// What every family's imports and exports share: the messages of a refused picture file, the
// clipboard's pixels, the size rule of an import, the export of a battle background.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "backgrounds/battle_backgrounds.h"
#include "imagefile/image_file.h"

namespace morvi {

constexpr int kImportColorLimit = 16;

// The text a page shows when an import file is refused.
std::string importErrorMessage(ImageLoadResult result, int maxWidth, int maxHeight);

// Pictures on the clipboard travel as 32-bit 0xAARRGGBB pixels, rows top first.
// The top-left w x h of a picture with colour 0 transparent (pixels outside it transparent too).
std::vector<std::uint32_t> pictureToArgb(const IndexedImage& picture, int w, int h);
// A picture from such pixels: those less than half opaque take index 0 and the other colours
// follow in the order met; without any transparent pixel the first colour met is index 0, as in
// a picture file without transparency. TooManyColors (out unchanged) when it needs more than
// colorLimit indices; NotValid when the pixel count is not w x h.
ImageLoadResult pictureFromArgb(std::span<const std::uint32_t> argb, int w, int h, int colorLimit, IndexedImage& out);

// Whether a picture of w x h fits an import: up to maxWidth x maxHeight, or exactly the extra
// size some families also take (the full character sheet).
bool fitsImport(int w, int h, int maxWidth, int maxHeight, int exactWidth, int exactHeight);

// The composed 256 x 152 background as an 8-bit palette PNG.
bool exportBackground(const BackgroundSet& set, int index, const std::string& path);

} // namespace morvi
