#include <gtest/gtest.h>


#include "rom/rom_buffer.h"
#include "rom/rom_checksum.h"

using namespace morvi;

namespace {

std::vector<std::uint8_t> noise(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::uint8_t *p = bytes.data(), *end = p + size; p != end; ++p) {
        seed = seed * 1103515245u + 12345u;
        *p = std::uint8_t(seed >> 16);
    }
    return bytes;
}

std::uint32_t sum(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    std::uint32_t total = 0;
    for (const std::uint8_t *p = bytes.data() + from, *end = bytes.data() + to; p != end; ++p) total += *p;
    return total;
}

std::uint16_t wordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint16_t(bytes[at] | bytes[at + 1] << 8);
}

} // namespace

TEST(HeaderChecksum, SumsAsEmulatorsDoWithThePartPastAPowerOfTwoMirrored) {
    constexpr std::size_t MiB = 0x100000;
    // The pair is neutral (FF FF 00 00) whatever it holds: set it so, then the sums are plain.
    auto neutral = [](std::vector<std::uint8_t> bytes, std::size_t at) {
        bytes[at] = bytes[at + 1] = 0xFF;
        bytes[at + 2] = bytes[at + 3] = 0;
        return bytes;
    };
    const auto rom3 = neutral(noise(3 * MiB, 1), 0xFFDC);
    EXPECT_EQ(romChecksum(rom3), std::uint16_t(sum(rom3, 0, 2 * MiB) + 2 * sum(rom3, 2 * MiB, 3 * MiB)));
    const auto rom4 = neutral(noise(4 * MiB, 2), 0xFFDC);
    EXPECT_EQ(romChecksum(rom4), std::uint16_t(sum(rom4, 0, 4 * MiB)));
    // 2.5 MiB: the last half MiB fills the 2 MiB after the first 2, four times over.
    const auto rom25 = neutral(noise(5 * MiB / 2, 3), 0xFFDC);
    EXPECT_EQ(romChecksum(rom25), std::uint16_t(sum(rom25, 0, 2 * MiB) + 4 * sum(rom25, 2 * MiB, 5 * MiB / 2)));
    // 6 MiB is ExHiROM: its pair is 4 MiB further on, and counts twice with the mirrored part.
    const auto rom6 = neutral(noise(6 * MiB, 4), 0x40FFDC);
    EXPECT_EQ(headerChecksumOffset(6 * MiB), 0x40FFDCu);
    EXPECT_EQ(romChecksum(rom6), std::uint16_t(sum(rom6, 0, 4 * MiB) + 2 * sum(rom6, 4 * MiB, 6 * MiB)));
    // What the pair held does not change the sum; the result holds and is complemented.
    auto stale = rom3;
    stale[0xFFDC] = 0x12;
    stale[0xFFDF] = 0x34;
    EXPECT_FALSE(headerChecksumHolds(stale));
    EXPECT_EQ(romChecksum(stale), romChecksum(rom3));
    setHeaderChecksum(stale);
    EXPECT_TRUE(headerChecksumHolds(stale));
    EXPECT_EQ(wordAt(stale, 0xFFDE), romChecksum(rom3));
    EXPECT_EQ(wordAt(stale, 0xFFDC), std::uint16_t(~romChecksum(rom3)));
    // An image too short for a header has no pair and is never written to.
    EXPECT_FALSE(headerChecksumOffset(0xFFDF).has_value());
    std::vector<std::uint8_t> tiny(0x8000, 7);
    setHeaderChecksum(tiny);
    EXPECT_EQ(tiny, std::vector<std::uint8_t>(0x8000, 7));
}

TEST(HeaderChecksum, TheBufferWritesThePairPastTheCopierHeaderOnlyWhenItIsStale) {
    std::vector<std::uint8_t> file = noise(0x200 + 0x300000, 5);
    RomBuffer buffer(file, true);
    ASSERT_TRUE(updateHeaderChecksum(buffer));
    ASSERT_EQ(buffer.written().size(), 1u);
    EXPECT_EQ(buffer.written()[0].first, 0x200u + 0xFFDC);
    EXPECT_TRUE(headerChecksumHolds(std::span<const std::uint8_t>(file).subspan(0x200)));
    // Already right: nothing more is written.
    ASSERT_TRUE(updateHeaderChecksum(buffer));
    EXPECT_EQ(buffer.written().size(), 1u);
}
