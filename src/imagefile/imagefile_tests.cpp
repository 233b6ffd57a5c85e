#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <map>
#include <set>

#include "image/indexed_image.h"
#include "imagefile/image_file.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;
namespace fs = std::filesystem;

namespace {

IndexedImage patterned(int w, int h, int colors) {
    IndexedImage image;
    image.allocateImage(w, h);
    for (int i = 0; i < colors; ++i)
        image.setPaletteEntry(std::uint8_t(i), makeColor(std::uint8_t(16 * i + 3), std::uint8_t(255 - 8 * i),
                                                         std::uint8_t(i * 5)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, std::uint8_t((x * 7 + y * 3 + x * y) % colors));
    return image;
}

using Loader = ImageLoadResult (*)(IndexedImage&, const std::string&, int, int, int, IndexOrder*);
using Saver = bool (*)(const IndexedImage&, const std::string&, int, int);

// Colours of every pixel, to compare pictures whatever their palette order.
std::vector<PaletteColor> colours(const IndexedImage& image) {
    std::vector<PaletteColor> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.push_back(image.colorAt(x, y));
    return out;
}

int channelDistance(PaletteColor a, PaletteColor b) {
    return std::max({std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
}

} // namespace

TEST(ImageFiles, EveryWriterReadsBackWithTheSameIndicesPaletteOrderAndColourCount) {
    TempDir dir;
    struct Format {
        const char* ext;
        Saver save;
        Loader load;
        bool keeps8; // an 8-colour image comes back with 8 colours rather than the 16 written
    };
    const Format formats[] = {{"bmp", saveBmp, loadBmp, false}, {"pcx", savePcx, loadPcx, false},
                              {"png", savePng, loadPng, true}};
    const std::pair<int, int> sizes[] = {{40, 40}, {128, 128}, {8, 3}, {16, 17}, {64, 1}};
    for (const auto& f : formats)
        for (auto [w, h] : sizes)
            for (int colors : {16, 8}) {
                SCOPED_TRACE(std::string(f.ext) + " " + std::to_string(w) + "x" + std::to_string(h) +
                             " colours " + std::to_string(colors));
                IndexedImage image = patterned(w, h, colors);
                std::string path = dir.file(std::string("img.") + f.ext);
                ASSERT_FALSE(f.save(image, path, w, h));
                IndexedImage back;
                ASSERT_EQ(f.load(back, path, 16, 128, 128, nullptr), ImageLoadResult::Read);
                EXPECT_EQ(back.width, w);
                EXPECT_EQ(back.height, h);
                EXPECT_EQ(back.pixels, image.pixels);
                EXPECT_EQ(back.colorCount, f.keeps8 ? colors : 16);
                for (int i = 0; i < colors; ++i) EXPECT_EQ(back.palette[i], image.palette[i]) << i;
                ASSERT_EQ(loadImageFile(back, path, back.colorCount - 1, 128, 128), ImageLoadResult::TooManyColors)
                    << "a preset 16-colour palette fails any limit below 16";
            }
}

TEST(ImageFiles, WritersWriteTheRegionAtTheTopLeftAndTheDocumentedLayout) {
    TempDir dir;
    IndexedImage image = patterned(64, 64, 16);
    ASSERT_FALSE(saveBmp(image, dir.file("a.bmp"), 40, 40));
    auto bmp = morvi::testing::readFile(dir.file("a.bmp"));
    EXPECT_EQ(bmp.size(), 918u);
    EXPECT_EQ(bmp[28], 4);
    EXPECT_EQ(bmp[10], 118);

    ASSERT_FALSE(savePcx(image, dir.file("a.pcx"), 40, 40));
    auto pcx = morvi::testing::readFile(dir.file("a.pcx"));
    EXPECT_EQ(pcx[8] | (pcx[9] << 8), 39);
    EXPECT_EQ(pcx[10] | (pcx[11] << 8), 39);
    EXPECT_EQ(pcx[66] | (pcx[67] << 8), 20);
    EXPECT_EQ(pcx[65], 1);
    EXPECT_EQ(pcx[3], 4);

    IndexedImage back;
    ASSERT_EQ(loadPng(back, (savePng(image, dir.file("a.png"), 40, 24), dir.file("a.png")), 16, 128, 128),
              ImageLoadResult::Read);
    EXPECT_EQ(back.width, 40);
    EXPECT_EQ(back.height, 24);
    EXPECT_EQ(back.pixel(39, 23), image.pixel(39, 23));
}

TEST(ImageFiles, PngWriterMarksIndexZeroTransparentInAFourBitPalette) {
    TempDir dir;
    IndexedImage image = patterned(40, 40, 16);
    ASSERT_FALSE(savePng(image, dir.file("t.png"), 40, 40));
    png_image info{};
    info.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&info, dir.file("t.png").c_str()));
    EXPECT_EQ(info.colormap_entries, 16u);
    png_image_free(&info);
    // The raw chunks: IHDR depth 4 type 3, a 16-entry PLTE and a one-byte tRNS of 0.
    auto bytes = morvi::testing::readFile(dir.file("t.png"));
    EXPECT_EQ(bytes[24], 4);
    EXPECT_EQ(bytes[25], 3);
    std::string text(bytes.begin(), bytes.end());
    auto plte = text.find("PLTE");
    ASSERT_NE(plte, std::string::npos);
    EXPECT_EQ(bytes[plte - 1], 48);
    auto trns = text.find("tRNS");
    ASSERT_NE(trns, std::string::npos);
    EXPECT_EQ(bytes[trns - 1], 1);
    EXPECT_EQ(bytes[trns + 4], 0);

    IndexedImage eight = patterned(16, 16, 200);
    ASSERT_FALSE(savePng8(eight, dir.file("e.png"), 16, 16));
    IndexedImage back;
    ASSERT_EQ(loadPng(back, dir.file("e.png"), 256, 64, 64), ImageLoadResult::Read);
    EXPECT_EQ(colours(back), colours(eight));
}

TEST(ImageFiles, WritersReportFilesTheyCannotCreate) {
    IndexedImage image = patterned(8, 8, 4);
    const std::string bad = "/nonexistent-folder/x";
    EXPECT_TRUE(saveBmp(image, bad + ".bmp", 8, 8));
    EXPECT_TRUE(savePcx(image, bad + ".pcx", 8, 8));
    EXPECT_TRUE(savePng(image, bad + ".png", 8, 8));
    if (fs::exists("/dev/full")) {
        EXPECT_TRUE(saveBmp(image, "/dev/full", 8, 8)) << "a full disk is a failure";
        EXPECT_TRUE(savePcx(image, "/dev/full", 8, 8));
        EXPECT_TRUE(savePng(image, "/dev/full", 8, 8));
    }
}

TEST(ImageFiles, PcxRowEncoding) {
    auto encode = [](std::vector<std::uint8_t> line) {
        std::size_t n = line.size();
        line.resize(2 * n + 2);
        line.resize(std::size_t(encodePcxRow(line.data(), int(n))));
        return line;
    };
    EXPECT_EQ(encode(std::vector<std::uint8_t>(20, 0)), (std::vector<std::uint8_t>{0xD4, 0x00}));
    EXPECT_EQ(encode({5, 5, 5, 0xC8}), (std::vector<std::uint8_t>{0xC3, 5, 0xC1, 0xC8}));
    EXPECT_EQ(encode(std::vector<std::uint8_t>(70, 9)), (std::vector<std::uint8_t>{0xFF, 9, 0xC7, 9}));
    EXPECT_EQ(encode({1, 2}), (std::vector<std::uint8_t>{1, 2}));
}

TEST(ImageFiles, DispatchGoesByTheLastFourCharactersInAnyCase) {
    TempDir dir;
    IndexedImage image = patterned(8, 8, 4);
    ASSERT_FALSE(savePng(image, dir.file("sprite.PNG"), 8, 8));
    IndexedImage back;
    EXPECT_EQ(loadImageFile(back, dir.file("sprite.PNG"), 16, 128, 128), ImageLoadResult::Read);
    std::filesystem::copy_file(dir.file("sprite.PNG"), dir.file("sprite.gif"));
    EXPECT_EQ(loadImageFile(back, dir.file("sprite.gif"), 16, 128, 128), ImageLoadResult::NotValid);
    EXPECT_EQ(loadImageFile(back, "bmp", 16, 128, 128), ImageLoadResult::NotValid);
    EXPECT_EQ(loadImageFile(back, dir.file("missing.bmp"), 16, 128, 128), ImageLoadResult::CannotRead);
    ASSERT_FALSE(savePcx(image, dir.file("x.bmp"), 8, 8));
    EXPECT_EQ(loadImageFile(back, dir.file("x.bmp"), 16, 128, 128), ImageLoadResult::NotValid)
        << "PCX data in a .bmp file has the wrong type field";
    morvi::testing::writeFile(dir.file("four.png"), {0x89, 'P', 'N', 'G'});
    EXPECT_EQ(loadImageFile(back, dir.file("four.png"), 16, 128, 128), ImageLoadResult::NotValid);
}

TEST(ImageFiles, ReadersCheckSizeLimitsBeforeDecoding) {
    TempDir dir;
    IndexedImage wide = patterned(136, 8, 4);
    ASSERT_FALSE(saveBmp(wide, dir.file("w.bmp"), 136, 8));
    ASSERT_FALSE(savePcx(wide, dir.file("w.pcx"), 136, 8));
    ASSERT_FALSE(savePng(wide, dir.file("w.png"), 136, 8));
    for (const char* name : {"w.bmp", "w.pcx", "w.png"}) {
        IndexedImage back;
        EXPECT_EQ(loadImageFile(back, dir.file(name), 16, 128, 128), ImageLoadResult::TooLarge) << name;
        EXPECT_EQ(back.width, 136) << "the image tells the file's size";
        EXPECT_TRUE(back.pixels.empty());
    }
    // A BMP header claiming 2^31 x 2^31 pixels is refused before anything is allocated.
    std::vector<std::uint8_t> huge(54 + 64, 0);
    huge[0] = 'B';
    huge[1] = 'M';
    huge[10] = 54;
    huge[14] = 40;
    for (int i : {18, 22}) huge[std::size_t(i) + 3] = 0x7F, huge[std::size_t(i)] = 0xFF;
    huge[28] = 24;
    morvi::testing::writeFile(dir.file("huge.bmp"), huge);
    IndexedImage back;
    EXPECT_EQ(loadBmp(back, dir.file("huge.bmp"), 256, INT32_MAX, INT32_MAX), ImageLoadResult::CannotRead);
    EXPECT_EQ(loadBmp(back, dir.file("huge.bmp"), 256, 1024, 1024), ImageLoadResult::TooLarge);
    // The same claim with run-length data: refused before a buffer of that size is asked for.
    huge[30] = 1;
    huge[28] = 8;
    morvi::testing::writeFile(dir.file("huge-rle.bmp"), huge);
    EXPECT_EQ(loadBmp(back, dir.file("huge-rle.bmp"), 256, INT32_MAX, INT32_MAX), ImageLoadResult::CannotRead);
}

// Builds a minimal uncompressed BMP of the given depth from raw rows (bottom-up as stored).
static std::vector<std::uint8_t> rawBmp(int w, int h, int bpp, std::vector<std::uint8_t> palette,
                                        std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> f(54, 0);
    f[0] = 'B';
    f[1] = 'M';
    f[14] = 40;
    f[18] = std::uint8_t(w);
    f[22] = std::uint8_t(h);
    f[26] = 1;
    f[28] = std::uint8_t(bpp);
    f.insert(f.end(), palette.begin(), palette.end());
    std::uint32_t offset = std::uint32_t(f.size());
    f[10] = std::uint8_t(offset);
    f[11] = std::uint8_t(offset >> 8);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

TEST(ImageFiles, BmpDecodersFollowEachBitDepth) {
    TempDir dir;
    IndexedImage image;
    // 16 bits: 0x7FFF is white 248, 0x001F is blue only; rows of 3 pixels pad to 8 bytes.
    morvi::testing::writeFile(dir.file("a.bmp"), rawBmp(3, 1, 16, {}, {0xFF, 0x7F, 0x1F, 0x00, 0, 0, 0, 0}));
    ASSERT_EQ(loadBmp(image, dir.file("a.bmp"), 16, 128, 128), ImageLoadResult::Read);
    EXPECT_EQ(image.colorAt(0, 0), makeColor(248, 248, 248));
    EXPECT_EQ(image.colorAt(1, 0), makeColor(0, 0, 248));
    EXPECT_EQ(image.colorAt(2, 0), makeColor(0, 0, 0));
    // 24 bits, 3 wide: rows of 12 bytes; the first stored row is the bottom one.
    std::vector<std::uint8_t> rows(24, 0);
    rows[0] = 10;  // bottom-left blue
    rows[13] = 99; // top row, pixel 0 green
    morvi::testing::writeFile(dir.file("b.bmp"), rawBmp(3, 2, 24, {}, rows));
    ASSERT_EQ(loadBmp(image, dir.file("b.bmp"), 16, 128, 128), ImageLoadResult::Read);
    EXPECT_EQ(image.colorAt(0, 1), makeColor(0, 0, 10));
    EXPECT_EQ(image.colorAt(0, 0), makeColor(0, 99, 0));
    EXPECT_EQ(image.palette[0], makeColor(0, 99, 0)) << "palette built in order of first use from the top left";
    // 1 bit, 33 wide: rows of 8 bytes.
    std::vector<std::uint8_t> mono(8, 0);
    mono[4] = 0x80; // pixel 32
    morvi::testing::writeFile(dir.file("c.bmp"),
                              rawBmp(33, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, mono));
    ASSERT_EQ(loadBmp(image, dir.file("c.bmp"), 16, 128, 128), ImageLoadResult::Read);
    EXPECT_EQ(image.colorAt(32, 0), makeColor(255, 255, 255));
    EXPECT_EQ(image.colorAt(31, 0), makeColor(0, 0, 0));
    // 8 bits with 17 distinct colours fails a limit of 16; truncated pixel data is refused.
    std::vector<std::uint8_t> pal;
    for (int i = 0; i < 256; ++i) pal.insert(pal.end(), {std::uint8_t(i), 0, 0, 0});
    std::vector<std::uint8_t> data(20, 0);
    for (int i = 0; i < 17; ++i) data[std::size_t(i)] = std::uint8_t(i);
    morvi::testing::writeFile(dir.file("d.bmp"), rawBmp(17, 1, 8, pal, data));
    EXPECT_EQ(loadBmp(image, dir.file("d.bmp"), 16, 128, 128), ImageLoadResult::TooManyColors);
    EXPECT_EQ(loadBmp(image, dir.file("d.bmp"), 17, 128, 128), ImageLoadResult::Read);
    morvi::testing::writeFile(dir.file("e.bmp"), rawBmp(17, 2, 8, pal, data));
    EXPECT_EQ(loadBmp(image, dir.file("e.bmp"), 256, 128, 128), ImageLoadResult::CannotRead);
}

TEST(ImageFiles, PngTransparentColourMovesToIndexZero) {
    TempDir dir;
    // An 8-bit palette PNG whose tRNS makes entry 5 transparent.
    png_image out{};
    out.version = PNG_IMAGE_VERSION;
    out.width = 4;
    out.height = 1;
    out.format = PNG_FORMAT_RGBA_COLORMAP;
    out.colormap_entries = 6;
    std::uint8_t colormap[6 * 4];
    for (int i = 0; i < 6; ++i) {
        colormap[4 * i] = std::uint8_t(40 * i);
        colormap[4 * i + 1] = 1;
        colormap[4 * i + 2] = 2;
        colormap[4 * i + 3] = i == 5 ? 0 : 255;
    }
    std::uint8_t pixels[4] = {0, 5, 3, 5};
    ASSERT_TRUE(png_image_write_to_file(&out, dir.file("t.png").c_str(), 0, pixels, 0, colormap));
    IndexedImage image;
    ASSERT_EQ(loadPng(image, dir.file("t.png"), 16, 16, 16), ImageLoadResult::Read);
    EXPECT_EQ(image.palette[0], makeColor(200, 1, 2)) << "entry 5's colour takes index 0";
    EXPECT_EQ(image.pixel(1, 0), 0);
    EXPECT_EQ(image.pixel(3, 0), 0);
    EXPECT_EQ(image.colorAt(0, 0), makeColor(0, 1, 2)) << "the former colour 0 keeps its look";
    EXPECT_EQ(image.colorAt(2, 0), makeColor(120, 1, 2));
}

// --- Third-party files ---------------------------------------------------------------------

namespace {
std::vector<fs::path> filesIn(const std::string& folder, const std::string& ext) {
    std::vector<fs::path> out;
    for (auto& e : fs::directory_iterator(morvi::testing::testdata(folder)))
        if (e.path().extension() == ext) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}
} // namespace

TEST(ThirdPartyFiles, PngSuiteCorruptFilesAreRefusedAndGoodOnesDecodeConsistently) {
    auto files = filesIn("pngsuite", ".png");
    ASSERT_GT(files.size(), 150u);
    int decoded = 0;
    for (const auto& path : files) {
        std::string name = path.filename().string();
        SCOPED_TRACE(name);
        IndexedImage image;
        ImageLoadResult r = loadImageFile(image, path.string(), 256, 1024, 1024);
        if (name[0] == 'x') {
            EXPECT_NE(r, ImageLoadResult::Read);
            continue;
        }
        // Everything else loads, or has more than 256 colours.
        ASSERT_TRUE(r == ImageLoadResult::Read || r == ImageLoadResult::TooManyColors) << int(r);
        if (r != ImageLoadResult::Read) continue;
        ++decoded;
        // The name states the colour type: greyscale files decode to greys only.
        if (name.size() > 5 && name[4] == '0' && name[5] == 'g') {
            int depth = std::stoi(name.substr(6, 2));
            std::set<int> levels;
            for (auto c : colours(image)) {
                ASSERT_TRUE(c.red == c.green && c.green == c.blue);
                levels.insert(c.red);
            }
            if (depth <= 8) {
                EXPECT_LE(levels.size(), std::size_t(1) << depth);
            }
            if (depth == 1) {
                EXPECT_TRUE(levels.count(0) && levels.count(255));
            }
        }
        // Interlaced files show the same picture as their non-interlaced twins.
        if (name.rfind("basi", 0) == 0) {
            IndexedImage twin;
            fs::path twinPath = path.parent_path() / ("basn" + name.substr(4));
            ASSERT_EQ(loadImageFile(twin, twinPath.string(), 256, 1024, 1024), ImageLoadResult::Read);
            EXPECT_EQ(colours(image), colours(twin));
        }
    }
    EXPECT_GT(decoded, 100);
}

TEST(ThirdPartyFiles, BmpSuiteGoodFilesMatchTheirReferenceRenderings) {
    // Files that hold the same picture as a reference rendering, in other encodings.
    const std::map<std::string, std::string> reference = {
        {"pal1.bmp", "pal1.png"},       {"pal1wb.bmp", "pal1.png"},       {"pal1bg.bmp", "pal1bg.png"},
        {"pal4.bmp", "pal4.png"},       {"pal4rle.bmp", "pal4.png"},      {"pal8.bmp", "pal8.png"},
        {"pal8-0.bmp", "pal8.png"},     {"pal8rle.bmp", "pal8.png"},      {"pal8topdown.bmp", "pal8.png"},
        {"pal8os2.bmp", "pal8.png"},    {"pal8v4.bmp", "pal8.png"},       {"pal8v5.bmp", "pal8.png"},
        {"pal8w124.bmp", "pal8w124.png"}, {"pal8w125.bmp", "pal8w125.png"}, {"pal8w126.bmp", "pal8w126.png"},
        {"rgb16.bmp", "rgb16.png"},     {"rgb16-565.bmp", "rgb16-565.png"}, {"rgb16-565pal.bmp", "rgb16-565.png"},
        {"rgb24.bmp", "rgb24.png"},     {"rgb24pal.bmp", "rgb24.png"},    {"rgb32.bmp", "rgb24.png"},
        {"rgb32bf.bmp", "rgb24.png"},
    };
    int compared = 0;
    for (const auto& path : filesIn("bmpsuite/g", ".bmp")) {
        std::string name = path.filename().string();
        SCOPED_TRACE(name);
        IndexedImage image;
        ImageLoadResult r = loadImageFile(image, path.string(), 256, 1024, 1024);
        ASSERT_TRUE(r == ImageLoadResult::Read || r == ImageLoadResult::TooManyColors) << int(r);
        auto ref = reference.find(name);
        if (ref == reference.end() || r != ImageLoadResult::Read) continue;
        IndexedImage expected;
        ASSERT_EQ(loadImageFile(expected, morvi::testing::testdata("bmpsuite/html/" + ref->second), 256, 1024,
                                1024),
                  ImageLoadResult::Read);
        ASSERT_EQ(image.width, expected.width);
        ASSERT_EQ(image.height, expected.height);
        auto got = colours(image), want = colours(expected);
        int worst = 0;
        for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, channelDistance(got[i], want[i]));
        // 5- and 6-bit channels are widened by shifting (31 -> 248), references by scaling.
        EXPECT_LE(worst, 7);
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

TEST(ThirdPartyFiles, BmpSuiteBadAndQuestionableFilesNeverCrashAndBrokenOnesAreRefused) {
    // Bad files whose damage lies in fields the reader does not use still decode.
    const std::set<std::string> harmless = {"baddens1.bmp", "baddens2.bmp", "badfilesize.bmp",
                                            "badplanes.bmp", "pal8badindex.bmp"};
    for (const auto& path : filesIn("bmpsuite/b", ".bmp")) {
        std::string name = path.filename().string();
        SCOPED_TRACE(name);
        IndexedImage image;
        ImageLoadResult r = loadImageFile(image, path.string(), 256, 1024, 1024);
        if (harmless.count(name)) {
            EXPECT_EQ(r, ImageLoadResult::Read);
        } else {
            EXPECT_NE(r, ImageLoadResult::Read);
        }
    }
    const std::set<std::string> refusedFormats = {"rgb24jpeg.bmp", "rgb24png.bmp"};
    for (const auto& path : filesIn("bmpsuite/q", ".bmp")) {
        std::string name = path.filename().string();
        SCOPED_TRACE(name);
        IndexedImage image;
        ImageLoadResult r = loadImageFile(image, path.string(), 256, 1024, 1024);
        if (refusedFormats.count(name)) {
            EXPECT_EQ(r, ImageLoadResult::NotValid);
        }
        if (r == ImageLoadResult::Read) {
            EXPECT_TRUE(image.hasPixels());
        }
    }
}

TEST(ThirdPartyFiles, PcxSamples) {
    IndexedImage image;
    EXPECT_EQ(loadImageFile(image, morvi::testing::testdata("pcx/pil184.pcx"), 256, 1024, 1024),
              ImageLoadResult::Read);
    EXPECT_EQ(image.width, 447);
    EXPECT_EQ(image.height, 144);
    for (auto c : colours(image))
        ASSERT_TRUE(c == makeColor(0, 0, 0) || c == makeColor(255, 255, 255));
    EXPECT_EQ(loadImageFile(image, morvi::testing::testdata("pcx/p_4_planes.pcx"), 256, 1024, 1024),
              ImageLoadResult::NotValid);
    // An odd bytes-per-line count is against the format's rules but still says how to decode.
    EXPECT_EQ(loadImageFile(image, morvi::testing::testdata("pcx/odd_stride.pcx"), 256, 1024, 1024),
              ImageLoadResult::Read);
    EXPECT_EQ(image.width, 371);
}

TEST(ImageFiles, PcxTruncatedDataAndShortPalettesAreRefused) {
    TempDir dir;
    IndexedImage image = patterned(40, 40, 16);
    ASSERT_FALSE(savePcx(image, dir.file("a.pcx"), 40, 40));
    auto bytes = morvi::testing::readFile(dir.file("a.pcx"));
    bytes.resize(bytes.size() - 10);
    morvi::testing::writeFile(dir.file("cut.pcx"), bytes);
    IndexedImage back;
    EXPECT_EQ(loadPcx(back, dir.file("cut.pcx"), 16, 128, 128), ImageLoadResult::CannotRead);
    bytes.resize(200);
    bytes[3] = 8; // 8 bits: needs a 768-byte palette at the end
    bytes[66] = 40;
    morvi::testing::writeFile(dir.file("vga.pcx"), bytes);
    EXPECT_EQ(loadPcx(back, dir.file("vga.pcx"), 256, 128, 128), ImageLoadResult::CannotRead);
}

TEST(ImageFiles, FourBitFilesKeepEveryIndexEvenWhenThePaletteRepeatsAColour) {
    TempDir dir;
    IndexedImage image = patterned(16, 8, 16);
    image.palette[9] = image.palette[3];
    image.palette[6] = image.palette[0];
    using Saver = bool (*)(const IndexedImage&, const std::string&, int, int);
    for (auto [ext, save] : {std::pair<const char*, Saver>{"png", savePng}, {"bmp", saveBmp}, {"pcx", savePcx}}) {
        const std::string path = dir.file(std::string("dup.") + ext);
        ASSERT_FALSE(save(image, path, 16, 8));
        IndexedImage back;
        ASSERT_EQ(loadImageFile(back, path, 16, 128, 128), ImageLoadResult::Read) << ext;
        EXPECT_EQ(back.pixels, image.pixels) << ext;
    }
}

TEST(ImageFiles, PngChunksLongerThanTheFileAreRefusedWithoutAskingForTheMemory) {
    TempDir dir;
    IndexedImage image = patterned(9, 9, 4);
    ASSERT_FALSE(savePng(image, dir.file("ok.png"), 9, 9));
    auto bytes = morvi::testing::readFile(dir.file("ok.png"));
    // A suggested-palette chunk that claims 1.9 GB just after the header chunk.
    const std::vector<std::uint8_t> chunk = {0x73, 0x73, 0x73, 0x73, 's', 'P', 'L', 'T', 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 33, chunk.begin(), chunk.end());
    morvi::testing::writeFile(dir.file("long.png"), bytes);
    IndexedImage back;
    EXPECT_EQ(loadPng(back, dir.file("long.png"), 256, 64, 64), ImageLoadResult::CannotRead);
    bytes = morvi::testing::readFile(dir.file("ok.png"));
    bytes.resize(bytes.size() - 12); // no IEND
    morvi::testing::writeFile(dir.file("cut.png"), bytes);
    EXPECT_EQ(loadPng(back, dir.file("cut.png"), 256, 64, 64), ImageLoadResult::CannotRead);
}

TEST(ImageFiles, BitFieldBmpWithoutRoomForMasksReadsAsFiveFiveFive) {
    TempDir dir;
    IndexedImage image;
    // 16 bits, 4 x 2, compression 3 but the pixels start right after the 40-byte header: the
    // twelve bytes where masks would be are the pixels themselves.
    std::vector<std::uint8_t> rows = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F,  // bottom row
                                      0x1F, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x1F, 0x00}; // top row
    auto file = rawBmp(4, 2, 16, {}, rows);
    file[30] = 3;
    morvi::testing::writeFile(dir.file("im.bmp"), file);
    ASSERT_EQ(loadBmp(image, dir.file("im.bmp"), 16, 128, 128), ImageLoadResult::Read);
    EXPECT_EQ(image.colorAt(0, 1), makeColor(248, 0, 0));
    EXPECT_EQ(image.colorAt(1, 1), makeColor(0, 248, 0));
    EXPECT_EQ(image.colorAt(2, 1), makeColor(0, 0, 248));
    EXPECT_EQ(image.colorAt(3, 1), makeColor(248, 248, 248));
    EXPECT_EQ(image.colorAt(0, 0), makeColor(0, 0, 248));

    // With masks where they belong (5-6-5 here), they are used.
    std::vector<std::uint8_t> masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    std::vector<std::uint8_t> pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
    auto withMasks = rawBmp(4, 1, 16, masks, pixels);
    withMasks[30] = 3;
    morvi::testing::writeFile(dir.file("masked.bmp"), withMasks);
    ASSERT_EQ(loadBmp(image, dir.file("masked.bmp"), 16, 128, 128), ImageLoadResult::Read);
    EXPECT_EQ(image.colorAt(0, 0), makeColor(248, 0, 0));
    EXPECT_EQ(image.colorAt(1, 0), makeColor(0, 252, 0));
    EXPECT_EQ(image.colorAt(3, 0), makeColor(248, 252, 248));
}
