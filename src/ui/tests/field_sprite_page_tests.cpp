// The Field Sprites page on the demo ROM, through its real widgets.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/rom_session.h"
#include "characters/character_module.h"
#include "fieldsprites/field_files.h"
#include "fieldsprites/field_sprite_module.h"
#include "testing/fixtures.h"
#include "ui/dialogs/animation_export_dialog.h"
#include "ui/pages/family_pages.h"
#include "ui/shell/main_window.h"
#include "ui/tests/ui_test_support.h"
#include "ui/widgets/palette_strip.h"

using namespace morvi::ui;

namespace {

struct FieldFixture : ::testing::Test {
    void SetUp() override {
        h.openDemo();
        h.window->tabBar()->setCurrentIndex(kFieldSpritesTab);
        page = fieldSpritePage(*h.window);
        ASSERT_TRUE(page->isVisible());
    }
    void showSheet(int sheet) { page->widgets().pictureList->setCurrentIndex(sheet == morvi::kVehicleSheet ? morvi::kVehiclePicture : sheet - 22); }
    const morvi::FieldSheet& sheet(int n) const { return morvi::fieldSpritesOf(*h.ws).sheet(n); }
    EditorHarness h;
    FieldSpritePage* page = nullptr;
};

} // namespace

TEST_F(FieldFixture, EverySheetIsListedByKindAndTheSheetChoosesTheFrameOnTheCanvas) {
    EXPECT_EQ(h.window->tabBar()->tabText(kFieldSpritesTab), QStringLiteral("Field Sprites"));
    ASSERT_EQ(page->widgets().pictureList->count(), 144);
    EXPECT_TRUE(page->widgets().pictureList->itemText(29 - 22).startsWith(QStringLiteral("29 · person"))) << page->widgets().pictureList->itemText(7).toStdString();
    EXPECT_EQ(page->widgets().pictureList->itemText(morvi::kVehiclePicture), QStringLiteral("vehicles"));

    showSheet(29);
    EXPECT_EQ(page->currentSheet(), 29);
    const morvi::FieldSheetLayout layout = morvi::fieldSheetLayout(sheet(29));
    const auto spot = layout.spots[2];
    click(page->widgets().preview, QPoint(spot.x + 5, spot.y + 7));
    EXPECT_EQ(page->selectedFrame(), 2);
    EXPECT_EQ(page->widgets().preview->surface().at(spot.x, spot.y), morvi::rgb32(255, 255, 255)) << "the chosen frame is outlined";
    // The canvas shows frame 2 in the sheet's palette.
    const morvi::IndexedImage frame = morvi::renderFieldFrame(morvi::fieldSpritesInColour(*h.ws), 29, 2);
    const auto colours = page->source().palette();
    int compared = 0;
    for (int y = 0; y < frame.height; y += 3)
        for (int x = 0; x < frame.width; x += 3) {
            if (frame.pixel(x, y) == 0) continue;
            const QPoint at = canvasPixel(page, x, y);
            ASSERT_EQ(page->widgets().canvas->surface().at(at.x(), at.y()), colours[frame.pixel(x, y)].toRgb32()) << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, 10);
    // The frame's name shows over the sheet; every kind has frames to show.
    page->sheetHovered(QPoint(spot.x + 5, spot.y + 7));
    EXPECT_EQ(page->widgets().preview->toolTip(), QStringLiteral("2 ") + QString::fromStdString(sheet(29).frames[2].name));
    for (int picture = 0; picture < morvi::kFieldSheetPictures; ++picture) {
        page->widgets().pictureList->setCurrentIndex(picture);
        ASSERT_GT(page->source().picture().width, 0);
        ASSERT_FALSE(sheet(page->currentSheet()).frames.empty()) << page->currentSheet();
        const morvi::FieldSheetLayout whole = morvi::fieldSheetLayout(sheet(page->currentSheet()));
        ASSERT_LE(whole.height, page->widgets().preview->surface().height) << "sheet " << page->currentSheet() << " fits the view";
    }
}

TEST_F(FieldFixture, AStrokeIsOneStepReachesTheAnimationAndIsSavedInsideTheSheet) {
    showSheet(29);
    const std::vector<std::uint8_t> tiles = sheet(29).tiles;
    page->chooseTool(Tool::Draw);
    page->palette().setCurrent(9);
    drag(page->widgets().canvas, {canvasPixel(page, 2, 2), canvasPixel(page, 12, 2), canvasPixel(page, 12, 20)});
    ASSERT_NE(sheet(29).tiles, tiles);
    EXPECT_TRUE(page->changed());
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Draw"));
    h.window->action("undo")->trigger();
    EXPECT_EQ(sheet(29).tiles, tiles);
    h.window->action("redo")->trigger();
    ASSERT_NE(sheet(29).tiles, tiles);
    const auto drawn = sheet(29).tiles;
    // The panel plays the person's walks, in the sheet's frames.
    ASSERT_NE(page->animation().animation(), nullptr);
    EXPECT_EQ(page->animation().animation()->name, "walk-up");
    EXPECT_GT(page->animation().frameShown().width, 0);
    // The Animation menu works here as on the character page: the walk as a GIF of 16 x 24 frames.
    ASSERT_TRUE(h.window->action("export-animation")->isEnabled());
    h.window->action("export-animation")->trigger();
    auto* d = qobject_cast<AnimationExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->pathEdit()->text().endsWith(QStringLiteral("sprite-29-walk-up.gif"))) << d->pathEdit()->text().toStdString();
    const std::string gif = h.file("walk.gif");
    d->pathEdit()->setText(QString::fromStdString(gif));
    d->scaleBox()->setValue(1);
    d->okButton()->click();
    const auto bytes = morvi::testing::readFile(gif);
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(bytes[6] | (bytes[7] << 8), 16);
    EXPECT_EQ(bytes[8] | (bytes[9] << 8), 24);

    ASSERT_TRUE(h.window->saveRom());
    EXPECT_FALSE(page->changed());
    auto reread = morvi::Workspace::create();
    ASSERT_TRUE(morvi::openRom(*reread, h.romPath(), morvi::HeaderChoice::Detect).ok);
    EXPECT_EQ(morvi::fieldSpritesOf(*reread).sheet(29).tiles, drawn);
}

TEST_F(FieldFixture, ThePaletteBoxShowsTheSheetInAnyPaletteAndTheNoteSaysWhoAColourEditReaches) {
    showSheet(29);
    const int opened = sheet(29).palette;
    EXPECT_EQ(page->widgets().paletteList->currentIndex(), opened);
    EXPECT_TRUE(page->sharingNote()->text().contains(QStringLiteral("changes"))) << page->sharingNote()->text().toStdString();
    const int other = opened == 10 ? 11 : 10;
    page->widgets().paletteList->setCurrentIndex(other);
    EXPECT_EQ(sheet(29).palette, other);
    EXPECT_EQ(page->source().palette()[3], morvi::charactersOf(*h.ws).palettes[std::size_t(other * 16 + 3)]);
    EXPECT_TRUE(page->sharingNote()->text().startsWith(QStringLiteral("Palette %1").arg(other)));
    EXPECT_FALSE(page->changed()) << "showing a sheet in another palette is not an edit";
    // Another sheet keeps the palette it opened in.
    showSheet(30);
    EXPECT_EQ(page->widgets().paletteList->currentIndex(), sheet(30).palette);
}
