// Palette files from the Image menu on every page.
#include <QAction>
#include <QMenu>
#include <QTabBar>
#include <gtest/gtest.h>

#include <fstream>

#include "imagefile/palette_file.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/page.h"
#include "ui/tests/ui_test_support.h"
#include "monsters/monster_module.h"

using namespace morvi::ui;

namespace {

QAction* imageAction(MainWindow& w, const QString& text) {
    for (QAction* a : w.menu("&Image")->actions())
        if (a->text() == text) return a;
    return nullptr;
}

} // namespace

TEST(PaletteMenu, ExportAndImportOnEveryPageAreOneStepAndReachEverySharer) {
    EditorHarness h;
    h.openDemo();
    MainWindow& w = *h.window;
    QAction* exportAction = imageAction(w, QStringLiteral("Export P&alette ..."));
    QAction* importAction = imageAction(w, QStringLiteral("Import &Palette ..."));
    ASSERT_TRUE(exportAction && importAction);
    {
        std::ofstream f(h.file("in.pal"), std::ios::binary);
        f << "JASC-PAL\n0100\n2\n255 0 0\n1 2 250\n";
    }
    for (int tab : {kMonstersTab, kPortraitsTab, kCharactersTab}) {
        w.tabBar()->setCurrentIndex(tab);
        auto* page = qobject_cast<Page*>(w.currentPage());
        ASSERT_TRUE(page);
        if (tab == kCharactersTab) page->widgets().pictureList->setCurrentIndex(1); // not Esper Terra's fixed palette
        const std::string out = h.file("page" + std::to_string(tab) + ".gpl");
        h.prompts.files = {QString::fromStdString(out)};
        exportAction->trigger();
        const morvi::PaletteRead exported = morvi::loadPaletteFile(out);
        ASSERT_TRUE(exported.ok()) << exported.error;
        const std::size_t count = exported.colors.size();
        EXPECT_TRUE(count == 8 || count == 16);
        // The strip shows the exported colours: the middle of swatch 1.
        const int swatch = page->widgets().strip->width() / int(count) > 18 ? 36 : 18;
        EXPECT_EQ(page->widgets().strip->surface().at(swatch + swatch / 2, 15), exported.colors[1].toRgb32());

        const std::size_t done = w.history().position();
        h.prompts.files = {QString::fromStdString(h.file("in.pal"))};
        importAction->trigger();
        EXPECT_EQ(w.history().position(), done + 1) << "one step";
        EXPECT_EQ(w.action("undo")->text(), QStringLiteral("&Undo Import Palette"));
        EXPECT_EQ(page->editedPicture()->palette[0], morvi::makeColor(248, 0, 0));
        EXPECT_EQ(page->editedPicture()->palette[1], morvi::makeColor(0, 0, 248));
        EXPECT_EQ(page->editedPicture()->palette[2], exported.colors[2]) << "colours past the file's stay";
        EXPECT_TRUE(page->changed());
        w.undo();
        EXPECT_EQ(page->editedPicture()->palette[0], exported.colors[0]);
        EXPECT_EQ(page->editedPicture()->palette[1], exported.colors[1]);
    }
    // A bad file says why, naming it, and changes nothing.
    {
        std::ofstream f(h.file("bad.gpl"), std::ios::binary);
        f << "GIMP Palette\n1 2\n";
    }
    const std::size_t steps = w.history().size();
    h.prompts.log.clear();
    h.prompts.files = {QString::fromStdString(h.file("bad.gpl"))};
    importAction->trigger();
    EXPECT_EQ(w.history().size(), steps);
    ASSERT_FALSE(h.prompts.log.empty());
    EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("bad.gpl"))) << h.prompts.lastText().toStdString();
}

TEST(PaletteMenu, AnImportedMonsterPaletteReachesEveryEntryUsingIt) {
    EditorHarness h;
    h.openDemo();
    MonsterPage* page = monsterPage(*h.window);
    morvi::MonsterGraphics& mg = monstersOf(*h.ws);
    // A monster whose palette another entry uses too.
    int shown = -1, other = -1;
    for (int a = 0; a < morvi::kMonsterCount && shown < 0; ++a)
        for (int e = 0; e < morvi::kMonsterEntryCount; ++e)
            if (e != a && mg.entries[std::size_t(e)].paletteNumber == mg.entries[std::size_t(a)].paletteNumber) {
                shown = a, other = e;
                break;
            }
    ASSERT_GE(shown, 0) << "the demo shares monster palettes";
    page->widgets().pictureList->setCurrentIndex(shown);
    const int number = mg.entries[std::size_t(shown)].paletteNumber;
    {
        std::ofstream f(h.file("in.hex"), std::ios::binary);
        f << "000000\n10f010\n";
    }
    h.prompts.files = {QString::fromStdString(h.file("in.hex"))};
    imageAction(*h.window, QStringLiteral("Import &Palette ..."))->trigger();
    EXPECT_EQ(mg.palettes[std::size_t(number) * 8 + 1], morvi::makeColor(16, 240, 16));
    EXPECT_EQ(mg.entries[std::size_t(other)].image.palette[1], morvi::makeColor(16, 240, 16));
}
