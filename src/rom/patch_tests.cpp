#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "rom/patch.h"
#include "testing/fixtures.h"
#include "testing/patch_appliers.h"

using namespace morvi;
using Bytes = std::vector<std::uint8_t>;
using morvi::testing::applyBps;
using morvi::testing::applyIps;

namespace {

Bytes randomBytes(std::size_t n, std::mt19937& rng) {
    Bytes b(n);
    for (auto& x : b) x = std::uint8_t(rng());
    return b;
}

} // namespace

TEST(Patch, BpsAndIpsRebuildTheModifiedFileFromTheOriginal) {
    std::mt19937 rng(7);
    for (int round = 0; round < 30; ++round) {
        const std::size_t size = 1 + rng() % 50000;
        Bytes source = randomBytes(size, rng);
        if (round % 3 == 0) std::fill(source.begin(), source.begin() + std::ptrdiff_t(size / 2), 0);
        Bytes target = source;
        for (int edits = int(rng() % 40); edits-- > 0;) {
            const std::size_t at = rng() % target.size(), n = std::min<std::size_t>(1 + rng() % 300, target.size() - at);
            const int kind = int(rng() % 3);
            for (std::size_t k = 0; k < n; ++k)
                target[at + k] = kind == 0 ? std::uint8_t(rng()) : kind == 1 ? std::uint8_t(0xEE) : source[(at + k + 977) % source.size()];
        }
        if (round % 5 == 1) target.resize(target.size() + rng() % 2000, 0x11);
        if (round % 5 == 2) target.resize(target.size() / 2 + 1);
        EXPECT_EQ(applyBps(makeBpsPatch(source, target), source), target) << "round " << round;
        std::string error;
        const auto ips = makeIpsPatch(source, target, error);
        ASSERT_TRUE(ips) << error;
        EXPECT_EQ(applyIps(*ips, source), target) << "round " << round;
    }
    // Identical files make patches that change nothing; an empty source works for BPS.
    const Bytes same = randomBytes(1000, rng);
    std::string error;
    EXPECT_EQ(makeIpsPatch(same, same, error)->size(), 8u);
    EXPECT_EQ(applyBps(makeBpsPatch({}, same), {}), same);
}

TEST(Patch, BpsCopiesMovedDataInsteadOfRepeatingIt) {
    std::mt19937 rng(3);
    const Bytes source = randomBytes(1 << 20, rng);
    Bytes target = source;
    // A 200 KiB block moves 64 KiB further on, as a repack moves graphics.
    std::copy(source.begin() + 100000, source.begin() + 300000, target.begin() + 165536);
    const Bytes patch = makeBpsPatch(source, target);
    EXPECT_EQ(applyBps(patch, source), target);
    EXPECT_LT(patch.size(), 1000u);
}

TEST(Patch, IpsAvoidsTheEofOffsetSplitsLongRecordsAndRefusesFilesOver16MiB) {
    Bytes source(0x460000, 0);
    Bytes target = source;
    // A change starting exactly at the offset that reads "EOF", and one far longer than a record.
    for (std::size_t k = 0; k < 10; ++k) target[kIpsEofOffset + k] = std::uint8_t(k + 1);
    for (std::size_t k = 0; k < 200000; ++k) target[0x100000 + k] = std::uint8_t(k * 7 + 1);
    std::string error;
    const auto ips = makeIpsPatch(source, target, error);
    ASSERT_TRUE(ips);
    EXPECT_EQ(applyIps(*ips, source), target) << "a reader that stops at EOF still reads every record";

    Bytes large(kIpsLimit + 1, 0), changed = large;
    changed[5] = 1;
    EXPECT_FALSE(makeIpsPatch(large, changed, error));
    EXPECT_NE(error.find("16 MiB"), std::string::npos) << error;
    const Bytes bps = makeBpsPatch(large, changed);
    EXPECT_EQ(applyBps(bps, large), changed) << "BPS has no such limit";
}

TEST(Patch, FilesAreMadeFromDiskAndRefuseAHeaderOnOnlyOneSide) {
    morvi::testing::TempDir dir;
    Bytes plain(0x8000, 0), headered(0x8000 + 0x200, 0);
    plain[0x20] = 0xA2;
    headered[0x220] = 0xA2;
    Bytes modified = plain;
    modified[0x4000] = 9;
    morvi::testing::writeFile(dir.file("a.smc"), plain);
    morvi::testing::writeFile(dir.file("b.smc"), modified);
    morvi::testing::writeFile(dir.file("h.smc"), headered);
    EXPECT_EQ(writePatchFile(dir.file("a.smc"), dir.file("b.smc"), dir.file("p.bps"), PatchFormat::Bps), "");
    EXPECT_EQ(applyBps(morvi::testing::readFile(dir.file("p.bps")), plain), modified);
    EXPECT_EQ(writePatchFile(dir.file("a.smc"), dir.file("b.smc"), dir.file("p.ips"), PatchFormat::Ips), "");
    EXPECT_EQ(applyIps(morvi::testing::readFile(dir.file("p.ips")), plain), modified);
    const std::string refused = writePatchFile(dir.file("h.smc"), dir.file("b.smc"), dir.file("q.bps"), PatchFormat::Bps);
    EXPECT_NE(refused.find("copier header"), std::string::npos) << refused;
    EXPECT_FALSE(std::filesystem::exists(dir.file("q.bps")));
    EXPECT_NE(writePatchFile(dir.file("none.smc"), dir.file("b.smc"), dir.file("q.bps"), PatchFormat::Bps), "");
    EXPECT_EQ(patchFormatOf("x.BPS"), PatchFormat::Bps);
    EXPECT_EQ(patchFormatOf("x.ips"), PatchFormat::Ips);
    EXPECT_FALSE(patchFormatOf("x.zip"));
}

namespace {

// The smallest IPS patch body (records only) that covers every changed byte, by trying every
// way to cut the file into skipped, plain and run pieces: slow, and independent of the writer.
std::size_t smallestIpsRecords(const Bytes& source, const Bytes& target) {
    const std::size_t n = target.size();
    auto changed = [&](std::size_t at) { return at >= source.size() || source[at] != target[at]; };
    std::vector<std::size_t> best(n + 1, SIZE_MAX);
    best[0] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (best[i] == SIZE_MAX) continue;
        bool unchanged = true, uniform = true;
        for (std::size_t j = i + 1; j <= n; ++j) {
            unchanged = unchanged && !changed(j - 1);
            uniform = uniform && target[j - 1] == target[i];
            const std::size_t piece = unchanged ? 0 : uniform ? std::min<std::size_t>(8, 5 + (j - i)) : 5 + (j - i);
            best[j] = std::min(best[j], best[i] + piece);
        }
    }
    return best[n];
}

// Pieces of tile-like data that all begin alike, so that many places share their first bytes.
Bytes tilePieces(std::size_t count, std::size_t size, std::mt19937& rng) {
    Bytes b;
    for (std::size_t k = 0; k < count; ++k) {
        b.insert(b.end(), size / 4, 0);
        for (std::size_t i = size / 4; i < size; ++i) b.push_back(std::uint8_t(rng() % 4 ? rng() : 0));
    }
    return b;
}

} // namespace

TEST(Patch, IpsRecordsAreTheSmallestThatCoverEveryChange) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        // Few values in runs, so that run records, joined gaps and runs over unchanged bytes all pay.
        Bytes source(20 + rng() % 180);
        for (std::size_t i = 0; i < source.size(); ++i) source[i] = i && rng() % 3 ? source[i - 1] : std::uint8_t(rng() % 3);
        Bytes target = source;
        for (int edits = int(1 + rng() % 6); edits-- > 0;) {
            const std::size_t at = rng() % target.size(), n = std::min<std::size_t>(1 + rng() % 25, target.size() - at);
            const std::uint8_t value = std::uint8_t(rng() % 3);
            for (std::size_t k = 0; k < n; ++k) target[at + k] = rng() % 4 ? value : std::uint8_t(rng() % 3);
        }
        if (round % 4 == 1) target.resize(target.size() + rng() % 30, std::uint8_t(rng() % 2));
        std::string error;
        const auto ips = makeIpsPatch(source, target, error);
        ASSERT_TRUE(ips) << error;
        ASSERT_EQ(applyIps(*ips, source), target) << "round " << round;
        EXPECT_EQ(ips->size() - 8, smallestIpsRecords(source, target)) << "round " << round;
    }
}

TEST(Patch, BpsFindsTheLongestCopyWhereManyPlacesBeginAlike) {
    // A repack that sorts the pictures anew: every piece moves, and each begins with the same
    // blank rows, so the copy to take is only told apart by what follows them.
    std::mt19937 rng(5);
    const std::size_t pieces = 300, size = 512;
    const Bytes source = tilePieces(pieces, size, rng);
    std::vector<std::size_t> order(pieces);
    for (std::size_t k = 0; k < pieces; ++k) order[k] = k;
    std::shuffle(order.begin(), order.end(), rng);
    Bytes target;
    for (std::size_t k : order) target.insert(target.end(), source.begin() + std::ptrdiff_t(k * size), source.begin() + std::ptrdiff_t((k + 1) * size));
    const Bytes patch = makeBpsPatch(source, target);
    EXPECT_EQ(applyBps(patch, source), target);
    // "BPS1", two sizes of three bytes, no metadata, three checksums.
    const std::size_t frame = 4 + 3 + 3 + 1 + 12;
    // One copy per piece: its action and its offset, at most five bytes.
    EXPECT_LE(patch.size(), frame + pieces * 5) << "a piece was rebuilt from pieces of others";

    // A picture moved a few bytes on, with a palette of many small changes after it.
    Bytes moved = source;
    std::copy(source.begin() + 4096, source.begin() + 12288, moved.begin() + 4099);
    for (std::size_t at = 20000; at < 60000; at += 397) moved[at] ^= 0x1F;
    const Bytes small = makeBpsPatch(source, moved);
    EXPECT_EQ(applyBps(small, source), moved);
    // Four reads and copies around the move, then each change a new byte and a read after it.
    EXPECT_LE(small.size(), frame + 4 * 3 + 101 * 4) << "a change was written as more than one new byte and a read";
}

TEST(Patch, BpsCopiesNewBytesFromWhatItHasWritten) {
    // New data the original never had, written twice, and a long fill of a new value: the second
    // copy and the fill come from the target itself (the fill as a copy overlapping itself).
    std::mt19937 rng(9);
    const Bytes source = randomBytes(100000, rng);
    Bytes target = source;
    const Bytes picture = randomBytes(3000, rng);
    std::copy(picture.begin(), picture.end(), target.begin() + 10000);
    std::copy(picture.begin(), picture.end(), target.begin() + 60000);
    std::fill(target.begin() + 80000, target.begin() + 90000, 0xA5);
    const Bytes patch = makeBpsPatch(source, target);
    EXPECT_EQ(applyBps(patch, source), target);
    EXPECT_LT(patch.size(), picture.size() + 100) << "the picture or the fill was written out more than once";
}
