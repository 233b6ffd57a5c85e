#include <gtest/gtest.h>

#include <filesystem>

#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"
#include "rom/rom_file.h"
#include "rom/rom_state.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {
std::string fileWith(const TempDir& dir, std::size_t size, std::vector<std::pair<std::size_t, std::uint8_t>> bytes) {
    std::vector<std::uint8_t> data(size, 0);
    for (auto [at, value] : bytes) data.at(at) = value;
    std::string path = dir.file("rom.smc");
    morvi::testing::writeFile(path, data);
    return path;
}
} // namespace

TEST(HeaderTest, ByteAt0x220WinsOverByteAt0x20) {
    TempDir dir;
    EXPECT_EQ(detectRomHeader(fileWith(dir, 0x300, {{0x220, 0xA2}, {0x20, 0xA2}})), HeaderTest::Present);
    EXPECT_EQ(detectRomHeader(fileWith(dir, 0x300, {{0x220, 0xA2}})), HeaderTest::Present);
    EXPECT_EQ(detectRomHeader(fileWith(dir, 0x300, {{0x20, 0xA2}})), HeaderTest::Absent);
    EXPECT_EQ(detectRomHeader(fileWith(dir, 0x300, {{0x21, 0xA2}})), HeaderTest::NotRecognised);
}

TEST(HeaderTest, ShortFilesAreNotRecognisedOrTestedOnlyWhereTheyHaveBytes) {
    TempDir dir;
    EXPECT_EQ(detectRomHeader(fileWith(dir, 32, {})), HeaderTest::NotRecognised);
    EXPECT_EQ(detectRomHeader(fileWith(dir, 0, {})), HeaderTest::NotRecognised);
    // 33 bytes hold offset 0x20 but not 0x220.
    EXPECT_EQ(detectRomHeader(fileWith(dir, 33, {{0x20, 0xA2}})), HeaderTest::Absent);
    EXPECT_EQ(detectRomHeader(dir.file("missing.smc")), HeaderTest::NotRecognised);
}

TEST(RomState, FileOffsetFollowsTheHeaderFlag) {
    RomState state;
    EXPECT_TRUE(state.romHasHeader) << "a ROM is taken as headered until a test says otherwise";
    EXPECT_EQ(state.romFileOffset(0x127000), 0x127200u);
    state.romHasHeader = false;
    EXPECT_EQ(state.romFileOffset(0x127000), 0x127000u);
}

TEST(RomFile, WriteReplacingPutsTheFileInPlaceOnlyWhenWholeAndKeepsTheOldOneOtherwise) {
    TempDir dir;
    const std::string path = dir.file("picture.png");
    morvi::testing::writeFile(path, {1, 2, 3});
    std::string temp;
    EXPECT_FALSE(writeReplacing(path, [&](const std::string& t) {
        temp = t;
        morvi::testing::writeFile(t, {9}); // half written, then the writer fails
        return false;
    }));
    EXPECT_EQ(morvi::testing::readFile(path), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_NE(temp, path);
    EXPECT_FALSE(std::filesystem::exists(temp)) << "no half-written file is left behind";

    EXPECT_TRUE(writeReplacing(path, [](const std::string& t) { return writeWholeFile(t, std::vector<std::uint8_t>{7, 7}); }));
    EXPECT_EQ(morvi::testing::readFile(path), (std::vector<std::uint8_t>{7, 7}));
    EXPECT_FALSE(writeReplacing(dir.file("no-such-folder/x.png"),
                                [](const std::string& t) { return writeWholeFile(t, std::vector<std::uint8_t>{1}); }));
}

TEST(RomBytes, ReadsThroughTheHeaderRuleAndRefusesWhatTheFileLacks) {
    std::vector<std::uint8_t> file(0x300, 0);
    file[0x200 + 3] = 0x5A;
    file[0x20] = 0xA2;
    RomBytes headered(file, true), plain(file, false);
    bool ok = true;
    EXPECT_EQ(headered.view(3, 1, &ok)[0], 0x5A);
    EXPECT_TRUE(ok);
    EXPECT_EQ(plain.view(0x203, 1, &ok)[0], 0x5A);
    EXPECT_TRUE(headered.holds(0, 0x100));
    EXPECT_FALSE(headered.holds(0, 0x101));
    EXPECT_FALSE(headered.holds(0xFFFFFFFF, 1));
    auto cut = headered.view(0xFA, 7, &ok);
    EXPECT_FALSE(ok) << "a read past the end fails";
    EXPECT_TRUE(cut.empty());
    headered.view(0, 4, &ok);
    EXPECT_FALSE(ok) << "and the flag stays false";
    ok = true;
    headered.view(0, 4, &ok);
    EXPECT_TRUE(ok);
    headered.view(0x101, 0, &ok);
    EXPECT_FALSE(ok) << "even an empty read must start inside the file";
    EXPECT_TRUE(headered.at(0xFF, 2).empty());
    EXPECT_EQ(headered.image().size(), 0x100u);
    EXPECT_TRUE(RomBytes(std::span<const std::uint8_t>(file.data(), 100), true).image().empty());

    // The header test on bytes agrees with the test on files.
    EXPECT_EQ(detectRomHeader(std::span<const std::uint8_t>(file)), HeaderTest::Absent);
    file[0x220] = 0xA2;
    EXPECT_EQ(detectRomHeader(std::span<const std::uint8_t>(file)), HeaderTest::Present);
    EXPECT_EQ(detectRomHeader(std::span<const std::uint8_t>(file.data(), 32)), HeaderTest::NotRecognised);

    TempDir dir;
    std::vector<std::uint8_t> read;
    EXPECT_FALSE(readRomFile(dir.file("missing.smc"), read));
    morvi::testing::writeFile(dir.file("rom.smc"), file);
    ASSERT_TRUE(readRomFile(dir.file("rom.smc"), read));
    EXPECT_EQ(read, file);
}

TEST(RomBuffer, TheFileAsItWasComesBackFromTheReplacedBytesWhateverTheWritesOverlap) {
    std::vector<std::uint8_t> disk(64);
    for (std::size_t i = 0; i < disk.size(); ++i) disk[i] = std::uint8_t(i * 7);
    std::vector<std::uint8_t> file = disk;
    morvi::RomBuffer buffer(file, false);
    const std::vector<std::uint8_t> a(10, 0xAA), b(6, 0xBB), c(8, 0xCC);
    ASSERT_TRUE(buffer.write(4, a));  // 4..13
    ASSERT_TRUE(buffer.write(10, b)); // 10..15, over the end of the first
    ASSERT_TRUE(buffer.write(2, b));  // 2..7, over its start
    ASSERT_TRUE(buffer.write(60, c)); // 60..67, past the end: the file grows
    EXPECT_EQ(file.size(), 68u);
    EXPECT_EQ(buffer.original(), disk);
    // The same bytes: no difference. One byte changed by another program inside a written
    // range is seen, outside every range it is not.
    EXPECT_FALSE(buffer.originalDiffersInWritten(disk));
    for (std::size_t inside : {2u, 9u, 15u, 61u}) {
        auto other = disk;
        other[inside] ^= 1;
        EXPECT_TRUE(buffer.originalDiffersInWritten(other)) << inside;
    }
    auto outside = disk;
    outside[30] ^= 1;
    outside[1] ^= 1;
    EXPECT_FALSE(buffer.originalDiffersInWritten(outside));
    // A file that has grown or shrunk where the writes reach differs.
    auto longer = disk;
    longer.push_back(1); // byte 64, which the last write lengthened the file with
    EXPECT_TRUE(buffer.originalDiffersInWritten(longer));
    auto shorter = disk;
    shorter.resize(62);
    EXPECT_TRUE(buffer.originalDiffersInWritten(shorter));
}
