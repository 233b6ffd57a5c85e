#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <bit>
#include <map>
#include <set>
#include <sstream>

#include "app/families.h"
#include "app/rom_session.h"
#include "backgrounds/battle_backgrounds.h"
#include "demo/demo_rom.h"
#include "image/snes_codec.h"
#include "imagefile/image_file.h"
#include "imagefile/palette_file.h"
#include "rom/rom_checksum.h"
#include "testing/fixtures.h"
#include "testing/patch_appliers.h"
#include "testing/run_program.h"
#include "cli/cli_commands.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"
#include "fieldsprites/field_sprites.h"

using namespace morvi;
using morvi::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the built morvi-cli binary.
CliRun runCli(const TempDir& dir, const std::vector<std::string>& args) {
    const int status = morvi::testing::runProgram(MORVI_CLI_PATH, args, dir.file("out.txt"), dir.file("err.txt"));
    // Text written to the console ends its lines with CRLF on Windows: read as lines, it is the same.
    auto lines = [](std::string text) {
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
        return text;
    };
    return {status, lines(slurp(dir.file("out.txt"))), lines(slurp(dir.file("err.txt")))};
}

// Every file below a folder, by relative path.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = slurp(e.path());
    return files;
}

std::string makeDemo(const TempDir& dir, const std::string& name, bool header) {
    std::vector<std::string> args = {"demo", dir.file(name)};
    if (header) args.push_back("--header");
    EXPECT_EQ(runCli(dir, args).status, 0);
    return dir.file(name);
}

} // namespace

TEST(MorviCli, DemoIsDeterministicAndExportsTheSameWithOrWithoutHeader) {
    TempDir dir;
    const std::string plain = makeDemo(dir, "a.smc", false);
    const std::string headered = makeDemo(dir, "b.smc", true);
    auto a = morvi::testing::readFile(plain);
    auto b = morvi::testing::readFile(headered);
    ASSERT_EQ(a.size(), 0x300000u);
    ASSERT_EQ(b.size(), 0x300000u + 512);
    EXPECT_EQ(a[0x20], 0xA2);
    EXPECT_EQ(b[0x220], 0xA2);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin() + 512));
    EXPECT_EQ(morvi::testing::readFile(makeDemo(dir, "c.smc", false)), a) << "the same bytes every run";

    ASSERT_EQ(runCli(dir, {"export", plain, dir.file("x")}).status, 0);
    ASSERT_EQ(runCli(dir, {"export", headered, dir.file("y")}).status, 0);
    auto x = tree(dir.file("x")), y = tree(dir.file("y"));
    std::size_t pictures = 55; // the backgrounds
    for (morvi::Family f : morvi::families())
        for (const morvi::FileFolder& folder : f->fileFolders()) pictures += std::size_t(folder.last - folder.first + 1);
    EXPECT_EQ(x.size(), pictures);
    EXPECT_GE(pictures, 384u + 31 + 19 + 22 + 55);
    EXPECT_TRUE(x == y);
    EXPECT_TRUE(x.count("espers/400.png"));
    EXPECT_TRUE(x.count("backgrounds/54.png"));

    CliRun info = runCli(dir, {"info", headered});
    EXPECT_NE(info.out.find("header: present"), std::string::npos);
    EXPECT_NE(runCli(dir, {"info", plain}).out.find("header: absent"), std::string::npos);
}

TEST(MorviCli, ExportImportExportGivesIdenticalFilesInEveryFormat) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    for (const char* format : {"png", "bmp", "pcx", "bin"}) {
        SCOPED_TRACE(format);
        const std::string first = dir.file(std::string("first-") + format), second = dir.file(std::string("second-") + format);
        ASSERT_EQ(runCli(dir, {"export", rom, first, "--format", format}).status, 0);
        CliRun imported = runCli(dir, {"import", rom, first});
        ASSERT_EQ(imported.status, 0) << imported.err;
        ASSERT_EQ(runCli(dir, {"export", rom, second, "--format", format}).status, 0);
        auto a = tree(first), b = tree(second);
        ASSERT_EQ(a.size(), b.size());
        for (const auto& [name, bytes] : a) EXPECT_TRUE(b[name] == bytes) << name;
        if (std::string(format) == "bin") {
            EXPECT_EQ(a["characters/00.bin"].size(), std::size_t(kCharacterTileBytes));
            EXPECT_EQ(a["characters/18.bin"].size(), std::size_t(kShortCharacterTileBytes));
            EXPECT_EQ(a["characters/18.pal"].size(), 32u);
            EXPECT_EQ(a["portraits/04.bin"].size(), 800u);
            EXPECT_EQ(a.count("monsters/000.png"), 1u) << "monsters have no raw form";
        }
    }
}

// picture export|import: one picture to and from a file in each form, and every refusal exits 1
// with the reason and the ROM unchanged.
TEST(MorviCli, PictureExportAndImportInEveryForm) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    const std::string other = makeDemo(dir, "other.smc", false);
    // Character 5's full sheet and raw pair go into character 9 of another copy, which then
    // exports the same files.
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "character:5", dir.file("c5.png"), "--full"}).status, 0);
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "character:5", dir.file("c5.bin")}).status, 0);
    IndexedImage sheet;
    ASSERT_EQ(loadPng(sheet, dir.file("c5.png"), 256, 1024, 1024), ImageLoadResult::Read);
    EXPECT_EQ(sheet.height, kFullSheetHeight);
    CliRun in = runCli(dir, {"picture", "import", other, "character:9", dir.file("c5.bin")});
    ASSERT_EQ(in.status, 0) << in.err;
    ASSERT_EQ(runCli(dir, {"picture", "export", other, "character:9", dir.file("c9.bin")}).status, 0);
    EXPECT_EQ(slurp(dir.file("c9.bin")), slurp(dir.file("c5.bin")));
    EXPECT_EQ(slurp(dir.file("c9.pal")), slurp(dir.file("c5.pal")));
    in = runCli(dir, {"picture", "import", other, "character:10", dir.file("c5.png")});
    ASSERT_EQ(in.status, 0) << in.err;
    ASSERT_EQ(runCli(dir, {"picture", "export", other, "character:10", dir.file("c10.png"), "--full"}).status, 0);
    IndexedImage back;
    ASSERT_EQ(loadPng(back, dir.file("c10.png"), 256, 1024, 1024), ImageLoadResult::Read);
    EXPECT_EQ(back.pixels, sheet.pixels) << "the riding and lying rows came in too";
    // A portrait pair and a monster picture.
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "portrait:3", dir.file("p3.bin")}).status, 0);
    ASSERT_EQ(runCli(dir, {"picture", "import", other, "portrait:7", dir.file("p3.bin")}).status, 0);
    ASSERT_EQ(runCli(dir, {"picture", "export", other, "portrait:7", dir.file("p7.bin")}).status, 0);
    EXPECT_EQ(slurp(dir.file("p7.bin")), slurp(dir.file("p3.bin")));
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "monster:12", dir.file("m.bmp")}).status, 0);
    ASSERT_EQ(runCli(dir, {"picture", "import", other, "monster:12", dir.file("m.bmp")}).status, 0);
    // A field sheet's pair and picture go into another sheet of the same size and come back the
    // same; "sprite:5" is character 5's sheet, "vehicles" the vehicles.
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "sprite:29", dir.file("s29.bin")}).status, 0);
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "sprite:29", dir.file("s29.png")}).status, 0);
    in = runCli(dir, {"picture", "import", other, "sprite:29", dir.file("s29.png")});
    ASSERT_EQ(in.status, 0) << in.err;
    ASSERT_EQ(runCli(dir, {"picture", "export", other, "sprite:29", dir.file("back29.bin")}).status, 0);
    EXPECT_EQ(slurp(dir.file("back29.bin")), slurp(dir.file("s29.bin")));
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "sprite:5", dir.file("s5.bin")}).status, 0);
    EXPECT_EQ(slurp(dir.file("s5.bin")), slurp(dir.file("c5.bin")));
    ASSERT_EQ(runCli(dir, {"picture", "export", rom, "vehicles", dir.file("v.bin")}).status, 0);
    EXPECT_EQ(fs::file_size(pathFromUtf8(dir.file("v.bin"))), kVehicleGraphicsSize);

    const std::string before = slurp(other);
    morvi::testing::writeFile(dir.file("odd.bin"), std::vector<std::uint8_t>(1000, 1));
    morvi::testing::writeFile(dir.file("notes.txt"), std::vector<std::uint8_t>(10, 'a'));
    morvi::testing::writeFile(dir.file("short.bin"), std::vector<std::uint8_t>(700, 1));
    fs::copy_file(pathFromUtf8(dir.file("p3.bin")), pathFromUtf8(dir.file("p3bad.bin")));
    morvi::testing::writeFile(dir.file("p3bad.pal"), std::vector<std::uint8_t>(33, 1));
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"picture", "import", other, "character:2", dir.file("odd.bin")}, "1000 bytes"},
        {{"picture", "import", other, "monster:2", dir.file("c5.bin")}, "no raw form"},
        {{"picture", "export", other, "monster:2", dir.file("m.bin")}, "no raw form"},
        {{"picture", "export", other, "portrait:2", dir.file("p.png"), "--full"}, "--full"},
        {{"picture", "import", other, "character:2", dir.file("notes.txt")}, ".png"},
        {{"picture", "import", other, "character:22", dir.file("c5.bin")}, "character:22"},
        {{"picture", "import", other, "character:2", dir.file("none.png")}, "Error opening file"},
        {{"picture", "import", other, "portrait:2", dir.file("c5.png")}, "larger than 40x40"},
        // A portrait pair is exactly 800 and 32 bytes: a character's pair or any other file is refused.
        {{"picture", "import", other, "portrait:2", dir.file("c5.bin")}, "5792 bytes; a portrait's has 800"},
        {{"picture", "import", other, "portrait:2", dir.file("odd.bin")}, "1000 bytes; a portrait's has 800"},
        {{"picture", "import", other, "portrait:2", dir.file("short.bin")}, "700 bytes; a portrait's has 800"},
        {{"picture", "import", other, "portrait:2", dir.file("p3bad.bin")}, "The palette file has 33 bytes; a portrait's has 32"},
        {{"picture", "import", other, "sprite:30", dir.file("odd.bin")}, "holds 1472 bytes; this one has 1000"},
        {{"picture", "import", other, "sprite:87", dir.file("s29.png")}, "larger than 16x24"},
        {{"picture", "import", other, "sprite:165", dir.file("s29.png")}, "0 to 164"},
    };
    for (const auto& [args, says] : refusals) {
        const CliRun run = runCli(dir, args);
        EXPECT_EQ(run.status, 1) << args[4];
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
    EXPECT_TRUE(slurp(other) == before) << "no refusal touched the ROM";
    EXPECT_FALSE(fs::exists(pathFromUtf8(dir.file("m.bin"))));
}

TEST(MorviCli, ImportedPicturesInEveryFamilySurviveSaveAndReload) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", true);
    const fs::path in = dir.file("in");
    fs::create_directories(in / "monsters");
    fs::create_directories(in / "espers");
    fs::create_directories(in / "portraits");
    fs::create_directories(in / "characters");
    auto picture = [](int w, int h, int colors, int seed) {
        IndexedImage image;
        image.allocateImage(w, h);
        for (int c = 0; c < colors; ++c) image.setPaletteEntry(std::uint8_t(c), makeColor(std::uint8_t(8 * c), std::uint8_t(8 * seed), 120));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.setPixel(x, y, std::uint8_t((x / 3 + y / 5 + seed) % colors));
        return image;
    };
    const IndexedImage monster = picture(96, 80, 16, 1), esper = picture(48, 40, 8, 2);
    const IndexedImage portrait = picture(40, 40, 16, 3), sheet = picture(128, 128, 16, 4);
    ASSERT_FALSE(savePng(monster, (in / "monsters" / "007.png").string(), 96, 80));
    ASSERT_FALSE(saveBmp(esper, (in / "espers" / "390.bmp").string(), 48, 40));
    ASSERT_FALSE(savePcx(portrait, (in / "portraits" / "05.pcx").string(), 40, 40));
    ASSERT_FALSE(savePng(sheet, (in / "characters" / "03.png").string(), 128, 128));
    CliRun run = runCli(dir, {"import", rom, in.string()});
    ASSERT_EQ(run.status, 0) << run.err;

    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, rom, HeaderChoice::Detect).ok);
    const MonsterEntry& m = monstersOf(*ws).entries[7];
    EXPECT_EQ(m.large, 1);
    EXPECT_EQ(m.colorCount, 16);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(m.image.pixel(x, y), monster.contains(x, y) ? monster.pixel(x, y) : 0) << x << "," << y;
    for (int c = 1; c < 16; ++c) EXPECT_EQ(m.image.palette[std::size_t(c)], monster.palette[std::size_t(c)]);
    const MonsterEntry& e = monstersOf(*ws).entries[390];
    EXPECT_EQ(e.large, 0);
    EXPECT_EQ(e.colorCount, 8);
    EXPECT_EQ(e.image.pixel(10, 10), esper.pixel(10, 10));
    EXPECT_EQ(portraitsOf(*ws).portraits[5].image.pixels, portrait.pixels);
    // A tile shared by several sprites takes the cell of the first sprite that names it.
    const CharacterSet& cs = charactersOf(*ws);
    for (int s = 0; s < kSpritesPerCharacter; ++s)
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 16; ++x) {
                const int tile = cs.tileOf(s, y / 8, x / 8);
                const int first = int(std::find(cs.tileTable.begin(), cs.tileTable.end(), std::uint16_t(32 * tile)) -
                                      cs.tileTable.begin());
                const int fs = first / 6, fr = (first % 6) / 2, fc = first % 2;
                ASSERT_EQ(cs.characters[3].sprites[std::size_t(s)].pixel(x, y),
                          sheet.pixel(16 * (fs % 8) + 8 * fc + x % 8, 24 * (fs / 8) + 8 * fr + y % 8));
            }
}

TEST(MorviCli, AFolderImportKeepsTheChangedOneOfASharedPaletteAndWritesNothingWhenNothingChanged) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    const fs::path out = dir.file("out");
    ASSERT_EQ(runCli(dir, {"export", rom, out.string(), "--format", "bin"}).status, 0);
    const auto original = morvi::testing::readFile(rom);
    // The export as it is changes nothing, so nothing is written (not even another layout of the
    // same monster graphics).
    CliRun run = runCli(dir, {"import", rom, out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(morvi::testing::readFile(rom) == original);

    // Two characters on one palette: new colours for the first in its pair; the second's pair,
    // applied after it, still carries the old ones.
    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, rom, HeaderChoice::Detect).ok);
    int first = -1, second = -1;
    for (int i = 0; i < kCharacterCount && second < 0; ++i)
        for (int j = i + 1; j < kCharacterCount && second < 0; ++j)
            if (charactersOf(*ws).characters[std::size_t(i)].paletteNumber == charactersOf(*ws).characters[std::size_t(j)].paletteNumber &&
                !charactersOf(*ws).characters[std::size_t(i)].fixedPalette && !charactersOf(*ws).characters[std::size_t(j)].fixedPalette)
                first = i, second = j;
    ASSERT_GE(second, 0) << "the demo has characters that share a palette";
    auto pairName = [&](int c) { return (out / "characters" / ((c < 10 ? "0" : "") + std::to_string(c) + ".pal")).string(); };
    std::vector<PaletteColor> fresh(16), other(16);
    for (int k = 0; k < 16; ++k) {
        fresh[std::size_t(k)] = makeColor(std::uint8_t(8 * k), 80, 248);
        other[std::size_t(k)] = makeColor(248, std::uint8_t(8 * k), 16);
    }
    morvi::testing::writeFile(pairName(first), encodeSnesColors(fresh));
    run = runCli(dir, {"import", rom, out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    auto after = Workspace::create();
    ASSERT_TRUE(openRom(*after, rom, HeaderChoice::Detect).ok);
    const int palette = charactersOf(*after).characters[std::size_t(second)].paletteNumber;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(charactersOf(*after).color(palette, k), fresh[std::size_t(k)]) << k;

    // Both changed, differently: refused with both names, the ROM as it was.
    morvi::testing::writeFile(pairName(second), encodeSnesColors(other));
    fresh[3] = makeColor(0, 0, 0);
    morvi::testing::writeFile(pairName(first), encodeSnesColors(fresh));
    const auto saved = morvi::testing::readFile(rom);
    run = runCli(dir, {"import", rom, out.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(pairName(first)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(pairName(second)), std::string::npos) << run.err;
    EXPECT_TRUE(morvi::testing::readFile(rom) == saved);
}

TEST(MorviCli, RefusedImportsWriteNothingAndSayWhy) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    const auto before = morvi::testing::readFile(rom);
    const fs::path in = dir.file("in");
    fs::create_directories(in / "portraits");
    fs::create_directories(in / "monsters");
    IndexedImage fine;
    fine.allocateImage(40, 40);
    ASSERT_FALSE(savePng(fine, (in / "monsters" / "001.png").string(), 40, 40));
    IndexedImage big;
    big.allocateImage(48, 40);
    ASSERT_FALSE(savePng(big, (in / "portraits" / "02.png").string(), 48, 40));
    CliRun run = runCli(dir, {"import", rom, in.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Image is larger than 40x40"), std::string::npos) << run.err;
    EXPECT_EQ(morvi::testing::readFile(rom), before);

    fs::remove(in / "portraits" / "02.png");
    IndexedImage many;
    many.allocateImage(32, 32);
    for (int i = 0; i < 20; ++i) many.setPixelColor(makeColor(std::uint8_t(i * 8), 0, 0), i, 0);
    fs::create_directories(in / "characters");
    ASSERT_FALSE(savePng8(many, (in / "characters" / "01.png").string(), 32, 32));
    run = runCli(dir, {"import", rom, in.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Image has more than 16 colors"), std::string::npos) << run.err;
    EXPECT_EQ(morvi::testing::readFile(rom), before);

    // Two files for one picture are ambiguous.
    fs::remove(in / "characters" / "01.png");
    ASSERT_FALSE(saveBmp(fine, (in / "monsters" / "001.bmp").string(), 40, 40));
    EXPECT_EQ(runCli(dir, {"import", rom, in.string()}).status, 1);
    EXPECT_EQ(morvi::testing::readFile(rom), before);
}

TEST(MorviCli, InfoReportsTheModelAndUnrecognisedFilesNeedAnExplicitHeader) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, rom, HeaderChoice::Detect).ok);
    CliRun info = runCli(dir, {"info", rom});
    ASSERT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("free space: " + std::to_string(freeSpace(monstersOf(*ws))) + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("records: " + std::to_string(monstersOf(*ws).recordCount) + "\n"), std::string::npos);
    EXPECT_NE(info.out.find("small molds: 128\n"), std::string::npos);

    auto bytes = morvi::testing::readFile(rom);
    bytes[0x20] = 0;
    morvi::testing::writeFile(dir.file("odd.smc"), bytes);
    CliRun refused = runCli(dir, {"info", dir.file("odd.smc")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("does not appear to be a valid Final Fantasy III ROM"), std::string::npos);
    CliRun forced = runCli(dir, {"info", dir.file("odd.smc"), "--header", "no"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(forced.out.find("header: unrecognised"), std::string::npos);
    CliRun missing = runCli(dir, {"info", dir.file("missing.smc")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.file("missing.smc") + ": no such file"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find("--header"), std::string::npos) << "--header cannot help a file that does not open";
    CliRun folder = runCli(dir, {"info", dir.path().string()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("cannot open the file"), std::string::npos) << folder.err;
    for (const char* flag : {"--help", "-h"}) {
        CliRun help = runCli(dir, {flag});
        EXPECT_EQ(help.status, 0) << flag;
        EXPECT_NE(help.out.find("morvi-cli export ROM DIR"), std::string::npos) << flag;
        EXPECT_TRUE(help.err.empty());
    }
    EXPECT_EQ(runCli(dir, {"info", rom, "--header", "maybe"}).status, 1);
    EXPECT_EQ(runCli(dir, {"frobnicate"}).status, 1);
    morvi::testing::writeFile(dir.file("short.smc"), std::vector<std::uint8_t>(0x100, 0xA2));
    CliRun shortRom = runCli(dir, {"info", dir.file("short.smc")});
    EXPECT_EQ(shortRom.status, 1);
    EXPECT_NE(shortRom.err.find("Error loading ROM"), std::string::npos);
}

TEST(MorviCli, InspectPrintsTheDecodedPicture) {
    TempDir dir;
    IndexedImage image;
    image.allocateImage(3, 2);
    image.setPaletteEntry(1, makeColor(0xAB, 0x0C, 0xFF));
    image.setPixel(2, 1, 1);
    ASSERT_FALSE(savePng(image, dir.file("p.png"), 3, 2));
    CliRun run = runCli(dir, {"inspect", dir.file("p.png")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "result 0\nsize 3 2\ncolors 2\npalette 000000 ab0cff\npixels\n00 00 00\n00 00 01\n");
    EXPECT_EQ(runCli(dir, {"inspect", dir.file("p.png"), "--max-size", "2x2"}).status, 2);
    EXPECT_EQ(runCli(dir, {"inspect", dir.file("p.png"), "--max-colors", "1"}).status, 1);
    EXPECT_EQ(runCli(dir, {"inspect", dir.file("nothing.png")}).status, 3);
    CliRun notImage = runCli(dir, {"inspect", dir.file("out.txt")});
    EXPECT_EQ(notImage.status, 4);
    EXPECT_EQ(notImage.out, "result 4\n");
    EXPECT_EQ(runCli(dir, {"inspect", morvi::testing::testdata("pcx/pil184.pcx")}).status, 0);
    EXPECT_EQ(runCli(dir, {"inspect", morvi::testing::testdata("bmpsuite/g/pal8.bmp"), "--max-colors", "16"}).status, 1);
}

TEST(DemoRom, HoldsEverythingTheEditorCanMeet) {
    TempDir dir;
    const std::string rom = dir.file("demo.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(rom, false));
    EXPECT_TRUE(headerChecksumHolds(buildDemoRom().bytes)) << "emulators find the checksum true";
    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, rom, HeaderChoice::Detect).ok);
    const MonsterGraphics& mg = monstersOf(*ws);
    // Filled like a real game: 80 to 95 per cent of the graphics region.
    const double used = 1.0 - double(freeSpace(mg)) / kSpaceLimit;
    EXPECT_GT(used, 0.80);
    EXPECT_LT(used, 0.95);
    int large = 0, small = 0, eight = 0, sixteen = 0;
    std::map<int, int> slotUsers, paletteUsers;
    for (const auto& e : mg.entries) {
        (e.large ? large : small)++;
        (e.colorCount == 8 ? eight : sixteen)++;
        slotUsers[e.recordIndex]++;
        paletteUsers[e.paletteNumber]++;
    }
    EXPECT_GT(large, 0);
    EXPECT_GT(small, 0);
    EXPECT_GT(eight, 0);
    EXPECT_GT(sixteen, 0);
    EXPECT_TRUE(std::any_of(slotUsers.begin(), slotUsers.end(), [](auto p) { return p.second > 1; })) << "shared graphics";
    EXPECT_TRUE(std::any_of(paletteUsers.begin(), paletteUsers.end(), [](auto p) { return p.second > 1; })) << "shared palettes";
    EXPECT_EQ(mg.smallMolds.size(), 128u) << "padded small-mold table";
    EXPECT_FALSE(mg.entries[0].name.empty());
    EXPECT_FALSE(mg.entries[384].name.empty());
    // Molds that mark empty tiles: the tile data the ROM's molds call for is more than what
    // the pixels need once loaded.
    auto bytes = morvi::testing::readFile(rom);
    const std::uint32_t smallStart = kMoldBank + (bytes[kMoldPointersOffset] | (bytes[kMoldPointersOffset + 1] << 8));
    const std::uint32_t largeStart = kMoldBank + (bytes[kMoldPointersOffset + 2] | (bytes[kMoldPointersOffset + 3] << 8));
    std::map<int, int> romSizes;
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        const std::uint8_t* r = &bytes[kMonsterInfoOffset + 5 * std::size_t(i)];
        const bool isLarge = r[2] & 0x80;
        const std::uint32_t at = (isLarge ? largeStart + 32u * r[4] : smallStart + 8u * r[4]);
        int cells = 0;
        for (int b = 0; b < (isLarge ? 32 : 8); ++b) cells += std::popcount(unsigned(bytes[at + std::size_t(b)]));
        romSizes[r[0] | ((r[1] & 0x7F) << 8)] = cells * ((r[1] & 0x80) ? 24 : 32);
    }
    int romUse = 0;
    for (auto [offset, size] : romSizes) romUse += size;
    EXPECT_EQ(int(romSizes.size()), mg.recordCount) << "one slot for each distinct graphics offset";
    EXPECT_GT(romUse, kSpaceLimit - freeSpace(mg));
    // Portraits share a palette; characters share tiles and palettes; the pose table is the
    // game's, so every tile is shown, and the last six characters are short blocks in a row.
    EXPECT_EQ(portraitsOf(*ws).portraits[14].paletteNumber, portraitsOf(*ws).portraits[15].paletteNumber);
    EXPECT_EQ(charactersOf(*ws).posesUsingTile(charactersOf(*ws).characters[0], 0), (std::vector<int>{0, 1, 2, 19, 20}));
    for (int t = 0; t < kTilesWithRiding; ++t) EXPECT_FALSE(charactersOf(*ws).posesUsingTile(charactersOf(*ws).characters[0], t).empty()) << t;
    for (int n = 0; n < kCharacterCount; ++n) {
        const CharacterSprites& ch = charactersOf(*ws).characters[std::size_t(n)];
        EXPECT_EQ(ch.tileCount, n < kFirstShortCharacter ? kTilesWithRiding : kTilesWithoutRiding) << n;
        EXPECT_EQ(ch.hasPose(kRiding1Pose), n < kFirstShortCharacter) << n;
        EXPECT_TRUE(ch.hasPose(kLyingPose));
        if (n > kFirstShortCharacter) {
            EXPECT_EQ(ch.tileAddress, charactersOf(*ws).characters[std::size_t(n - 1)].tileAddress + kShortCharacterTileBytes);
        }
    }
    EXPECT_EQ(charactersOf(*ws).characters[0].paletteNumber, charactersOf(*ws).characters[9].paletteNumber);
    // Backgrounds: all 55 compose, with raw and compressed sets, skipped areas and 256-tile sets.
    BackgroundSet backgrounds;
    ASSERT_TRUE(readBackgrounds(backgrounds, rom, ws->rom));
    bool raw = false, compressed = false, skipped = false, wide = false, flipped = false;
    std::set<int> thirds;
    for (int n = 0; n < kBackgroundCount; ++n) {
        const std::uint8_t* props = &bytes[kBackgroundPropertiesOffset + 6 * std::size_t(n)];
        for (int a = 0; a < 3; ++a) {
            if (props[a] == 0xFF) {
                skipped = true;
                continue;
            }
            wide = wide || (props[a] & 0x80);
            const std::uint8_t bank = bytes[kGraphicsSetPointersOffset + 3 * std::size_t(props[a] & 0x7F) + 2];
            (bank >= 0xE7 ? compressed : raw) = true;
        }
        for (const auto& cell : backgrounds.backgrounds[std::size_t(n)].tileMap) {
            flipped = flipped || cell.flipX || cell.flipY;
            thirds.insert(cell.paletteOffset);
        }
        int nonZero = 0;
        for (auto v : backgrounds.backgrounds[std::size_t(n)].image.pixels) nonZero += v != 0;
        EXPECT_GT(nonZero, 10000) << "background " << n << " shows a picture";
    }
    EXPECT_TRUE(raw && compressed && skipped && wide && flipped);
    EXPECT_TRUE(thirds.count(0) && thirds.count(16) && thirds.count(32));
}

TEST(MorviCli, AnImportStoppedOrFailingAtAnyWriteLeavesTheOldRomOrTheNewOne) {
    TempDir dir;
    const std::string rom = dir.file("game.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(rom, false));
    const auto oldBytes = morvi::testing::readFile(rom);
    const fs::path in = dir.file("in");
    fs::create_directories(in / "monsters");
    fs::create_directories(in / "portraits");
    IndexedImage picture;
    picture.allocateImage(40, 40);
    for (int c = 0; c < 16; ++c) picture.setPaletteEntry(std::uint8_t(c), makeColor(std::uint8_t(16 * c), 40, 200));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) picture.setPixel(x, y, std::uint8_t((x + y) % 16));
    ASSERT_FALSE(savePng(picture, (in / "monsters" / "002.png").string(), 40, 40));
    ASSERT_FALSE(savePng(picture, (in / "portraits" / "01.png").string(), 40, 40));
    const std::vector<std::string> args = {"import", rom, in.string()};

    std::ostringstream out, err;
    morvi::testing::ScriptedSteps counting;
    ASSERT_EQ(morvi::cli::run(args, out, err, counting), 0) << err.str();
    const auto newBytes = morvi::testing::readFile(rom);
    ASSERT_NE(newBytes, oldBytes);
    for (int k = 0; k < int(counting.seen.size()); ++k) {
        for (auto mode : {morvi::testing::ScriptedSteps::Mode::Stop, morvi::testing::ScriptedSteps::Mode::FailFrom}) {
            morvi::testing::writeFile(rom, oldBytes);
            morvi::testing::ScriptedSteps steps;
            steps.mode = mode;
            steps.at = k;
            std::ostringstream o, e;
            int status = -1;
            try {
                status = morvi::cli::run(args, o, e, steps);
            } catch (const morvi::testing::Crash&) {
            }
            const auto now = morvi::testing::readFile(rom);
            EXPECT_TRUE(now == oldBytes || now == newBytes) << "step " << k;
            if (mode == morvi::testing::ScriptedSteps::Mode::FailFrom) {
                EXPECT_EQ(status, 1) << "a failed save is a failure";
                EXPECT_EQ(now, oldBytes);
                EXPECT_NE(e.str().find("disk full"), std::string::npos) << e.str();
            }
        }
    }
}

TEST(MorviCli, PatchMakesBpsAndIpsThatAnotherPatcherAppliesAndRefusesMixedHeaders) {
    for (bool header : {false, true}) {
        TempDir dir;
        const std::string original = makeDemo(dir, "original.smc", header);
        const std::string headered = makeDemo(dir, "other.smc", !header);
        const std::string hack = dir.file("hack.smc");
        fs::copy_file(original, hack);
        const fs::path in = dir.file("in");
        fs::create_directories(in / "monsters");
        IndexedImage picture;
        picture.allocateImage(64, 64);
        for (int c = 0; c < 16; ++c) picture.setPaletteEntry(std::uint8_t(c), makeColor(200, std::uint8_t(16 * c), 8));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) picture.setPixel(x, y, std::uint8_t((x * y) % 16));
        ASSERT_FALSE(savePng(picture, (in / "monsters" / "000.png").string(), 64, 64));
        ASSERT_EQ(runCli(dir, {"import", hack, in.string()}).status, 0);

        const auto source = morvi::testing::readFile(original), target = morvi::testing::readFile(hack);
        for (const char* name : {"hack.bps", "hack.ips"}) {
            const CliRun run = runCli(dir, {"patch", original, hack, dir.file(name)});
            ASSERT_EQ(run.status, 0) << run.err;
            const auto patch = morvi::testing::readFile(dir.file(name));
            const auto rebuilt = std::string(name).ends_with(".bps") ? morvi::testing::applyBps(patch, source)
                                                                      : morvi::testing::applyIps(patch, source);
            EXPECT_EQ(rebuilt, target) << name;
            if (std::string(name).ends_with(".bps")) {
                EXPECT_LT(patch.size(), 64u * 1024) << "one picture changed";
            }
        }
        const CliRun mixed = runCli(dir, {"patch", headered, hack, dir.file("mixed.bps")});
        EXPECT_EQ(mixed.status, 1);
        EXPECT_NE(mixed.err.find("copier header"), std::string::npos) << mixed.err;
        EXPECT_FALSE(fs::exists(dir.file("mixed.bps")));
        EXPECT_EQ(runCli(dir, {"patch", original, hack, dir.file("hack.zip")}).status, 1);
    }
}

TEST(MorviCli, PaletteExportAndImportTouchOnlyThePaletteAndSayWhyTheyRefuse) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "game.smc", false);
    auto before = Workspace::create();
    ASSERT_TRUE(openRom(*before, rom, HeaderChoice::Detect).ok);

    // Export: the format by extension or by --format; the colours as the page shows them.
    ASSERT_EQ(runCli(dir, {"palette", "export", rom, "monster:5", dir.file("m.gpl")}).status, 0);
    const PaletteRead exported = loadPaletteFile(dir.file("m.gpl"));
    ASSERT_TRUE(exported.ok()) << exported.error;
    const MonsterEntry& e = monstersOf(*before).entries[5];
    ASSERT_EQ(exported.colors.size(), std::size_t(e.colorCount == 8 ? 8 : 16));
    for (std::size_t k = 0; k < exported.colors.size(); ++k)
        EXPECT_EQ(exported.colors[k], monstersOf(*before).palettes[std::size_t(e.paletteNumber) * 8 + k]);
    ASSERT_EQ(runCli(dir, {"palette", "export", rom, "portrait:2", dir.file("p.txt"), "--format", "hex"}).status, 0);
    EXPECT_EQ(slurp(dir.file("p.txt")).size(), 16u * 7u);

    // Import a JASC-PAL of three colours onto portrait 3: those three change (five bits a
    // channel), the rest and every other byte of the ROM stay.
    {
        std::ofstream f(dir.file("in.pal"), std::ios::binary);
        f << "JASC-PAL\r\n0100\r\n3\r\n255 255 255\r\n12 200 99\r\n0 0 0\r\n";
    }
    const auto oldBytes = morvi::testing::readFile(rom);
    const CliRun run = runCli(dir, {"palette", "import", rom, "portrait:3", dir.file("in.pal")});
    ASSERT_EQ(run.status, 0) << run.err;
    auto after = Workspace::create();
    ASSERT_TRUE(openRom(*after, rom, HeaderChoice::Detect).ok);
    const int n = portraitsOf(*after).portraits[3].paletteNumber;
    EXPECT_EQ(portraitsOf(*after).color(n, 0), makeColor(248, 248, 248));
    EXPECT_EQ(portraitsOf(*after).color(n, 1), makeColor(8, 200, 96));
    EXPECT_EQ(portraitsOf(*after).color(n, 2), makeColor(0, 0, 0));
    for (int k = 3; k < 16; ++k) EXPECT_EQ(portraitsOf(*after).color(n, k), portraitsOf(*before).color(n, k));
    const auto newBytes = morvi::testing::readFile(rom);
    std::size_t changed = 0;
    const std::size_t pairAt = *headerChecksumOffset(newBytes.size());
    for (std::size_t i = 0; i < newBytes.size(); ++i) changed += newBytes[i] != oldBytes[i] && (i < pairAt || i >= pairAt + 4);
    EXPECT_GT(changed, 0u);
    EXPECT_LE(changed, 6u) << "three colour words of one palette, and the header checksum";
    EXPECT_TRUE(headerChecksumHolds(newBytes));
    EXPECT_EQ(monstersOf(*after).palettes, monstersOf(*before).palettes);

    // Refusals change nothing.
    morvi::testing::writeFile(dir.file("bad.pal"), {'J', 'A', 'S', 'C', '-', 'P', 'A', 'L', '\n', '0', '1', '0', '0', '\n', '9', '\n'});
    CliRun bad = runCli(dir, {"palette", "import", rom, "monster:0", dir.file("bad.pal")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.pal"), std::string::npos) << bad.err;
    bad = runCli(dir, {"palette", "import", rom, "character:18", dir.file("in.pal")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("fixed"), std::string::npos) << bad.err;
    bad = runCli(dir, {"palette", "export", rom, "monster:415", dir.file("x.pal")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("0 to 414"), std::string::npos) << bad.err;
    EXPECT_EQ(runCli(dir, {"palette", "export", rom, "portrait:1", dir.file("x.png")}).status, 1);
    // A GIMP header over binary garbage is a broken GIMP palette, never colour words.
    const std::string garbage("GIMP Palette\n\x00\x01\x02 nonsense \xff\n", 28);
    morvi::testing::writeFile(dir.file("garbage.gpl"), std::vector<std::uint8_t>(garbage.begin(), garbage.end()));
    bad = runCli(dir, {"palette", "import", rom, "portrait:0", dir.file("garbage.gpl")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("not text"), std::string::npos) << bad.err;
    EXPECT_EQ(morvi::testing::readFile(rom), newBytes);
}

// animation --list, a GIF of a named animation and of a sequence, and every refusal with exit 1,
// the reason, and no file.
TEST(MorviCli, AnimationListsAndWritesGifsAndRefusesBadRequests) {
    TempDir dir;
    const std::string rom = makeDemo(dir, "demo.smc", false);
    const CliRun list = runCli(dir, {"animation", "--list"});
    ASSERT_EQ(list.status, 0);
    std::vector<std::string> names;
    std::istringstream in(list.out);
    for (std::string line; std::getline(in, line);) names.push_back(line.substr(0, line.find(' ')));
    ASSERT_EQ(names.size(), 28u);
    EXPECT_EQ(names.front(), "walk-up");
    EXPECT_EQ(names.back(), "spinning");
    EXPECT_NE(list.out.find("casting  battle: casting  16 17 16 17"), std::string::npos) << list.out;

    CliRun run = runCli(dir, {"animation", rom, "character:2", "casting", dir.file("cast.gif"), "--scale", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string gif = slurp(dir.file("cast.gif"));
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_EQ(std::uint8_t(gif[6]) | (std::uint8_t(gif[7]) << 8), 32) << "16 pixels at x2";
    run = runCli(dir, {"animation", rom, "character:2", "7 8 7 6m", dir.file("own.gif"), "--frames", "4", "--backdrop", "12"});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"animation", rom, "character:2", "walk-sideways", dir.file("x.gif")}, "no such animation"},
        {{"animation", rom, "character:2", "7 8 99", dir.file("x.gif")}, "\"99\" is not a pose"},
        {{"animation", rom, "character:2", "walk-up", dir.file("x.gif"), "--scale", "0"}, "--scale takes a number from 1"},
        {{"animation", rom, "character:2", "walk-up", dir.file("x.gif"), "--scale", "big"}, "--scale"},
        {{"animation", rom, "character:2", "walk-up", dir.file("x.gif"), "--frames", "0"}, "--frames"},
        {{"animation", rom, "character:2", "walk-up", dir.file("x.gif"), "--backdrop", "55"}, "--backdrop"},
        {{"animation", rom, "monster:2", "walk-up", dir.file("x.gif")}, "character:N"},
        {{"animation", rom, "character:20", "ride-left", dir.file("x.gif")}, "no pose 41"},
        {{"animation", rom, "character:2", "walk-up", dir.file("x.png")}, ".gif"},
        {{"animation", dir.file("none.smc"), "character:2", "walk-up", dir.file("x.gif")}, "no such file"},
    };
    for (const auto& [args, says] : refusals) {
        const CliRun refused = runCli(dir, args);
        EXPECT_EQ(refused.status, 1) << args[3];
        EXPECT_NE(refused.err.find(says), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(fs::exists(pathFromUtf8(dir.file("x.gif"))));
    EXPECT_FALSE(fs::exists(pathFromUtf8(dir.file("x.png"))));
}
