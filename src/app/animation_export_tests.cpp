// Animated GIFs of a character, read back by another program (ImageMagick's identify and
// convert), as a user's image viewer would read them.
#include <gtest/gtest.h>

#include <sstream>

#include "app/animation_export.h"
#include "app/rom_session.h"
#include "backgrounds/battle_backgrounds.h"
#include "demo/demo_rom.h"
#include "testing/fixtures.h"
#include "testing/run_program.h"
#include "characters/character_module.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

std::string slurp(const std::string& path) {
    const auto bytes = morvi::testing::readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// What ImageMagick prints for the file; the test cannot run without it on a system that builds
// the editor (test.sh installs it).
std::string magick(const TempDir& dir, const std::string& tool, const std::vector<std::string>& args) {
    const int status = morvi::testing::runProgram(tool, args, dir.file("magick.out"), dir.file("magick.err"));
    EXPECT_EQ(status, 0) << tool << " failed: " << slurp(dir.file("magick.err"));
    return slurp(dir.file("magick.out"));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

} // namespace

TEST(AnimationGif, FramesDelaysLoopAndColoursReadBackByAnotherProgram) {
#ifdef _WIN32
    GTEST_SKIP() << "ImageMagick is not part of the Windows check";
#endif
    TempDir dir;
    auto ws = morvi::testing::demoWorkspace();
    const RomImage rom = buildDemoRom();
    const CharacterSprites& ch = charactersOf(*ws).characters[3];
    AnimationExport request;
    request.frames = findAnimation("walk-down")->frames;
    request.scale = 3;
    std::string why;
    ASSERT_TRUE(exportAnimationGif(ch, request, dir.file("walk.gif"), why)) << why;
    // Four frames of 48 x 72, 13, 13, 14 and 13 hundredths, each cleared to the background.
    EXPECT_EQ(lines(magick(dir, "identify", {"-format", "%W %H %w %h %T %D\n", dir.file("walk.gif")})),
              (std::vector<std::string>{"48 72 48 72 13 Background", "48 72 48 72 13 Background", "48 72 48 72 14 Background",
                                        "48 72 48 72 13 Background"}));
    const std::string verbose = magick(dir, "identify", {"-verbose", dir.file("walk.gif") + "[0]"});
    EXPECT_NE(verbose.find("Iterations: 0"), std::string::npos) << "loops for ever";
    // Frame 1 is pose 2 with its feet mirrored, each pixel a 3 x 3 block; colour 0 is transparent.
    const IndexedImage pose2 = renderPose(ch, {2, false}, false);
    int checked = 0;
    for (int y = 0; y < 24; y += 5)
        for (int x = 0; x < 16; x += 3) {
            const std::string at = "%[pixel:p{" + std::to_string(3 * x + 1) + "," + std::to_string(3 * y + 2) + "}]";
            const std::string got = magick(dir, "convert", {dir.file("walk.gif") + "[1]", "-format", at, "info:"});
            const std::uint8_t v = pose2.pixel(x, y);
            const PaletteColor c = pose2.palette[v];
            const std::string want = v == 0 ? "srgba(0,0,0,0)"
                                            : "srgba(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + ",1)";
            EXPECT_EQ(got, want) << x << "," << y;
            checked += v != 0;
        }
    EXPECT_GT(checked, 10);

    // Behind the backdrop nothing is transparent; a sequence of Lying and standing is 24 x 24.
    request.frames = {{42, false}, {7, true}};
    request.framesPerPose = 4;
    request.scale = 2;
    ASSERT_TRUE(readBackgrounds(ws->backgrounds, rom.bytes));
    request.backdrop = &ws->backgrounds.backgrounds[3].image;
    ASSERT_TRUE(request.backdrop->hasPixels());
    ASSERT_TRUE(exportAnimationGif(ch, request, dir.file("mixed.gif"), why)) << why;
    EXPECT_EQ(lines(magick(dir, "identify", {"-format", "%W %H %T %A\n", dir.file("mixed.gif")})),
              (std::vector<std::string>{"48 48 6 False", "48 48 7 False"}));
}

TEST(AnimationGif, BadRequestsWriteNothing) {
    TempDir dir;
    auto ws = morvi::testing::demoWorkspace();
    std::string why;
    AnimationExport request;
    request.frames = findAnimation("ride-left")->frames;
    // Ghost has no riding poses.
    EXPECT_FALSE(exportAnimationGif(charactersOf(*ws).characters[20], request, dir.file("a.gif"), why));
    EXPECT_NE(why.find("no pose 41"), std::string::npos) << why;
    request.scale = 0;
    EXPECT_FALSE(exportAnimationGif(charactersOf(*ws).characters[0], request, dir.file("a.gif"), why));
    request.scale = 2;
    request.frames.clear();
    EXPECT_FALSE(exportAnimationGif(charactersOf(*ws).characters[0], request, dir.file("a.gif"), why));
    EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(dir.file("a.gif"))));
}
