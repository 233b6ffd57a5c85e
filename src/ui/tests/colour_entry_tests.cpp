// The colour fields, the colour dialog, the swatch menu and reordering by drag, on every page.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include "family/palette_target.h"
#include "app/rom_session.h"
#include "imagefile/palette_file.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/page.h"
#include "testing/fixtures.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi::ui;

namespace {

const int kPages[] = {kMonstersTab, kPortraitsTab, kCharactersTab};

Page* openPage(EditorHarness& h, int tab) {
    h.window->tabBar()->setCurrentIndex(tab);
    auto* page = qobject_cast<Page*>(h.window->currentPage());
    // Characters: one whose palette may change (Esper Terra's is fixed).
    if (page && tab == kCharactersTab) page->widgets().pictureList->setCurrentIndex(1);
    return page;
}

QPoint swatchCentre(Page* page, int k) {
    const int width = page->widgets().strip->swatchAt(QPoint(20, 5)) == 1 ? 18 : 36;
    return QPoint(k * width + width / 2, 15);
}

morvi::PaletteColor colour(Page* page, int k) { return page->editedPicture()->palette[std::size_t(k)]; }

void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// The menu the right button opens on a swatch, and one of its items.
QAction* swatchAction(Page* page, int k, const QString& text) {
    const QPoint at = swatchCentre(page, k);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, page->widgets().strip->mapToGlobal(at));
    QApplication::sendEvent(page->widgets().strip, &event);
    QMenu* menu = page->palette().swatchMenu();
    if (!menu || !menu->isVisible()) return nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == text) return a;
    return nullptr;
}

const auto look = morvi::testing::lookOf;

} // namespace

TEST(ColourEntry, HexAndSnesFieldsSetTheColourInOneStepAndRefuseBadValues) {
    EditorHarness h;
    h.openDemo();
    for (int tab : kPages) {
        SCOPED_TRACE(tab);
        Page* page = openPage(h, tab);
        ASSERT_TRUE(page);
        QLineEdit* hex = page->widgets().colorControls->field(0);
        QLineEdit* snes = page->widgets().colorControls->field(1);
        click(page->widgets().strip, swatchCentre(page, 0));
        EXPECT_FALSE(hex->isEnabled()) << "colour 0 is edited as the sliders allow: not at all";
        click(page->widgets().strip, swatchCentre(page, 3));
        ASSERT_TRUE(hex->isEnabled());
        EXPECT_EQ(hex->text(), QString::fromStdString(morvi::hexColorText(colour(page, 3))));
        const morvi::PaletteColor old = colour(page, 3);

        const std::size_t before = h.window->history().position();
        typeInto(hex, QStringLiteral("#f8f8f8"));
        EXPECT_EQ(colour(page, 3), morvi::makeColor(248, 248, 248));
        EXPECT_EQ(snes->text(), QStringLiteral("7FFF")) << "the other field follows";
        EXPECT_EQ(page->widgets().colorControls->slider(0)->value(), 31) << "and the sliders";
        EXPECT_EQ(h.window->history().position(), before + 1);
        EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Palette colour"));

        typeInto(snes, QStringLiteral("7C00"));
        EXPECT_EQ(colour(page, 3), morvi::makeColor(0, 0, 248));
        EXPECT_EQ(hex->text(), QStringLiteral("#0000f8"));
        // Eight bits a channel come in as the console keeps them: the top five.
        typeInto(hex, QStringLiteral("0F0F0F"));
        EXPECT_EQ(colour(page, 3), morvi::makeColor(8, 8, 8));

        const std::size_t steps = h.window->history().position();
        typeInto(hex, QStringLiteral("#12345z"));
        EXPECT_TRUE(page->widgets().colorControls->fieldInvalid(0));
        EXPECT_FALSE(hex->accessibleDescription().isEmpty());
        typeInto(snes, QStringLiteral("8000"));
        EXPECT_TRUE(page->widgets().colorControls->fieldInvalid(1)) << "bit 15 is not part of a colour";
        EXPECT_EQ(colour(page, 3), morvi::makeColor(8, 8, 8));
        EXPECT_EQ(h.window->history().position(), steps);
        typeInto(snes, QStringLiteral("$001f"));
        EXPECT_FALSE(page->widgets().colorControls->fieldInvalid(1));
        EXPECT_EQ(colour(page, 3), morvi::makeColor(248, 0, 0));

        // Ctrl+Z in the field undoes the editor's step, not the field's typing.
        h.activate();
        hex->setFocus();
        QTest::keyClick(hex, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(colour(page, 3), morvi::makeColor(8, 8, 8));
        QTest::keyClick(hex, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(colour(page, 3), morvi::makeColor(248, 0, 0));
        for (int k = 0; k < 4; ++k) h.window->undo();
        EXPECT_EQ(colour(page, 3), old);
        EXPECT_EQ(hex->text(), QString::fromStdString(morvi::hexColorText(old)));
        page->setFocus();
    }
}

TEST(ColourEntry, DoubleClickOpensTheColourDialogForThatSwatch) {
    EditorHarness h;
    h.openDemo();
    for (int tab : kPages) {
        SCOPED_TRACE(tab);
        Page* page = openPage(h, tab);
        const morvi::PaletteColor old = colour(page, 2);
        h.prompts.colors = {QColor(16, 33, 250)};
        QTest::mouseDClick(page->widgets().strip, Qt::LeftButton, Qt::NoModifier, swatchCentre(page, 2));
        ASSERT_FALSE(h.prompts.colorDialogInitial.empty());
        EXPECT_EQ(h.prompts.colorDialogInitial.back(), QColor(old.red, old.green, old.blue));
        EXPECT_EQ(colour(page, 2), morvi::makeColor(16, 32, 248));
        EXPECT_EQ(page->palette().current(), 2);
        // Cancelled: nothing changes.
        const std::size_t steps = h.window->history().position();
        h.prompts.colors = {std::nullopt};
        QTest::mouseDClick(page->widgets().strip, Qt::LeftButton, Qt::NoModifier, swatchCentre(page, 2));
        EXPECT_EQ(h.window->history().position(), steps);
        h.window->undo();
        EXPECT_EQ(colour(page, 2), old);
    }
}

TEST(ColourEntry, ColoursAndPalettesTravelThroughTheClipboardAsText) {
    EditorHarness h;
    h.openDemo();
    Page* monsters = openPage(h, kMonstersTab);
    QAction* copy = swatchAction(monsters, 4, QStringLiteral("Copy colour"));
    ASSERT_TRUE(copy);
    copy->trigger();
    const morvi::PaletteColor four = colour(monsters, 4);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromStdString(morvi::hexColorText(four)));
    // Onto another page's swatch.
    Page* portraits = openPage(h, kPortraitsTab);
    QAction* paste = swatchAction(portraits, 6, QStringLiteral("Paste colour"));
    ASSERT_TRUE(paste);
    paste->trigger();
    EXPECT_EQ(colour(portraits, 6), four);
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Paste Colour"));
    EXPECT_FALSE(swatchAction(portraits, 0, QStringLiteral("Paste colour"))->isEnabled());
    // Text that is no colour is refused with a message.
    QApplication::clipboard()->setText(QStringLiteral("hello"));
    h.prompts.log.clear();
    const std::size_t steps = h.window->history().position();
    swatchAction(portraits, 6, QStringLiteral("Paste colour"))->trigger();
    EXPECT_EQ(h.window->history().position(), steps);
    EXPECT_EQ(h.prompts.log.size(), 1u);

    // The whole palette: out as hex lines, back on another page in one step.
    swatchAction(portraits, 1, QStringLiteral("Copy palette"))->trigger();
    const auto portraitColours = morvi::readPaletteText(QApplication::clipboard()->text().toStdString());
    ASSERT_TRUE(portraitColours.ok());
    EXPECT_EQ(portraitColours.colors.size(), 16u);
    EXPECT_EQ(portraitColours.colors[6], four);
    Page* characters = openPage(h, kCharactersTab);
    swatchAction(characters, 1, QStringLiteral("Paste palette"))->trigger();
    for (int k = 0; k < 16; ++k) EXPECT_EQ(colour(characters, k), morvi::snesRounded(portraitColours.colors[std::size_t(k)]));
    EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Paste Palette"));
    // Text from elsewhere: comma-separated colours fill the first ones.
    QApplication::clipboard()->setText(QStringLiteral("#ff0000, 00FF00"));
    swatchAction(characters, 1, QStringLiteral("Paste palette"))->trigger();
    EXPECT_EQ(colour(characters, 0), morvi::makeColor(248, 0, 0));
    EXPECT_EQ(colour(characters, 1), morvi::makeColor(0, 248, 0));
    EXPECT_EQ(colour(characters, 2), morvi::snesRounded(portraitColours.colors[2]));
    h.window->undo();
    EXPECT_EQ(colour(characters, 0), morvi::snesRounded(portraitColours.colors[0]));
}

TEST(ColourEntry, DraggingASwatchReordersThePaletteAndEverySharerKeepsItsLook) {
    EditorHarness h;
    h.openDemo();
    for (int tab : kPages) {
        SCOPED_TRACE(tab);
        Page* page = openPage(h, tab);
        // Every picture on the page's palette, as it looks now.
        auto sharers = [&] {
            std::vector<const morvi::IndexedImage*> out;
            const morvi::PaletteTarget t{page->family(), page->place().picture};
            if (tab == kPortraitsTab) {
                for (auto& p : portraitsOf(*h.ws).portraits)
                    if (p.paletteNumber == portraitsOf(*h.ws).portraits[std::size_t(t.index)].paletteNumber) out.push_back(&p.image);
            } else if (tab == kCharactersTab) {
                for (auto& c : charactersOf(*h.ws).characters)
                    if (!c.fixedPalette && c.paletteNumber == charactersOf(*h.ws).characters[std::size_t(t.index)].paletteNumber)
                        for (auto& s : c.sprites) out.push_back(&s);
            } else {
                out.push_back(&monstersOf(*h.ws).entries[std::size_t(t.index)].image);
            }
            return out;
        };
        std::vector<std::vector<std::uint32_t>> looks;
        for (auto* image : sharers()) looks.push_back(look(*image));
        const auto pixels = page->editedPicture()->pixels;
        const morvi::PaletteColor one = colour(page, 1), five = colour(page, 5);

        drag(page->widgets().strip, {swatchCentre(page, 1), swatchCentre(page, 3), swatchCentre(page, 5)});
        EXPECT_EQ(colour(page, 5), one);
        EXPECT_EQ(colour(page, 1), five);
        EXPECT_EQ(page->palette().current(), 5) << "the dragged colour stays current";
        EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Swap Colours"));
        std::size_t i = 0;
        for (auto* image : sharers()) EXPECT_EQ(look(*image), looks[i++]);
        EXPECT_NE(page->editedPicture()->pixels, pixels);

        // Ctrl at the drop moves the colour there and shifts the ones between.
        const auto palette = morvi::targetPalette(*h.ws, {page->family(), page->place().picture});
        QTest::mousePress(page->widgets().strip, Qt::LeftButton, Qt::NoModifier, swatchCentre(page, 6));
        QMouseEvent move(QEvent::MouseMove, QPointF(swatchCentre(page, 4)), page->widgets().strip->mapToGlobal(QPointF(swatchCentre(page, 4))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page->widgets().strip, &move);
        QTest::mouseRelease(page->widgets().strip, Qt::LeftButton, Qt::ControlModifier, swatchCentre(page, 2));
        const auto moved = morvi::targetPalette(*h.ws, {page->family(), page->place().picture});
        EXPECT_EQ(moved[2], palette[6]);
        EXPECT_EQ(moved[3], palette[2]);
        EXPECT_EQ(moved[6], palette[5]);
        EXPECT_EQ(moved[7], palette[7]);
        EXPECT_EQ(h.window->action("undo")->text(), QStringLiteral("&Undo Move Colour"));
        i = 0;
        for (auto* image : sharers()) EXPECT_EQ(look(*image), looks[i++]);

        h.window->undo();
        h.window->undo();
        EXPECT_EQ(page->editedPicture()->pixels, pixels);
        EXPECT_EQ(colour(page, 1), one);
        // A drag back onto the same swatch is only a click.
        const std::size_t steps = h.window->history().position();
        drag(page->widgets().strip, {swatchCentre(page, 2), swatchCentre(page, 3), swatchCentre(page, 2)});
        EXPECT_EQ(h.window->history().position(), steps);
    }
}

TEST(ColourEntry, TheStripMarksColoursThePictureDoesNotUse) {
    EditorHarness h;
    h.openDemo();
    Page* page = openPage(h, kPortraitsTab);
    h.prompts.answers = {Answer::Ok};
    page->clearImage();
    page->chooseTool(Tool::Draw);
    page->widgets().strip;
    click(page->widgets().strip, swatchCentre(page, 9));
    click(page->widgets().canvas, QPoint(10, 10));
    const morvi::Surface& s = page->widgets().strip->surface();
    auto marked = [&](int k) {
        // A pixel of the corner mark clear of the current swatch's rings.
        const std::uint32_t corner = s.at(k * 18 + 14, 26), inside = s.at(k * 18 + 9, 15);
        return corner != inside;
    };
    EXPECT_FALSE(marked(9)) << "drawn with";
    EXPECT_FALSE(marked(0)) << "the cleared rest";
    EXPECT_TRUE(marked(5));
    EXPECT_TRUE(marked(15));
}

TEST(ColourEntry, ATypedColourAndASwapSurviveSaveAndReopen) {
    EditorHarness h;
    h.openDemo();
    std::vector<std::pair<std::vector<std::uint32_t>, std::vector<morvi::PaletteColor>>> expected;
    for (int tab : kPages) {
        Page* page = openPage(h, tab);
        click(page->widgets().strip, swatchCentre(page, 2));
        typeInto(page->widgets().colorControls->field(1), QStringLiteral("03E0"));
        drag(page->widgets().strip, {swatchCentre(page, 2), swatchCentre(page, 7)});
        expected.push_back({look(*page->editedPicture()), morvi::targetPalette(*h.ws, {page->family(), page->place().picture})});
        EXPECT_EQ(expected.back().second[7], morvi::makeColor(0, 248, 0));
    }
    ASSERT_TRUE(h.window->saveRom());
    auto again = morvi::Workspace::create();
    ASSERT_TRUE(morvi::openRom(*again, h.romPath(), morvi::HeaderChoice::Detect).ok);
    std::size_t i = 0;
    for (int tab : kPages) {
        Page* page = openPage(h, tab);
        const morvi::PaletteTarget t{page->family(), page->place().picture};
        EXPECT_EQ(morvi::targetPalette(*again, t), expected[i].second) << tab;
        const morvi::IndexedImage& reread = tab == kMonstersTab    ? monstersOf(*again).entries[std::size_t(t.index)].image
                                            : tab == kPortraitsTab ? portraitsOf(*again).portraits[std::size_t(t.index)].image
                                                                   : charactersOf(*again).characters[std::size_t(t.index)]
                                                                         .sprites[std::size_t(characterPage(*h.window)->selectedSprite())];
        EXPECT_EQ(look(reread), expected[i].first) << tab;
        ++i;
    }
}
