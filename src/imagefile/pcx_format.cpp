// PCX files: a reader for run-length encoded files of one plane of 1, 4 or 8 bits or three
// 8-bit planes, and a writer of one 4-bit plane with the 16-colour header palette.
#include <algorithm>
#include <array>
#include <cstring>

#include "imagefile/file_bytes.h"
#include "imagefile/image_file.h"
#include "imagefile/preset_palette.h"

namespace morvi {

namespace {

using filebytes::le16;

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::uint8_t kPcxManufacturer = 10;
constexpr std::size_t kPcxVgaPaletteSize = 768;
constexpr int kMaxRunLength = 63;

// Decodes the run-length stream one scan line at a time; a run never crosses a line.
class RleReader {
public:
    explicit RleReader(std::span<const std::uint8_t> data) : m_data(data) {}
    // False when the data ends before the line is full.
    bool line(std::uint8_t* out, std::size_t length) {
        std::size_t filled = 0;
        while (filled < length) {
            if (m_pos >= m_data.size()) return false;
            std::uint8_t b = m_data[m_pos++];
            std::size_t count = 1;
            if (b >= 0xC0) {
                count = b & 0x3F;
                if (m_pos >= m_data.size()) return false;
                b = m_data[m_pos++];
            }
            std::size_t take = std::min(count, length - filled);
            std::memset(out + filled, b, take);
            filled += take;
        }
        return true;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

} // namespace

ImageLoadResult loadPcx(IndexedImage& image, const std::string& path, int maxColors, int maxWidth,
                        int maxHeight, IndexOrder* order) {
    std::vector<std::uint8_t> bytes;
    if (!filebytes::startDecoding(path, bytes, image)) return ImageLoadResult::CannotRead;
    std::span<const std::uint8_t> f = bytes;
    if (f.empty() || f[0] != kPcxManufacturer) return ImageLoadResult::NotValid;
    if (f.size() < kPcxHeaderSize) return ImageLoadResult::CannotRead;

    const int bits = f[3];
    const int planes = f[65];
    const std::size_t bytesPerLine = le16(f, 66);
    const int xMin = le16(f, 4), yMin = le16(f, 6), xMax = le16(f, 8), yMax = le16(f, 10);
    if (xMax < xMin || yMax < yMin) return ImageLoadResult::NotValid;
    const int width = xMax - xMin + 1, height = yMax - yMin + 1;
    image.width = width;
    image.height = height;
    if (width > maxWidth || height > maxHeight) return ImageLoadResult::TooLarge;
    if (!fitsInMemory(width, height)) return ImageLoadResult::CannotRead;

    const bool mono = planes == 1 && bits == 1, nibbles = planes == 1 && bits == 4;
    const bool vga = planes == 1 && bits == 8, rgb = planes == 3 && bits == 8;
    if (!mono && !nibbles && !vga && !rgb) return ImageLoadResult::NotValid;
    const std::size_t pixelsPerLine = bytesPerLine * std::size_t(8 / bits);
    if (pixelsPerLine < std::size_t(width)) return ImageLoadResult::NotValid;

    std::array<PaletteColor, 256> table{};
    std::span<const std::uint8_t> encoded = f.subspan(kPcxHeaderSize);
    if (mono) {
        table[1] = makeColor(255, 255, 255);
    } else if (nibbles) {
        for (int i = 0; i < 16; ++i) table[i] = makeColor(f[16 + 3 * i], f[17 + 3 * i], f[18 + 3 * i]);
    } else if (vga) {
        if (f.size() < kPcxHeaderSize + kPcxVgaPaletteSize) return ImageLoadResult::CannotRead;
        const std::uint8_t* pal = f.data() + f.size() - kPcxVgaPaletteSize;
        for (int i = 0; i < 256; ++i) table[i] = makeColor(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]);
        encoded = encoded.first(encoded.size() - kPcxVgaPaletteSize);
    }

    if (image.allocateImage(width, height)) return ImageLoadResult::CannotRead;
    std::vector<std::uint8_t> line(bytesPerLine * std::size_t(planes));
    int preset = nibbles ? 16 : 0;
    if (vga && order && order->keepBelow > 0) {
        // The lines are decoded once to find the highest index, then again to place the pixels.
        RleReader scan(encoded);
        int highest = 0;
        for (int y = 0; y < height; ++y) {
            if (!scan.line(line.data(), bytesPerLine)) return ImageLoadResult::CannotRead;
            highest = std::max<int>(highest, *std::max_element(line.begin(), line.begin() + width));
        }
        preset = keptEntries(highest, 256, order);
    }
    for (int i = 0; i < preset; ++i) image.palette[i] = table[std::size_t(i)];
    image.colorCount = preset;
    if (order) order->kept = preset > 0;
    RleReader reader(encoded);
    for (int y = 0; y < height; ++y) {
        for (int p = 0; p < planes; ++p)
            if (!reader.line(line.data() + std::size_t(p) * bytesPerLine, bytesPerLine))
                return ImageLoadResult::CannotRead;
        for (int x = 0; x < width; ++x) {
            PaletteColor color;
            int index = -1;
            if (mono) {
                color = table[(line[std::size_t(x) / 8] >> (7 - x % 8)) & 1];
            } else if (nibbles) {
                index = x % 2 ? line[std::size_t(x) / 2] & 15 : line[std::size_t(x) / 2] >> 4;
                color = table[std::size_t(index)];
            }
            else if (vga) {
                index = line[std::size_t(x)];
                color = table[std::size_t(index)];
            }
            else if (rgb)
                color = makeColor(line[std::size_t(x)], line[bytesPerLine + std::size_t(x)],
                                  line[2 * bytesPerLine + std::size_t(x)]);
            if (placePixel(image, preset, index, color, x, y) > maxColors)
                return ImageLoadResult::TooManyColors;
        }
    }
    return ImageLoadResult::Read;
}

int encodePcxRow(std::uint8_t* line, int length) {
    std::uint8_t work[512];
    if (length <= 0) return 0;
    length = std::min(length, 256);
    int out = 0;
    for (int i = 0; i < length;) {
        std::uint8_t value = line[i];
        int run = 1;
        while (i + run < length && run < kMaxRunLength && line[i + run] == value) ++run;
        if (run > 1 || value >= 0xC0) {
            work[out++] = std::uint8_t(0xC0 + run);
            work[out++] = value;
        } else {
            work[out++] = value;
        }
        i += run;
    }
    std::memcpy(line, work, std::size_t(out));
    return out;
}

bool savePcx(const IndexedImage& image, const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 512 || height > 65535) return true;
    const int bytesPerLine = (width + 1) / 2;
    std::vector<std::uint8_t> out(kPcxHeaderSize, 0);
    out[0] = kPcxManufacturer;
    out[1] = 5;
    out[2] = 1;
    out[3] = 4;
    filebytes::put16(out, 8, std::uint32_t(width - 1));
    filebytes::put16(out, 10, std::uint32_t(height - 1));
    filebytes::put16(out, 12, 1024);
    filebytes::put16(out, 14, 768);
    for (int i = 0; i < 16; ++i) {
        out[16 + 3 * i] = image.palette[i].red;
        out[17 + 3 * i] = image.palette[i].green;
        out[18 + 3 * i] = image.palette[i].blue;
    }
    out[65] = 1;
    filebytes::put16(out, 66, std::uint32_t(bytesPerLine));
    filebytes::put16(out, 68, 1);
    auto pixel = [&](int x, int y) -> std::uint8_t {
        return x < width && image.hasPixels() && image.contains(x, y) ? image.pixel(x, y) & 15 : 0;
    };
    std::vector<std::uint8_t> line(2 * std::size_t(bytesPerLine));
    for (int y = 0; y < height; ++y) {
        for (int k = 0; k < bytesPerLine; ++k)
            line[std::size_t(k)] = std::uint8_t(pixel(2 * k, y) * 16 + pixel(2 * k + 1, y));
        int n = encodePcxRow(line.data(), bytesPerLine);
        out.insert(out.end(), line.begin(), line.begin() + n);
    }
    return filebytes::writeFileFailed(path, out);
}

} // namespace morvi
