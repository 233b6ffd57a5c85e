#include "family/picture_files.h"

#include <algorithm>

namespace morvi {

std::vector<std::uint32_t> pictureToArgb(const IndexedImage& picture, int w, int h) {
    if (w <= 0 || h <= 0) return {};
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h), 0);
    if (!picture.hasPixels()) return out;
    for (int y = 0; y < h && y < picture.height; ++y)
        for (int x = 0; x < w && x < picture.width; ++x) {
            const std::uint8_t v = picture.pixel(x, y);
            if (v != 0) out[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 0xFF000000u | picture.palette[v].toRgb32();
        }
    return out;
}

ImageLoadResult pictureFromArgb(std::span<const std::uint32_t> argb, int w, int h, int colorLimit, IndexedImage& out) {
    if (w <= 0 || h <= 0 || argb.size() != std::size_t(w) * std::size_t(h)) return ImageLoadResult::NotValid;
    // One pass, numbering opaque colours from 1; index 0 is given back to the first colour at
    // the end when no pixel turned out to be transparent.
    std::vector<std::uint32_t> colours;
    std::vector<std::uint8_t> indices(argb.size(), 0);
    bool transparent = false;
    for (std::size_t k = 0; k < argb.size(); ++k) {
        if ((argb[k] >> 24) < 128) {
            transparent = true;
            continue;
        }
        const std::uint32_t c = argb[k] & 0xFFFFFFu;
        auto found = std::find(colours.begin(), colours.end(), c);
        if (found == colours.end()) {
            if (int(colours.size()) >= std::min(colorLimit, 256)) return ImageLoadResult::TooManyColors;
            colours.push_back(c);
            found = colours.end() - 1;
        }
        indices[k] = std::uint8_t(1 + (found - colours.begin()));
    }
    const int first = transparent ? 1 : 0;
    if (first + int(colours.size()) > colorLimit) return ImageLoadResult::TooManyColors;
    IndexedImage image;
    if (image.allocateImage(w, h)) return ImageLoadResult::NotValid;
    for (std::size_t k = 0; k < indices.size(); ++k)
        image.pixels[k] = indices[k] == 0 ? 0 : std::uint8_t(indices[k] - 1 + first);
    for (std::size_t i = 0; i < colours.size(); ++i)
        image.setPaletteEntry(std::uint8_t(first + int(i)),
                              makeColor(std::uint8_t(colours[i] >> 16), std::uint8_t(colours[i] >> 8), std::uint8_t(colours[i])));
    out = std::move(image);
    return ImageLoadResult::Read;
}

std::string importErrorMessage(ImageLoadResult result, int maxWidth, int maxHeight) {
    switch (result) {
    case ImageLoadResult::TooManyColors: return "Image has more than 16 colors";
    case ImageLoadResult::TooLarge: return "Image is larger than " + std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
    case ImageLoadResult::CannotRead: return "Error opening file";
    case ImageLoadResult::NotValid: return "File does not appear to be a valid image file";
    default: return "";
    }
}

bool fitsImport(int w, int h, int maxWidth, int maxHeight, int exactWidth, int exactHeight) {
    return (w <= maxWidth && h <= maxHeight) || (w == exactWidth && h == exactHeight);
}

bool exportBackground(const BackgroundSet& set, int index, const std::string& path) {
    const IndexedImage& image = set.backgrounds[std::size_t(index)].image;
    return !savePng8(image, path, image.width, image.height);
}

} // namespace morvi
