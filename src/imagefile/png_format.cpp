// PNG files through libpng. Every libpng error lands in a setjmp handler, so a damaged file
// ends the read with CannotRead and a failed write with "failed", never the program. The
// functions that call setjmp keep no objects with destructors of their own: buffers live in a
// state record owned by the caller.
#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imagefile/file_bytes.h"
#include "imagefile/image_file.h"
#include "rom/file_io.h"
#include "imagefile/preset_palette.h"

namespace morvi {

namespace {

constexpr int kPngSignatureBytesChecked = 5;
constexpr int kMaxPngRows = 1024;
constexpr png_alloc_size_t kMaxPngChunkBytes = 8u * 1024 * 1024;

struct PngReadState {
    std::vector<std::uint8_t> bytes; // the whole file
    std::size_t position = 0;        // where libpng reads next
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    ~PngReadState() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, endInfo ? &endInfo : nullptr);
    }
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* s = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (count > s->bytes.size() - s->position) png_error(png, "read past the end of the file");
    std::copy_n(s->bytes.begin() + std::ptrdiff_t(s->position), count, out);
    s->position += count;
}

// Every chunk's length must fit in the bytes that follow it: libpng takes lengths as they
// stand and would otherwise ask for gigabytes on the word of a damaged file.
bool chunksFit(const std::vector<std::uint8_t>& bytes) {
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const std::size_t length = (std::size_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
        if (length > 0x7FFFFFFF || length + 12 > bytes.size() - at) return false;
        if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) return true;
        at += length + 12;
    }
    return false;
}

void quietWarning(png_structp, png_const_charp) {}
// Ends the libpng call at the setjmp of the guarded function, without printing anything.
[[noreturn]] void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Colours of the decoded rows after the transforms below: one index a pixel for palette
// files, three bytes a pixel for everything else.
struct Decoded {
    png_uint_32 width = 0, height = 0;
    int colorType = 0;
    int bitDepth = 0;
    bool palette = false;
    std::array<PaletteColor, 256> table{};
    int paletteEntries = 0;
    int transparentIndex = -1;
    bool hasKey = false;
    PaletteColor key;
};

std::uint8_t scaleGrey(unsigned value, int bitDepth) {
    if (bitDepth == 16) return std::uint8_t(value >> 8);
    if (bitDepth == 8) return std::uint8_t(value);
    return std::uint8_t(value * 255 / ((1u << bitDepth) - 1));
}

// Reads the header; 1 = too large (size stored), 0 = go on; longjmps on libpng errors.
int readPngHeader(PngReadState& s, Decoded& d, IndexedImage& image, int maxWidth, int maxHeight) {
    png_set_read_fn(s.png, &s, readFromMemory);
    // A chunk's length comes from the file: never let one ask for more than a picture needs,
    // and skip chunks the reader does not know without keeping them.
    png_set_chunk_malloc_max(s.png, kMaxPngChunkBytes);
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_sig_bytes(s.png, kPngSignatureBytesChecked);
    png_read_info(s.png, s.info);
    int interlace = 0;
    png_get_IHDR(s.png, s.info, &d.width, &d.height, &d.bitDepth, &d.colorType, &interlace, nullptr, nullptr);
    image.width = std::int32_t(std::min<png_uint_32>(d.width, INT32_MAX));
    image.height = std::int32_t(std::min<png_uint_32>(d.height, INT32_MAX));
    if (d.width > png_uint_32(maxWidth) || d.height > png_uint_32(maxHeight) || d.height > kMaxPngRows)
        return 1;
    if (!fitsInMemory(d.width, d.height)) png_error(s.png, "too large to hold");
    d.palette = d.colorType == PNG_COLOR_TYPE_PALETTE;
    if (d.palette) {
        png_colorp plte = nullptr;
        int count = 0;
        if (png_get_PLTE(s.png, s.info, &plte, &count) == PNG_INFO_PLTE) {
            d.paletteEntries = std::min(count, 256);
            for (int i = 0; i < d.paletteEntries; ++i)
                d.table[i] = makeColor(plte[i].red, plte[i].green, plte[i].blue);
        }
        png_bytep alpha = nullptr;
        int transCount = 0;
        if (png_get_tRNS(s.png, s.info, &alpha, &transCount, nullptr) == PNG_INFO_tRNS && alpha)
            for (int i = 0; i < transCount && i < 256; ++i)
                if (alpha[i] == 0) {
                    d.transparentIndex = i;
                    break;
                }
        png_set_packing(s.png);
    } else {
        png_color_16p colour = nullptr;
        int transCount = 0;
        if (png_get_valid(s.png, s.info, PNG_INFO_tRNS) &&
            png_get_tRNS(s.png, s.info, nullptr, &transCount, &colour) == PNG_INFO_tRNS && colour) {
            d.hasKey = true;
            if (d.colorType == PNG_COLOR_TYPE_GRAY || d.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                std::uint8_t g = scaleGrey(colour->gray, d.bitDepth);
                d.key = makeColor(g, g, g);
            } else if (d.bitDepth == 16) {
                d.key = makeColor(std::uint8_t(colour->red >> 8), std::uint8_t(colour->green >> 8),
                                  std::uint8_t(colour->blue >> 8));
            } else {
                d.key = makeColor(std::uint8_t(colour->red), std::uint8_t(colour->green),
                                  std::uint8_t(colour->blue));
            }
        }
        if (d.bitDepth == 16) png_set_strip_16(s.png);
        if (d.colorType == PNG_COLOR_TYPE_GRAY || d.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            if (d.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
            png_set_gray_to_rgb(s.png);
        }
    }
    png_set_strip_alpha(s.png);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    return 0;
}

// 0 read, 1 too large, 3 libpng error.
int readPngGuarded(PngReadState& s, Decoded& d, IndexedImage& image, int maxWidth, int maxHeight) {
    if (setjmp(png_jmpbuf(s.png))) return 3;
    if (readPngHeader(s, d, image, maxWidth, maxHeight)) return 1;
    std::size_t rowBytes = png_get_rowbytes(s.png, s.info);
    std::size_t expected = d.palette ? d.width : 3 * std::size_t(d.width);
    if (rowBytes != expected) return 3;
    s.pixels.assign(rowBytes * d.height, 0);
    s.rows.resize(d.height);
    for (png_uint_32 y = 0; y < d.height; ++y) s.rows[y] = s.pixels.data() + y * rowBytes;
    png_read_image(s.png, s.rows.data());
    png_read_end(s.png, s.endInfo);
    return 0;
}

} // namespace

ImageLoadResult loadPng(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order) {
    PngReadState s;
    if (filebytes::readFile(path, s.bytes, kMaxImageFileBytes) != filebytes::ReadStatus::Ok)
        return ImageLoadResult::CannotRead;
    if (s.bytes.size() < kPngSignatureBytesChecked || png_sig_cmp(s.bytes.data(), 0, kPngSignatureBytesChecked) != 0)
        return ImageLoadResult::NotValid;
    if (!chunksFit(s.bytes)) return ImageLoadResult::CannotRead;
    s.position = kPngSignatureBytesChecked;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!s.png) return ImageLoadResult::CannotRead;
    s.info = png_create_info_struct(s.png);
    s.endInfo = png_create_info_struct(s.png);
    if (!s.info || !s.endInfo) return ImageLoadResult::CannotRead;

    Decoded d;
    switch (readPngGuarded(s, d, image, maxWidth, maxHeight)) {
    case 0: break;
    case 1: image.releasePixels(); return ImageLoadResult::TooLarge;
    default: image.releasePixels(); return ImageLoadResult::CannotRead;
    }
    if (image.allocateImage(image.width, image.height)) return ImageLoadResult::CannotRead;
    image.colorCount = 0;
    int preset = 0;
    const std::size_t w = d.width;
    if (d.palette && d.bitDepth == 4) {
        preset = std::min(d.paletteEntries, 16);
    } else if (d.palette) {
        int highest = 0;
        for (png_uint_32 y = 0; y < d.height; ++y)
            highest = std::max<int>(highest, *std::max_element(s.rows[y], s.rows[y] + w));
        preset = keptEntries(highest, d.paletteEntries, order);
    }
    for (int i = 0; i < preset; ++i) image.palette[i] = d.table[std::size_t(i)];
    image.colorCount = preset;
    if (order) order->kept = preset > 0;
    for (png_uint_32 y = 0; y < d.height; ++y) {
        const std::uint8_t* row = s.rows[y];
        for (std::size_t x = 0; x < w; ++x) {
            PaletteColor color = d.palette ? d.table[row[x]]
                                           : makeColor(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            if (placePixel(image, preset, d.palette ? row[x] : -1, color, int(x), int(y)) > maxColors)
                return ImageLoadResult::TooManyColors;
        }
    }
    bool hasTransparent = d.palette ? d.transparentIndex >= 0 : d.hasKey;
    if (hasTransparent && image.colorCount > 0) {
        PaletteColor key = d.palette ? d.table[d.transparentIndex] : d.key;
        for (int i = 0; i < image.colorCount; ++i)
            if (image.palette[i] == key) {
                image.swapPaletteEntries(i, 0);
                break;
            }
    }
    return ImageLoadResult::Read;
}

namespace {

struct PngWriteState {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    ~PngWriteState() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) std::fclose(file);
    }
};

// true when libpng reported an error.
bool writePngGuarded(PngWriteState& s, png_uint_32 width, png_uint_32 height, int bitDepth,
                     const png_color* palette, int entries, bool transparentZero) {
    if (setjmp(png_jmpbuf(s.png))) return true;
    png_init_io(s.png, s.file);
    png_set_IHDR(s.png, s.info, width, height, bitDepth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(s.png, s.info, palette, entries);
    png_byte alpha = 0;
    if (transparentZero) png_set_tRNS(s.png, s.info, &alpha, 1, nullptr);
    png_set_rows(s.png, s.info, s.rows.data());
    png_write_png(s.png, s.info, PNG_TRANSFORM_PACKING, nullptr);
    return false;
}

bool writePalettePng(const IndexedImage& image, const std::string& path, int width, int height,
                     int bitDepth) {
    if (width <= 0 || height <= 0 || width > 4096 || height > kMaxPngRows) return true;
    const int maxEntries = 1 << bitDepth;
    PngWriteState s;
    s.pixels.assign(std::size_t(width) * std::size_t(height), 0);
    int highest = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t v = image.hasPixels() && image.contains(x, y) ? image.pixel(x, y) : 0;
            if (v >= maxEntries) v = std::uint8_t(v & (maxEntries - 1));
            highest = std::max<int>(highest, v);
            s.pixels[std::size_t(y) * width + x] = v;
        }
    int entries = std::clamp(std::max(image.colorCount, highest + 1), 1, maxEntries);
    png_color palette[256];
    for (int i = 0; i < entries; ++i)
        palette[i] = png_color{image.palette[i].red, image.palette[i].green, image.palette[i].blue};
    s.rows.resize(std::size_t(height));
    for (int y = 0; y < height; ++y) s.rows[std::size_t(y)] = s.pixels.data() + std::size_t(y) * width;

    s.file = openFile(path, "wb");
    if (!s.file) return true;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!s.png) return true;
    s.info = png_create_info_struct(s.png);
    if (!s.info) return true;
    if (writePngGuarded(s, png_uint_32(width), png_uint_32(height), bitDepth, palette, entries,
                        bitDepth == 4))
        return true;
    bool failed = std::ferror(s.file) != 0;
    failed = (std::fclose(s.file) != 0) || failed;
    s.file = nullptr;
    return failed;
}

} // namespace

bool savePng(const IndexedImage& image, const std::string& path, int width, int height) {
    return writePalettePng(image, path, width, height, 4);
}

bool savePng8(const IndexedImage& image, const std::string& path, int width, int height) {
    return writePalettePng(image, path, width, height, 8);
}

} // namespace morvi
