#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

#include "app/history.h"
#include "app/families.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "rom/rom_checksum.h"
#include "testing/fixtures.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi;
using morvi::testing::readFile;
using morvi::testing::TempDir;
using morvi::testing::Crash;
using morvi::testing::ScriptedSteps;
namespace fs = std::filesystem;

namespace {

// Edits of all three families, the same each time.
void editAll(Workspace& ws) {
    auto& entry = monstersOf(ws).entries[3];
    for (int x = 0; x < 20; ++x) setEntryPixel(monstersOf(ws), entry, x, x, 1);
    monstersOf(ws).palettes[5].red = 248;
    clearPortrait(portraitsOf(ws).portraits[2]);
    setSpritePixel(charactersOf(ws), charactersOf(ws).characters[1], 0, 3, 3, 5);
}

SaveRequest everything() {
    SaveRequest r;
    for (morvi::Family f : morvi::families()) r.add(f);
    r.shown[morvi::monsterFamily()] = 3;
    return r;
}

std::unique_ptr<Workspace> opened(const std::string& path) {
    auto ws = Workspace::create();
    EXPECT_TRUE(openRom(*ws, path, HeaderChoice::Detect).ok);
    return ws;
}

SaveOutcome save(Workspace& ws, DiskSteps& steps, const std::function<bool()>& overwrite = nullptr) {
    CollectingNotifier quiet;
    return saveRomFamilies(ws, everything(), steps, quiet, overwrite);
}

} // namespace

TEST(RomSave, StoppedOrFailingAtAnyStepTheRomIsTheOldOneOrTheNewOne) {
    for (bool header : {false, true}) {
        TempDir dir;
        const std::string path = dir.file("game.smc");
        ASSERT_TRUE(buildDemoRom().writeFile(path, header));
        const auto oldBytes = readFile(path);
        ScriptedSteps counting;
        auto ws = opened(path);
        editAll(*ws);
        ASSERT_TRUE(save(*ws, counting).ok);
        const auto newBytes = readFile(path);
        ASSERT_NE(newBytes, oldBytes);
        EXPECT_TRUE(headerChecksumHolds(RomBytes(newBytes, header).image())) << "the header checksum is the new file's";
        ASSERT_GE(counting.seen.size(), 6u) << "create, writes, flush, close, permissions, rename";

        // The edited model writes the same bytes at every save: each round puts the old file
        // back and saves again.
        for (int k = 0; k < int(counting.seen.size()); ++k) {
            for (auto mode : {ScriptedSteps::Mode::Stop, ScriptedSteps::Mode::FailFrom}) {
                morvi::testing::writeFile(path, oldBytes);
                ws->romOnDisk = oldBytes;
                ScriptedSteps steps;
                steps.mode = mode;
                steps.at = k;
                bool stopped = false;
                SaveOutcome outcome;
                try {
                    outcome = save(*ws, steps);
                } catch (const Crash&) {
                    stopped = true;
                }
                const auto now = readFile(path);
                const std::string where = "step " + std::to_string(k) + " (" + counting.seen[std::size_t(k)] + ")";
                EXPECT_TRUE(now == oldBytes || now == newBytes) << where;
                if (mode == ScriptedSteps::Mode::FailFrom) {
                    EXPECT_FALSE(stopped);
                    EXPECT_FALSE(outcome.ok) << where << ": a failure is reported as one";
                    EXPECT_NE(outcome.error.find("disk full"), std::string::npos) << outcome.error;
                    EXPECT_EQ(now, oldBytes) << where;
                    EXPECT_FALSE(fs::exists(path + ".morvi-save")) << "no half-written file is left";
                } else {
                    EXPECT_TRUE(stopped);
                }
            }
        }
    }
}

TEST(RomSave, KeepsPermissionsAndSymbolicLinksAndWorksInFoldersWithAnyName) {
    TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("J\xC3\xB6rg") / pathFromUtf8("\xE3\x83\xAD\xE3\x83\xA0");
    fs::create_directories(folder);
    const std::string target = pathToUtf8(folder / "game.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(target, false));
    const fs::perms modes = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(pathFromUtf8(target), modes);
    // Windows keeps no POSIX modes, and makes a symbolic link only with a right a user may lack:
    // where the system cannot, that case is skipped (and said so) and the rest is tested.
    const bool keepsModes = fs::status(pathFromUtf8(target)).permissions() == modes;
    if (!keepsModes) std::cout << "[ SKIPPED  ] POSIX file modes: this system does not keep them\n";
    std::string link = dir.file("link.smc");
    std::error_code noLink;
    fs::create_symlink(pathFromUtf8(target), link, noLink);
    if (noLink) {
        std::cout << "[ SKIPPED  ] symbolic links: " << noLink.message() << "\n";
        link = target;
    }

    auto ws = opened(link);
    editAll(*ws);
    DiskSteps plain;
    ASSERT_TRUE(save(*ws, plain).ok);
    if (!noLink) {
        EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    }
    if (keepsModes) {
        EXPECT_EQ(fs::status(pathFromUtf8(target)).permissions(), modes);
    }
    auto again = opened(target);
    EXPECT_EQ(monstersOf(*again).entries[3].image.pixels, monstersOf(*ws).entries[3].image.pixels);
    EXPECT_EQ(portraitsOf(*again).portraits[2].image.pixels, portraitsOf(*ws).portraits[2].image.pixels);
    EXPECT_EQ(monstersOf(*again).palettes[5].red, 248);
}

TEST(RomSave, WithoutRoomBesideTheRomItWritesInPlaceAndPutsTheOldBytesBackOnFailure) {
    TempDir dir;
    const std::string path = dir.file("game.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(path, false));
    const auto oldBytes = readFile(path);
    ScriptedSteps counting;
    counting.forced["create"] = std::errc::permission_denied;
    std::vector<std::uint8_t> newBytes;
    {
        auto ws = opened(path);
        editAll(*ws);
        const SaveOutcome outcome = save(*ws, counting);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_TRUE(outcome.inPlace);
        newBytes = readFile(path);
        ASSERT_NE(newBytes, oldBytes);
        EXPECT_TRUE(headerChecksumHolds(RomBytes(newBytes, false).image())) << "the header checksum is the new file's";
    }
    const int writes = int(std::count(counting.seen.begin(), counting.seen.end(), std::string("write in place")));
    ASSERT_GE(writes, 2);
    auto ws = opened(path);
    editAll(*ws);
    for (int k = 1; k < int(counting.seen.size()); ++k) {
        morvi::testing::writeFile(path, oldBytes);
        ws->romOnDisk = oldBytes;
        ScriptedSteps steps;
        steps.forced["create"] = std::errc::permission_denied;
        steps.mode = ScriptedSteps::Mode::FailOnce;
        steps.at = k;
        const SaveOutcome outcome = save(*ws, steps);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.inPlace);
        EXPECT_NE(outcome.error.find("put back"), std::string::npos) << outcome.error;
        EXPECT_EQ(readFile(path), oldBytes) << "failing at step " << k << " (" << counting.seen[std::size_t(k)] << ")";
    }
}

TEST(RomSave, OtherProgramsEditsOutsideOurAreasSurviveAndInsideThemTheUserIsAsked) {
    TempDir dir;
    const std::string path = dir.file("game.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(path, false));
    auto ws = opened(path);
    editAll(*ws);

    // A text editor changes a byte no family writes, and brings the header checksum up to date
    // (the save brings it up to date again: that is no change of theirs to ask about); a battle
    // editor changes the monster palettes.
    auto outside = readFile(path);
    outside[0x10] ^= 0x5A;
    setHeaderChecksum(outside);
    morvi::testing::writeFile(path, outside);
    int asked = 0;
    DiskSteps plain;
    ASSERT_TRUE(save(*ws, plain, [&] { return ++asked, false; }).ok);
    EXPECT_EQ(asked, 0);
    auto saved = readFile(path);
    EXPECT_EQ(saved[0x10], outside[0x10]) << "the other program's byte survives";
    EXPECT_TRUE(headerChecksumHolds(saved));

    editAll(*ws);
    monstersOf(*ws).palettes[6].green = 8;
    auto inside = saved;
    inside[kMonsterPaletteOffset + 12] ^= 0x1F;
    morvi::testing::writeFile(path, inside);
    SaveOutcome no = save(*ws, plain, [&] { return ++asked, false; });
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(no.cancelled);
    EXPECT_FALSE(no.ok);
    EXPECT_EQ(readFile(path), inside) << "No saves nothing";
    SaveOutcome yes = save(*ws, plain, [&] { return ++asked, true; });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(yes.ok);
    auto reread = opened(path);
    EXPECT_EQ(monstersOf(*reread).palettes[6].green, 8);
}

TEST(RomSave, AFileThatWentAwayIsReportedAndNothingIsCreated) {
    TempDir dir;
    const std::string path = dir.file("game.smc");
    ASSERT_TRUE(buildDemoRom().writeFile(path, false));
    auto ws = opened(path);
    editAll(*ws);
    fs::remove(path);
    DiskSteps plain;
    const SaveOutcome outcome = save(*ws, plain);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.error.find("can no longer be read (file not found)"), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(path));
}

TEST(FileIo, ReasonsReadAsAUserSaysThem) {
    EXPECT_EQ(describeError(std::make_error_code(std::errc::no_space_on_device)), "disk full");
    EXPECT_EQ(describeError(std::make_error_code(std::errc::permission_denied)), "permission denied");
    EXPECT_EQ(describeError(std::make_error_code(std::errc::read_only_file_system)), "read-only file system");
    EXPECT_FALSE(describeError(std::make_error_code(std::errc::bad_file_descriptor)).empty());
}

TEST(FileIo, ACheckThatSaysNoKeepsTheOldFileWhereverTheNewOneWasGoing) {
    TempDir dir;
    const std::string path = dir.file("game.smc");
    const std::vector<std::uint8_t> oldBytes(4096, 1), newBytes(4096, 2);
    TaskThreads threads(1);
    for (bool inPlace : {false, true}) {
        morvi::testing::writeFile(path, oldBytes);
        ScriptedSteps steps;
        if (inPlace) steps.forced["create"] = std::errc::permission_denied;
        int checks = 0;
        const ReplaceOutcome refused = replaceFileContents(path, newBytes, [&] { return oldBytes; }, steps,
                                                           [&] { return ++checks, false; }, threads);
        EXPECT_EQ(checks, 1);
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(refused.checkFailed);
        EXPECT_EQ(readFile(path), oldBytes) << (inPlace ? "in place" : "beside");
        EXPECT_FALSE(fs::exists(path + ".morvi-save"));
        const ReplaceOutcome passed = replaceFileContents(path, newBytes, [&] { return oldBytes; }, steps, [] { return true; }, threads);
        EXPECT_TRUE(passed.ok) << passed.error;
        EXPECT_EQ(passed.inPlace, inPlace);
        EXPECT_EQ(readFile(path), newBytes);
    }
}

TEST(RomSave, ACopyForTheEmulatorIsWhatSaveWritesAndChangesNothingElse) {
    for (bool header : {false, true}) {
        SCOPED_TRACE(header);
        TempDir dir;
        const std::string path = dir.file("game.smc");
        ASSERT_TRUE(buildDemoRom().writeFile(path, header));
        auto ws = opened(path);
        editAll(*ws);
        std::vector<Snapshot> before;
        for (Family f : families()) before.push_back(takeSnapshot(*ws, f));
        const auto onDisk = readFile(path);
        const auto baseline = ws->romOnDisk;
        const std::string copy = pathToUtf8(dir.path() / pathFromUtf8("game-test \xE2\x97\x8B.smc"));
        CollectingNotifier quiet;
        ASSERT_TRUE(saveRomCopy(*ws, everything(), copy, quiet).ok);
        // Nothing else changed: the ROM, the outside-edit baseline, the families in memory.
        EXPECT_EQ(readFile(path), onDisk);
        EXPECT_EQ(ws->romOnDisk, baseline);
        for (std::size_t f = 0; f < families().size(); ++f)
            EXPECT_TRUE(takeSnapshot(*ws, families()[f]) == before[f]) << families()[f]->cliName();
        EXPECT_EQ(readFile(copy).size(), onDisk.size()) << "the copier header stays as it is";
        EXPECT_TRUE(headerChecksumHolds(RomBytes(readFile(copy), header).image()));
        // Another program's change is still noticed by the next save, which then writes the same
        // bytes as the copy.
        auto outside = readFile(path);
        outside[(header ? kCopierHeaderSize : 0) + kMonsterPaletteOffset + 12] ^= 0x1F;
        morvi::testing::writeFile(path, outside);
        int asked = 0;
        DiskSteps plain;
        ASSERT_TRUE(save(*ws, plain, [&] { return ++asked, true; }).ok);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(readFile(copy), readFile(path));
    }
}
