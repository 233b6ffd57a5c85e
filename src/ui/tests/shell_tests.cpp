// The main window: menus, opening and saving, the recent list, settings and the close flow,
// driven through real widgets with the prompts answered from a script.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTabBar>
#include <QFileInfo>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/rom_session.h"
#include "ui/pages/character_page.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/dialogs/settings_store.h"
#include "ui/tests/ui_test_support.h"

using namespace morvi::ui;
using morvi::testing::readFile;
using morvi::testing::writeFile;

namespace {

QStringList actionTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

void clearStoredSettings() {
    QSettings store(QStringLiteral("Quarnsby"), QStringLiteral("morvi"));
    store.clear();
    store.sync();
}

// Marks the monster page changed with one real stroke on its canvas.
void paintOnePixel(EditorHarness& h) {
    MonsterPage* page = monsterPage(*h.window);
    page->widgets().colorControls; // the draw tool and colour 0 are current after a load: pick a colour
    click(page->widgets().strip, QPoint(18 * 3 + 5, 10));
    drag(page->widgets().canvas, {page->editor().pictureShift() + QPoint(2, 2)});
    ASSERT_TRUE(page->changed());
}

} // namespace

TEST(MainWindow, StartsWithTheCaptionMenusAndNoTabs) {
    EditorHarness h;
    MainWindow& w = *h.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Morvi V. 2.12"));
    EXPECT_EQ(w.size(), QSize(685, 490)) << "the harness keeps the smallest window";
    EXPECT_EQ(w.minimumSize(), QSize(685, 490));
    EXPECT_GT(w.maximumSize().width(), 4000) << "the window can be resized";
    EXPECT_FALSE(w.tabBar()->isVisible());
    EXPECT_EQ(actionTexts(w.menu("File")),
              (QStringList{"&Open ...\tCTRL+O", "&Save \tCTRL+S", "Create &Patch ...", "&Run in Emulator\tF5", "-",
                           "E&xit\tCTRL+X"}));
    EXPECT_EQ(actionTexts(w.menu("&Image")), (QStringList{"&Import", "&Export", "&Clear", "Flip &horizontal", "Flip &vertical",
                                                        "Rotate 90° clockwise", "Rotate 90° anticlockwise", "-",
                                                        "Import &Palette ...", "Export P&alette ...", "-", "Zoom to &fit",
                                                        "Actual si&ze"}));
    EXPECT_TRUE(w.action("open")->isEnabled());
    EXPECT_FALSE(w.action("save")->isEnabled());
    EXPECT_FALSE(w.menu("&Image")->menuAction()->isEnabled());
    EXPECT_TRUE(w.action("grid")->isEnabled());
    EXPECT_FALSE(w.action("background")->isEnabled());
    QStringList menus;
    for (QAction* a : w.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"File", "&Edit", "&Image", "&Animation", "&Options"}));
    EXPECT_FALSE(w.action("undo")->isEnabled());
    EXPECT_FALSE(w.action("redo")->isEnabled());

    // Ctrl+S before any ROM: the Save item is disabled, so nothing happens at all.
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(h.prompts.log.empty());
    // Ctrl+O asks for a file (cancelled here).
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(h.prompts.fileRequests.size(), 1u);
    EXPECT_EQ(h.prompts.fileRequests[0].title, QStringLiteral("Select location of Final Fantasy III ROM"));
    EXPECT_EQ(h.prompts.fileRequests[0].filters.first(), QStringLiteral("ROM file (*.smc *.sfc *.swc *.fig)"));
    EXPECT_TRUE(h.ws->rom.romPath.empty());
}

TEST(MainWindow, FirstOpenShowsTheFourTabsEnablesTheMenusAndRemembersThePath) {
    EditorHarness h;
    h.ws->settings.tab = 7; // out of range: the first load falls back to "Monsters"
    h.openDemo();
    MainWindow& w = *h.window;
    // The first four tabs, then a tab for each later family of the registry.
    ASSERT_GE(w.tabBar()->count(), 4);
    QStringList tabs;
    for (int i = 0; i < 4; ++i) tabs << w.tabBar()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Monsters", "Espers", "Portraits", "Characters"}));
    EXPECT_TRUE(w.tabBar()->isVisible());
    EXPECT_EQ(w.tabBar()->currentIndex(), 0);
    EXPECT_EQ(w.currentPage(), monsterPage(w));
    EXPECT_TRUE(w.action("save")->isEnabled());
    EXPECT_TRUE(w.action("background")->isEnabled());
    EXPECT_TRUE(w.menu("&Image")->menuAction()->isEnabled());
    EXPECT_FALSE(h.ws->rom.romHasHeader);
    EXPECT_TRUE(h.ws->backgrounds.loaded);
    EXPECT_EQ(h.ws->backgrounds.previews.size(), 60u);
    ASSERT_EQ(w.recentActions().size(), 1);
    EXPECT_EQ(w.recentActions()[0]->text(), QStringLiteral("&1 ") + QString::fromStdString(h.romPath()));
    EXPECT_TRUE(h.prompts.log.empty()) << h.prompts.lastText().toStdString();

    // Switching tabs shows the page at once; from Characters back to Monsters refills the list.
    w.tabBar()->setCurrentIndex(3);
    EXPECT_EQ(w.currentPage(), characterPage(w));
    EXPECT_TRUE(characterPage(w)->isVisible());
    EXPECT_FALSE(monsterPage(w)->isVisible());
    w.tabBar()->setCurrentIndex(0);
    EXPECT_TRUE(monsterPage(w)->isVisible());
    EXPECT_EQ(monsterPage(w)->widgets().pictureList->count(), 384);
}

TEST(MainWindow, OpenWithChangesAsksAndCancelOrNoKeepTheEdits) {
    EditorHarness h;
    h.openDemo();
    paintOnePixel(h);
    h.prompts.log.clear();
    h.prompts.fileRequests.clear();

    h.prompts.answers = {Answer::Cancel};
    h.window->openRom(255);
    ASSERT_EQ(h.prompts.log.size(), 1u);
    EXPECT_EQ(h.prompts.log[0].text, QStringLiteral("Save changes to the ROM?"));
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Question);
    EXPECT_TRUE(h.prompts.fileRequests.empty()) << "Cancel stops before the file chooser";
    EXPECT_TRUE(monsterPage(*h.window)->changed());

    // No, then cancelling the file chooser: edits and flags stay.
    h.prompts.answers = {Answer::No};
    h.window->openRom(255);
    EXPECT_EQ(h.prompts.fileRequests.size(), 1u);
    EXPECT_TRUE(monsterPage(*h.window)->changed());

    // No, then opening the ROM again: the edits are gone, and so is the claim that there are any.
    h.prompts.answers = {Answer::No};
    h.prompts.files = {QString::fromStdString(h.romPath())};
    const auto before = readFile(h.romPath());
    h.window->openRom(255);
    EXPECT_FALSE(h.window->anyChanged());
    EXPECT_EQ(readFile(h.romPath()), before) << "No writes nothing";
    EXPECT_EQ(h.window->recentActions().size(), 1) << "the same path is not listed twice";
}

TEST(MainWindow, UnrecognisedFilesAreLoadedOnlyWhenTheUserSaysSo) {
    EditorHarness h;
    // The demo ROM with its copier header, but without either test byte.
    auto bytes = demoRomBytes(true);
    bytes[0x220] = 0;
    bytes[0x20] = 0;
    const std::string odd = h.file("odd.smc");
    writeFile(odd, bytes);

    h.prompts.answers = {Answer::No};
    h.window->openRomPath(QString::fromStdString(odd));
    ASSERT_EQ(h.prompts.log.size(), 1u);
    EXPECT_EQ(h.prompts.log[0].text.toStdString(), morvi::kMsgNotARom);
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Warning);
    EXPECT_TRUE(h.ws->rom.romPath.empty()) << "No loads nothing and shows nothing more";

    // Yes on the first load: the file is taken as headered, and here that is right.
    h.prompts.answers = {Answer::Yes};
    h.window->openRomPath(QString::fromStdString(odd));
    EXPECT_EQ(h.ws->rom.romPath, odd);
    EXPECT_TRUE(h.ws->rom.romHasHeader);
    EXPECT_EQ(h.prompts.log.size(), 2u) << h.prompts.lastText().toStdString();

    // A 32-byte file: the question again, then the readers refuse it and nothing changes.
    const std::string tiny = h.file("tiny.smc");
    writeFile(tiny, std::vector<std::uint8_t>(32, 0xA2));
    h.prompts.answers = {Answer::Yes};
    h.window->openRomPath(QString::fromStdString(tiny));
    ASSERT_EQ(h.prompts.log.size(), 4u);
    EXPECT_EQ(h.prompts.log[2].text.toStdString(), morvi::kMsgNotARom);
    EXPECT_EQ(h.prompts.log[3].text, QStringLiteral("Error loading ROM"));
    EXPECT_EQ(h.prompts.log[3].icon, Icon::Error);
    EXPECT_EQ(h.ws->rom.romPath, odd);
    EXPECT_EQ(h.ws->settings.recentFiles, std::vector<std::string>{odd});
}

TEST(MainWindow, RecentListKeepsAGoneFileAndOrdersByLastOpen) {
    EditorHarness h;
    std::vector<std::string> paths;
    for (const char* name : {"A.smc", "B.smc", "C.smc", "D.smc", "E.smc"}) {
        paths.push_back(h.file(name));
        writeFile(paths.back(), demoRomBytes(false));
        h.window->openRomPath(QString::fromStdString(paths.back()));
    }
    EXPECT_EQ(h.ws->settings.recentFiles, (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
    h.window->openRom(2); // C, from the menu
    EXPECT_EQ(h.ws->settings.recentFiles, (std::vector<std::string>{paths[2], paths[4], paths[3], paths[1]}));
    QStringList menu;
    for (QAction* a : h.window->recentActions()) menu << a->text();
    EXPECT_EQ(menu, (QStringList{"&1 " + QString::fromStdString(paths[2]), "&2 " + QString::fromStdString(paths[4]),
                                 "&3 " + QString::fromStdString(paths[3]), "&4 " + QString::fromStdString(paths[1])}));
    EXPECT_EQ(actionTexts(h.window->menu("File")).count(QStringLiteral("-")), 2) << "one separator before the list";

    // Entry 4 (B) is deleted on disk: its item says so and stays.
    std::filesystem::remove(paths[1]);
    h.prompts.log.clear();
    h.window->recentActions()[3]->trigger();
    EXPECT_EQ(h.prompts.lastText(), QStringLiteral("Error loading ROM"));
    EXPECT_EQ(h.ws->rom.romPath, paths[2]);
    EXPECT_EQ(h.ws->settings.recentFiles.size(), 4u);
    EXPECT_EQ(h.ws->settings.recentFiles[3], paths[1]);
}

TEST(MainWindow, SaveWithoutChangesTouchesNothingAndAFailedSaveKeepsTheEditsUnsaved) {
    EditorHarness h;
    h.openDemo();
    const auto before = readFile(h.romPath());
    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    EXPECT_EQ(h.prompts.log[0].icon, Icon::None);
    EXPECT_EQ(readFile(h.romPath()), before);

    paintOnePixel(h);
    std::filesystem::remove(h.romPath()); // the file went away under the editor
    h.prompts.log.clear();
    EXPECT_FALSE(h.window->saveRom());
    EXPECT_FALSE(h.prompts.texts().contains(QStringLiteral("ROM saved")));
    EXPECT_FALSE(h.prompts.log.empty()) << "the page says why";
    EXPECT_TRUE(monsterPage(*h.window)->changed()) << "the edits are still unsaved and will be asked about";
    EXPECT_FALSE(std::filesystem::exists(h.romPath())) << "a save never creates the ROM";

    // Closing now asks; Yes tries to save again, fails, and the window stays.
    h.prompts.answers = {Answer::Yes};
    EXPECT_FALSE(h.window->close());
    EXPECT_TRUE(h.window->isVisible());
}

TEST(MainWindow, TheTitleNamesTheRomAndMarksUnsavedChanges) {
    EditorHarness h;
    h.openDemo();
    const QString name = QFileInfo(QString::fromStdString(h.romPath())).fileName();
    EXPECT_EQ(h.window->windowTitle(), name + QStringLiteral("[*] - Morvi V. 2.12"));
    EXPECT_FALSE(h.window->isWindowModified());
    paintOnePixel(h);
    EXPECT_TRUE(h.window->isWindowModified());
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(h.window->isWindowModified()) << "saved";
    h.window->action("undo")->trigger();
    EXPECT_TRUE(monsterPage(*h.window)->changed());
    EXPECT_TRUE(h.window->isWindowModified()) << "undone past the save";
}

TEST(MainWindow, CtrlXOnTheCanvasIsCutOnlyAndExitElsewhere) {
    EditorHarness h;
    h.openDemo();
    paintOnePixel(h);
    Page* page = monsterPage(*h.window);
    page->widgets().canvas->setFocus();
    h.prompts.log.clear();
    QTest::keyClick(page->widgets().canvas, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(h.prompts.log.empty()) << "nothing selected: nothing happens, no question about quitting";
    EXPECT_TRUE(h.window->isVisible());
    // Anywhere else Ctrl+X is Exit, which asks about the unsaved change (answered Cancel here).
    page->widgets().pictureList->setFocus();
    QTest::keyClick(page->widgets().pictureList, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"Save changes to the ROM?"});
    EXPECT_TRUE(h.window->isVisible());
}

TEST(MainWindow, CloseAsksOnlyWithChangesAndStoresTheSettings) {
    clearStoredSettings();
    {
        EditorHarness h;
        h.openDemo();
        paintOnePixel(h);
        const auto before = readFile(h.romPath());
        h.prompts.log.clear();
        h.prompts.answers = {Answer::Cancel};
        EXPECT_FALSE(h.window->close());
        EXPECT_TRUE(h.window->isVisible());
        EXPECT_EQ(h.prompts.texts(), QStringList{"Save changes to the ROM?"});

        h.ws->settings.grid = 2;
        h.ws->settings.tab3Mag = 9;
        h.window->move(120, 80);
        h.prompts.answers = {Answer::No};
        EXPECT_TRUE(h.window->close());
        EXPECT_EQ(readFile(h.romPath()), before) << "No ends without writing the ROM";
    }
    morvi::Settings stored = loadSettings();
    EXPECT_EQ(stored.grid, 2);
    EXPECT_EQ(stored.tab3Mag, 9);
    EXPECT_EQ(stored.recentFiles.size(), 1u);

    // No changes: closing asks nothing.
    EditorHarness h;
    h.openDemo();
    h.prompts.log.clear();
    EXPECT_TRUE(h.window->close());
    EXPECT_TRUE(h.prompts.log.empty());
}

TEST(Settings, DefaultsLowBitsSkippedEntriesAndWindowPlace) {
    clearStoredSettings();
    morvi::Settings s = loadSettings();
    EXPECT_EQ(s.background, 0);
    EXPECT_EQ(s.grid, 1);
    EXPECT_EQ(s.gridMinMag, 5);
    EXPECT_EQ(s.tab1Mag, 4);
    EXPECT_EQ(s.tab3Mag, 6);
    EXPECT_EQ(s.tab4Mag, 10);
    EXPECT_EQ(s.xPos, 50);
    EXPECT_EQ(s.yPos, 50);
    EXPECT_EQ(s.tab, 0);
    EXPECT_TRUE(s.recentFiles.empty());
    {
        EditorHarness h;
        EXPECT_EQ(actionTexts(h.window->menu("File")).count(QStringLiteral("-")), 1) << "no second separator";
    }
    {
        QSettings store(QStringLiteral("Quarnsby"), QStringLiteral("morvi"));
        store.setValue(QStringLiteral("Settings/grid"), 258);
        store.setValue(QStringLiteral("Settings/tab"), 513);
        store.setValue(QStringLiteral("Settings/xPos"), -5);
        store.setValue(QStringLiteral("Settings/yPos"), 3000000);
        store.setValue(QStringLiteral("Settings/tab1Mag"), QStringLiteral("not a number"));
        store.setValue(QStringLiteral("Recent File List/file1"), QStringLiteral("/a.smc"));
        store.setValue(QStringLiteral("Recent File List/file3"), QStringLiteral("/c.smc"));
        store.sync();
    }
    s = loadSettings();
    EXPECT_EQ(s.grid, 2);
    EXPECT_EQ(s.tab, 1);
    EXPECT_EQ(s.tab1Mag, 4) << "an unreadable value keeps its default";
    EXPECT_EQ(s.xPos, -5);
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"/a.smc", "/c.smc"}));
    auto ws = morvi::Workspace::create();
    ws->settings = s;
    ScriptedPrompts prompts;
    MainWindow w(*ws, prompts);
    EXPECT_EQ(w.pos(), QPoint(50, 50)) << "negative or off-desktop coordinates become 50";
    EXPECT_EQ(w.recentActions().size(), 2);

    // What is written comes back, and a slot the list no longer fills is removed.
    ws->settings.recentFiles = {"/only.smc"};
    ws->settings.importFolder = "/pictures/fÃ©";
    ws->settings.importFilter = "Supported images formats (*.png, *.bmp, *.pcx)";
    ws->settings.exportFolder = "/out";
    saveSettings(ws->settings, QPoint(70, 90));
    s = loadSettings();
    EXPECT_EQ(s.recentFiles, std::vector<std::string>{"/only.smc"});
    EXPECT_EQ(s.importFolder, ws->settings.importFolder);
    EXPECT_EQ(s.importFilter, ws->settings.importFilter);
    EXPECT_EQ(s.exportFolder, "/out");
    EXPECT_EQ(s.xPos, 70);
    EXPECT_EQ(s.yPos, 90);

    // The onion skin and the sequences come back; nine sequences keep the eight newest, a sequence
    // played again moves up, and a stored value out of range is dropped or brought into range.
    for (int k = 0; k < 9; ++k) ws->settings.addRecentSequence({std::to_string(k) + " 1", 4 + k});
    ws->settings.addRecentSequence({"3 1", 12});
    ws->settings.onionSkin = 1;
    ws->settings.onionOpacity = 65;
    saveSettings(ws->settings, QPoint(70, 90));
    s = loadSettings();
    ASSERT_EQ(s.recentSequences.size(), 8u);
    EXPECT_EQ(s.recentSequences.front(), (morvi::Settings::Sequence{"3 1", 12}));
    EXPECT_EQ(s.recentSequences.back(), (morvi::Settings::Sequence{"1 1", 5})) << "\"0 1\" fell off";
    EXPECT_EQ(s.onionSkin, 1);
    EXPECT_EQ(s.onionOpacity, 65);
    {
        QSettings store(QStringLiteral("Quarnsby"), QStringLiteral("morvi"));
        store.setValue(QStringLiteral("Settings/onionOpacity"), 250);
        store.setValue(QStringLiteral("Recent Sequences/sequence1"), QStringLiteral("7 8|9999"));
        store.setValue(QStringLiteral("Recent Sequences/sequence2"), QStringLiteral("no bar"));
        store.sync();
    }
    s = loadSettings();
    EXPECT_EQ(s.onionOpacity, 90);
    EXPECT_EQ(s.recentSequences.size(), 6u) << "the two bad entries are dropped";
    clearStoredSettings();
}

TEST(ProgressWindow, IsCaptionedAndPlacedBesideTheMainWindow) {
    EditorHarness h;
    h.window->move(200, 150);
    ProgressWindow p(h.window.get(), QStringLiteral("Loading Final Fantasy III ROM ..."), QPoint(150, 100));
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Morvi V. 2.12"));
    EXPECT_EQ(p.text(), QStringLiteral("Loading Final Fantasy III ROM ..."));
    EXPECT_TRUE(p.isVisible());
    EXPECT_EQ(p.frameGeometry().topLeft(), h.window->frameGeometry().topLeft() + QPoint(150, 100));
}
