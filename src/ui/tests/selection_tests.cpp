// Selections on every page through real events: select, move by mouse and keys, copy and paste
// between pictures, cut, delete, flip, rotate, the drop rules, undo and the saved ROM.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QSpinBox>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/rom_session.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi::ui;

namespace {

class SelectionTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        h.openDemo();
        h.window->tabBar()->setCurrentIndex(GetParam());
        page = qobject_cast<Page*>(h.window->currentPage());
        ASSERT_TRUE(page);
        if (GetParam() == kCharactersTab) page->widgets().pictureList->setCurrentIndex(1);
        page->widgets().magnification->spinBox()->setValue(GetParam() == kMonstersTab ? 2 : 4);
        page->widgets().canvas->setFocus();
        QTest::keyClick(page->widgets().canvas, Qt::Key_M);
        ASSERT_EQ(page->editor().tool(), Tool::Select);
    }
    const morvi::IndexedImage& picture() const { return *page->editedPicture(); }
    // The canvas point in the middle of picture pixel (x, y).
    QPoint at(int x, int y) const {
        const int m = page->widgets().magnification->value();
        return page->editor().pictureShift() + QPoint((x - page->widgets().horizontalScroll->value()) * m + m / 2,
                                             (y - page->widgets().verticalScroll->value()) * m + m / 2);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(page->widgets().canvas, k, mods); }
    std::vector<std::uint8_t> region(const std::vector<std::uint8_t>& pixels, morvi::Rect r) const {
        std::vector<std::uint8_t> out;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) out.push_back(pixels[std::size_t(y * picture().width + x)]);
        return out;
    }
    std::size_t steps() const { return h.window->history().position(); }
    // A 4 x 2 spot whose first row reads differently backwards, so moves and flips show.
    morvi::Point variedSpot() const {
        const morvi::IndexedImage& p = picture();
        for (int y = 2; y + 12 < p.height; ++y)
            for (int x = 2; x + 6 < std::min(p.width, 60); ++x)
                if (p.pixel(x, y) != p.pixel(x + 3, y) && p.pixel(x + 1, y) != p.pixel(x, y)) return {x, y};
        ADD_FAILURE() << "no varied spot";
        return {2, 2};
    }
    QString undoText() const { return h.window->action("undo")->text(); }

    EditorHarness h;
    Page* page = nullptr;
};

} // namespace

TEST_P(SelectionTest, DragSelectsAndDragInsideMovesInOneStep) {
    drag(page->widgets().canvas, {at(2, 3), at(5, 5), at(7, 8)});
    ASSERT_TRUE(page->selecting().hasSelection());
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{2, 3, 6, 6}));
    EXPECT_FALSE(page->widgets().canvas->outline().isEmpty()) << "the outline is shown";
    const auto before = picture().pixels;
    const auto moved = region(before, {2, 3, 6, 6});
    const std::size_t done = steps();
    // A fast drag inside, events far apart: the pixels follow, previewed, nothing written yet.
    drag(page->widgets().canvas, {at(4, 4), at(7, 6), at(9, 7)});
    EXPECT_TRUE(page->selecting().selectionLifted());
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{7, 6, 6, 6}));
    EXPECT_EQ(picture().pixels, before);
    EXPECT_EQ(steps(), done);
    key(Qt::Key_Return);
    EXPECT_FALSE(page->selecting().selectionLifted());
    EXPECT_EQ(steps(), done + 1);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Move"));
    EXPECT_EQ(region(picture().pixels, {7, 6, 6, 6}), moved);
    EXPECT_EQ(picture().pixels[std::size_t(3 * picture().width + 2)], 0) << "the hole is colour 0";
    h.window->undo();
    EXPECT_EQ(picture().pixels, before);
    h.window->redo();
    EXPECT_EQ(region(picture().pixels, {7, 6, 6, 6}), moved);
    // A click outside drops the selection.
    click(page->widgets().canvas, at(30, 30));
    EXPECT_FALSE(page->selecting().hasSelection());
    EXPECT_TRUE(page->widgets().canvas->outline().isEmpty());
}

TEST_P(SelectionTest, ArrowsMoveByOneShiftByEightEscTakesItBack) {
    const auto [cx, cy] = variedSpot();
    drag(page->widgets().canvas, {at(cx, cy), at(cx + 3, cy + 1)});
    const auto before = picture().pixels;
    const std::size_t done = steps();
    key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{cx + 1, cy + 8, 4, 2}));
    key(Qt::Key_Escape);
    EXPECT_FALSE(page->selecting().selectionLifted());
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{cx, cy, 4, 2})) << "back where it was";
    EXPECT_EQ(picture().pixels, before);
    EXPECT_EQ(steps(), done);
    key(Qt::Key_Left);
    // Another tool puts it down.
    QTest::keyClick(page->widgets().canvas, Qt::Key_B);
    ASSERT_NE(region(before, {cx - 1, cy, 5, 2}), region(picture().pixels, {cx - 1, cy, 5, 2})) << "a move that shows";
    EXPECT_EQ(steps(), done + 1);
    EXPECT_EQ(region(picture().pixels, {cx - 1, cy, 4, 2}), region(before, {cx, cy, 4, 2}));
    // Undo while lifted puts it down, then takes that back.
    QTest::keyClick(page->widgets().canvas, Qt::Key_M);
    drag(page->widgets().canvas, {at(cx - 1, cy), at(cx + 2, cy + 1)});
    const auto beforeSecond = picture().pixels;
    key(Qt::Key_Down);
    h.window->undo();
    EXPECT_FALSE(page->selecting().selectionLifted());
    EXPECT_EQ(picture().pixels, beforeSecond);
    // Esc with a selection lying still drops it.
    key(Qt::Key_Escape);
    EXPECT_FALSE(page->selecting().hasSelection());
}

TEST_P(SelectionTest, CopyIntoAnotherPictureKeepsTheIndicesAndCutDeleteClear) {
    drag(page->widgets().canvas, {at(3, 2), at(8, 9)});
    const auto source = region(picture().pixels, {3, 2, 6, 8});
    h.window->action("copy")->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat(QString::fromLatin1(kRegionMimeType)));
    EXPECT_TRUE(data->hasImage()) << "an ordinary picture for other programs";
    // Another picture of the page (another palette where the page has one).
    page->widgets().pictureList->setCurrentIndex(page->widgets().pictureList->currentIndex() + 1);
    EXPECT_FALSE(page->selecting().hasSelection()) << "a selection lives on its picture";
    const std::size_t done = steps();
    h.window->action("paste")->trigger();
    ASSERT_TRUE(page->selecting().selectionLifted());
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{3, 2, 6, 8})) << "where it was copied from";
    key(Qt::Key_Right);
    key(Qt::Key_Return);
    EXPECT_EQ(steps(), done + 1);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Paste"));
    EXPECT_EQ(region(picture().pixels, {4, 2, 6, 8}), source) << "the same palette indices";

    // Cut: the clipboard takes the region, the picture keeps colour 0 there.
    const auto before = picture().pixels;
    QTest::keyClick(page->widgets().canvas, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Cut"));
    EXPECT_EQ(region(picture().pixels, {4, 2, 6, 8}), std::vector<std::uint8_t>(48, 0));
    EXPECT_TRUE(h.window->isVisible()) << "Ctrl+X on a selection cuts, it does not exit";
    h.window->undo();
    EXPECT_EQ(picture().pixels, before);
    key(Qt::Key_Delete);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Delete"));
    h.window->undo();
    h.window->menu("&Image");
    page->clearImage(); // Image > Clear with a selection: that region only, no question
    EXPECT_EQ(region(picture().pixels, {4, 2, 6, 8}), std::vector<std::uint8_t>(48, 0));
    EXPECT_EQ(picture().pixels[0], before[0]);
}

TEST_P(SelectionTest, ForeignPicturesAreMappedOntoThePalette) {
    const std::vector<morvi::PaletteColor> palette = {picture().palette.begin(), picture().palette.begin() + 16};
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgb(palette[5].red, palette[5].green, palette[5].blue));
    image.setPixel(2, 0, qRgb(palette[2].red, palette[2].green, palette[2].blue));
    QApplication::clipboard()->setImage(image);
    page->selecting().selectAll();
    h.window->action("paste")->trigger();
    ASSERT_TRUE(page->selecting().selectionLifted());
    key(Qt::Key_Return);
    EXPECT_EQ(picture().pixel(0, 0), 0);
    const morvi::PaletteColor got = picture().palette[picture().pixel(1, 0)];
    EXPECT_EQ(got, palette[5]);
    EXPECT_EQ(picture().palette[picture().pixel(2, 0)], palette[2]);
}

TEST_P(SelectionTest, FlipAndRotateActOnTheSelectionOnly) {
    const auto [cx, cy] = variedSpot();
    const int w = picture().width;
    drag(page->widgets().canvas, {at(cx, cy), at(cx + 3, cy + 1)});
    const auto before = picture().pixels;
    auto old = [&](int x, int y) { return before[std::size_t(y * w + x)]; };
    page->flipImage(0);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Flip horizontal"));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(picture().pixel(cx + x, cy), old(cx + 3 - x, cy));
    EXPECT_EQ(picture().pixel(cx + 4, cy), old(cx + 4, cy)) << "outside stays";
    h.window->undo();
    // A quarter turn about the centre leaves it lifted; the drop is one step.
    page->selecting().rotateSelection(true);
    EXPECT_TRUE(page->selecting().selectionLifted());
    EXPECT_EQ(page->selecting().selectionRect(), (morvi::Rect{cx + 1, cy - 1, 2, 4}));
    key(Qt::Key_Return);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Rotate"));
    // Old top-left is now the top-right of the turned block, old bottom-left its top-left.
    EXPECT_EQ(picture().pixel(cx + 2, cy - 1), old(cx, cy));
    EXPECT_EQ(picture().pixel(cx + 1, cy - 1), old(cx, cy + 1));
    EXPECT_EQ(picture().pixel(cx + 1, cy + 2), old(cx + 3, cy + 1));
    h.window->undo();
    EXPECT_EQ(picture().pixels, before);
}

TEST_P(SelectionTest, MovedPixelsSurviveSaveAndReopen) {
    drag(page->widgets().canvas, {at(0, 0), at(9, 9)});
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Return);
    const auto expected = picture().pixels;
    ASSERT_TRUE(h.window->saveRom());
    auto again = morvi::Workspace::create();
    ASSERT_TRUE(morvi::openRom(*again, h.romPath(), morvi::HeaderChoice::Detect).ok);
    const int i = page->place().picture;
    const morvi::IndexedImage& reread =
        GetParam() == kMonstersTab    ? monstersOf(*again).entries[std::size_t(i)].image
        : GetParam() == kPortraitsTab ? portraitsOf(*again).portraits[std::size_t(i)].image
                                      : charactersOf(*again).characters[std::size_t(i)].sprites[std::size_t(characterPage(*h.window)->selectedSprite())];
    EXPECT_EQ(reread.pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, SelectionTest, ::testing::Values(int(kMonstersTab), int(kPortraitsTab), int(kCharactersTab)),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == kMonstersTab ? "Monsters" : info.param == kPortraitsTab ? "Portraits" : "Characters";
                         });

TEST(CharacterSelection, APoseCopiedOverAnotherReachesEverySpriteSharingItsTiles) {
    EditorHarness h;
    h.openDemo();
    h.window->tabBar()->setCurrentIndex(kCharactersTab);
    CharacterPage* page = characterPage(*h.window);
    page->widgets().pictureList->setCurrentIndex(2);
    page->chooseTool(Tool::Select);
    page->selecting().selectAll();
    h.window->action("copy")->trigger();
    const auto pose = page->editedPicture()->pixels;
    // Another sprite of the same character: the one at sheet cell (3, 1).
    QTest::mouseClick(page->widgets().preview, Qt::LeftButton, Qt::NoModifier, QPoint(16 * 3 + 5, 24 + 7));
    const int target = page->selectedSprite();
    ASSERT_NE(target, 0);
    h.window->action("paste")->trigger();
    QTest::keyClick(page->widgets().canvas, Qt::Key_Return);
    EXPECT_EQ(page->editedPicture()->pixels, pose);
    // Every sprite drawn from the same tiles shows the pasted pixels there.
    const morvi::CharacterSet& set = charactersOf(*h.ws);
    const morvi::CharacterSprites& ch = set.characters[2];
    for (int s = 0; s < morvi::kSpritesPerCharacter; ++s)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c)
                for (int tr = 0; tr < 3; ++tr)
                    for (int tc = 0; tc < 2; ++tc) {
                        if (set.tileOf(s, r, c) != set.tileOf(target, tr, tc)) continue;
                        for (int y = 0; y < 8; ++y)
                            for (int x = 0; x < 8; ++x)
                                ASSERT_EQ(ch.sprites[std::size_t(s)].pixel(8 * c + x, 8 * r + y), pose[std::size_t((8 * tr + y) * 16 + 8 * tc + x)]);
                    }
    h.window->undo();
    EXPECT_NE(page->editedPicture()->pixels, pose);
}
