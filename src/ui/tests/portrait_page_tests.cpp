// The Portraits page on the demo ROM, through its real widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
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
#include <filesystem>
#include <gtest/gtest.h>

#include "image/canvas.h"
#include "ui/dialogs/dialogs.h"
#include "ui/editor/transfers.h"
#include "ui/shell/main_window.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"
#include "portraits/portrait_module.h"

using namespace morvi::ui;
using morvi::testing::writeFile;

namespace {

struct PortraitFixture : ::testing::Test {
    void SetUp() override {
        h.openDemo();
        h.window->tabBar()->setCurrentIndex(2);
        page = portraitPage(*h.window);
        ASSERT_TRUE(page->isVisible());
    }
    morvi::PortraitRecord& portrait(int i) { return portraitsOf(*h.ws).portraits[std::size_t(i)]; }
    QPoint canvasPointOf(int x, int y) { return canvasPixel(page, x, y); }
    EditorHarness h;
    PortraitPage* page = nullptr;
};

} // namespace

TEST_F(PortraitFixture, PortraitsSharingAPaletteChangeTogether) {
    EXPECT_EQ(page->widgets().pictureList->count(), 19);
    EXPECT_EQ(page->widgets().paletteList->count(), 19);
    EXPECT_EQ(page->widgets().paletteList->itemText(18), QStringLiteral("Palette #18"));
    // Portrait 1 takes portrait 0's palette through the list.
    page->widgets().pictureList->setCurrentIndex(1);
    page->widgets().paletteList->setCurrentIndex(portrait(0).paletteNumber);
    EXPECT_EQ(portrait(1).paletteNumber, portrait(0).paletteNumber);
    EXPECT_TRUE(page->changed());
    page->widgets().pictureList->setCurrentIndex(0);
    click(page->widgets().strip, QPoint(18 * 5 + 4, 10));
    ASSERT_EQ(page->palette().current(), 5);
    page->widgets().colorControls->slider(1)->setValue(31);
    EXPECT_EQ(portraitsOf(*h.ws).color(portrait(0).paletteNumber, 5).green, 248);
    EXPECT_EQ(portrait(0).image.palette[5].green, 248);
    EXPECT_EQ(portrait(1).image.palette[5].green, 248) << "the other portrait shows the change at once";
    EXPECT_EQ(page->widgets().colorControls->valueLabel(1)->text(), QStringLiteral("31"));
}

TEST_F(PortraitFixture, TransparentSwapsPixelsAndPaletteEntries) {
    click(page->widgets().strip, QPoint(18 * 3 + 4, 10));
    const int k = 3;
    const auto before = portrait(0).image;
    const auto colour0 = before.palette[0], colourK = before.palette[k];
    page->widgets().colorControls->transparentBox()->click();
    const auto& after = portrait(0).image;
    EXPECT_EQ(page->palette().current(), 0);
    EXPECT_FALSE(page->widgets().colorControls->slider(0)->isEnabled());
    EXPECT_EQ(after.palette[0], colourK);
    EXPECT_EQ(after.palette[k], colour0);
    for (std::size_t i = 0; i < after.pixels.size(); ++i) {
        const int was = before.pixels[i];
        const int expected = was == k ? 0 : was == 0 ? k : was;
        ASSERT_EQ(after.pixels[i], expected) << i;
    }
}

TEST_F(PortraitFixture, ScrollBarsFollowTheMagnificationAndTheTileGridStaysOnTileBorders) {
    page->widgets().magnification->spinBox()->setValue(6);
    EXPECT_FALSE(page->widgets().horizontalScroll->isVisible());
    EXPECT_FALSE(page->widgets().verticalScroll->isVisible());
    page->widgets().magnification->spinBox()->setValue(7);
    EXPECT_TRUE(page->widgets().horizontalScroll->isVisible());
    EXPECT_EQ(page->widgets().horizontalScroll->maximum(), 4);
    page->widgets().magnification->spinBox()->setValue(20);
    EXPECT_EQ(page->widgets().verticalScroll->maximum(), 28);

    h.ws->settings.grid = 2;
    h.ws->settings.gridMinMag = 5;
    page->widgets().magnification->spinBox()->setValue(8);
    for (int scroll : {0, 3, 5}) {
        page->widgets().horizontalScroll->setValue(scroll);
        const morvi::Surface& s = page->widgets().canvas->surface();
        // Image column 8 (a tile border) sits at canvas x = 8 * (8 - scroll).
        EXPECT_EQ(s.at(8 * (8 - scroll), 100), morvi::kGridColor) << scroll;
        if (scroll) {
            EXPECT_NE(s.at(64, 100), morvi::kGridColor) << scroll;
        }
    }
}

TEST_F(PortraitFixture, RawPairsImportWhateverTheCaseAndRefuseShortFiles) {
    // Export portrait 2 as a raw pair with a capital ending.
    page->widgets().pictureList->setCurrentIndex(2);
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Export portrait"));
    d->typeList()->setCurrentIndex(3);
    emit d->typeList()->activated(3);
    const std::string tiles = h.file("FACE.BIN");
    d->pathEdit()->setText(QString::fromStdString(tiles));
    d->okButton()->click();
    ASSERT_TRUE(std::filesystem::exists(tiles));
    ASSERT_TRUE(std::filesystem::exists(h.file("FACE.pal")));

    page->widgets().pictureList->setCurrentIndex(0);
    h.prompts.importFiles = {QString::fromStdString(tiles)};
    page->importImage();
    EXPECT_EQ(h.prompts.lastImportTitle, QStringLiteral("Import Portrait"));
    EXPECT_EQ(portrait(0).image.pixels, portrait(2).image.pixels);
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(portraitsOf(*h.ws).color(portrait(0).paletteNumber, c), portraitsOf(*h.ws).color(portrait(2).paletteNumber, c));
    EXPECT_TRUE(page->changed());

    // Without its palette file only the tiles come in.
    std::filesystem::remove(h.file("FACE.pal"));
    page->widgets().pictureList->setCurrentIndex(4);
    const auto palette4 = portrait(4).image.palette;
    h.prompts.importFiles = {QString::fromStdString(tiles)};
    page->importImage();
    EXPECT_EQ(portrait(4).image.pixels, portrait(2).image.pixels);
    EXPECT_EQ(portrait(4).image.palette, palette4);

    // A tile file of 799 bytes is refused with its size, the chooser stays, nothing changes.
    writeFile(h.file("cut.bin"), std::vector<std::uint8_t>(799, 0x11));
    writeFile(h.file("cut.pal"), std::vector<std::uint8_t>(32, 0x22));
    page->widgets().pictureList->setCurrentIndex(5);
    const auto before = portrait(5).image;
    const auto table = portraitsOf(*h.ws).palettes;
    h.markSaved(page);
    h.prompts.log.clear();
    h.prompts.importFiles = {QString::fromStdString(h.file("cut.bin")), QString()};
    page->importImage();
    EXPECT_EQ(h.prompts.texts(), QStringList{"The portrait file has 799 bytes; a portrait's has 800 (25 tiles)"});
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Error);
    EXPECT_EQ(h.prompts.previews.back().sizeText, h.prompts.texts().front()) << "the preview gives the same reason";
    EXPECT_EQ(portrait(5).image.pixels, before.pixels);
    EXPECT_EQ(portraitsOf(*h.ws).palettes, table);
    EXPECT_FALSE(page->changed());
}

TEST_F(PortraitFixture, TheChoosersOfferEverythingTheyTakePreviewPairsAndRememberTheirFolders) {
    // Export portrait 2 as a pair into a folder of its own; the next export starts there.
    // Qt writes paths with '/' on every system; the scratch folder comes with the system's own.
    const QString pairs = QDir::fromNativeSeparators(QString::fromStdString(h.file("pairs")));
    ASSERT_TRUE(QDir().mkpath(pairs));
    page->widgets().pictureList->setCurrentIndex(2);
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(QFileInfo(d->pathEdit()->text()).absolutePath(), QDir::fromNativeSeparators(QString::fromStdString(h.dir.path().string())))
        << "beside the ROM at first";
    d->typeList()->setCurrentIndex(3);
    emit d->typeList()->activated(3);
    const QString tiles = pairs + QStringLiteral("/face.bin");
    d->pathEdit()->setText(tiles);
    d->okButton()->click();
    ASSERT_TRUE(QFileInfo::exists(tiles));
    page->widgets().pictureList->setCurrentIndex(7);
    page->exportImage();
    d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->pathEdit()->text(), pairs + QStringLiteral("/Strago.png"));
    d->reject();

    // The first filter takes the pictures and the pairs; the pair previews as the portrait the
    // import then makes, not as a refused picture.
    page->widgets().pictureList->setCurrentIndex(0);
    h.prompts.importFiles = {tiles};
    page->importImage();
    ASSERT_EQ(h.prompts.importRequests.size(), 1u);
    const QStringList filters = h.prompts.importRequests[0].filters;
    EXPECT_TRUE(filters.first().startsWith(QStringLiteral("All supported files"))) << filters.first().toStdString();
    for (const char* pattern : {"*.png", "*.bmp", "*.pcx", "*.bin"}) EXPECT_TRUE(filters.first().contains(QLatin1String(pattern))) << pattern;
    EXPECT_EQ(filters.mid(1), (QStringList{imageFilesFilter(), fileFilter(QStringLiteral("*.bin+*.pal"), QStringLiteral("*.bin *.BIN")), allFilesFilter()}));
    EXPECT_TRUE(h.prompts.importRequests[0].folder.isEmpty());
    ASSERT_EQ(h.prompts.previews.size(), 1u);
    const ImportPreview& shown = h.prompts.previews[0];
    EXPECT_TRUE(shown.sizeText.startsWith(QStringLiteral("Portrait file"))) << shown.sizeText.toStdString();
    ASSERT_EQ(portrait(0).image.pixels, portrait(2).image.pixels) << "imported";
    morvi::Surface expected(128, 128);
    morvi::drawImage(portrait(0).image, expected, &h.ws->backgrounds.smallBackdrop, 128, 128);
    EXPECT_EQ(shown.picture.pixels, expected.pixels);

    // The next import opens in that folder on that filter; a picture chosen from another folder
    // under the picture filter moves both.
    const std::string elsewhere = h.file("other");
    std::filesystem::create_directory(elsewhere);
    page->widgets().pictureList->setCurrentIndex(1);
    page->exportImage();
    d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    const QString png = QString::fromStdString(elsewhere + "/locke.png");
    d->pathEdit()->setText(png);
    d->okButton()->click();
    h.prompts.importFiles = {png};
    h.prompts.importFilter = imageFilesFilter();
    page->importImage();
    ASSERT_EQ(h.prompts.importRequests.size(), 2u);
    EXPECT_EQ(h.prompts.importRequests[1].folder, pairs);
    EXPECT_EQ(h.prompts.importRequests[1].filter, filters.first());
    h.prompts.importFilter.clear();
    h.prompts.importFiles = {QString()};
    page->importImage();
    EXPECT_EQ(h.prompts.importRequests[2].folder, QDir::fromNativeSeparators(QString::fromStdString(elsewhere)));
    EXPECT_EQ(h.prompts.importRequests[2].filter, imageFilesFilter());

    // The character page takes sprite pairs, the monster page none.
    h.prompts.importFiles = {QString()};
    characterPage(*h.window)->importImage();
    EXPECT_TRUE(h.prompts.importRequests.back().filters.first().contains(QLatin1String("*.bin")));
    h.prompts.importFiles = {QString()};
    monsterPage(*h.window)->importImage();
    EXPECT_TRUE(h.prompts.importRequests.back().filters.first().startsWith(QStringLiteral("All supported files")));
    EXPECT_FALSE(h.prompts.importRequests.back().filters.first().contains(QLatin1String("*.bin")));
}

TEST_F(PortraitFixture, ARawExportWhosePaletteCannotBeWrittenLeavesNoTileFile) {
    std::filesystem::create_directory(h.file("X.pal")); // the palette's name is taken by a folder
    page->exportImage();
    auto* d = qobject_cast<ExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    d->typeList()->setCurrentIndex(3);
    emit d->typeList()->activated(3);
    d->pathEdit()->setText(QString::fromStdString(h.file("X.bin")));
    h.prompts.log.clear();
    d->okButton()->click();
    EXPECT_EQ(h.prompts.texts(), QStringList{"Error saving portrait data"});
    EXPECT_EQ(h.prompts.log[0].icon, Icon::Warning);
    EXPECT_FALSE(std::filesystem::exists(h.file("X.bin")));
    EXPECT_TRUE(std::filesystem::is_directory(h.file("X.pal")));
    for (const auto& e : std::filesystem::directory_iterator(h.dir.path()))
        EXPECT_EQ(e.path().string().find(".morvi-part"), std::string::npos) << e.path();
}

TEST_F(PortraitFixture, DrawingCopyFlipAndSaveThroughCtrlS) {
    click(page->widgets().strip, QPoint(18 * 7 + 4, 10));
    page->widgets().magnification->spinBox()->setValue(6);
    drag(page->widgets().canvas, {canvasPointOf(10, 10), canvasPointOf(11, 10), canvasPointOf(12, 10)});
    for (int x = 10; x <= 12; ++x) EXPECT_EQ(portrait(0).image.pixel(x, 10), 7);
    // Outside the portrait (the canvas is 256 wide, the portrait 240 at x6): nothing changes.
    h.markSaved(page);
    drag(page->widgets().canvas, {QPoint(250, 250)});
    EXPECT_FALSE(page->changed());
    page->flipImage(1);
    EXPECT_TRUE(page->changed()) << "a flip is a change";
    EXPECT_EQ(portrait(0).image.pixel(10, 29), 7);

    page->widgets().copyButton->click();
    auto* copy = qobject_cast<CopyListDialog*>(page->transfers().openDialog());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->windowTitle(), QStringLiteral("Copy portrait image"));
    EXPECT_EQ(copy->list()->count(), 19);
    copy->list()->setCurrentRow(0);
    copy->copyButton()->click(); // from itself: nothing to do
    page->widgets().pictureList->setCurrentIndex(3);
    h.markSaved(page);
    page->widgets().copyButton->click();
    copy = qobject_cast<CopyListDialog*>(page->transfers().openDialog());
    ASSERT_NE(copy, nullptr);
    copy->list()->setCurrentRow(0);
    copy->copyButton()->click();
    EXPECT_EQ(portrait(3).image.pixels, portrait(0).image.pixels);
    EXPECT_TRUE(page->changed());

    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"ROM saved"});
    morvi::PortraitSet saved;
    morvi::RomState rom;
    rom.romHasHeader = false;
    ASSERT_TRUE(morvi::loadPortraits(saved, h.romPath(), rom));
    EXPECT_EQ(saved.portraits[3].image.pixels, portrait(3).image.pixels);
    EXPECT_EQ(saved.portraits[3].image.pixel(10, 29), 7);
}
