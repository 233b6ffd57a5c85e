// Saving through the editor: one transaction for the three families, whatever happens to the
// disk, other programs' edits, and patches from the File menu.
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "testing/patch_appliers.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"

using namespace morvi::ui;
using morvi::testing::Crash;
using morvi::testing::readFile;
using morvi::testing::ScriptedSteps;

namespace {

// One stroke on each of the three pages, through their canvases.
void editEveryPage(EditorHarness& h, int colour = 2) {
    for (int tab : {kMonstersTab, kPortraitsTab, kCharactersTab}) {
        h.window->tabBar()->setCurrentIndex(tab);
        auto* page = qobject_cast<Page*>(h.window->currentPage());
        ASSERT_TRUE(page);
        click(page->widgets().strip, QPoint(18 * colour + 5, 10));
        drag(page->widgets().canvas, {page->editor().pictureShift() + QPoint(3, 3), page->editor().pictureShift() + QPoint(30, 20)});
    }
    for (Page* page : {static_cast<Page*>(monsterPage(*h.window)), static_cast<Page*>(portraitPage(*h.window)),
                      static_cast<Page*>(characterPage(*h.window))})
        ASSERT_TRUE(page->changed());
}

bool anyPageChanged(EditorHarness& h) { return h.window->anyChanged(); }

} // namespace

TEST(EditorSave, StoppedOrFailingAtAnyStepTheRomIsTheOldOneOrTheNewOneAndFailuresSaySo) {
    EditorHarness h;
    h.openDemo();
    const auto oldBytes = readFile(h.romPath());
    editEveryPage(h);
    ScriptedSteps counting;
    h.window->setDiskSteps(counting);
    ASSERT_TRUE(h.window->saveRom());
    const auto newBytes = readFile(h.romPath());
    ASSERT_NE(newBytes, oldBytes);
    EXPECT_FALSE(anyPageChanged(h));

    for (int k = 0; k < int(counting.seen.size()); ++k) {
        for (auto mode : {ScriptedSteps::Mode::Stop, ScriptedSteps::Mode::FailFrom}) {
            // Back to the old file, and the edits counted as unsaved again.
            morvi::testing::writeFile(h.romPath(), oldBytes);
            h.ws->romOnDisk = oldBytes;
            for (Page* page : {static_cast<Page*>(monsterPage(*h.window)), static_cast<Page*>(portraitPage(*h.window)),
                              static_cast<Page*>(characterPage(*h.window))})
                page->setChanged(true);
            ScriptedSteps steps;
            steps.mode = mode;
            steps.at = k;
            h.window->setDiskSteps(steps);
            h.prompts.log.clear();
            bool saved = false;
            try {
                saved = h.window->saveRom();
            } catch (const Crash&) {
                continue; // the program is gone; only the disk counts
            }
            const auto now = readFile(h.romPath());
            EXPECT_TRUE(now == oldBytes || now == newBytes) << "step " << k;
            EXPECT_FALSE(saved);
            EXPECT_EQ(now, oldBytes) << "failing from step " << k << " (" << counting.seen[std::size_t(k)] << ")";
            EXPECT_FALSE(h.prompts.texts().contains(QStringLiteral("ROM saved")));
            ASSERT_FALSE(h.prompts.log.empty());
            EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("disk full"))) << h.prompts.lastText().toStdString();
            EXPECT_EQ(h.prompts.log.back().icon, Icon::Error);
            EXPECT_TRUE(monsterPage(*h.window)->changed() && portraitPage(*h.window)->changed() &&
                        characterPage(*h.window)->changed())
                << "the edits are still unsaved";
        }
    }
}

TEST(EditorSave, AnotherProgramsChangeToOurBytesIsAskedAboutAndOthersSurvive) {
    EditorHarness h;
    h.openDemo();
    editEveryPage(h);
    auto disk = readFile(h.romPath());
    disk[0x10] ^= 0xFF;                                   // outside every family's bytes
    disk[morvi::kMonsterPaletteOffset + 2] ^= 0x1F;       // inside the monster palettes
    morvi::testing::writeFile(h.romPath(), disk);

    h.prompts.log.clear();
    h.prompts.answers = {Answer::No};
    EXPECT_FALSE(h.window->saveRom());
    EXPECT_EQ(h.prompts.texts(), QStringList{QString::fromLatin1(morvi::kMsgChangedOnDisk)});
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Warning);
    EXPECT_EQ(readFile(h.romPath()), disk) << "No saves nothing";
    EXPECT_TRUE(monsterPage(*h.window)->changed());

    h.prompts.log.clear();
    h.prompts.answers = {Answer::Yes};
    EXPECT_TRUE(h.window->saveRom());
    EXPECT_EQ(h.prompts.texts(), (QStringList{QString::fromLatin1(morvi::kMsgChangedOnDisk), "ROM saved"}));
    const auto saved = readFile(h.romPath());
    EXPECT_EQ(saved[0x10], disk[0x10]) << "the byte outside our areas survives";
    EXPECT_FALSE(h.window->anyChanged());

    // Once saved, the file as written is what later saves compare with: no question.
    editEveryPage(h, 3);
    h.prompts.log.clear();
    EXPECT_TRUE(h.window->saveRom());
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
}

TEST(EditorSave, CreatePatchOffersToSaveThenWritesAPatchOfTheRomOnDisk) {
    EditorHarness h;
    EXPECT_FALSE(h.window->action("create-patch")->isEnabled()) << "no ROM open yet";
    h.openDemo();
    EXPECT_TRUE(h.window->action("create-patch")->isEnabled());
    const auto original = readFile(h.romPath());
    const std::string originalPath = h.file("original.smc");
    morvi::testing::writeFile(originalPath, original);
    editEveryPage(h);

    // Cancel at the save question makes nothing.
    h.prompts.answers = {Answer::Cancel};
    h.window->action("create-patch")->trigger();
    EXPECT_TRUE(h.window->anyChanged());

    h.prompts.log.clear();
    h.prompts.answers = {Answer::Yes};
    h.prompts.files = {QString::fromStdString(originalPath), QString::fromStdString(h.file("work.bps"))};
    h.window->action("create-patch")->trigger();
    EXPECT_FALSE(h.window->anyChanged()) << "the edits were saved first";
    EXPECT_EQ(h.prompts.texts().last(), QStringLiteral("Patch created"));
    const auto modified = readFile(h.romPath());
    EXPECT_EQ(morvi::testing::applyBps(readFile(h.file("work.bps")), original), modified);

    h.prompts.files = {QString::fromStdString(originalPath), QString::fromStdString(h.file("work.ips"))};
    h.window->action("create-patch")->trigger();
    EXPECT_EQ(morvi::testing::applyIps(readFile(h.file("work.ips")), original), modified);

    // An original with a copier header against a ROM without one is refused, and says why.
    std::vector<std::uint8_t> headered(0x200, 0);
    headered.insert(headered.end(), original.begin(), original.end());
    morvi::testing::writeFile(h.file("headered.smc"), headered);
    h.prompts.files = {QString::fromStdString(h.file("headered.smc")), QString::fromStdString(h.file("bad.bps"))};
    h.window->action("create-patch")->trigger();
    EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("copier header")));
    EXPECT_EQ(h.prompts.log.back().icon, Icon::Error);
    EXPECT_FALSE(std::filesystem::exists(h.file("bad.bps")));
}

TEST(EditorSave, ARomInAFolderWithANonAsciiNameOpensAndSaves) {
    EditorHarness h;
    const std::filesystem::path folder = h.dir.path() / morvi::pathFromUtf8("J\xC3\xB6rg/\xE3\x83\xAD\xE3\x83\xA0");
    std::filesystem::create_directories(folder);
    const std::string rom = morvi::pathToUtf8(folder / "game.smc");
    morvi::testing::writeFile(rom, demoRomBytes(false));
    h.window->openRomPath(QString::fromUtf8(rom.c_str()));
    ASSERT_EQ(h.ws->rom.romPath, rom);
    editEveryPage(h);
    h.prompts.log.clear();
    EXPECT_TRUE(h.window->saveRom());
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    EXPECT_NE(readFile(rom), demoRomBytes(false));
}
