#include "family/picture_source.h"

#include <algorithm>

#include "family/palette_target.h"
#include "family/picture_files.h"

namespace morvi {


void PictureSource::show(int index) {
    settle();
    m_index = index;
}

bool PictureSource::setColor(int k, PaletteColor color) {
    if (!setTargetColor(m_ws, paletteTarget(), k, color)) return false;
    edited();
    return true;
}

bool PictureSource::makeTransparent(int k) {
    if (!swapWithTransparent(m_ws, paletteTarget(), k)) return false;
    edited();
    return true;
}

ImageLoadResult loadForImport(const std::string& path, const PictureLimits& limits, IndexedImage& out, bool* keptOrder) {
    IndexedImage image;
    IndexOrder order{std::min(limits.colors, kImportColorLimit)};
    const ImageLoadResult result = loadImageFile(image, path, kImportColorLimit, std::max(limits.width, limits.exactWidth),
                                                 std::max(limits.height, limits.exactHeight), &order);
    if (result != ImageLoadResult::Read) return result;
    if (keptOrder) *keptOrder = order.kept;
    if (!fitsImport(image.width, image.height, limits.width, limits.height, limits.exactWidth, limits.exactHeight))
        return ImageLoadResult::TooLarge;
    out = std::move(image);
    return result;
}

} // namespace morvi
