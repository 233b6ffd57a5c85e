// The command table as the user meets it: menus and keys made from it, commands that need a
// selection enabled only with one, the canvas's own keys, and the Dither tool on every page.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ui/pages/monster_page.h"
#include "ui/shell/commands.h"
#include "ui/tests/ui_test_support.h"

using namespace morvi::ui;

namespace {

Page* show(EditorHarness& h, int tab) {
    h.window->tabBar()->setCurrentIndex(tab);
    QApplication::processEvents();
    return h.window->currentPage();
}

} // namespace

TEST(Commands, EveryMenuItemComesFromTheTableAndEveryKeyIsDeclaredOnce) {
    EditorHarness h;
    for (const Command& c : commandTable()) {
        if (!c.menu) continue;
        QAction* a = h.window->action(c.id);
        ASSERT_NE(a, nullptr) << c.id;
        EXPECT_EQ(a->text(), QString::fromUtf8(c.text)) << c.id;
    }
    // No two commands of the same scope share a key, and no canvas key is a tool's.
    std::vector<std::pair<QKeySequence, KeyScope>> seen;
    for (const Command& c : commandTable())
        for (const QKeySequence& k : c.keys) {
            for (const auto& [key, scope] : seen) EXPECT_FALSE(key == k && scope == c.scope) << c.id << " " << k.toString().toStdString();
            seen.emplace_back(k, c.scope);
            if (c.scope != KeyScope::Window) {
                for (const ToolInfo& t : toolTable()) EXPECT_NE(k, QKeySequence(t.key)) << c.id;
            }
        }
    // Ctrl+X: Exit in the window, Cut only over a canvas that shows a selection.
    EXPECT_EQ(h.window->action("exit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_TRUE(h.window->action("cut")->shortcuts().isEmpty());
    EXPECT_EQ(canvasCommand(QKeyCombination(Qt::ControlModifier, Qt::Key_X), false), nullptr);
    ASSERT_NE(canvasCommand(QKeyCombination(Qt::ControlModifier, Qt::Key_X), true), nullptr);
    EXPECT_STREQ(canvasCommand(QKeyCombination(Qt::ControlModifier, Qt::Key_X), true)->id, "cut");
    EXPECT_STREQ(canvasCommand(QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter), true)->id, "put-down");
}

TEST(Commands, CutDeleteAndDeselectAreEnabledOnlyWithASelection) {
    EditorHarness h;
    h.openDemo();
    Page* page = show(h, kPortraitsTab);
    for (const char* id : {"cut", "delete", "deselect"}) EXPECT_FALSE(h.window->action(id)->isEnabled()) << id;
    EXPECT_TRUE(h.window->action("select-all")->isEnabled());
    h.window->action("select-all")->trigger();
    ASSERT_TRUE(page->selecting().hasSelection());
    for (const char* id : {"cut", "delete", "deselect"}) EXPECT_TRUE(h.window->action(id)->isEnabled()) << id;
    // Esc on the canvas drops the selection: the commands follow.
    page->widgets().canvas->setFocus();
    QTest::keyClick(page->widgets().canvas, Qt::Key_Escape);
    EXPECT_FALSE(page->selecting().hasSelection());
    for (const char* id : {"cut", "delete", "deselect"}) EXPECT_FALSE(h.window->action(id)->isEnabled()) << id;
    // Another page has no selection of its own.
    h.window->action("select-all")->trigger();
    Page* characters = show(h, kCharactersTab);
    EXPECT_FALSE(characters->selecting().hasSelection());
    EXPECT_FALSE(h.window->action("cut")->isEnabled());
}

TEST(Commands, DitherPaintsACheckerboardOnEveryPageAsOneStepAndTheRightButtonErasesIt) {
    for (int tab : {kMonstersTab, kPortraitsTab, kCharactersTab}) {
        SCOPED_TRACE(tab);
        EditorHarness h;
        h.openDemo();
        Page* page = show(h, tab);
        page->widgets().magnification->spinBox()->setValue(4);
        page->widgets().canvas->setFocus();
        QTest::keyClick(page->widgets().canvas, Qt::Key_D);
        ASSERT_EQ(page->editor().tool(), Tool::Dither);
        EXPECT_TRUE(page->widgets().tools->button(Tool::Dither)->isChecked());
        click(page->widgets().strip, QPoint(page->widgets().strip->width() * 3 / (page->source().colorCount() == 8 ? 8 : 16) + 3, 10));
        const int colour = page->palette().current();
        ASSERT_GT(colour, 0);
        const std::size_t steps = h.window->history().size();
        drag(page->widgets().canvas, {canvasPixel(page, 1, 1), canvasPixel(page, 9, 1), canvasPixel(page, 9, 6)});
        EXPECT_EQ(h.window->history().size(), steps + 1) << "one stroke, one step";
        const morvi::IndexedImage& p = *page->editedPicture();
        for (int x = 1; x <= 9; ++x) {
            if ((x + 1) % 2 == 0) EXPECT_EQ(p.pixel(x, 1), colour) << x;
            else EXPECT_NE(p.pixel(x, 1), colour) << x;
        }
        // The right button takes the pattern back to colour 0, on the pattern's pixels only.
        QTest::mousePress(page->widgets().canvas, Qt::RightButton, Qt::NoModifier, canvasPixel(page, 3, 1));
        QTest::mouseRelease(page->widgets().canvas, Qt::RightButton, Qt::NoModifier, canvasPixel(page, 3, 1));
        EXPECT_EQ(p.pixel(3, 1), 0);
        h.window->undo();
        h.window->undo();
        EXPECT_NE(p.pixel(3, 1), colour);
    }
}
