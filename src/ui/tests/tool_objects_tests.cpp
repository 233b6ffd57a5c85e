// The tools and the selection as objects, driven by coordinates alone: no window, no page.
#include <gtest/gtest.h>

#include <QKeySequence>
#include <QPixmap>
#include <set>

#include "ui/editor/selection.h"
#include "ui/tools/tool_table.h"

using namespace morvi::ui;
using morvi::PixelWrite;
using morvi::Point;

namespace {

morvi::IndexedImage blank(int w, int h) {
    morvi::IndexedImage image;
    image.allocateImage(w, h);
    image.colorCount = 16;
    return image;
}

std::set<std::pair<int, int>> where(const std::vector<PixelWrite>& writes) {
    std::set<std::pair<int, int>> out;
    for (const auto& w : writes) out.insert({w.x, w.y});
    return out;
}

const ToolBehaviour& behaviour(Tool tool) { return *toolInfo(tool).behaviour; }

} // namespace

TEST(ToolObjects, FreehandJoinsItsPointsAndShiftClickDrawsALineFromTheLastStroke) {
    const auto picture = blank(32, 32);
    const ToolContext context{picture, 7, false, false, Point{2, 2}};
    Stroke s = behaviour(Tool::Draw).press(context, {1, 1}, false);
    EXPECT_FALSE(s.done);
    behaviour(Tool::Draw).move(context, s, {20, 5}, false);
    EXPECT_FALSE(s.redrawn);
    const auto covered = where(s.writes);
    for (int x = 1; x <= 20; ++x) EXPECT_EQ(std::count_if(covered.begin(), covered.end(), [x](auto p) { return p.first == x; }), 1) << x;
    for (const auto& w : s.writes) EXPECT_EQ(w.value, 7);
    // Shift+click: a line from where the last stroke ended, done at once.
    const Stroke line = behaviour(Tool::Draw).press(context, {10, 2}, true);
    EXPECT_TRUE(line.done);
    EXPECT_EQ(where(line.writes).size(), 9u);
    // Mirror: each pixel and its image about the centre line; outside the picture nothing.
    const ToolContext mirrored{picture, 3, true, false, std::nullopt};
    EXPECT_EQ(where(behaviour(Tool::Draw).press(mirrored, {0, 0}, false).writes), (std::set<std::pair<int, int>>{{0, 0}, {31, 0}}));
    EXPECT_TRUE(behaviour(Tool::Draw).press(context, {40, 40}, false).writes.empty());
}

TEST(ToolObjects, ShapesAreDrawnAnewOnEveryMoveAndShiftConstrainsThem) {
    const auto picture = blank(32, 32);
    const ToolContext outline{picture, 1, false, false, std::nullopt};
    const ToolContext filled{picture, 1, false, true, std::nullopt};
    Stroke r = behaviour(Tool::Rectangle).press(outline, {2, 2}, false);
    behaviour(Tool::Rectangle).move(outline, r, {9, 5}, false);
    EXPECT_TRUE(r.redrawn);
    EXPECT_EQ(where(r.writes).size(), std::size_t(2 * 8 + 2 * 2));
    ASSERT_TRUE(r.shapeSize);
    EXPECT_EQ(r.shapeSize->x, 8);
    EXPECT_EQ(r.shapeSize->y, 4);
    behaviour(Tool::Rectangle).move(filled, r, {9, 5}, false);
    EXPECT_EQ(where(r.writes).size(), 32u);
    behaviour(Tool::Rectangle).move(outline, r, {9, 5}, true);
    EXPECT_EQ(r.end.x - r.start.x, r.end.y - r.start.y) << "Shift makes a square";
    Stroke l = behaviour(Tool::Line).press(outline, {0, 0}, false);
    behaviour(Tool::Line).move(outline, l, {10, 3}, true);
    EXPECT_TRUE(l.end.y == 0 || l.end.x == l.end.y) << "Shift keeps a line at 0, 45 or 90 degrees";
    Stroke e = behaviour(Tool::Ellipse).press(filled, {0, 0}, false);
    behaviour(Tool::Ellipse).move(filled, e, {10, 10}, false);
    EXPECT_TRUE(where(e.writes).count({5, 5}));
    EXPECT_FALSE(where(e.writes).count({0, 0})) << "the corner lies outside the ellipse";
}

TEST(ToolObjects, FillAndPickActOnTheClickAlone) {
    auto picture = blank(8, 8);
    for (int y = 0; y < 8; ++y) picture.setPixel(4, y, 2); // a wall
    picture.setPixel(6, 1, 2);
    const ToolContext context{picture, 5, false, false, std::nullopt};
    const Stroke fill = behaviour(Tool::Fill).press(context, {0, 0}, false);
    EXPECT_TRUE(fill.done);
    EXPECT_FALSE(fill.endsLine);
    EXPECT_EQ(fill.writes.size(), 32u) << "the left side of the wall only";
    const Stroke replace = behaviour(Tool::Fill).press(context, {4, 0}, true);
    EXPECT_EQ(replace.writes.size(), 9u) << "every pixel of the clicked colour";
    EXPECT_EQ(replace.label, "Replace colour");
    const Stroke pick = behaviour(Tool::Pick).press(context, {4, 3}, false);
    ASSERT_TRUE(pick.pick);
    EXPECT_EQ(*pick.pick, (Point{4, 3}));
    EXPECT_TRUE(pick.writes.empty());
}

TEST(ToolObjects, DitherPaintsOnlyTheCheckerboardFixedToThePicture) {
    const auto picture = blank(16, 16);
    const ToolContext context{picture, 9, false, false, std::nullopt};
    Stroke s = behaviour(Tool::Dither).press(context, {0, 0}, false);
    behaviour(Tool::Dither).move(context, s, {15, 0}, false);
    behaviour(Tool::Dither).move(context, s, {15, 5}, false);
    ASSERT_FALSE(s.writes.empty());
    for (const auto& w : s.writes) {
        EXPECT_EQ((w.x + w.y) % 2, 0) << w.x << "," << w.y;
        EXPECT_EQ(w.value, 9);
    }
    EXPECT_EQ(where(s.writes).size(), 8u + 3u) << "every other pixel of the row (x 0 to 14), then of the column (y 1, 3, 5)";
    // Mirrored, both halves keep the same checkerboard; the right button erases the pattern.
    const ToolContext mirrored{picture, 0, true, false, std::nullopt};
    Stroke m = behaviour(Tool::Dither).press(mirrored, {2, 3}, false);
    behaviour(Tool::Dither).move(mirrored, m, {2, 6}, false);
    for (const auto& w : m.writes) EXPECT_EQ((w.x + w.y) % 2, 0);
    EXPECT_TRUE(where(m.writes).count({13, 3}) || where(m.writes).count({13, 5})) << "the mirror side is painted too";
    // Shift+click: a dithered line from the last stroke's end.
    const ToolContext after{picture, 9, false, false, Point{0, 0}};
    const Stroke line = behaviour(Tool::Dither).press(after, {6, 6}, true);
    EXPECT_TRUE(line.done);
    EXPECT_EQ(where(line.writes).size(), 7u);
}

TEST(ToolObjects, TheTableGivesEveryToolItsKeyArtAndBehaviour) {
    std::set<int> keys;
    for (const ToolInfo& t : toolTable()) {
        EXPECT_TRUE(keys.insert(t.key).second) << t.name << " shares its key";
        EXPECT_EQ(t.behaviour == nullptr, t.tool == Tool::Select) << t.name;
        for (const char* form : {"tool-%1.png", "tool-%1-current.png", "cursor-%1.png", "tool-%1@2x.png"})
            EXPECT_FALSE(QPixmap(QStringLiteral(":/art/") + QString::fromLatin1(form).arg(QString::fromLatin1(t.art))).isNull()) << t.art;
        EXPECT_TRUE(toolKeys().contains(QKeySequence(t.key).toString())) << t.name;
    }
    EXPECT_EQ(toolKeys(), QStringLiteral("B E I L U O G M D"));
}

TEST(SelectionModel, LiftMoveAndDropWriteTheHoleThenThePixelsAsOneSet) {
    auto picture = blank(16, 16);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 5; ++x) picture.setPixel(x, y, std::uint8_t(x + y));
    SelectionModel s;
    s.select({2, 2, 3, 2});
    EXPECT_TRUE(s.active());
    EXPECT_FALSE(s.lifted());
    s.lift(picture);
    s.moveBy(10, 5);
    EXPECT_EQ(s.rect(), (morvi::Rect{12, 7, 3, 2}));
    const morvi::IndexedImage shown = s.shownOver(picture);
    EXPECT_EQ(shown.pixel(2, 2), 0) << "the hole shows colour 0";
    EXPECT_EQ(shown.pixel(12, 7), 4);
    EXPECT_EQ(picture.pixel(2, 2), 4) << "nothing written while lifted";
    const auto writes = s.drop(picture);
    ASSERT_EQ(writes.size(), 12u);
    EXPECT_EQ(writes.front(), (PixelWrite{2, 2, 0}));
    EXPECT_EQ(writes.back(), (PixelWrite{14, 8, 7}));
    EXPECT_FALSE(s.lifted());
    EXPECT_EQ(s.rect(), (morvi::Rect{12, 7, 3, 2}));
    // Moved wholly off the picture, putting it down leaves no selection.
    s.lift(picture);
    s.moveBy(40, 0);
    s.drop(picture);
    EXPECT_FALSE(s.active());
}

TEST(SelectionModel, CancelCutPasteFlipAndTurn) {
    auto picture = blank(16, 16);
    picture.setPixel(1, 1, 3);
    picture.setPixel(2, 1, 4);
    SelectionModel s;
    s.select({1, 1, 2, 1});
    s.lift(picture);
    s.moveBy(3, 3);
    s.cancelLift();
    EXPECT_EQ(s.rect(), (morvi::Rect{1, 1, 2, 1})) << "Esc puts the pixels back where they were";
    EXPECT_FALSE(s.lifted());
    // A still selection flips in place: its writes.
    const auto flipped = s.flip(picture, false);
    EXPECT_EQ(flipped, (std::vector<PixelWrite>{{1, 1, 4}, {2, 1, 3}}));
    // Cut: the clipboard form keeps where it came from; the writes clear it.
    const morvi::ClipRegion copied = s.copy(picture);
    EXPECT_EQ(copied.origin, (Point{1, 1}));
    EXPECT_EQ(copied.pixels.pixel(1, 0), 4);
    EXPECT_EQ(s.cut(picture), (std::vector<PixelWrite>{{1, 1, 0}, {2, 1, 0}}));
    // A paste floats, and taken back it leaves nothing.
    s.paste(copied.pixels, {5, 5});
    EXPECT_TRUE(s.lifted());
    EXPECT_EQ(s.label(), "Paste");
    s.cancelLift();
    EXPECT_FALSE(s.active());
    // A turn lifts it and turns it about its centre.
    s.select({4, 4, 4, 2});
    s.rotate(picture, true);
    EXPECT_TRUE(s.lifted());
    EXPECT_EQ(s.rect().width, 2);
    EXPECT_EQ(s.rect().height, 4);
    EXPECT_EQ(s.label(), "Rotate");
}

TEST(SelectionModel, TheMouseDragsARectangleMovesItAndPutsTheOldOneDownOutside) {
    auto picture = blank(16, 16);
    picture.setPixel(3, 3, 6);
    SelectionModel s;
    EXPECT_TRUE(s.press(picture, {2, 2}).empty());
    EXPECT_EQ(s.drag(picture, {5, 4}, false), (Point{4, 3}));
    s.drag(picture, {5, 4}, true);
    EXPECT_EQ(s.rect(), (morvi::Rect{2, 2, 4, 3}));
    // Inside: lift and drag.
    s.press(picture, {3, 3});
    s.drag(picture, {6, 3}, false);
    s.drag(picture, {6, 3}, true);
    EXPECT_EQ(s.rect(), (morvi::Rect{5, 2, 4, 3}));
    // Outside: the lifted one is put down (its writes come back) and a click alone selects nothing.
    const auto writes = s.press(picture, {14, 14});
    EXPECT_FALSE(writes.empty());
    s.drag(picture, {14, 14}, true);
    EXPECT_FALSE(s.active());
}
