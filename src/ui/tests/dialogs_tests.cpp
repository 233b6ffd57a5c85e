// The tool dialogs: grid settings, background chooser, export dialog and the copy dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "imagefile/image_file.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"
#include "monsters/monster_module.h"

using namespace morvi::ui;

TEST(GridDialog, ShowsTheSettingsKeepsThemOnCancelAndStopsAtTwoAndTwenty) {
    EditorHarness h;
    h.ws->settings.grid = 2;
    h.ws->settings.gridMinMag = 5;
    h.window->action("grid")->trigger();
    auto* d = qobject_cast<GridDialog*>(h.window->toolDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Change grid settings"));
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->isModal() || d->windowModality() != Qt::NonModal);
    EXPECT_TRUE(d->radio(2)->isChecked());
    EXPECT_EQ(d->minMagBox()->value(), 5);

    click(d->radio(1), QPoint(4, 4));
    EXPECT_EQ(d->mode(), 1);
    click(d->cancelButton(), QPoint(4, 4));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(h.ws->settings.grid, 2) << "Cancel leaves the grid as it was";

    h.window->action("grid")->trigger();
    d = qobject_cast<GridDialog*>(h.window->toolDialog());
    ASSERT_NE(d, nullptr);
    for (int i = 0; i < 30; ++i) QTest::keyClick(d->minMagBox(), Qt::Key_Down);
    EXPECT_EQ(d->minMagBox()->value(), 2);
    for (int i = 0; i < 30; ++i) QTest::keyClick(d->minMagBox(), Qt::Key_Up);
    EXPECT_EQ(d->minMagBox()->value(), 20);
    click(d->radio(0), QPoint(4, 4));
    click(d->okButton(), QPoint(4, 4));
    EXPECT_EQ(h.ws->settings.grid, 0);
    EXPECT_EQ(h.ws->settings.gridMinMag, 20);
}

TEST(BackgroundChooser, OpensAtTheChosenRowFramesItAndOnlyOkChangesTheBackdrops) {
    EditorHarness h;
    h.openDemo();
    auto& bg = h.ws->backgrounds;
    const auto smallBefore = bg.smallBackdrop.pixels;
    {
        h.ws->settings.background = 59;
        BackgroundChooser c(h.window.get(), bg, h.ws->settings);
        EXPECT_EQ(c.windowTitle(), QStringLiteral("Change background image"));
        EXPECT_EQ(c.scrollBar()->value(), 13);
        EXPECT_EQ(c.firstVisible(), 52);
        EXPECT_TRUE(c.framed(7));
        EXPECT_EQ(c.area(7)->surface().at(0, 64), morvi::rgb32(255, 255, 255));
        EXPECT_EQ(c.area(7)->surface().at(64, 127), morvi::rgb32(255, 255, 255));
    }
    h.ws->settings.background = 6;
    h.window->action("background")->trigger();
    auto* c = qobject_cast<BackgroundChooser*>(h.window->toolDialog());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->scrollBar()->value(), 1);
    EXPECT_EQ(c->firstVisible(), 4);
    EXPECT_TRUE(c->framed(2)) << "preview 6 is the third area of the first row";
    EXPECT_EQ(c->area(2)->surface().at(0, 0), morvi::rgb32(255, 255, 255));
    EXPECT_NE(c->area(1)->surface().at(0, 0), morvi::rgb32(255, 255, 255));

    // Scrolling the chosen preview out of view hides its frame; back, it shows again.
    c->scrollBar()->setValue(5);
    EXPECT_EQ(c->firstVisible(), 20);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(c->framed(i));
    QTest::keyClick(c->scrollBar(), Qt::Key_End);
    EXPECT_EQ(c->scrollBar()->value(), 13) << "the scroll bar stops at its last row";
    c->scrollBar()->setValue(1);
    EXPECT_TRUE(c->framed(2));

    // A click, then Cancel: background and backdrops as they were.
    click(c->area(5), QPoint(60, 60));
    EXPECT_EQ(h.ws->settings.background, 9);
    EXPECT_TRUE(c->framed(5));
    click(c->cancelButton(), QPoint(4, 4));
    EXPECT_EQ(h.ws->settings.background, 6);
    EXPECT_EQ(bg.smallBackdrop.pixels, smallBefore);

    // A click, then the close box: the same as Cancel.
    h.window->action("background")->trigger();
    c = qobject_cast<BackgroundChooser*>(h.window->toolDialog());
    ASSERT_NE(c, nullptr);
    click(c->area(0), QPoint(60, 60));
    EXPECT_EQ(h.ws->settings.background, 4);
    c->close();
    EXPECT_EQ(h.ws->settings.background, 6);
    EXPECT_EQ(bg.smallBackdrop.pixels, smallBefore);

    // OK on preview 6 (a plain colour): both backdrops hold black and that colour.
    h.ws->settings.background = 0;
    h.window->action("background")->trigger();
    c = qobject_cast<BackgroundChooser*>(h.window->toolDialog());
    ASSERT_NE(c, nullptr);
    c->scrollBar()->setValue(1);
    click(c->area(2), QPoint(10, 10));
    click(c->okButton(), QPoint(4, 4));
    EXPECT_EQ(h.ws->settings.background, 6);
    EXPECT_EQ(bg.smallBackdrop.colorCount, 2);
    EXPECT_EQ(bg.largeBackdrop.colorCount, 2);
    EXPECT_EQ(bg.largeBackdrop.palette[1], morvi::makeColor(30, 60, 240));
    // The page shows the new backdrop under the canvas at once, where the picture is transparent.
    MonsterPage* page = monsterPage(*h.window);
    const morvi::IndexedImage& image = monstersOf(*h.ws).entries[std::size_t(page->currentEntry())].image;
    const int mag = page->widgets().magnification->value();
    QPoint clear(-1, -1);
    for (int y = 0; y < 256 / mag && clear.x() < 0; ++y)
        for (int x = 0; x < 256 / mag && clear.x() < 0; ++x)
            if (image.pixel(x, y) == 0) clear = QPoint(x * mag, y * mag);
    ASSERT_GE(clear.x(), 0);
    EXPECT_EQ(page->widgets().canvas->surface().at(clear.x(), clear.y()), morvi::rgb32(30, 60, 240));
}

TEST(ExportDialog, TypeListRenamesAndBrowseSetsTheTypeItCanWrite) {
    EditorHarness h;
    ExportDialog d(h.window.get(), h.prompts, QStringLiteral("Export monster"), QStringLiteral("hero.png"),
                   morvi::ExportFileType::Png, false);
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Export monster"));
    ASSERT_EQ(d.typeList()->count(), 3);
    EXPECT_EQ(d.typeList()->currentIndex(), 2);
    d.typeList()->setCurrentIndex(1);
    emit d.typeList()->activated(1);
    EXPECT_EQ(d.pathEdit()->text(), QStringLiteral("hero.pcx"));
    EXPECT_EQ(d.fileType(), morvi::ExportFileType::Pcx);

    EXPECT_EQ(renameForType(QStringLiteral("picture.jpeg"), morvi::ExportFileType::Bmp), QStringLiteral("picture.jpeg.bmp"));
    EXPECT_EQ(renameForType(QStringLiteral("a.pn"), morvi::ExportFileType::Bmp), QStringLiteral("a.bmp"));
    EXPECT_EQ(renameForType(QStringLiteral("monster.png"), morvi::ExportFileType::Bmp), QStringLiteral("monster.bmp"));
    EXPECT_EQ(renameForType(QStringLiteral("noext"), morvi::ExportFileType::Png), QStringLiteral("noext.png"));

    // Browse: a ".BMP" name selects BMP; a ".bin" name on a page without raw keeps the type.
    h.prompts.files = {QStringLiteral("/tmp/x/sprite.BMP"), QStringLiteral("/tmp/x/tiles.bin"), QString()};
    click(d.browseButton(), QPoint(4, 4));
    EXPECT_EQ(d.pathEdit()->text(), QStringLiteral("/tmp/x/sprite.BMP"));
    EXPECT_EQ(d.fileType(), morvi::ExportFileType::Bmp);
    EXPECT_EQ(h.prompts.fileRequests.back().defaultSuffix, QStringLiteral("pcx"));
    d.browse();
    EXPECT_EQ(d.fileType(), morvi::ExportFileType::Bmp);
    EXPECT_EQ(d.typeList()->currentIndex(), 0);
    d.browse(); // cancelled: the name stays
    EXPECT_EQ(d.pathEdit()->text(), QStringLiteral("/tmp/x/tiles.bin"));

    ExportDialog raw(h.window.get(), h.prompts, QStringLiteral("Export portrait"), QStringLiteral("Terra.png"),
                     morvi::ExportFileType::Png, true);
    ASSERT_EQ(raw.typeList()->count(), 4);
    EXPECT_EQ(raw.typeList()->itemText(3), QStringLiteral(".BIN"));
    h.prompts.files = {QStringLiteral("/tmp/x/face.Bin")};
    raw.browse();
    EXPECT_EQ(raw.fileType(), morvi::ExportFileType::Raw);
}

TEST(CopyDialogs, CopyNeedsASelectionAndTheChoiceAlwaysHasOne) {
    EditorHarness h;
    CopyListDialog list(h.window.get(), QStringLiteral("Copy monster image"), {"One", "Two", "Three"});
    int chosen = -1;
    QObject::connect(&list, &CopyListDialog::chosen, [&](int row) { chosen = row; });
    list.show();
    EXPECT_FALSE(list.copyButton()->isEnabled());
    list.copyButton()->click();
    EXPECT_EQ(chosen, -1);
    EXPECT_TRUE(list.isVisible()) << "with nothing selected the dialog stays";
    list.list()->setCurrentRow(2);
    EXPECT_TRUE(list.copyButton()->isEnabled());
    list.copyButton()->click();
    EXPECT_EQ(chosen, 2);
    EXPECT_FALSE(list.isVisible());

    CopyChoiceDialog two(h.window.get(), QStringLiteral("Copy character sprite"), QStringLiteral("Copy only selected sprite"),
                         QStringLiteral("Copy all sprites for this character"));
    two.show();
    EXPECT_TRUE(two.radio(0)->isChecked());
    EXPECT_FALSE(two.radio(2)->isVisible());
    EXPECT_EQ(two.radio(1)->text(), QStringLiteral("Copy all sprites for this character"));
    click(two.radio(1), QPoint(4, 4));
    two.okButton()->click();
    EXPECT_EQ(two.choice(), 1);

    CopyChoiceDialog three(h.window.get(), QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
    three.show();
    EXPECT_TRUE(three.radio(2)->isVisible());
    three.okButton()->click();
    EXPECT_EQ(three.choice(), 0) << "OK without touching the choices takes the first";
    CopyChoiceDialog cancelled(h.window.get(), QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("b"));
    cancelled.show();
    cancelled.cancelButton()->click();
    EXPECT_EQ(cancelled.choice(), -1);
}

TEST(ImportFileDialog, ThePanelFollowsTheFileUnderThePointerAndARefusedFileKeepsItOpen) {
    EditorHarness h;
    h.openDemo();
    morvi::IndexedImage art;
    art.allocateImage(100, 50);
    for (int i = 1; i < 12; ++i) art.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(20 * i), 0, 90));
    for (int x = 0; x < 100; ++x) art.setPixel(x, 10, std::uint8_t(1 + x % 11));
    ASSERT_FALSE(morvi::savePng(art, h.file("wide.png"), 100, 50));
    morvi::testing::writeFile(h.file("junk.pcx"), {0, 1, 2});

    int accepted = 0;
    ImportRequest request;
    request.title = QStringLiteral("Import Monster");
    request.filters = {QStringLiteral("Supported images formats (*.png, *.bmp, *.pcx) (*.png *.bmp *.pcx)")};
    bool keptPalette = false;
    request.preview = [&](const QString& path, bool keep) {
        ImportPreview p;
        p.picture.resize(128, 128);
        p.sizeText = path.isEmpty() ? QString() : QStringLiteral("size of ") + QFileInfo(path).fileName();
        p.colorsText = keep ? QStringLiteral("kept") : QString();
        return p;
    };
    request.accept = [&](const QString& path, bool keep) {
        ++accepted;
        keptPalette = keep;
        return path.endsWith(QStringLiteral(".png"));
    };
    ImportFileDialog dialog(h.window.get(), request);
    dialog.setDirectory(QString::fromStdString(h.dir.path().string()));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import Monster"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    emit dialog.currentChanged(QString::fromStdString(h.file("wide.png")));
    EXPECT_EQ(dialog.sizeLabel()->text(), QStringLiteral("size of wide.png"));
    // "Keep current palette" redraws the panel for the same file.
    ASSERT_TRUE(dialog.keepPaletteBox()->isVisible());
    dialog.keepPaletteBox()->setChecked(true);
    EXPECT_EQ(dialog.colorsLabel()->text(), QStringLiteral("kept"));
    EXPECT_EQ(dialog.sizeLabel()->text(), QStringLiteral("size of wide.png"));
    emit dialog.currentChanged(QString());
    EXPECT_TRUE(dialog.sizeLabel()->text().isEmpty());

    dialog.selectFile(QString::fromStdString(h.file("junk.pcx")));
    dialog.accept();
    EXPECT_EQ(accepted, 1);
    EXPECT_TRUE(dialog.isVisible()) << "a refused file keeps the chooser open";
    dialog.selectFile(QString::fromStdString(h.file("wide.png")));
    dialog.accept();
    EXPECT_EQ(accepted, 2);
    EXPECT_TRUE(keptPalette);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // The monster page's own panel: a picture wider than 64 is shown as "128x128".
    h.prompts.importFiles = {QString::fromStdString(h.file("wide.png"))};
    monsterPage(*h.window)->importImage();
    ASSERT_FALSE(h.prompts.previews.empty());
    EXPECT_EQ(h.prompts.previews[0].sizeText, QStringLiteral("128x128"));
    EXPECT_EQ(h.prompts.previews[0].colorsText, QStringLiteral("16 colors"));
    EXPECT_EQ(h.prompts.previews[0].orderText, QStringLiteral("palette order kept"));
    EXPECT_EQ(h.prompts.previews[0].picture.width, 128);

    // An 8-bit file says which rule numbered its colours: kept while every index is below 16.
    morvi::IndexedImage eight;
    eight.allocateImage(40, 40);
    for (int i = 0; i < 32; ++i) eight.setPaletteEntry(std::uint8_t(i), morvi::makeColor(std::uint8_t(7 * i), 90, 200));
    eight.colorCount = 32;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) eight.setPixel(x, y, std::uint8_t(3 + x % 5));
    ASSERT_FALSE(morvi::savePng8(eight, h.file("low.png"), 40, 40));
    eight.setPixel(0, 0, 20);
    ASSERT_FALSE(morvi::savePng8(eight, h.file("high.png"), 40, 40));
    for (const char* name : {"low.png", "high.png"}) {
        h.prompts.previews.clear();
        h.prompts.importFiles = {QString::fromStdString(h.file(name))};
        portraitPage(*h.window)->importImage();
        ASSERT_EQ(h.prompts.previews.size(), 1u);
        EXPECT_EQ(h.prompts.previews[0].orderText,
                  std::string(name) == "low.png" ? QStringLiteral("palette order kept") : QStringLiteral("colours by first use"));
    }
}

TEST(Prompts, AShortMessageLeavesRoomForTheWholeTitle) {
    for (const QString& text : {QStringLiteral("ROM saved"), QStringLiteral("Colours 12-15 in battle poses: 29 pixels, in poses "
                                                                             "0 (15), 1 (3), 2 (5), 19 (3), 20 (3)")}) {
        QMessageBox plain(QMessageBox::Information, kCaption, text, QMessageBox::Ok);
        QMessageBox fitted(QMessageBox::Information, kCaption, text, QMessageBox::Ok);
        morvi::ui::fitCaption(fitted);
        plain.show();
        fitted.show();
        const int title = fitted.fontMetrics().horizontalAdvance(kCaption);
        EXPECT_GE(fitted.width(), title + 120) << text.toStdString();
        EXPECT_GE(fitted.width(), plain.width()) << "never narrower than it was";
        // The message and its button are still there, and the box is not taller for it.
        EXPECT_LE(fitted.height(), plain.height() + 2);
        EXPECT_TRUE(fitted.button(QMessageBox::Ok)->isVisible());
    }
}
