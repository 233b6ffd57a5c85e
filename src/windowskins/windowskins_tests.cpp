// The window skins: what the ROM holds comes back byte for byte, the window is laid out from the
// tiles as the game lays it out, a save touches the skins' bytes and nothing else, and colours
// the game cannot show are refused.
#include <gtest/gtest.h>

#include "app/families.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "image/snes_codec.h"
#include "testing/fixtures.h"
#include "windowskins/window_skin_module.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

constexpr std::size_t kSkinsEnd = kWindowGraphicsOffset + std::size_t(kWindowSkinCount) * kWindowSkinBytes;
constexpr std::size_t kPalettesEnd = kWindowPalettesOffset + std::size_t(kWindowSkinCount) * kWindowPaletteBytes;
// The cartridge header's checksum, which every save brings up to date.
constexpr std::size_t kChecksumAt = 0xFFDC, kChecksumEnd = 0xFFE0;

bool insideSkins(std::size_t at) {
    return (at >= kWindowGraphicsOffset && at < kSkinsEnd) || (at >= kWindowPalettesOffset && at < kPalettesEnd) ||
           (at >= kChecksumAt && at < kChecksumEnd);
}

SaveOutcome saveSkins(Workspace& ws) {
    SaveRequest request;
    request.add(windowSkinFamily());
    DiskSteps steps;
    CollectingNotifier quiet;
    return saveRomFamilies(ws, request, steps, quiet, [] { return true; });
}

} // namespace

TEST(WindowSkins, TheWindowIsLaidOutFromTheTilesAsTheGameDoes) {
    // Tile k filled with a colour of its own: every cell must show the tile the game puts there.
    RomImage rom = buildDemoRom();
    std::vector<std::uint8_t> graphics(kWindowSkinBytes);
    for (int t = 0; t < kWindowSkinTiles; ++t) {
        std::array<std::uint8_t, 64> tile;
        tile.fill(std::uint8_t(t % 7 + 1));
        tile[0] = std::uint8_t(t % 2); // tell tiles of one colour apart
        encodeTilePixels(tile.data(), graphics.data() + t * 32, 16);
    }
    rom.put(kWindowGraphicsOffset + 2 * kWindowSkinBytes, graphics);
    WindowSkinSet set;
    ASSERT_TRUE(loadWindowSkins(set, RomBytes(rom.bytes, false)));
    const std::uint8_t game[6][6] = {{16, 17, 18, 17, 18, 19}, {20, 0, 1, 2, 3, 21},     {22, 4, 5, 6, 7, 23},
                                     {20, 8, 9, 10, 11, 21},   {22, 12, 13, 14, 15, 23}, {24, 25, 26, 25, 26, 27}};
    const IndexedImage& window = set.skins[2].window;
    ASSERT_EQ(window.width, 48);
    for (int cy = 0; cy < 6; ++cy)
        for (int cx = 0; cx < 6; ++cx) {
            const int t = game[cy][cx];
            EXPECT_EQ(window.pixel(cx * 8 + 3, cy * 8 + 3), t % 7 + 1) << cx << "," << cy;
            EXPECT_EQ(window.pixel(cx * 8, cy * 8), t % 2) << cx << "," << cy;
        }
    // A pixel painted on a tile shown twice shows in both cells; so does a flip, mirrored.
    const PixelWrite w{8 + 2, 1, 5};
    ASSERT_EQ(setWindowPixels(set, 2, std::span(&w, 1)), 1);
    EXPECT_EQ(set.skins[2].window.pixel(24 + 2, 1), 5) << "tile 17 again at the fourth cell";
    flipWindowSkin(set, 2, false);
    EXPECT_EQ(set.skins[2].window.pixel(47 - 10, 1), 5);
    EXPECT_EQ(set.skins[2].window.pixel(47 - 26, 1), 5);
}

TEST(WindowSkins, ASaveRoundTripsAndChangesNothingOutsideTheSkins) {
    for (bool header : {false, true}) {
        SCOPED_TRACE(header);
        TempDir dir;
        const std::string path = dir.file("game.smc");
        ASSERT_TRUE(buildDemoRom().writeFile(path, header));
        const auto before = morvi::testing::readFile(path);
        auto ws = Workspace::create();
        ASSERT_TRUE(openRom(*ws, path, HeaderChoice::Detect).ok);
        // Unchanged, the skins write back exactly the bytes they were read from.
        ASSERT_TRUE(saveSkins(*ws).ok);
        EXPECT_EQ(morvi::testing::readFile(path), before);

        auto source = windowSkinFamily()->makeSource(*ws);
        source->show(5);
        const std::vector<PixelWrite> stroke = {{1, 1, 3}, {20, 20, 7}, {47, 47, 0}};
        ASSERT_TRUE(source->writePixels(stroke));
        ASSERT_TRUE(source->setColor(2, makeColor(255, 0, 0)));
        ASSERT_TRUE(saveSkins(*ws).ok);
        const auto after = morvi::testing::readFile(path);
        ASSERT_EQ(after.size(), before.size());
        const std::size_t skip = header ? kCopierHeaderSize : 0;
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (i < skip || !insideSkins(i - skip)) {
                ASSERT_EQ(after[i], before[i]) << "byte " << i;
            }
        }

        auto again = Workspace::create();
        ASSERT_TRUE(openRom(*again, path, HeaderChoice::Detect).ok);
        EXPECT_EQ(windowSkinsOf(*again).skins[5].window.pixels, windowSkinsOf(*ws).skins[5].window.pixels);
        EXPECT_EQ(windowSkinsOf(*again).skins[5].window.pixel(20, 20), 7);
        EXPECT_EQ(windowSkinsOf(*again).palettes[5 * 16 + 2], makeColor(248, 0, 0));
    }
}

TEST(WindowSkins, ColoursTheGameCannotShowAreRefused) {
    auto ws = morvi::testing::demoWorkspace();
    WindowSkinSet& set = windowSkinsOf(*ws);
    const auto tiles = set.skins[0].tiles;
    auto source = windowSkinFamily()->makeSource(*ws);
    const std::vector<PixelWrite> bad = {{5, 5, 2}, {6, 5, 8}};
    EXPECT_NE(source->refusePixels(bad).find("colours 1 to 7"), std::string::npos);
    EXPECT_FALSE(source->writePixels(bad));
    EXPECT_EQ(set.skins[0].tiles, tiles) << "no pixel of a refused stroke is written";
    // Colours 8 to 15 are not edited; 1 to 7 are.
    EXPECT_FALSE(source->colorEditable(8));
    EXPECT_TRUE(source->colorEditable(7));
    EXPECT_FALSE(source->setColor(12, makeColor(0, 255, 0)));
    // A picture that uses colour 9 is not taken.
    IndexedImage picture = set.skins[1].window;
    picture.setPixel(30, 30, 9);
    EXPECT_FALSE(source->importPicture(picture).empty());
    EXPECT_EQ(set.skins[0].tiles, tiles);
}
