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
