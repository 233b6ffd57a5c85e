#pragma once
// Reading and writing the picture files the pages import and export: BMP, PCX and PNG.
// Readers never show anything; they return an ImageLoadResult that the caller turns into its
// own message. Writers return true when they failed (the file could not be created or a write
// fell short), false when the whole file was written.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/indexed_image.h"

namespace morvi {

enum class ImageLoadResult : int {
    Read = 0,          // the image holds the picture
    TooManyColors = 1, // more colours than the caller's limit, or a full palette
    TooLarge = 2,      // wider or taller than the caller's limit
    CannotRead = 3,    // cannot be opened or read, truncated, or out of memory
    NotValid = 4,      // no supported extension, or not a file of the format it names
};

// Export file type index.
enum class ExportFileType : int { Bmp = 0, Pcx = 1, Png = 2, Raw = 3 };

// How the readers number the colours of an indexed picture. A 4-bit file always keeps its
// indices and palette order. Other indexed files (1, 2 or 8 bits: what most painting programs
// write, a 256-entry palette of which the first 16 are used) get their colours in order of
// first use, unless keepBelow is set: then a picture whose every pixel's index is below
// keepBelow (and below its palette's size) keeps its indices, its palette's first keepBelow
// entries in order. Pictures of direct colours are always numbered by first use.
struct IndexOrder {
    int keepBelow = 0;
    bool kept = false; // set by the reader: the file's indices and palette order were kept
};

ImageLoadResult loadBmp(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order = nullptr);
ImageLoadResult loadPcx(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order = nullptr);
ImageLoadResult loadPng(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order = nullptr);
// Picks the reader by the last four characters of the path, in any case: ".bmp", ".pcx", ".png".
ImageLoadResult loadImageFile(IndexedImage& image, const std::string& path, int maxColors,
                              int maxWidth, int maxHeight, IndexOrder* order = nullptr);

// The writers store the width x height region at the top-left corner of the image.
// 4 bits per pixel, the first 16 palette entries, bottom-up rows; width a multiple of 8.
bool saveBmp(const IndexedImage& image, const std::string& path, int width, int height);
// One 4-bit plane, run-length encoded, the 16-colour header palette; width even, at most 256.
bool savePcx(const IndexedImage& image, const std::string& path, int width, int height);
// 4-bit palette PNG (at most 16 colours) whose index 0 is fully transparent.
bool savePng(const IndexedImage& image, const std::string& path, int width, int height);
// 8-bit palette PNG without transparency; the palette holds max(colorCount, highest pixel + 1)
// entries, so every pixel names a palette entry.
bool savePng8(const IndexedImage& image, const std::string& path, int width, int height);

// Encodes one scan line in place; line must have room for 2 x length bytes (runs never cross
// the line, a lone byte of 0xC0 or more takes two). Returns the encoded length.
int encodePcxRow(std::uint8_t* line, int length);

// The picture file formats, one row each: every place that maps a file name to a format (the
// readers, the command line, the editor's choosers) reads this table.
struct PictureFormat {
    const char* extension; // lower case, without the dot
    ExportFileType type;
    const char* description; // "PNG image": a chooser's filter text
    ImageLoadResult (*load)(IndexedImage& image, const std::string& path, int maxColors, int maxWidth, int maxHeight,
                            IndexOrder* order);
    bool (*save)(const IndexedImage& image, const std::string& path, int width, int height);
};
std::span<const PictureFormat> pictureFormats();
// The format a file name's extension names (in any letter case), or null.
const PictureFormat* pictureFormatForPath(const std::string& path);
const PictureFormat* pictureFormatNamed(std::string_view extension);
const PictureFormat* pictureFormatOf(ExportFileType type);
// The extension of the file name, in lower case, without the dot ("" for none).
std::string lowerExtension(const std::string& path);
// Writes the top-left width x height of the picture in the format, whole or not at all (a
// failed write leaves any file of that name as it was). True when written.
bool writePictureFile(const IndexedImage& image, const std::string& path, ExportFileType type, int width, int height);

// Largest file the readers take in: far above any picture the limits let through.
constexpr std::uint64_t kMaxImageFileBytes = 64u * 1024 * 1024;

// Whether a picture of this size can be held at all; checked before anything is allocated.
constexpr bool fitsInMemory(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImagePixels && height <= kMaxImagePixels / width;
}

} // namespace morvi
