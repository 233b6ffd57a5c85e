// The Monsters and Espers page on the demo ROM, through its real widgets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "imagefile/image_file.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"

using namespace morvi::ui;
using morvi::testing::readFile;
using morvi::testing::writeFile;

namespace {

struct MonsterFixture : ::testing::Test {
    void SetUp() override {
        h.openDemo();
        page = monsterPage(*h.window);
        ASSERT_TRUE(page->isVisible());
    }
    morvi::MonsterEntry& entry() { return monstersOf(*h.ws).entries[std::size_t(page->currentEntry())]; }
    void showEntry(int e) { page->widgets().pictureList->setCurrentIndex(e); }
    // The first list entry whose picture has the given side.
    int firstOfSide(int side) {
        for (int e = 0; e < morvi::kMonsterCount; ++e)
            if (monstersOf(*h.ws).entries[std::size_t(e)].side() == side) return e;
        return -1;
    }
    QPoint canvasPointOf(int x, int y) { return canvasPixel(page, x, y); }
    EditorHarness h;
    MonsterPage* page = nullptr;
};

} // namespace

TEST_F(MonsterFixture, EspersShareThePageAndKeepColourToolAndMagnification) {
    click(page->widgets().strip, QPoint(3 * page->widgets().strip->width() / 16 + 2, 10));
    const int colour = page->palette().current();
    ASSERT_GT(colour, 0);
    page->widgets().tools->button(Tool::Erase)->click();
    page->widgets().magnification->spinBox()->setValue(6);

    h.window->tabBar()->setCurrentIndex(1);
    EXPECT_EQ(h.window->currentPage(), page);
    EXPECT_EQ(page->currentEntry(), 384);
    ASSERT_EQ(page->widgets().pictureList->count(), 30);
    EXPECT_EQ(MonsterPage::entryAt(MonsterList::Espers, 16), 401);
    EXPECT_EQ(page->widgets().pictureList->itemText(16), QString::fromStdString(monstersOf(*h.ws).entries[401].name));
    for (int i = 26; i < 30; ++i) EXPECT_TRUE(page->widgets().pictureList->itemText(i).isEmpty()) << i;
    for (int i = 0; i < 30; ++i) EXPECT_NE(MonsterPage::entryAt(MonsterList::Espers, i), 400);
    EXPECT_EQ(page->editor().tool(), Tool::Erase);
    EXPECT_EQ(page->widgets().magnification->value(), 6);
    EXPECT_EQ(page->widgets().magnification->label()->text(), QStringLiteral("magnification: x6"));
    EXPECT_EQ(h.ws->settings.tab1Mag, 6);
    if (entry().colorCount == 16) {
        EXPECT_EQ(page->palette().current(), colour);
    }

    // The copy list offers monsters and espers alike, on either page.
    page->widgets().copyButton->click();
    auto* copy = qobject_cast<CopyListDialog*>(page->transfers().openDialog());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->windowTitle(), QStringLiteral("Copy monster image"));
    EXPECT_EQ(copy->list()->count(), 411);
    copy->cancelButton()->click();
    EXPECT_FALSE(page->changed()) << "opening and cancelling the copy dialog changes nothing";
}

TEST_F(MonsterFixture, SlidersEditTheColourAndColourZeroIsTransparent) {
    ASSERT_EQ(page->palette().current(), 0);
    EXPECT_FALSE(page->widgets().colorControls->slider(0)->isEnabled());
    EXPECT_TRUE(page->widgets().colorControls->transparentBox()->isChecked());
    EXPECT_FALSE(page->widgets().colorControls->transparentBox()->isEnabled());

    click(page->widgets().strip, QPoint(2 * 18 + 3, 5));
    const int c = page->palette().current();
    ASSERT_GT(c, 0);
    EXPECT_TRUE(page->widgets().colorControls->slider(0)->isEnabled());
    EXPECT_FALSE(page->widgets().colorControls->transparentBox()->isChecked());
    QSlider* red = page->widgets().colorControls->slider(0);
    red->setFocus();
    QTest::keyClick(red, Qt::Key_End);
    EXPECT_EQ(red->value(), 31);
    const std::size_t k = std::size_t(entry().paletteNumber * 8 + c);
    EXPECT_EQ(monstersOf(*h.ws).palettes[k].red, 248);
    EXPECT_EQ(entry().image.palette[std::size_t(c)].red, 248);
    EXPECT_EQ(page->widgets().colorControls->valueLabel(0)->text(), QStringLiteral("31"));
    EXPECT_TRUE(page->changed());

    // The pick tool on a transparent pixel brings colour 0 back, with the sliders off.
    page->widgets().tools->button(Tool::Pick)->click();
    QPoint clear(-1, -1);
    for (int y = 0; y < 32 && clear.x() < 0; ++y)
        for (int x = 0; x < 32 && clear.x() < 0; ++x)
            if (entry().image.pixel(x, y) == 0) clear = QPoint(x, y);
    ASSERT_GE(clear.x(), 0);
    click(page->widgets().canvas, canvasPointOf(clear.x(), clear.y()));
    EXPECT_EQ(page->palette().current(), 0);
    EXPECT_FALSE(page->widgets().colorControls->slider(2)->isEnabled());
    EXPECT_TRUE(page->widgets().colorControls->transparentBox()->isChecked());
}

TEST_F(MonsterFixture, TransparentSwapsTheColourAndPaletteListsChangeTheEntry) {
    const int e = page->currentEntry();
    click(page->widgets().strip, QPoint(18 * 4 + 3, 5));
    const int k = page->palette().current();
    ASSERT_GT(k, 0);
    const auto colourK = monstersOf(*h.ws).paletteColor(std::int64_t(entry().paletteNumber) * 8 + k);
    page->widgets().colorControls->transparentBox()->click();
    EXPECT_EQ(page->palette().current(), 0);
    EXPECT_EQ(monstersOf(*h.ws).paletteColor(std::int64_t(entry().paletteNumber) * 8), colourK);
    EXPECT_TRUE(page->changed());

    page->widgets().paletteList->setCurrentIndex(77);
    EXPECT_EQ(entry().paletteNumber, 77);
    EXPECT_EQ(entry().image.palette[1], monstersOf(*h.ws).palettes[77 * 8 + 1]);
    const int otherSize = entry().large ? 0 : 1;
    page->sizeList()->setCurrentIndex(otherSize);
    EXPECT_EQ(entry().large, otherSize);
    EXPECT_EQ(page->currentEntry(), e);
    page->colorList()->setCurrentIndex(0);
    EXPECT_EQ(entry().colorCount, 8);
    EXPECT_EQ(page->widgets().strip->surface().at(36, 0), morvi::rgb32(0, 0, 0)) << "8 colours: 36-pixel swatches";
}

TEST_F(MonsterFixture, MagnificationSetsTheScrollRanges) {
    const int large = firstOfSide(128);
    ASSERT_GE(large, 0);
    showEntry(large);
    page->widgets().magnification->spinBox()->setValue(2);
    EXPECT_FALSE(page->widgets().horizontalScroll->isVisible());
    EXPECT_FALSE(page->widgets().verticalScroll->isVisible());
    page->widgets().magnification->spinBox()->setValue(4);
    EXPECT_TRUE(page->widgets().horizontalScroll->isVisible());
    EXPECT_EQ(page->widgets().horizontalScroll->minimum(), 0);
    EXPECT_EQ(page->widgets().horizontalScroll->maximum(), 64);
    EXPECT_EQ(page->widgets().verticalScroll->maximum(), 64);
    // Scrolled by 10, the canvas's top-left shows image pixel (10, 0).
    page->widgets().horizontalScroll->setValue(10);
    const auto& image = entry().image;
    EXPECT_EQ(page->widgets().canvas->surface().at(1, 1) == image.palette[image.pixel(10, 0)].toRgb32(),
              image.pixel(10, 0) != 0);
    // The control runs from 1 ("Actual size") to 20.
    page->widgets().magnification->spinBox()->setValue(0);
    EXPECT_EQ(page->widgets().magnification->value(), 1);
    page->widgets().magnification->spinBox()->setValue(21);
    EXPECT_EQ(page->widgets().magnification->value(), 20);
}

TEST_F(MonsterFixture, ADragPaintsThePixelsAndCtrlSWritesThem) {
    click(page->widgets().strip, QPoint(18 * 2 + 4, 4));
    const int colour = page->palette().current();
    ASSERT_GT(colour, 0);
    const int e = page->currentEntry();
    std::vector<QPoint> stroke;
    for (int x = 3; x < 12; ++x) stroke.push_back(canvasPointOf(x, 20));
    drag(page->widgets().canvas, stroke);
    for (int x = 3; x < 12; ++x) EXPECT_EQ(entry().image.pixel(x, 20), colour) << x;
    EXPECT_TRUE(page->changed());

    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    EXPECT_FALSE(page->changed());
    morvi::MonsterGraphics saved;
    morvi::RomState rom;
    rom.romHasHeader = false;
    ASSERT_TRUE(morvi::loadMonsterGraphics(saved, h.romPath(), rom));
    for (int x = 3; x < 12; ++x) EXPECT_EQ(saved.entries[std::size_t(e)].image.pixel(x, 20), colour) << x;
}

TEST_F(MonsterFixture, NegativeFreeSpaceShowsTheWarningIconAndTheSaveIsRefused) {
    EXPECT_FALSE(page->overSpace());
    EXPECT_TRUE(page->freeSpaceLabel()->text().startsWith(QStringLiteral("Free Space: ")));
    const auto before = readFile(h.romPath());
    monstersOf(*h.ws).spaceLimit = 1000; // far less than the demo's pictures take
    click(page->widgets().strip, QPoint(18 + 4, 4));
    drag(page->widgets().canvas, {canvasPointOf(5, 5)});
    EXPECT_TRUE(page->overSpace());
    EXPECT_EQ(page->freeSpaceLabel()->text(), QStringLiteral("Free Space: %1").arg(morvi::freeSpace(monstersOf(*h.ws))));
    EXPECT_LT(morvi::freeSpace(monstersOf(*h.ws)), 0);
    h.prompts.log.clear();
    EXPECT_FALSE(h.window->saveRom());
    EXPECT_EQ(h.prompts.lastText().toStdString(), morvi::kMsgNoRoom);
    EXPECT_EQ(readFile(h.romPath()), before);
    EXPECT_TRUE(page->changed());
}

TEST_F(MonsterFixture, ExportWritesTheUsedExtentAndReportsAFileItCannotWrite) {
    h.prompts.answers = {Answer::Ok};
    page->clearImage();
    EXPECT_EQ(h.prompts.log.back().text, QStringLiteral("This will erase the current monster's picture"));
    click(page->widgets().strip, QPoint(18 + 4, 4));
    page->widgets().magnification->spinBox()->setValue(2);
    drag(page->widgets().canvas, {canvasPointOf(44, 28)});
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Export monster"));
    EXPECT_TRUE(d->path().endsWith(QString::fromStdString(entry().name) + QStringLiteral(".png")));
    const std::string out = h.file("out.png");
    d->pathEdit()->setText(QString::fromStdString(out));
    d->okButton()->click();
    morvi::IndexedImage read;
    ASSERT_EQ(morvi::loadPng(read, out, 16, 256, 256), morvi::ImageLoadResult::Read);
    EXPECT_EQ(read.width, 48);
    EXPECT_EQ(read.height, 32);

    // A folder that does not exist: a warning that names the file, and nothing left behind.
    page->exportImage();
    d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    const std::string bad = h.file("missing-folder/x.png");
    d->pathEdit()->setText(QString::fromStdString(bad));
    h.prompts.log.clear();
    d->okButton()->click();
    ASSERT_EQ(h.prompts.log.size(), 1u);
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Warning);
    EXPECT_TRUE(h.prompts.log[0].text.contains(QStringLiteral("x.png")));
}

TEST_F(MonsterFixture, ImportTakesPicturesWithinThePanelsLimitsAndKeepsTheChooserOpenOtherwise) {
    const auto pixelsBefore = entry().image.pixels;
    // Not a picture; 17 colours; 200 x 200 (the old confirmation let this one through).
    writeFile(h.file("bad.png"), {1, 2, 3, 4});
    morvi::IndexedImage many;
    many.allocateImage(32, 32);
    for (int i = 0; i < 17; ++i) many.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(i * 9), 0, 0));
    for (int i = 0; i < 17; ++i) many.setPixel(i, 0, std::uint8_t(i));
    ASSERT_FALSE(morvi::savePng8(many, h.file("many.png"), 32, 32));
    morvi::IndexedImage big;
    big.allocateImage(200, 200);
    big.setPaletteEntry(1, morvi::makeColor(200, 10, 10));
    ASSERT_FALSE(morvi::savePng8(big, h.file("big.png"), 200, 200));
    h.prompts.importFiles = {QString::fromStdString(h.file("bad.png")), QString::fromStdString(h.file("many.png")),
                             QString::fromStdString(h.file("big.png")), QString()};
    page->widgets().importButton->click();
    EXPECT_EQ(h.prompts.lastImportTitle, QStringLiteral("Import Monster"));
    EXPECT_EQ(h.prompts.texts(), (QStringList{"File does not appear to be a valid image file", "Image has more than 16 colors",
                                              "Image is larger than 128x128"}));
    for (const auto& e : h.prompts.log) EXPECT_EQ(e.icon, Icon::Error);
    ASSERT_EQ(h.prompts.previews.size(), 3u);
    EXPECT_EQ(h.prompts.previews[0].sizeText, QStringLiteral("Not a valid image file"));
    EXPECT_EQ(h.prompts.previews[1].sizeText, QStringLiteral("Image has over 16 colors"));
    EXPECT_EQ(h.prompts.previews[2].sizeText, QStringLiteral("Image is larger than 128x128"));
    EXPECT_EQ(entry().image.pixels, pixelsBefore);
    EXPECT_FALSE(page->changed()) << "a chooser closed without a picture changes nothing";

    // A 64 x 64, 5-colour picture is taken: the entry becomes small and shows it.
    morvi::IndexedImage art;
    art.allocateImage(64, 64);
    for (int i = 1; i < 5; ++i) art.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(50 * i), 80, 16));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) art.setPixel(x, y, std::uint8_t((x / 8 + y / 16) % 5));
    ASSERT_FALSE(morvi::savePng(art, h.file("art.png"), 64, 64));
    h.prompts.importFiles = {QString::fromStdString(h.file("art.png"))};
    h.prompts.log.clear();
    page->importImage();
    EXPECT_TRUE(h.prompts.log.empty());
    EXPECT_EQ(h.prompts.previews.back().sizeText, QStringLiteral("64x64"));
    EXPECT_EQ(h.prompts.previews.back().colorsText, QStringLiteral("8 colors"));
    EXPECT_EQ(entry().side(), 64);
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 64; x += 5) ASSERT_EQ(entry().image.pixel(x, y), art.pixel(x, y));
    EXPECT_TRUE(page->changed());
}

TEST_F(MonsterFixture, OnlyRealChangesMarkThePage) {
    const int small = firstOfSide(64);
    ASSERT_GE(small, 0);
    showEntry(small);
    page->widgets().magnification->spinBox()->setValue(2);
    click(page->widgets().strip, QPoint(18 + 4, 4));
    // Outside the 64 x 64 picture, on the canvas's lower right.
    drag(page->widgets().canvas, {QPoint(200, 200), QPoint(220, 230)});
    EXPECT_FALSE(page->changed());
    h.prompts.importFiles = {QString()};
    page->importImage();
    EXPECT_FALSE(page->changed());

    // Flip is a change (and saved as one).
    page->flipImage(0);
    EXPECT_TRUE(page->changed());
    h.markSaved(page);

    // "New Image": a blank picture in a new record slot, named after the entry in the list.
    const int records = monstersOf(*h.ws).recordCount;
    page->newImageButton()->click();
    EXPECT_TRUE(page->changed());
    EXPECT_EQ(monstersOf(*h.ws).recordCount, records + 1);
    EXPECT_EQ(entry().recordIndex, records);
    EXPECT_EQ(page->recordList()->count(), records + 1);
    EXPECT_EQ(page->recordList()->itemText(records),
              QStringLiteral("Image %1 - %2").arg(records).arg(QString::fromStdString(entry().name)));

    // With every slot taken, a warning and no change.
    h.markSaved(page);
    monstersOf(*h.ws).recordCount = morvi::kRecordSlotCount;
    const auto record = entry().recordIndex;
    h.prompts.log.clear();
    page->newImageButton()->click();
    ASSERT_EQ(h.prompts.log.size(), 1u);
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Warning);
    EXPECT_EQ(entry().recordIndex, record);
    EXPECT_FALSE(page->changed());
}

TEST_F(MonsterFixture, CopyTakesAnotherEntrysPictureAndClearNeedsOk) {
    const int source = page->currentEntry() + 5;
    page->widgets().copyButton->click();
    auto* copy = qobject_cast<CopyListDialog*>(page->transfers().openDialog());
    ASSERT_NE(copy, nullptr);
    copy->copyButton()->click();
    EXPECT_TRUE(copy->isVisible()) << "nothing selected: nothing copied, the dialog stays";
    copy->list()->setCurrentRow(source);
    copy->copyButton()->click();
    EXPECT_FALSE(copy->isVisible());
    const auto& from = monstersOf(*h.ws).entries[std::size_t(source)];
    EXPECT_EQ(entry().side(), from.side());
    for (int y = 0; y < from.side(); y += 3)
        for (int x = 0; x < from.side(); x += 3) ASSERT_EQ(entry().image.pixel(x, y), from.image.pixel(x, y));
    EXPECT_TRUE(page->changed());

    h.markSaved(page);
    const auto pixels = entry().image.pixels;
    h.prompts.answers = {Answer::Cancel};
    page->widgets().clearButton->click();
    EXPECT_EQ(entry().image.pixels, pixels);
    EXPECT_FALSE(page->changed());
    h.prompts.answers = {Answer::Ok};
    page->widgets().clearButton->click();
    EXPECT_EQ(std::count(entry().image.pixels.begin(), entry().image.pixels.end(), 0), std::ptrdiff_t(entry().image.pixels.size()));
    EXPECT_TRUE(page->changed());
}
