// Windows bitmap files: a reader for what real files hold (core and info headers up to v5,
// bottom-up and top-down rows, 1/2/4/8-bit palettes, RLE4/RLE8, 16/24/32-bit with or without
// bit-field masks) and a writer of 4-bit, 16-colour files.
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>

#include "imagefile/file_bytes.h"
#include "imagefile/image_file.h"
#include "imagefile/preset_palette.h"

namespace morvi {

namespace {

using filebytes::le16;
using filebytes::le32;

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestHeaderSize = 124;
constexpr std::uint32_t kOs2V2HeaderSize = 64;

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m);
        }
    }
    std::uint8_t from(std::uint32_t v) const {
        if (!bits) return 0;
        std::uint32_t value = (v & mask) >> shift;
        return bits >= 8 ? std::uint8_t(value >> (bits - 8)) : std::uint8_t(value << (8 - bits));
    }
};

struct BmpLayout {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t imageSize = 0;
    Channel red, green, blue;
    std::array<PaletteColor, 256> palette{};
    int paletteEntries = 0;
    std::size_t dataOffset = 0;
};

ImageLoadResult readLayout(std::span<const std::uint8_t> f, BmpLayout& l, std::uint32_t& headerSize) {
    if (f.size() < kFileHeaderSize + 4) return ImageLoadResult::CannotRead;
    headerSize = le32(f, 14);
    switch (headerSize) {
    case kCoreHeaderSize: case 16: case kInfoHeaderSize: case 52: case 56: case kOs2V2HeaderSize:
    case 108: case kLargestHeaderSize: break;
    default: return ImageLoadResult::NotValid;
    }
    if (kFileHeaderSize + headerSize > f.size()) return ImageLoadResult::CannotRead;
    if (headerSize == kCoreHeaderSize) {
        l.width = le16(f, 18);
        l.height = le16(f, 20);
        l.bpp = le16(f, 24);
    } else {
        if (headerSize < 16) return ImageLoadResult::NotValid;
        l.width = std::int32_t(le32(f, 18));
        l.height = std::int32_t(le32(f, 22));
        l.bpp = le16(f, 28);
        if (headerSize >= 20) l.compression = le32(f, 30);
        if (headerSize >= 24) l.imageSize = le32(f, 34);
        if (headerSize >= 36) l.colorsUsed = le32(f, 46);
    }
    if (l.height < 0) {
        l.topDown = true;
        l.height = -l.height;
    }
    return ImageLoadResult::Read;
}

// Checks bit depth and compression and reads masks and palette.
ImageLoadResult readFormat(std::span<const std::uint8_t> f, BmpLayout& l, std::uint32_t headerSize) {
    std::size_t paletteStart = kFileHeaderSize + headerSize;
    bool bitfields = false;
    switch (l.compression) {
    case kBiRgb: break;
    case kBiRle8:
        if (l.bpp != 8 || l.topDown) return ImageLoadResult::NotValid;
        break;
    case kBiRle4:
        if (l.bpp != 4 || l.topDown) return ImageLoadResult::NotValid;
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if ((l.bpp != 16 && l.bpp != 32) || headerSize == kOs2V2HeaderSize) return ImageLoadResult::NotValid;
        bitfields = true;
        break;
    default: return ImageLoadResult::NotValid; // JPEG, PNG and anything else
    }
    switch (l.bpp) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return ImageLoadResult::CannotRead;
    }
    if (l.colorsUsed > 256) return ImageLoadResult::NotValid;
    if (l.bpp == 16) {
        l.red = Channel(0x7C00), l.green = Channel(0x03E0), l.blue = Channel(0x001F);
    } else if (l.bpp == 32) {
        l.red = Channel(0xFF0000), l.green = Channel(0xFF00), l.blue = Channel(0xFF);
    }
    std::size_t declaredOffset = le32(f, 10);
    if (bitfields) {
        std::size_t at = kFileHeaderSize + kInfoHeaderSize;
        const std::size_t maskBytes = l.compression == kBiAlphaBitfields ? 16 : 12;
        // Some writers mark a 40-byte-header file as bit fields but start the pixels right
        // after the header: there is no room for masks, and what sits there is pixels. Such a
        // file is read with the default layout, as an uncompressed one would be.
        const bool masksOverlapPixels = headerSize == kInfoHeaderSize && declaredOffset < at + maskBytes &&
                                        declaredOffset >= kFileHeaderSize + headerSize;
        if (!masksOverlapPixels) {
            if (headerSize == kInfoHeaderSize) paletteStart += maskBytes;
            if (at + 12 > f.size()) return ImageLoadResult::CannotRead;
            l.red = Channel(le32(f, at)), l.green = Channel(le32(f, at + 4)), l.blue = Channel(le32(f, at + 8));
        }
    }
    if (l.bpp <= 8) {
        int count = 1 << l.bpp;
        if (l.colorsUsed > 0 && l.colorsUsed < std::uint32_t(count)) count = int(l.colorsUsed);
        std::size_t entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
        std::size_t limit = f.size();
        if (declaredOffset > paletteStart && declaredOffset < limit) limit = declaredOffset;
        for (int i = 0; i < count && paletteStart + (i + 1) * entrySize <= limit; ++i) {
            std::size_t at = paletteStart + i * entrySize;
            l.palette[i] = PaletteColor{f[at], f[at + 1], f[at + 2]};
        }
        l.paletteEntries = count;
        paletteStart += entrySize * std::size_t(count);
    }
    l.dataOffset = declaredOffset >= kFileHeaderSize + headerSize ? declaredOffset : paletteStart;
    if (l.dataOffset >= f.size()) return ImageLoadResult::CannotRead;
    return ImageLoadResult::Read;
}

enum class RleStatus { Complete, Truncated, Damaged };

// Run-length data into palette indices, rows bottom-up as stored.
RleStatus decodeRle(std::span<const std::uint8_t> d, const BmpLayout& l, std::vector<std::uint8_t>& indices) {
    const std::int64_t w = l.width, h = l.height;
    const bool four = l.compression == kBiRle4;
    std::int64_t x = 0, y = 0;
    std::size_t pos = 0;
    // A run past the right edge or the last row is damage, not something to clip.
    bool inside = true;
    auto put = [&](std::uint8_t v) {
        if (x < w && y < h)
            indices[std::size_t((h - 1 - y) * w + x)] = v;
        else
            inside = false;
        ++x;
    };
    while (pos + 1 < d.size()) {
        std::uint8_t count = d[pos], value = d[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            if (!inside) return RleStatus::Damaged;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return RleStatus::Complete;
        } else if (value == 2) {
            if (pos + 1 >= d.size()) return RleStatus::Truncated;
            x += d[pos];
            y += d[pos + 1];
            pos += 2;
        } else {
            std::size_t bytes = four ? (value + 1u) / 2 : value;
            std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (pos + bytes > d.size()) return RleStatus::Truncated;
            for (int i = 0; i < value; ++i) {
                std::uint8_t b = d[pos + (four ? i / 2 : i)];
                put(four ? (i % 2 ? b & 15 : b >> 4) : b);
            }
            pos += padded;
            if (!inside) return RleStatus::Damaged;
        }
        if (y >= h) return RleStatus::Complete;
    }
    return y >= h - 1 && x >= w ? RleStatus::Complete : RleStatus::Truncated;
}

PaletteColor directColor(const BmpLayout& l, const std::uint8_t* p) {
    if (l.bpp == 24) return PaletteColor{p[0], p[1], p[2]};
    std::uint32_t v = l.bpp == 16 ? std::uint32_t(p[0] | (p[1] << 8))
                                  : std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                        (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
    return makeColor(l.red.from(v), l.green.from(v), l.blue.from(v));
}

} // namespace

ImageLoadResult loadBmp(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order) {
    std::vector<std::uint8_t> bytes;
    if (!filebytes::startDecoding(path, bytes, image)) return ImageLoadResult::CannotRead;
    std::span<const std::uint8_t> f = bytes;
    if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') return ImageLoadResult::NotValid;

    BmpLayout l;
    std::uint32_t headerSize = 0;
    if (auto r = readLayout(f, l, headerSize); r != ImageLoadResult::Read) return r;
    if (l.width <= 0 || l.height <= 0) return ImageLoadResult::NotValid;
    image.width = std::int32_t(std::min<std::int64_t>(l.width, INT32_MAX));
    image.height = std::int32_t(std::min<std::int64_t>(l.height, INT32_MAX));
    if (l.width > maxWidth || l.height > maxHeight) return ImageLoadResult::TooLarge;
    if (!fitsInMemory(l.width, l.height)) return ImageLoadResult::CannotRead;
    if (auto r = readFormat(f, l, headerSize); r != ImageLoadResult::Read) return r;

    const std::size_t w = std::size_t(l.width), h = std::size_t(l.height);
    std::span<const std::uint8_t> data = f.subspan(l.dataOffset);
    // The image-size field says how many bytes of pixel data there are; 0 leaves it open.
    if (l.imageSize > data.size()) return ImageLoadResult::CannotRead;
    std::vector<std::uint8_t> rleIndices;
    std::size_t rowBytes = ((w * std::size_t(l.bpp) + 31) / 32) * 4;
    if (l.compression == kBiRle4 || l.compression == kBiRle8) {
        if (l.imageSize > 0 && l.imageSize < data.size()) data = data.first(l.imageSize);
        rleIndices.assign(w * h, 0);
        switch (decodeRle(data, l, rleIndices)) {
        case RleStatus::Complete: break;
        case RleStatus::Truncated: return ImageLoadResult::CannotRead;
        case RleStatus::Damaged: return ImageLoadResult::NotValid;
        }
    } else if (data.size() / rowBytes < h) {
        return ImageLoadResult::CannotRead;
    }

    if (image.allocateImage(image.width, image.height)) return ImageLoadResult::CannotRead;
    auto indexed = [&](int index) {
        return index < l.paletteEntries ? l.palette[index] : PaletteColor{};
    };
    auto rowAt = [&](std::size_t y) {
        return rleIndices.empty() ? data.data() + (l.topDown ? y : h - 1 - y) * rowBytes : nullptr;
    };
    // The palette index of a pixel, or -1 for a picture of direct colours.
    auto fileIndex = [&](const std::uint8_t* row, std::size_t x, std::size_t y) {
        if (!rleIndices.empty()) return int(rleIndices[y * w + x]);
        if (l.bpp > 8) return -1;
        std::size_t bit = x * std::size_t(l.bpp);
        int shift = 8 - l.bpp - int(bit % 8);
        return (row[bit / 8] >> shift) & ((1 << l.bpp) - 1);
    };
    int preset = 0;
    if (l.bpp == 4) {
        preset = l.paletteEntries;
    } else if (l.bpp <= 8) {
        int highest = 0;
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x) highest = std::max(highest, fileIndex(rowAt(y), x, y));
        preset = keptEntries(highest, l.paletteEntries, order);
    }
    for (int i = 0; i < preset; ++i) image.palette[i] = l.palette[i];
    image.colorCount = preset;
    if (order) order->kept = preset > 0;
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = rowAt(y);
        for (std::size_t x = 0; x < w; ++x) {
            const int index = fileIndex(row, x, y);
            PaletteColor color = index >= 0 ? indexed(index) : directColor(l, row + x * std::size_t(l.bpp / 8));
            if (placePixel(image, preset, index, color, int(x), int(y)) > maxColors)
                return ImageLoadResult::TooManyColors;
        }
    }
    return ImageLoadResult::Read;
}

bool saveBmp(const IndexedImage& image, const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return true;
    const std::size_t rowBytes = ((std::size_t(width) * 4 + 31) / 32) * 4;
    const std::size_t dataSize = rowBytes * std::size_t(height);
    const std::size_t headerBytes = kFileHeaderSize + kInfoHeaderSize + 16 * 4;
    std::vector<std::uint8_t> out(headerBytes + dataSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    filebytes::put32(out, 2, std::uint32_t(headerBytes + dataSize));
    filebytes::put32(out, 10, std::uint32_t(headerBytes));
    filebytes::put32(out, 14, kInfoHeaderSize);
    filebytes::put32(out, 18, std::uint32_t(width));
    filebytes::put32(out, 22, std::uint32_t(height));
    filebytes::put16(out, 26, 1);
    filebytes::put16(out, 28, 4);
    filebytes::put32(out, 34, std::uint32_t(dataSize));
    filebytes::put32(out, 38, 4000);
    filebytes::put32(out, 42, 4000);
    for (int i = 0; i < 16; ++i) {
        std::size_t at = kFileHeaderSize + kInfoHeaderSize + 4 * std::size_t(i);
        out[at] = image.palette[i].blue;
        out[at + 1] = image.palette[i].green;
        out[at + 2] = image.palette[i].red;
    }
    auto pixel = [&](int x, int y) -> std::uint8_t {
        return image.hasPixels() && image.contains(x, y) ? image.pixel(x, y) & 15 : 0;
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &out[headerBytes + std::size_t(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; x += 2) row[x / 2] = std::uint8_t(pixel(x, y) * 16 + (x + 1 < width ? pixel(x + 1, y) : 0));
    }
    return filebytes::writeFileFailed(path, out);
}

} // namespace morvi
