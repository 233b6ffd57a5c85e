// Undo and redo through the Edit menu and its shortcuts, across the three pages.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

#include "app/history.h"
#include "imagefile/image_file.h"
#include "ui/pages/character_page.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi::ui;
using morvi::Family;
using morvi::testing::readFile;

namespace {

// What a save of all three families would write, without touching the editor's ROM: copies of
// the families saved into a scratch copy of the demo ROM as it was built.
std::vector<std::uint8_t> savedBytes(EditorHarness& h, int currentEntry) {
    const std::string scratch = h.file("scratch.smc");
    morvi::testing::writeFile(scratch, demoRomBytes(false));
    auto monsters = std::make_unique<morvi::MonsterGraphics>(monstersOf(*h.ws));
    auto portraits = std::make_unique<morvi::PortraitSet>(portraitsOf(*h.ws));
    auto characters = std::make_unique<morvi::CharacterSet>(charactersOf(*h.ws));
    morvi::CollectingNotifier quiet;
    EXPECT_TRUE(morvi::saveMonstersToRom(*monsters, currentEntry, scratch, h.ws->rom, quiet)) << quiet.lastText();
    EXPECT_TRUE(morvi::savePortraits(*portraits, scratch, h.ws->rom, quiet));
    EXPECT_TRUE(morvi::saveCharacterSprites(*characters, scratch, h.ws->rom, quiet));
    return readFile(scratch);
}

QPoint pixelPoint(Page* page, int x, int y) {
    const int m = page->widgets().magnification->value();
    return page->editor().pictureShift() + QPoint(x * m + m / 2, y * m + m / 2);
}

// A small picture file to import.
QString importArt(EditorHarness& h) {
    morvi::IndexedImage art;
    art.allocateImage(40, 40);
    for (int i = 1; i < 9; ++i) art.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(30 * i), 200, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) art.setPixel(x, y, std::uint8_t((x + y) % 9));
    EXPECT_FALSE(morvi::savePng(art, h.file("small.png"), 40, 40));
    return QString::fromStdString(h.file("small.png"));
}

} // namespace

TEST(Undo, AStrokeIsOneStepAndTheChangedFlagFollowsTheSavedState) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    const auto before = monstersOf(*h.ws).entries[0].image.pixels;
    click(page->widgets().strip, QPoint(18 * 2 + 4, 5));
    drag(page->widgets().canvas, {pixelPoint(page, 1, 1), pixelPoint(page, 2, 1), pixelPoint(page, 3, 1), pixelPoint(page, 4, 2)});
    const auto after = monstersOf(*h.ws).entries[0].image.pixels;
    ASSERT_NE(after, before);
    EXPECT_TRUE(h.window->action("undo")->isEnabled());
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Draw"));
    EXPECT_EQ(h.window->history().size(), 1u) << "a stroke from press to release is one step";

    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(monstersOf(*h.ws).entries[0].image.pixels, before);
    EXPECT_FALSE(page->changed()) << "undone back to the saved state";
    EXPECT_EQ(h.window->action("redo")->text(), QStringLiteral("&Redo Draw"));
    h.prompts.log.clear();
    EXPECT_TRUE(h.window->close()) << "nothing to save: no question";
    EXPECT_TRUE(h.prompts.log.empty());
    h.window->show();
    h.activate();

    QTest::keyClick(h.window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(monstersOf(*h.ws).entries[0].image.pixels, after);
    EXPECT_TRUE(page->changed());
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(monstersOf(*h.ws).entries[0].image.pixels, after) << "Ctrl+Shift+Z redoes too";

    // A save keeps the history; undoing past it leaves something to save again.
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(page->changed());
    EXPECT_TRUE(h.window->action("undo")->isEnabled());
    h.window->undo();
    EXPECT_TRUE(page->changed());
    EXPECT_EQ(monstersOf(*h.ws).entries[0].image.pixels, before);
    h.window->redo();
    EXPECT_FALSE(page->changed());

    // Opening a ROM starts a new history.
    h.openDemo();
    EXPECT_FALSE(h.window->action("undo")->isEnabled());
    EXPECT_FALSE(h.window->action("redo")->isEnabled());
}

TEST(Undo, ShowsThePageAndPictureOfTheStepAndASliderDragIsOneStep) {
    EditorHarness h;
    h.openDemo();
    h.window->tabBar()->setCurrentIndex(2);
    PortraitPage* portraits = portraitPage(*h.window);
    portraits->widgets().pictureList->setCurrentIndex(3);
    click(portraits->widgets().strip, QPoint(18 * 6 + 4, 5));
    const auto colour = portraitsOf(*h.ws).color(portraitsOf(*h.ws).portraits[3].paletteNumber, 6);
    QSlider* red = portraits->widgets().colorControls->slider(0);
    emit red->sliderPressed();
    for (int v : {3, 9, 17, 25}) red->setValue(v);
    emit red->sliderReleased();
    EXPECT_EQ(h.window->history().size(), 1u);
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Palette colour"));

    h.window->tabBar()->setCurrentIndex(0);
    portraits->widgets().pictureList->setCurrentIndex(0);
    h.window->undo();
    EXPECT_EQ(portraitsOf(*h.ws).color(portraitsOf(*h.ws).portraits[3].paletteNumber, 6), colour);
    EXPECT_EQ(h.window->tabBar()->currentIndex(), 2) << "undo shows the page where the step happened";
    EXPECT_EQ(portraits->currentPortrait(), 3) << "and the picture";
    EXPECT_EQ(portraits->widgets().colorControls->valueLabel(0)->text().toInt(), colour.red / 8);

    // A monster edit on the Espers tab comes back there.
    h.window->tabBar()->setCurrentIndex(1);
    MonsterPage* monsters = monsterPage(*h.window);
    monsters->widgets().pictureList->setCurrentIndex(4);
    const int esper = monsters->currentEntry();
    monsters->flipImage(0);
    h.window->tabBar()->setCurrentIndex(3);
    h.window->undo();
    EXPECT_EQ(h.window->tabBar()->currentIndex(), 1);
    EXPECT_EQ(monsters->currentEntry(), esper);
}

TEST(Undo, AMonsterSaveThatRenumbersRecordsIsUndoneExactly) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    const morvi::Snapshot start = morvi::takeSnapshot(*h.ws, morvi::monsterFamily());
    const auto startBytes = savedBytes(h, 0);
    // Give entry 0 a new record (the old one may fall out of use), draw, save.
    page->newImageButton()->click();
    click(page->widgets().strip, QPoint(18 + 4, 5));
    drag(page->widgets().canvas, {pixelPoint(page, 10, 10)});
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(h.prompts.lastText(), QStringLiteral("ROM saved"));
    h.window->undo();
    h.window->undo();
    EXPECT_FALSE(h.window->action("undo")->isEnabled());
    EXPECT_EQ(savedBytes(h, 0), startBytes);
    EXPECT_TRUE(morvi::takeSnapshot(*h.ws, morvi::monsterFamily()) == start);
    EXPECT_TRUE(page->changed()) << "the file holds the saved edit, the editor the original";
}

namespace {

// Random edits of every kind on the three pages, through their widgets; returns how many
// changed something.
int randomEdits(EditorHarness& h, std::mt19937& rng, int count, const QString& small) {
    MainWindow& w = *h.window;
    MonsterPage* monsters = monsterPage(w);
    PortraitPage* portraits = portraitPage(w);
    CharacterPage* characters = characterPage(w);
    auto pick = [&](int n) { return int(rng() % std::uint32_t(n)); };
    int edits = 0;
    for (int i = 0; i < count; ++i) {
        const int tab = pick(4);
        w.tabBar()->setCurrentIndex(tab);
        Page* page = tab < 2 ? static_cast<Page*>(monsters) : tab == 2 ? static_cast<Page*>(portraits)
                                                                                     : static_cast<Page*>(characters);
        if (pick(3) == 0) page->widgets().pictureList->setCurrentIndex(pick(page->widgets().pictureList->count()));
        click(page->widgets().strip, QPoint(18 * (1 + pick(7)) + 4, 5));
        const std::size_t stepsBefore = w.history().size();
        switch (pick(tab < 2 ? 14 : 10)) {
        case 12:
        case 13: {
            // A shape or a fill from the tool table.
            const Tool tools[] = {Tool::Line, Tool::Rectangle, Tool::Ellipse, Tool::Fill};
            page->chooseTool(tools[pick(4)]);
            if (pick(2)) page->widgets().tools->filledButton()->toggle();
            drag(page->widgets().canvas, {pixelPoint(page, pick(30), pick(20)), pixelPoint(page, pick(30), pick(20))});
            break;
        }
        case 0:
        case 1: {
            page->widgets().tools->button(pick(4) == 0 ? Tool::Erase : Tool::Draw)->click();
            std::vector<QPoint> stroke;
            const int x = pick(30), y = pick(20);
            for (int k = 0; k < 4; ++k) stroke.push_back(pixelPoint(page, x + k, y + k / 2));
            drag(page->widgets().canvas, stroke);
            break;
        }
        case 2: page->widgets().colorControls->slider(pick(3))->setValue(pick(32)); break;
        case 3: page->widgets().colorControls->transparentBox()->click(); break;
        case 4: page->flipImage(pick(2)); break;
        case 5:
            h.prompts.answers = {Answer::Ok};
            page->clearImage();
            break;
        case 6:
            h.prompts.importFiles = {small};
            page->importImage();
            break;
        case 7:
            if (tab == 3) {
                characters->widgets().copyButton->click();
                if (auto* choice = openDialogOf<CopyChoiceDialog>(&w)) {
                    choice->radio(pick(2))->setChecked(true);
                    choice->okButton()->click();
                }
            } else if (tab < 2) {
                monsters->widgets().copyButton->click();
            } else {
                portraits->widgets().copyButton->click();
            }
            if (auto* list = openDialogOf<CopyListDialog>(&w)) {
                list->list()->setCurrentRow(pick(list->list()->count()));
                list->copyButton()->click();
            }
            break;
        case 8: page->widgets().paletteList->setCurrentIndex(pick(page->widgets().paletteList->count())); break;
        case 9: monsters->sizeList()->setCurrentIndex(pick(2)); break;
        case 10: monsters->colorList()->setCurrentIndex(pick(2)); break;
        case 11:
            if (pick(2)) monsters->recordList()->setCurrentIndex(pick(monsters->recordList()->count()));
            else monsters->newImageButton()->click();
            break;
        }
        edits += w.history().size() > stepsBefore ? 1 : 0;
    }
    return edits;
}

// Every field of the three families, named, so that a field the history leaves out shows up
// by name.
struct FieldDiff {
    std::vector<std::string> names;
    template <typename T> void check(const std::string& name, const T& a, const T& b) {
        if (!(a == b) && names.size() < 20) names.push_back(name);
    }
    void image(const std::string& n, const morvi::IndexedImage& a, const morvi::IndexedImage& b) {
        check(n + ".width", a.width, b.width);
        check(n + ".height", a.height, b.height);
        check(n + ".colorCount", a.colorCount, b.colorCount);
        check(n + ".pixels", a.pixels, b.pixels);
        // Colours past the picture's count are never shown, exported or saved.
        const int used = std::clamp(a.colorCount, 0, 256);
        check(n + ".palette", std::vector(a.palette.begin(), a.palette.begin() + used),
              std::vector(b.palette.begin(), b.palette.begin() + used));
    }
};

std::vector<std::string> differences(const morvi::MonsterGraphics& a, const morvi::PortraitSet& pa,
                                     const morvi::CharacterSet& ca, const morvi::Workspace& ws) {
    FieldDiff d;
    const morvi::MonsterGraphics& b = monstersOf(ws);
    d.check("palettes", a.palettes, b.palettes);
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        const auto &x = a.records[i], &y = b.records[i];
        const std::string n = "records[" + std::to_string(i) + "]";
        d.check(n + ".colorCount", x.colorCount, y.colorCount);
        d.check(n + ".moldNumber", x.moldNumber, y.moldNumber);
        d.check(n + ".large", x.large, y.large);
        d.check(n + ".size", x.size, y.size);
        d.check(n + ".graphicsOffset", x.graphicsOffset, y.graphicsOffset);
        d.check(n + ".inUse", x.inUse, y.inUse);
        d.check(n + ".tileData", x.tileData, y.tileData);
    }
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const auto &x = a.entries[i], &y = b.entries[i];
        const std::string n = "entries[" + std::to_string(i) + "]";
        d.check(n + ".name", x.name, y.name);
        d.image(n + ".image", x.image, y.image);
        d.check(n + ".recordIndex", x.recordIndex, y.recordIndex);
        d.check(n + ".paletteNumber", x.paletteNumber, y.paletteNumber);
        d.check(n + ".colorCount", x.colorCount, y.colorCount);
        d.check(n + ".moldNumber", x.moldNumber, y.moldNumber);
        d.check(n + ".large", x.large, y.large);
        d.check(n + ".graphicsOffset", x.graphicsOffset, y.graphicsOffset);
    }
    d.check("smallMolds", a.smallMolds, b.smallMolds);
    d.check("largeMolds", a.largeMolds, b.largeMolds);
    d.check("recordCount", a.recordCount, b.recordCount);
    d.check("tileBuffer", a.tileBuffer, b.tileBuffer);
    d.check("moldBuffer", a.moldBuffer, b.moldBuffer);
    d.check("spaceLimit", a.spaceLimit, b.spaceLimit);
    d.check("moldSpaceLimit", a.moldSpaceLimit, b.moldSpaceLimit);

    d.check("portrait palettes", pa.palettes, portraitsOf(ws).palettes);
    for (std::size_t i = 0; i < pa.portraits.size(); ++i) {
        const auto &x = pa.portraits[i], &y = portraitsOf(ws).portraits[i];
        const std::string n = "portraits[" + std::to_string(i) + "]";
        d.image(n + ".image", x.image, y.image);
        d.check(n + ".raw", x.raw, y.raw);
        d.check(n + ".paletteNumber", x.paletteNumber, y.paletteNumber);
        d.check(n + ".storedNumber", x.storedNumber, y.storedNumber);
    }
    d.check("character palettes", ca.palettes, charactersOf(ws).palettes);
    d.check("tileTable", ca.tileTable, charactersOf(ws).tileTable);
    for (std::size_t i = 0; i < ca.characters.size(); ++i) {
        const auto &x = ca.characters[i], &y = charactersOf(ws).characters[i];
        const std::string n = "characters[" + std::to_string(i) + "]";
        for (std::size_t s = 0; s < x.sprites.size(); ++s) d.image(n + ".sprites[" + std::to_string(s) + "]", x.sprites[s], y.sprites[s]);
        d.check(n + ".tileStore", x.tileStore, y.tileStore);
        d.check(n + ".paletteNumber", x.paletteNumber, y.paletteNumber);
        d.check(n + ".storedNumber", x.storedNumber, y.storedNumber);
        d.check(n + ".tileAddress", x.tileAddress, y.tileAddress);
        d.check(n + ".fixedPalette", x.fixedPalette, y.fixedPalette);
    }
    return d.names;
}

} // namespace

// 200 edits of every kind on the three pages, undone and redone: the data a save would write is
// the same as at the start, and then as at the end.
TEST(Undo, TwoHundredRandomEditsUndoToTheStartAndRedoToTheEnd) {
    EditorHarness h;
    h.openDemo();
    MainWindow& w = *h.window;
    MonsterPage* monsters = monsterPage(w);
    const QString small = importArt(h);
    const auto startBytes = savedBytes(h, 0);
    std::mt19937 rng(20261208);
    const int edits = randomEdits(h, rng, 200, small);
    EXPECT_GT(edits, 120) << "most of the 200 actions changed something";
    const int endEntry = monsters->currentEntry();
    const auto endBytes = savedBytes(h, endEntry);
    ASSERT_NE(endBytes, startBytes);

    int undone = 0;
    while (w.action("undo")->isEnabled()) w.undo(), ++undone;
    EXPECT_EQ(std::size_t(undone), w.history().size());
    EXPECT_EQ(savedBytes(h, monsters->currentEntry()), startBytes);
    EXPECT_FALSE(w.anyChanged());
    while (w.action("redo")->isEnabled()) w.redo();
    EXPECT_EQ(savedBytes(h, endEntry), endBytes);
    EXPECT_TRUE(w.anyChanged());
}

// Every field of every family's structures, not the history's own snapshots, is back where it
// was after undoing, and where it went after redoing, a random series of edits and undos.
TEST(Undo, EveryFieldOfEveryFamilyComesBackAfterRandomEditsAndUndos) {
    EditorHarness h;
    h.openDemo();
    MainWindow& w = *h.window;
    const QString small = importArt(h);
    auto monsters = std::make_unique<morvi::MonsterGraphics>(monstersOf(*h.ws));
    auto portraits = std::make_unique<morvi::PortraitSet>(portraitsOf(*h.ws));
    auto characters = std::make_unique<morvi::CharacterSet>(charactersOf(*h.ws));
    std::mt19937 rng(77);
    for (int round = 0; round < 12; ++round) {
        randomEdits(h, rng, 10, small);
        for (int k = int(rng() % 4); k > 0 && w.action("undo")->isEnabled(); --k) w.undo();
    }
    auto endMonsters = std::make_unique<morvi::MonsterGraphics>(monstersOf(*h.ws));
    // An edit through one entry leaves the pictures of the entries sharing its record to be
    // decoded again when they are shown or saved; undo and redo decode every entry at once.
    morvi::redecodeEntries(*endMonsters);
    auto endPortraits = std::make_unique<morvi::PortraitSet>(portraitsOf(*h.ws));
    auto endCharacters = std::make_unique<morvi::CharacterSet>(charactersOf(*h.ws));
    ASSERT_FALSE(differences(*monsters, *portraits, *characters, *h.ws).empty()) << "the edits changed something";
    int steps = 0;
    while (w.action("undo")->isEnabled()) w.undo(), ++steps;
    EXPECT_EQ(differences(*monsters, *portraits, *characters, *h.ws), std::vector<std::string>{});
    while (steps-- > 0) w.redo();
    EXPECT_EQ(differences(*endMonsters, *endPortraits, *endCharacters, *h.ws), std::vector<std::string>{});
}
