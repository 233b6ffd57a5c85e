// What the editor offers beyond the original program: space meters, sharing shown, imports
// that keep the palette, drag and drop, zoom keys and wheel, tool keys and the clipboard.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "imagefile/image_file.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"

using namespace morvi::ui;

namespace {


// A picture in colours none of the demo palettes hold exactly.
morvi::IndexedImage offColours(int side) {
    morvi::IndexedImage art;
    art.allocateImage(side, side);
    for (int i = 1; i < 6; ++i) art.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(37 * i + 3), std::uint8_t(11 * i + 5), 77));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) art.setPixel(x, y, std::uint8_t((x / 4 + y / 4) % 6));
    return art;
}

} // namespace

TEST(Comforts, SpaceMetersWarnWhenASaveWouldBeRefused) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    const morvi::SpaceUse use = morvi::spaceUse(monstersOf(*h.ws));
    EXPECT_EQ(page->graphicsMeter()->maximum(), 226240);
    EXPECT_EQ(page->graphicsMeter()->value(), use.graphicsUsed);
    EXPECT_EQ(page->moldMeter()->maximum(), 2780);
    EXPECT_EQ(page->moldMeter()->value(), use.moldUsed);
    EXPECT_FALSE(page->graphicsMeter()->property("over").toBool());
    EXPECT_TRUE(page->graphicsMeter()->toolTip().contains(QString::number(use.graphicsUsed)));
    EXPECT_TRUE(page->moldMeter()->toolTip().contains(QStringLiteral("2780")));

    monstersOf(*h.ws).moldSpaceLimit = use.moldUsed - 8; // one mold too many for the area
    page->redrawPage();
    EXPECT_TRUE(page->moldMeter()->property("over").toBool());
    EXPECT_TRUE(page->moldMeter()->toolTip().contains(QStringLiteral("refused")));
    EXPECT_TRUE(page->moldMeter()->styleSheet().contains(QStringLiteral("background")));
    h.prompts.log.clear();
    page->flipImage(0);
    EXPECT_FALSE(h.window->saveRom());
    EXPECT_EQ(h.prompts.lastText().toStdString(), morvi::kMsgTooMuchMold) << "the meter said so before the save";
}

TEST(Comforts, PagesSayWhoElseUsesThePaletteAndTheRecord) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    // Find an entry that shares its record with another.
    int shared = -1;
    for (int e = 0; e < morvi::kMonsterCount && shared < 0; ++e)
        if (!morvi::entriesSharingRecord(monstersOf(*h.ws), e).empty()) shared = e;
    ASSERT_GE(shared, 0);
    page->widgets().pictureList->setCurrentIndex(shared);
    const auto others = morvi::entriesSharingRecord(monstersOf(*h.ws), shared);
    EXPECT_TRUE(page->sharingLabel()->text().contains(QStringLiteral("Record: shared with")));
    EXPECT_TRUE(page->sharingLabel()->toolTip().contains(QString::fromStdString(monstersOf(*h.ws).entries[std::size_t(others[0])].name)));

    h.window->tabBar()->setCurrentIndex(2);
    PortraitPage* portraits = portraitPage(*h.window);
    portraits->widgets().pictureList->setCurrentIndex(1);
    portraits->widgets().paletteList->setCurrentIndex(portraitsOf(*h.ws).portraits[0].paletteNumber);
    EXPECT_TRUE(portraits->sharingLabel()->text().startsWith(QStringLiteral("Palette: shared with")));
    EXPECT_TRUE(portraits->sharingLabel()->toolTip().contains(QString::fromLatin1(morvi::kPortraitNames[0])));
}

TEST(Comforts, KeepingThePaletteMapsTheFilesColoursAndLeavesSharedPalettesAlone) {
    EditorHarness h;
    h.openDemo();
    ASSERT_FALSE(morvi::savePng(offColours(40), h.file("off.png"), 40, 40));
    h.window->tabBar()->setCurrentIndex(2);
    PortraitPage* page = portraitPage(*h.window);
    const auto table = portraitsOf(*h.ws).palettes;
    h.prompts.importFiles = {QString::fromStdString(h.file("off.png"))};
    h.prompts.importKeepPalette = true;
    page->importImage();
    EXPECT_EQ(portraitsOf(*h.ws).palettes, table) << "no palette colour was replaced";
    ASSERT_EQ(h.prompts.previews.size(), 1u);
    EXPECT_EQ(h.prompts.previews[0].colorsText, QStringLiteral("mapped to the current palette"));
    const auto& image = portraitsOf(*h.ws).portraits[0].image;
    const morvi::IndexedImage file = offColours(40);
    const morvi::IndexedImage expected = morvi::remapToPalette(file, std::vector<morvi::PaletteColor>(
                                                                         table.begin() + 16 * portraitsOf(*h.ws).portraits[0].paletteNumber,
                                                                         table.begin() + 16 * portraitsOf(*h.ws).portraits[0].paletteNumber + 16));
    EXPECT_EQ(image.pixels, expected.pixels);
    for (int x = 0; x < 40; ++x) {
        if (file.pixel(x, 0) == 0) {
            EXPECT_EQ(image.pixel(x, 0), 0) << "transparent stays transparent";
        }
    }

    // The monster page too, with its 8 or 16 colours.
    h.window->tabBar()->setCurrentIndex(0);
    MonsterPage* monsters = monsterPage(*h.window);
    const auto monsterTable = monstersOf(*h.ws).palettes;
    h.prompts.importFiles = {QString::fromStdString(h.file("off.png"))};
    monsters->importImage();
    EXPECT_EQ(monstersOf(*h.ws).palettes, monsterTable);
    const auto& entry = monstersOf(*h.ws).entries[std::size_t(monsters->currentEntry())];
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_LT(entry.image.pixel(x, y), entry.colorCount);
}

TEST(Comforts, DroppedFilesOpenRomsAndImportPictures) {
    EditorHarness h;
    dropFile(h.window.get(), h.romPath());
    // The same file, whichever separators each side writes.
    EXPECT_EQ(QDir::fromNativeSeparators(QString::fromStdString(h.ws->rom.romPath)), QDir::fromNativeSeparators(QString::fromStdString(h.romPath())))
        << "a dropped ROM opens";
    MonsterPage* page = monsterPage(*h.window);
    ASSERT_FALSE(morvi::savePng(offColours(64), h.file("art.png"), 64, 64));
    dropFile(h.window.get(), h.file("art.png"));
    EXPECT_TRUE(page->changed());
    EXPECT_EQ(monstersOf(*h.ws).entries[0].side(), 64);

    // A refused picture says why, as the chooser does; a second ROM asks about the changes.
    morvi::testing::writeFile(h.file("junk.bmp"), {1, 2, 3});
    h.prompts.log.clear();
    dropFile(h.window.get(), h.file("junk.bmp"));
    EXPECT_EQ(h.prompts.texts(), QStringList{"File does not appear to be a valid image file"});
    h.prompts.answers = {Answer::Cancel};
    dropFile(h.window.get(), h.romPath());
    EXPECT_EQ(h.prompts.lastText(), QStringLiteral("Save changes to the ROM?"));
    EXPECT_TRUE(page->changed());
}

// Closed lists are narrow; a long item (a record named after its monster) is shown whole in
// the open list and, when the closed list cuts it, in the tooltip.
TEST(Comforts, ListsShowLongItemsWholeInThePopupAndTheTooltip) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    auto* records = dynamic_cast<FittingComboBox*>(page->recordList());
    ASSERT_NE(records, nullptr);
    EXPECT_TRUE(records->toolTip().startsWith(QStringLiteral("The graphics record")));

    FittingComboBox list;
    list.setBaseToolTip(QStringLiteral("Graphics record"));
    list.addItem(QStringLiteral("Image 1"));
    const QString longText = QStringLiteral("Image 448 - Chupon (Colosseum) and more");
    list.addItem(longText);
    list.resize(120, list.sizeHint().height());
    list.show();
    EXPECT_EQ(list.toolTip(), QStringLiteral("Graphics record")) << "a short item is not repeated";
    list.setCurrentIndex(1);
    EXPECT_EQ(list.toolTip(), QStringLiteral("Graphics record: ") + longText);
    list.resize(800, list.height());
    EXPECT_EQ(list.toolTip(), QStringLiteral("Graphics record")) << "wide enough again";
    list.resize(120, list.height());
    list.showPopup();
    EXPECT_GE(list.view()->width(), list.view()->fontMetrics().horizontalAdvance(longText));
    list.hidePopup();
}

TEST(Comforts, ZoomToolKeysAndTheClipboard) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    const int start = page->widgets().magnification->value();
    QWheelEvent up(QPointF(20, 20), page->widgets().canvas->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(page->widgets().canvas, &up);
    EXPECT_EQ(page->widgets().magnification->value(), start + 1);
    QWheelEvent plain(QPointF(20, 20), page->widgets().canvas->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(page->widgets().canvas, &plain);
    EXPECT_EQ(page->widgets().magnification->value(), start + 1) << "the wheel alone does not zoom";
    QTest::keyClick(h.window.get(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(h.window.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(page->widgets().magnification->value(), start - 1);
    QTest::keyClick(h.window.get(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(page->widgets().magnification->value(), start);

    page->widgets().canvas->setFocus();
    QTest::keyClick(page->widgets().canvas, Qt::Key_E);
    EXPECT_EQ(page->editor().tool(), Tool::Erase);
    QTest::keyClick(page->widgets().canvas, Qt::Key_I);
    EXPECT_EQ(page->editor().tool(), Tool::Pick);
    QTest::keyClick(page->widgets().canvas, Qt::Key_B);
    EXPECT_EQ(page->editor().tool(), Tool::Draw);

    // Ctrl+C puts the picture on the clipboard with colour 0 transparent; Ctrl+V on another
    // entry imports it.
    h.activate();
    QTest::keyClick(h.window.get(), Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QGuiApplication::clipboard()->image();
    const auto& source = monstersOf(*h.ws).entries[std::size_t(page->currentEntry())];
    const morvi::Extent used = morvi::usedExtent(monstersOf(*h.ws), source);
    ASSERT_EQ(copied.width(), used.width);
    ASSERT_EQ(copied.height(), used.height);
    for (int y = 0; y < used.height; y += 3)
        for (int x = 0; x < used.width; x += 3) {
            const std::uint8_t v = source.image.pixel(x, y);
            const QRgb c = copied.pixel(x, y);
            if (v == 0) {
                ASSERT_EQ(qAlpha(c), 0);
            } else {
                ASSERT_EQ(qRed(c), source.image.palette[v].red);
            }
        }
    const int from = page->currentEntry();
    page->widgets().pictureList->setCurrentIndex(from + 9);
    h.activate();
    QTest::keyClick(h.window.get(), Qt::Key_V, Qt::ControlModifier);
    const auto& target = monstersOf(*h.ws).entries[std::size_t(page->currentEntry())];
    for (int y = 0; y < used.height; y += 2)
        for (int x = 0; x < used.width; x += 2)
            ASSERT_EQ(target.image.pixel(x, y) == 0, source.image.pixel(x, y) == 0) << x << "," << y;
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Import"));

    // Too many colours on the clipboard: the import's own message.
    QImage rainbow(20, 1, QImage::Format_RGB32);
    for (int x = 0; x < 20; ++x) rainbow.setPixel(x, 0, qRgb(x * 12, 0, 0));
    QGuiApplication::clipboard()->setImage(rainbow);
    h.prompts.log.clear();
    QTest::keyClick(h.window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(h.prompts.texts(), QStringList{"Image has more than 16 colors"});
}
