// The Characters page on the demo ROM, through its real widgets.
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "imagefile/image_file.h"
#include "testing/fixtures.h"
#include "ui/widgets/palette_strip.h"
#include "ui/pages/character_page.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/tests/character_fixture.h"
#include "ui/tests/ui_test_support.h"
#include "characters/character_module.h"

using namespace morvi::ui;


TEST_F(CharacterFixture, TheSheetSelectsSpritesAndFramesTheChosenOne) {
    EXPECT_EQ(page->widgets().pictureList->count(), 22);
    EXPECT_EQ(page->selectedSprite(), 0);
    click(page->widgets().preview, QPoint(16 * 3 + 5, 24 * 2 + 7));
    EXPECT_EQ(page->selectedSprite(), 19);
    const morvi::Surface& sheet = page->widgets().preview->surface();
    EXPECT_EQ(sheet.at(48, 48), morvi::rgb32(255, 255, 255)) << "the frame's top-left corner";
    EXPECT_EQ(sheet.at(63, 71), morvi::rgb32(255, 255, 255));
    // The canvas shows sprite 19 now.
    const auto& sprite = character(0).sprites[19];
    const int m = page->widgets().magnification->value();
    for (int y = 0; y < 24; y += 5)
        for (int x = 0; x < 16; x += 3) {
            if (sprite.pixel(x, y) == 0) continue;
            const QPoint at = page->editor().pictureShift() + QPoint(x * m + 1, y * m + 1);
            ASSERT_EQ(page->widgets().canvas->surface().at(at.x(), at.y()), sprite.palette[sprite.pixel(x, y)].toRgb32());
        }
    // Beside the riding and lying poses there is none: the selection stays.
    click(page->widgets().preview, QPoint(70, 124));
    EXPECT_EQ(page->selectedSprite(), 19);
}

TEST_F(CharacterFixture, APixelShowsInEverySpriteSharingItsTile) {
    // Find two sprites of the character that show one tile.
    const auto& table = charactersOf(*h.ws);
    int s1 = -1, s2 = -1, cell1 = 0, cell2 = 0;
    for (int a = 0; a < 40 && s1 < 0; ++a)
        for (int b = a + 1; b < 40 && s1 < 0; ++b)
            for (int ca = 0; ca < 6 && s1 < 0; ++ca)
                for (int cb = 0; cb < 6; ++cb)
                    if (table.tileOf(a, ca / 2, ca % 2) == table.tileOf(b, cb / 2, cb % 2)) {
                        s1 = a, s2 = b, cell1 = ca, cell2 = cb;
                        break;
                    }
    ASSERT_GE(s1, 0) << "the demo ROM shares tiles between sprites";
    click(page->widgets().preview, QPoint(16 * (s1 % 8) + 3, 24 * (s1 / 8) + 3));
    ASSERT_EQ(page->selectedSprite(), s1);
    click(page->widgets().strip, QPoint(18 * 9 + 5, 10));
    const int x1 = 8 * (cell1 % 2) + 3, y1 = 8 * (cell1 / 2) + 4;
    drag(page->widgets().canvas, {canvasPointOf(x1, y1)});
    EXPECT_EQ(character(0).sprites[std::size_t(s1)].pixel(x1, y1), 9);
    EXPECT_EQ(character(0).sprites[std::size_t(s2)].pixel(8 * (cell2 % 2) + 3, 8 * (cell2 / 2) + 4), 9);
    EXPECT_TRUE(page->changed());

    // The second tool erases to colour 0.
    page->widgets().tools->button(Tool::Erase)->click();
    drag(page->widgets().canvas, {canvasPointOf(x1, y1)});
    EXPECT_EQ(character(0).sprites[std::size_t(s1)].pixel(x1, y1), 0);

    h.prompts.log.clear();
    page->widgets().tools->button(Tool::Draw)->click();
    drag(page->widgets().canvas, {canvasPointOf(x1, y1)});
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    EXPECT_EQ(saved()->characters[0].sprites[std::size_t(s1)].pixel(x1, y1), 9);
}

TEST_F(CharacterFixture, EsperTerraKeepsTheSlidersOffAndScrollBarsFollowTheMagnification) {
    page->widgets().pictureList->setCurrentIndex(morvi::kEsperTerra);
    click(page->widgets().strip, QPoint(18 * 4 + 5, 10));
    EXPECT_EQ(page->palette().current(), 4);
    EXPECT_FALSE(page->widgets().colorControls->slider(0)->isEnabled());
    EXPECT_FALSE(page->widgets().colorControls->transparentBox()->isEnabled());
    page->widgets().pictureList->setCurrentIndex(1);
    EXPECT_TRUE(page->widgets().colorControls->slider(0)->isEnabled());
    EXPECT_FALSE(page->widgets().colorControls->transparentBox()->isChecked()) << "colour 4 is not the transparent one";
    page->widgets().colorControls->slider(2)->setValue(31);
    EXPECT_EQ(charactersOf(*h.ws).color(character(1).paletteNumber, 4).blue, 248);

    auto bars = [&](int m) {
        page->widgets().magnification->spinBox()->setValue(m);
        return std::pair{page->widgets().horizontalScroll->isVisible() ? page->widgets().horizontalScroll->maximum() : 0,
                         page->widgets().verticalScroll->isVisible() ? page->widgets().verticalScroll->maximum() : 0};
    };
    EXPECT_EQ(bars(10), (std::pair{0, 0}));
    EXPECT_EQ(bars(11), (std::pair{0, 1}));
    EXPECT_EQ(bars(16), (std::pair{0, 8}));
    EXPECT_EQ(bars(17), (std::pair{1, 9}));
    EXPECT_EQ(bars(20), (std::pair{4, 12}));
}

TEST_F(CharacterFixture, APaletteOfItsOwnIsOneStepLeavesTheSharersAloneAndIsSaved) {
    QComboBox* box = page->widgets().paletteList;
    ASSERT_EQ(box->count(), 8);
    EXPECT_EQ(box->itemText(7), QStringLiteral("Palette #7"));
    EXPECT_TRUE(box->isEnabled());
    // Character 0 shares its palette with another; move it to another one.
    const auto& set = charactersOf(*h.ws);
    const int before = character(0).storedNumber;
    EXPECT_EQ(box->currentIndex(), before);
    int sharer = -1, own = -1;
    for (int c = 1; c < morvi::kCharacterCount; ++c)
        if (sharer < 0 && character(c).paletteNumber == character(0).paletteNumber) sharer = c;
    for (int n = 0; n < 8 && own < 0; ++n)
        if (n != before && !std::equal(set.palettes.begin() + n * 16, set.palettes.begin() + n * 16 + 16, set.palettes.begin() + before * 16))
            own = n;
    ASSERT_GE(sharer, 0);
    ASSERT_GE(own, 0);
    auto stripShows = [&](int number) {
        for (int k = 0; k < 16; ++k)
            if (page->widgets().strip->surface().at(18 * k + 9, 15) != set.palettes[std::size_t(number * 16 + k)].toRgb32()) return false;
        return true;
    };
    auto canvasShows = [&](int number) {
        const morvi::IndexedImage& sprite = character(0).sprites[std::size_t(page->selectedSprite())];
        const int m = page->widgets().magnification->value();
        int seen = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 16; ++x)
                if (const int k = sprite.pixel(x, y); k != 0) {
                    const QPoint at = page->editor().pictureShift() + QPoint(x * m + 1, y * m + 1);
                    if (page->widgets().canvas->surface().at(at.x(), at.y()) != set.palettes[std::size_t(number * 16 + k)].toRgb32()) return false;
                    ++seen;
                }
        return seen > 0;
    };
    ASSERT_TRUE(stripShows(before));

    box->setCurrentIndex(own);
    EXPECT_EQ(character(0).storedNumber, own);
    EXPECT_TRUE(stripShows(own));
    EXPECT_TRUE(canvasShows(own));
    EXPECT_TRUE(page->changed());
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Palette"));
    // A colour changed now is the character's own: the one it shared with keeps its colours.
    const morvi::PaletteColor sharerColour = character(sharer).sprites[0].palette[1];
    click(page->widgets().strip, QPoint(18 * 1 + 9, 15));
    page->widgets().colorControls->slider(0)->setValue(page->widgets().colorControls->slider(0)->value() == 31 ? 0 : 31);
    EXPECT_EQ(character(0).sprites[0].palette[1], set.palettes[std::size_t(own * 16 + 1)]);
    EXPECT_EQ(character(sharer).sprites[0].palette[1], sharerColour);

    // One step back (the colour), one more (the palette): the old number, colours and box.
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(character(0).storedNumber, before);
    EXPECT_EQ(box->currentIndex(), before);
    EXPECT_TRUE(stripShows(before));
    EXPECT_TRUE(canvasShows(before));
    QTest::keyClick(h.window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box->currentIndex(), own);

    // Saved with the characters, and read back so.
    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    const auto reopened = saved();
    EXPECT_EQ(reopened->characters[0].storedNumber, own);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(reopened->characters[0].sprites[1].palette[std::size_t(k)], set.palettes[std::size_t(own * 16 + k)]) << k;
    EXPECT_EQ(reopened->characters[std::size_t(sharer)].storedNumber, character(sharer).storedNumber);

    // Esper Terra's is fixed: the box is off and says why.
    page->widgets().pictureList->setCurrentIndex(morvi::kEsperTerra);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_TRUE(box->toolTip().contains(QStringLiteral("fixed"))) << box->toolTip().toStdString();
    page->widgets().pictureList->setCurrentIndex(1);
    EXPECT_TRUE(box->isEnabled());
}

TEST_F(CharacterFixture, CopyingAllSpritesTakesTheSourcesPaletteNumber) {
    int source = -1;
    for (int c = 1; c < morvi::kCharacterCount && source < 0; ++c)
        if (c != morvi::kEsperTerra && character(c).paletteNumber != character(0).paletteNumber) source = c;
    ASSERT_GE(source, 0);
    page->widgets().copyButton->click();
    auto* choice = openDialogOf<CopyChoiceDialog>(h.window.get());
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->windowTitle(), QStringLiteral("Copy character sprite"));
    EXPECT_TRUE(choice->radio(0)->isChecked());
    EXPECT_FALSE(choice->radio(2)->isVisible());
    choice->radio(1)->setChecked(true);
    choice->okButton()->click();
    auto* list = qobject_cast<CopyListDialog*>(page->transfers().openDialog());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->list()->count(), 22);
    list->list()->setCurrentRow(source);
    list->copyButton()->click();
    EXPECT_EQ(character(0).paletteNumber, character(source).paletteNumber);
    EXPECT_EQ(page->widgets().paletteList->currentIndex(), character(source).storedNumber);
    for (int s = 0; s < 40; ++s) ASSERT_EQ(character(0).sprites[std::size_t(s)].pixels, character(source).sprites[std::size_t(s)].pixels);
    EXPECT_TRUE(page->changed());

    // Cancelling the choice changes nothing.
    h.markSaved(page);
    page->widgets().copyButton->click();
    choice = openDialogOf<CopyChoiceDialog>(h.window.get());
    ASSERT_NE(choice, nullptr);
    choice->cancelButton()->click();
    EXPECT_EQ(openDialogOf<CopyListDialog>(h.window.get()), nullptr) << "no list follows a cancelled choice";
    EXPECT_FALSE(page->changed());
}

TEST_F(CharacterFixture, ExportWritesTheWholeSheetWithoutTheFrameAndClearAsksByName) {
    click(page->widgets().preview, QPoint(40, 40));
    ASSERT_NE(page->selectedSprite(), 0);
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Export character sprites"));
    EXPECT_EQ(d->typeList()->count(), 4) << "the raw .BIN pair too";
    const std::string out = h.file("sheet.bmp");
    d->typeList()->setCurrentIndex(0);
    emit d->typeList()->activated(0);
    d->pathEdit()->setText(QString::fromStdString(out));
    d->okButton()->click();
    morvi::IndexedImage read;
    ASSERT_EQ(morvi::loadBmp(read, out, 16, 128, 128), morvi::ImageLoadResult::Read);
    EXPECT_EQ(read.width, 128);
    EXPECT_EQ(read.height, 128);
    for (int y = 120; y < 128; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(read.pixel(x, y), 0);
    const morvi::IndexedImage sheet = morvi::buildSpriteSheet(character(0), -1);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(read.colorAt(x, y), sheet.colorAt(x, y)) << x << "," << y;

    // Import the sheet back into another character: its sprites become the same.
    page->widgets().pictureList->setCurrentIndex(2);
    h.prompts.importFiles = {QString::fromStdString(out)};
    page->widgets().importButton->click();
    EXPECT_EQ(h.prompts.lastImportTitle, QStringLiteral("Import Character sprites"));
    for (int s = 0; s < 40; ++s)
        ASSERT_EQ(character(2).sprites[std::size_t(s)].pixels, character(0).sprites[std::size_t(s)].pixels) << s;

    h.prompts.log.clear();
    h.prompts.answers = {Answer::Ok};
    page->widgets().clearButton->click();
    EXPECT_EQ(h.prompts.texts(), QStringList{QStringLiteral("This will erase all sprites for %1").arg(QString::fromLatin1(morvi::kCharacterNames[2]))});
    for (const auto& s : character(2).sprites) ASSERT_EQ(std::count(s.pixels.begin(), s.pixels.end(), 0), 16 * 24);
}

// The riding and lying poses: chosen on the full sheet, painted with a real drag, shared tiles
// followed, undone, saved and read back; a character without the riding tiles keeps its pose
// and says why.
TEST_F(CharacterFixture, TheRidingAndLyingPosesArePaintedUndoneAndSaved) {
    click(page->widgets().preview, QPoint(32 + 20, 128 + 8));
    ASSERT_EQ(page->selectedSprite(), morvi::kLyingPose);
    EXPECT_EQ(page->editedPicture()->width, 24);
    EXPECT_EQ(page->editedPicture()->height, 16);
    click(page->widgets().strip, QPoint(18 * 9 + 5, 10));
    drag(page->widgets().canvas, {canvasPointOf(20, 3), canvasPointOf(22, 3)});
    EXPECT_EQ(character(0).sprites[morvi::kLyingPose].pixel(21, 3), 9);
    // Riding 1's bottom row (tiles AF, B0) is riding 2's too.
    click(page->widgets().preview, QPoint(5, 120 + 5));
    ASSERT_EQ(page->selectedSprite(), morvi::kRiding1Pose);
    drag(page->widgets().canvas, {canvasPointOf(3, 20)});
    EXPECT_EQ(character(0).sprites[morvi::kRiding2Pose].pixel(3, 20), 9);
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(character(0).sprites[morvi::kRiding2Pose].pixel(3, 20), 9);
    QTest::keyClick(h.window.get(), Qt::Key_Y, Qt::ControlModifier);
    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    const auto written = saved();
    EXPECT_EQ(written->characters[0].sprites[morvi::kRiding2Pose].pixel(3, 20), 9);
    EXPECT_EQ(written->characters[0].sprites[morvi::kLyingPose].pixel(21, 3), 9);

    // Ghost has no riding tiles: its riding cells are hatched and a click on one keeps the pose.
    page->widgets().pictureList->setCurrentIndex(20);
    EXPECT_EQ(page->selectedSprite(), 0) << "Ghost has no riding 1 to show";
    QStringList notes;
    QObject::connect(page, &Page::noteShown, page, [&](const QString& text) { notes << text; });
    click(page->widgets().preview, QPoint(20, 125));
    EXPECT_EQ(page->selectedSprite(), 0) << "the pose shown before stays";
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_EQ(notes.back(), QStringLiteral("41 Riding 2: Ghost has no riding tiles"));
    EXPECT_NE(page->widgets().preview->surface().at(16 + 4, 120), page->widgets().preview->surface().at(16 + 5, 120)) << "hatched";
}

// What each pose is, on the sheet and under the canvas pointer, and which poses share a tile.
TEST_F(CharacterFixture, PosesAreNamedAndTheirSharedTilesShown) {
    page->sheetHovered(QPoint(32 + 3, 3));
    EXPECT_EQ(page->widgets().preview->toolTip(), QStringLiteral("2 Walking Down 2 (the game draws its bottom 8 rows mirrored)"));
    page->sheetHovered(QPoint(40, 140));
    EXPECT_EQ(page->widgets().preview->toolTip(), QStringLiteral("42 Lying"));
    click(page->widgets().preview, QPoint(16 + 3, 3));
    ASSERT_EQ(page->selectedSprite(), 1);
    // The top-left tile of pose 1 is tile 00, which poses 0, 1, 2, 19 and 20 show.
    QMouseEvent move(QEvent::MouseMove, canvasPointOf(2, 2), page->widgets().canvas->mapToGlobal(canvasPointOf(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(page->widgets().canvas, &move);
    EXPECT_EQ(page->pointerNote(QPoint(2, 2)), QStringLiteral("Facing Down · tile 00: poses 0, 1, 2, 19, 20"));
    EXPECT_EQ(page->sharedTileShown(), 0);
    const QList<QLabel*> labels = h.window->statusBar()->findChildren<QLabel*>();
    bool said = false;
    for (QLabel* l : labels) said = said || l->text() == QStringLiteral("Facing Down · tile 00: poses 0, 1, 2, 19, 20");
    EXPECT_TRUE(said) << "the status bar tells it";
    const morvi::Surface& sheet = page->widgets().preview->surface();
    const std::uint32_t mark = morvi::rgb32(255, 208, 0);
    for (int pose : {0, 2, 19, 20}) {
        const morvi::SheetSpot at = morvi::sheetSpot(pose);
        EXPECT_EQ(sheet.at(at.x + 5, at.y), mark) << pose;
    }
    EXPECT_NE(sheet.at(morvi::sheetSpot(3).x + 5, 0), mark) << "pose 3 does not show tile 00";
}

// The full sheet and the community's sprite pair through the export dialog and the import
// chooser (its preview shows the file's sheet), each import one undo step.
TEST_F(CharacterFixture, FullSheetsAndSpritePairsGoOutAndComeBack) {
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->option(), nullptr);
    d->option()->setChecked(true);
    const std::string sheetPath = h.file("full.png");
    d->pathEdit()->setText(QString::fromStdString(sheetPath));
    d->okButton()->click();
    morvi::IndexedImage read;
    ASSERT_EQ(morvi::loadPng(read, sheetPath, 16, 128, 144), morvi::ImageLoadResult::Read);
    EXPECT_EQ(read.height, 144);

    page->exportImage();
    d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    d->typeList()->setCurrentIndex(3);
    emit d->typeList()->activated(3);
    EXPECT_FALSE(d->option()->isEnabled()) << "the raw pair has no sheet";
    const std::string binPath = h.file("terra.bin");
    d->pathEdit()->setText(QString::fromStdString(binPath));
    d->okButton()->click();
    const auto bin = morvi::testing::readFile(binPath);
    EXPECT_EQ(bin.size(), std::size_t(morvi::kCharacterTileBytes));
    EXPECT_EQ(morvi::testing::readFile(h.file("terra.pal")).size(), 32u);

    // Into Kappa (15): the chooser previews the pair as a full sheet, the import takes it all.
    page->widgets().pictureList->setCurrentIndex(15);
    h.prompts.importFiles = {QString::fromStdString(binPath)};
    h.prompts.previews.clear();
    page->widgets().importButton->click();
    ASSERT_FALSE(h.prompts.previews.empty());
    EXPECT_EQ(h.prompts.previews.back().picture.height, 144);
    EXPECT_EQ(morvi::characterTileFile(character(15)), bin);
    for (int pose = 0; pose < morvi::kPoseCount; ++pose)
        ASSERT_EQ(character(15).sprites[std::size_t(pose)].pixels, character(0).sprites[std::size_t(pose)].pixels) << pose;
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(morvi::characterTileFile(character(15)), bin) << "one undo takes the import back";
    // The same pair dropped on the window.
    dropFile(h.window.get(), binPath);
    EXPECT_EQ(morvi::characterTileFile(character(15)), bin);

    // The full sheet into Kefka (21, no riding tiles): lying comes in, riding cannot.
    page->widgets().pictureList->setCurrentIndex(21);
    h.prompts.importFiles = {QString::fromStdString(sheetPath)};
    page->widgets().importButton->click();
    EXPECT_EQ(character(21).sprites[morvi::kLyingPose].pixels, character(0).sprites[morvi::kLyingPose].pixels);

    // A bad pair is refused with its reason; nothing changes.
    morvi::testing::writeFile(h.file("bad.bin"), std::vector<std::uint8_t>(64, 1));
    const auto tiles = character(21).tileStore;
    h.prompts.log.clear();
    h.prompts.importFiles = {QString::fromStdString(h.file("bad.bin"))};
    page->widgets().importButton->click();
    EXPECT_EQ(character(21).tileStore, tiles);
    ASSERT_FALSE(h.prompts.log.empty());
    EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("64 bytes"))) << h.prompts.lastText().toStdString();
}

// Colours 12 to 15 are marked on the strip; the page counts them in battle poses.
TEST_F(CharacterFixture, FieldOnlyColoursAreMarkedAndCounted) {
    EXPECT_EQ(page->widgets().strip->bandText(), QStringLiteral("field only"));
    page->widgets().pictureList->setCurrentIndex(2);
    click(page->widgets().preview, QPoint(3, 3));
    EXPECT_EQ(page->battleNote()->text(), QStringLiteral("Battle poses: colours 0 to 11 only"));
    click(page->widgets().strip, QPoint(18 * 13 + 5, 10));
    ASSERT_EQ(page->palette().current(), 13);
    drag(page->widgets().canvas, {canvasPointOf(1, 1)});
    // Tile 00 shows in poses 0, 1, 2, 19 and 20, all of them battle poses.
    EXPECT_EQ(page->battleNote()->text(), QStringLiteral("Colours 12-15 in battle poses: 5 pixels, in poses 0 (1), 1 (1), 2 (1), 19 (1), 20 (1)"));
}
