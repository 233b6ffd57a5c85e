#include "imagefile/image_file.h"

#include <cctype>

namespace morvi {

ImageLoadResult loadImageFile(IndexedImage& image, const std::string& path, int maxColors,
                              int maxWidth, int maxHeight) {
    if (path.size() < 4) return ImageLoadResult::NotValid;
    std::string ending = path.substr(path.size() - 4);
    for (auto& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ending == ".bmp") return loadBmp(image, path, maxColors, maxWidth, maxHeight);
    if (ending == ".pcx") return loadPcx(image, path, maxColors, maxWidth, maxHeight);
    if (ending == ".png") return loadPng(image, path, maxColors, maxWidth, maxHeight);
    return ImageLoadResult::NotValid;
}

} // namespace morvi
