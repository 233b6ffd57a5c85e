// The drawing tools on every page, through real mouse and key events on the canvas.
#include <QApplication>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <set>

#include "app/rom_session.h"
#include "image/raster.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi::ui;

namespace {

// Press, moves far apart (as a quick hand makes them) and release, with any button and keys.
void gesture(QWidget* canvas, const std::vector<QPoint>& points, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mousePress(canvas, button, mods, points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(points[i]), canvas->mapToGlobal(QPointF(points[i])), Qt::NoButton,
                         button, mods);
        QApplication::sendEvent(canvas, &move);
    }
    QTest::mouseRelease(canvas, button, mods, points.back());
}

struct ToolsTest : ::testing::TestWithParam<int> {
    void SetUp() override {
        h.openDemo();
        h.window->tabBar()->setCurrentIndex(GetParam());
        page = qobject_cast<Page*>(h.window->currentPage());
        ASSERT_TRUE(page);
        page->widgets().magnification->spinBox()->setValue(4);
        // A picture that starts empty makes every count exact.
        h.prompts.answers = {Answer::Ok, Answer::Yes, Answer::Ok};
        page->clearImage();
        h.prompts.answers.clear();
        h.window->history().clear();
        h.markSaved(page);
        click(page->widgets().strip, QPoint(page->widgets().strip->width() * 3 / (GetParam() == kMonstersTab ? colors() : 16) + 3, 10));
        ASSERT_EQ(page->palette().current(), 3);
        page->widgets().canvas->setFocus();
    }
    int colors() const {
        return GetParam() == kMonstersTab ? monstersOf(*h.ws).entries[std::size_t(monsterPage(*h.window)->currentEntry())].colorCount
                                          : 16;
    }
    const morvi::IndexedImage& picture() const { return *page->editedPicture(); }
    int width() const { return picture().width; }
    int height() const { return picture().height; }
    QPoint at(int x, int y) const { return page->editor().pictureShift() + QPoint(x * 4 + 2, y * 4 + 2); }
    std::set<std::pair<int, int>> painted(std::uint8_t value) const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                if (picture().pixel(x, y) == value) out.insert({x, y});
        return out;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(page->widgets().canvas, k, mods); }
    QString undoText() const { return h.window->action("undo")->text(); }

    EditorHarness h;
    Page* page = nullptr;
};

std::set<std::pair<int, int>> setOf(const std::vector<morvi::Point>& points) {
    std::set<std::pair<int, int>> out;
    for (auto p : points) out.insert({p.x, p.y});
    return out;
}

} // namespace

TEST_P(ToolsTest, AFastStrokeLeavesNoGapAndIsOneStep) {
    // Events 40 screen pixels apart at x4: 10 picture pixels between them.
    const int y = height() / 2;
    std::vector<QPoint> points;
    for (int x = 0; x * 4 < 4 * (width() - 1); x += 10) points.push_back(at(x, y + (x / 10) % 2));
    points.push_back(at(width() - 1, y));
    gesture(page->widgets().canvas, points);
    std::set<std::pair<int, int>> expected;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPoint a = page->editor().pictureAt(points[i - 1]), b = page->editor().pictureAt(points[i]);
        for (auto p : setOf(morvi::linePoints({a.x(), a.y()}, {b.x(), b.y()}))) expected.insert(p);
    }
    EXPECT_EQ(painted(3), expected);
    EXPECT_EQ(h.window->history().size(), 1u);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Draw"));
    EXPECT_TRUE(page->changed());
    h.window->undo();
    EXPECT_TRUE(painted(3).empty());
    EXPECT_FALSE(page->changed());
    h.window->redo();
    EXPECT_EQ(painted(3), expected);

    // Shift+click draws the line from the last painted pixel; the right button paints colour 0.
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::ShiftModifier, at(width() - 1, height() - 1));
    EXPECT_TRUE(painted(3).count({width() - 1, height() - 1}));
    EXPECT_TRUE(painted(3).count({width() - 1, (y + height() - 1) / 2}));
    gesture(page->widgets().canvas, {at(0, y), at(5, y)}, Qt::RightButton);
    for (int x = 0; x <= 5; ++x) EXPECT_EQ(picture().pixel(x, y), 0) << x;
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Draw"));
}

TEST_P(ToolsTest, LineRectangleAndEllipseArePreviewedAndDrawnOnRelease) {
    key(Qt::Key_L);
    EXPECT_EQ(page->editor().tool(), Tool::Line);
    // Shift keeps the line horizontal; while dragging only the preview shows it.
    QTest::mousePress(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(1, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(at(12, 4)), page->widgets().canvas->mapToGlobal(QPointF(at(12, 4))), Qt::NoButton,
                     Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(page->widgets().canvas, &move);
    EXPECT_TRUE(page->editor().gestureActive());
    EXPECT_TRUE(painted(3).empty()) << "nothing is written before the release";
    const morvi::Surface& canvas = page->widgets().canvas->surface();
    EXPECT_EQ(canvas.at(at(8, 2).x(), at(8, 2).y()), picture().palette[3].toRgb32()) << "the preview shows the line";
    QTest::mouseRelease(page->widgets().canvas, Qt::LeftButton, Qt::ShiftModifier, at(12, 4));
    EXPECT_EQ(painted(3), setOf(morvi::linePoints({1, 2}, {12, 2})));
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Line"));

    key(Qt::Key_U);
    gesture(page->widgets().canvas, {at(2, 5), at(6, 9), at(9, 12)});
    auto rect = setOf(morvi::rectanglePoints({2, 5}, {9, 12}, false));
    for (auto p : setOf(morvi::linePoints({1, 2}, {12, 2}))) rect.insert(p);
    EXPECT_EQ(painted(3), rect);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Rectangle"));
    h.window->undo();
    page->widgets().tools->filledButton()->click();
    gesture(page->widgets().canvas, {at(2, 5), at(9, 12)});
    EXPECT_EQ(painted(3).size(), setOf(morvi::linePoints({1, 2}, {12, 2})).size() + 64u);

    key(Qt::Key_O);
    EXPECT_EQ(page->editor().tool(), Tool::Ellipse);
    page->widgets().tools->filledButton()->click(); // outline again
    const std::size_t before = painted(3).size();
    // Shift makes a circle: the box becomes 10 x 10.
    gesture(page->widgets().canvas, {at(3, 13), at(12, 16)}, Qt::LeftButton, Qt::ShiftModifier);
    const auto circle = setOf(morvi::ellipsePoints({3, 13}, {12, 22}, false));
    std::size_t inside = 0;
    for (auto p : circle) inside += p.first < width() && p.second < height();
    EXPECT_EQ(painted(3).size(), before + inside);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Ellipse"));
    EXPECT_EQ(h.window->history().size(), 3u) << "line, filled rectangle, ellipse (the undone rectangle went)";

    // Esc drops a shape being dragged; a shape that changes nothing is no step.
    key(Qt::Key_U);
    QTest::mousePress(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(0, 0));
    key(Qt::Key_Escape);
    EXPECT_FALSE(page->editor().gestureActive());
    QTest::mouseRelease(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(5, 5));
    EXPECT_FALSE(painted(3).count({0, 0}));
    key(Qt::Key_L);
    gesture(page->widgets().canvas, {at(1, 2), at(12, 2)});
    EXPECT_EQ(h.window->history().size(), 3u) << "the same line again changes nothing";
}

TEST_P(ToolsTest, FillStaysInsideItsAreaAndShiftReplacesTheColourEverywhere) {
    // A closed box and a pixel of colour 3 apart from it.
    key(Qt::Key_U);
    gesture(page->widgets().canvas, {at(2, 2), at(8, 8)});
    key(Qt::Key_B);
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(12, 12));
    click(page->widgets().strip, QPoint(page->widgets().strip->width() * 5 / colors() + 3, 10));
    key(Qt::Key_G);
    EXPECT_EQ(page->editor().tool(), Tool::Fill);
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(5, 5));
    EXPECT_EQ(painted(5).size(), 25u) << "the inside of the box, not past its outline";
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Fill"));
    // The background: everything of colour 0 connected to the corner.
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, at(0, 0));
    EXPECT_EQ(painted(0).size(), 0u);
    h.window->undo();
    EXPECT_EQ(painted(5).size(), 25u);
    // Shift+click: every pixel of colour 3, the box and the lone pixel, becomes 5.
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::ShiftModifier, at(12, 12));
    EXPECT_TRUE(painted(3).empty());
    EXPECT_EQ(painted(5).size(), 25u + 24u + 1u);
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Replace colour"));
    h.window->undo();
    EXPECT_EQ(painted(3).size(), 25u);
    // Ctrl+click picks with any tool.
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::ControlModifier, at(2, 2));
    EXPECT_EQ(page->palette().current(), 3);
    EXPECT_EQ(page->editor().tool(), Tool::Fill);
}

TEST_P(ToolsTest, MirrorReflectsStrokesAndShapesAboutTheCentreLine) {
    key(Qt::Key_M, Qt::ShiftModifier);
    EXPECT_TRUE(page->widgets().tools->mirrorButton()->isChecked());
    gesture(page->widgets().canvas, {at(1, 1), at(3, 1)});
    EXPECT_EQ(painted(3), (std::set<std::pair<int, int>>{
                              {1, 1}, {2, 1}, {3, 1}, {width() - 2, 1}, {width() - 3, 1}, {width() - 4, 1}}));
    key(Qt::Key_M, Qt::ShiftModifier);
    EXPECT_FALSE(page->widgets().tools->mirrorButton()->isChecked());
}

TEST_P(ToolsTest, TheWorkSurvivesSaveAndReopen) {
    key(Qt::Key_O);
    page->widgets().tools->filledButton()->click();
    gesture(page->widgets().canvas, {at(1, 1), at(10, 14)});
    key(Qt::Key_B);
    gesture(page->widgets().canvas, {at(0, 20), at(15, 20)});
    const std::vector<std::uint8_t> expected = picture().pixels;
    ASSERT_TRUE(h.window->saveRom());
    auto again = morvi::Workspace::create();
    ASSERT_TRUE(morvi::openRom(*again, h.romPath(), morvi::HeaderChoice::Detect).ok);
    const morvi::IndexedImage* reread = nullptr;
    switch (GetParam()) {
    case kMonstersTab: reread = &monstersOf(*again).entries[std::size_t(monsterPage(*h.window)->currentEntry())].image; break;
    case kPortraitsTab: reread = &portraitsOf(*again).portraits[std::size_t(page->widgets().pictureList->currentIndex())].image; break;
    default:
        reread = &charactersOf(*again).characters[std::size_t(page->widgets().pictureList->currentIndex())]
                      .sprites[std::size_t(characterPage(*h.window)->selectedSprite())];
    }
    EXPECT_EQ(reread->pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, ToolsTest, ::testing::Values(int(kMonstersTab), int(kPortraitsTab), int(kCharactersTab)),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == kMonstersTab ? "Monsters" : info.param == kPortraitsTab ? "Portraits" : "Characters";
                         });

TEST(CharacterTools, AFillIsComputedOnTheSpriteAsShownAndReachesEverySpriteSharingItsTiles) {
    EditorHarness h;
    h.openDemo();
    h.window->tabBar()->setCurrentIndex(kCharactersTab);
    CharacterPage* page = characterPage(*h.window);
    morvi::CharacterSet& set = charactersOf(*h.ws);
    // A sprite with a tile another sprite also uses.
    int sprite = -1, other = -1, cell = -1;
    for (int s = 0; s < morvi::kSpritesPerCharacter && sprite < 0; ++s)
        for (int c = 0; c < 6 && sprite < 0; ++c)
            for (int t = 0; t < morvi::kSpritesPerCharacter; ++t)
                if (t != s && std::count(set.tileTable.begin() + 6 * t, set.tileTable.begin() + 6 * t + 6,
                                         set.tileTable[std::size_t(6 * s + c)])) {
                    sprite = s, other = t, cell = c;
                    break;
                }
    ASSERT_GE(sprite, 0) << "the demo shares tiles between sprites";
    click(page->widgets().preview, QPoint(16 * (sprite % 8) + 5, 24 * (sprite / 8) + 7));
    ASSERT_EQ(page->selectedSprite(), sprite);
    click(page->widgets().strip, QPoint(18 * 7 + 4, 10));
    page->chooseTool(Tool::Fill);
    const morvi::IndexedImage before = set.characters[0].sprites[std::size_t(sprite)];
    const int m = page->widgets().magnification->value();
    const int cx = 8 * (cell % 2) + 3, cy = 8 * (cell / 2) + 3;
    QTest::mouseClick(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, page->editor().pictureShift() + QPoint(cx * m + 1, cy * m + 1));
    const auto area = morvi::floodFillPoints(before, {cx, cy});
    const morvi::IndexedImage& after = set.characters[0].sprites[std::size_t(sprite)];
    for (auto p : area) EXPECT_EQ(after.pixel(p.x, p.y), 7);
    // The shared tile changed in the other sprite too.
    const int otherCell = int(std::find(set.tileTable.begin() + 6 * other, set.tileTable.begin() + 6 * other + 6,
                                        set.tileTable[std::size_t(6 * sprite + cell)]) - (set.tileTable.begin() + 6 * other));
    const morvi::IndexedImage& shared = set.characters[0].sprites[std::size_t(other)];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(shared.pixel(8 * (otherCell % 2) + x, 8 * (otherCell / 2) + y), after.pixel(8 * (cell % 2) + x, 8 * (cell / 2) + y));
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Fill"));
}
