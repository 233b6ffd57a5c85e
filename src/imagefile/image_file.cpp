#include "imagefile/image_file.h"

#include <array>
#include <cctype>

#include "rom/rom_file.h"

namespace morvi {

namespace {

constexpr std::array<PictureFormat, 3> kFormats = {{
    {"png", ExportFileType::Png, "PNG image", loadPng, savePng},
    {"bmp", ExportFileType::Bmp, "BMP image", loadBmp, saveBmp},
    {"pcx", ExportFileType::Pcx, "PCX image", loadPcx, savePcx},
}};

} // namespace

std::span<const PictureFormat> pictureFormats() { return kFormats; }

std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (auto& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const PictureFormat* pictureFormatNamed(std::string_view extension) {
    for (const PictureFormat& f : kFormats)
        if (extension == f.extension) return &f;
    return nullptr;
}

const PictureFormat* pictureFormatForPath(const std::string& path) { return pictureFormatNamed(lowerExtension(path)); }

const PictureFormat* pictureFormatOf(ExportFileType type) {
    for (const PictureFormat& f : kFormats)
        if (f.type == type) return &f;
    return nullptr;
}

ImageLoadResult loadImageFile(IndexedImage& image, const std::string& path, int maxColors,
                              int maxWidth, int maxHeight, IndexOrder* order) {
    const PictureFormat* format = pictureFormatForPath(path);
    if (!format) return ImageLoadResult::NotValid;
    return format->load(image, path, maxColors, maxWidth, maxHeight, order);
}

bool writePictureFile(const IndexedImage& image, const std::string& path, ExportFileType type, int width, int height) {
    const PictureFormat* format = pictureFormatOf(type);
    if (!format) return false; // a type with no picture writer: nothing is written
    return writeReplacing(path, [&](const std::string& temp) { return !format->save(image, temp, width, height); });
}

} // namespace morvi
