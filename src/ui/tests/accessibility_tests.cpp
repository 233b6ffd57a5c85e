// Every control a person can operate has a name a screen reader can read out.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ui/pages/character_page.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/tests/ui_test_support.h"

using namespace morvi::ui;

namespace {

bool interactive(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractItemView*>(w) ||
           qobject_cast<QTabBar*>(w) || qobject_cast<SurfaceView*>(w);
}

// The interactive widgets under root whose accessible name is empty, by class and object name.
QStringList unnamed(QWidget* root) {
    QStringList out;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (!interactive(w) || !w->isVisibleTo(root)) continue;
        // Parts that a spin box, combo box or list builds inside itself are read through their owner.
        bool inner = false;
        for (QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
            inner = inner || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p) ||
                    qobject_cast<QAbstractItemView*>(p);
        if (inner || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            out << QStringLiteral("%1 %2").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
        // A tab bar's tabs are its accessible children.
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                if (!a || !a->child(i) || a->child(i)->text(QAccessible::Name).isEmpty()) out << QStringLiteral("tab %1").arg(i);
    }
    return out;
}

QStringList unnamedActions(QMenuBar* bar) {
    QStringList out;
    for (QAction* top : bar->actions()) {
        if (top->text().isEmpty()) out << QStringLiteral("menu");
        if (!top->menu()) continue;
        for (QAction* a : top->menu()->actions())
            if (!a->isSeparator() && QString(a->text()).remove(QLatin1Char('&')).trimmed().isEmpty()) out << top->text();
    }
    return out;
}

} // namespace

TEST(Accessibility, EveryControlOfTheWindowItsPagesAndDialogsHasAName) {
    QAccessible::setActive(true);
    EditorHarness h;
    h.openDemo();
    EXPECT_EQ(unnamed(h.window.get()), QStringList());
    EXPECT_EQ(unnamedActions(h.window->menuBar()), QStringList());
    for (int tab = 0; tab < 4; ++tab) {
        h.window->tabBar()->setCurrentIndex(tab);
        EXPECT_EQ(unnamed(h.window->currentPage()), QStringList()) << tab;
    }
    // The names the pages share.
    for (Page* page : {static_cast<Page*>(monsterPage(*h.window)), static_cast<Page*>(portraitPage(*h.window)),
                             static_cast<Page*>(characterPage(*h.window))}) {
        EXPECT_EQ(page->widgets().canvas->accessibleName(), QStringLiteral("Canvas"));
        EXPECT_EQ(page->widgets().strip->accessibleName(), QStringLiteral("Palette"));
        EXPECT_EQ(page->widgets().pictureList->accessibleName(), QStringLiteral("Picture list"));
        EXPECT_EQ(page->widgets().paletteList->accessibleName(), QStringLiteral("Palette number"));
        EXPECT_EQ(page->widgets().magnification->spinBox()->accessibleName(), QStringLiteral("Magnification"));
        EXPECT_EQ(page->widgets().colorControls->slider(0)->accessibleName(), QStringLiteral("Red"));
        EXPECT_EQ(page->widgets().colorControls->slider(1)->accessibleName(), QStringLiteral("Green"));
        EXPECT_EQ(page->widgets().colorControls->slider(2)->accessibleName(), QStringLiteral("Blue"));
        EXPECT_EQ(page->widgets().tools->button(Tool::Draw)->accessibleName(), QStringLiteral("Draw"));
        EXPECT_EQ(page->widgets().tools->button(Tool::Erase)->accessibleName(), QStringLiteral("Erase"));
        EXPECT_EQ(page->widgets().tools->button(Tool::Pick)->accessibleName(), QStringLiteral("Pick"));
    }
    EXPECT_EQ(monsterPage(*h.window)->widgets().preview->accessibleName(), QStringLiteral("Preview"));
    EXPECT_EQ(portraitPage(*h.window)->widgets().preview->accessibleName(), QStringLiteral("Preview"));
    EXPECT_EQ(characterPage(*h.window)->widgets().preview->accessibleName(), QStringLiteral("Sprite sheet"));
    EXPECT_EQ(monsterPage(*h.window)->recordList()->accessibleName(), QStringLiteral("Graphics record"));
    EXPECT_EQ(monsterPage(*h.window)->sizeList()->accessibleName(), QStringLiteral("Size"));
    EXPECT_EQ(monsterPage(*h.window)->colorList()->accessibleName(), QStringLiteral("Colours"));

    GridDialog grid(h.window.get(), h.ws->settings);
    EXPECT_EQ(unnamed(&grid), QStringList());
    BackgroundChooser chooser(h.window.get(), h.ws->backgrounds, h.ws->settings);
    EXPECT_EQ(unnamed(&chooser), QStringList());
    ExportDialog exporter(h.window.get(), h.prompts, QStringLiteral("Export portrait"), QStringLiteral("a.png"),
                          morvi::ExportFileType::Png, true);
    EXPECT_EQ(unnamed(&exporter), QStringList());
    CopyListDialog copy(h.window.get(), QStringLiteral("Copy monster image"), {"a", "b"});
    EXPECT_EQ(unnamed(&copy), QStringList());
    CopyChoiceDialog choice(h.window.get(), QStringLiteral("Copy character sprite"), QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(unnamed(&choice), QStringList());
}
