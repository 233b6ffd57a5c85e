#include "ui/pages/family_pages.h"
#include "ui/dialogs/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTabBar>

#include "family/workspace.h"
#include "ui/dialogs/dialogs.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/dialogs/prompts.h"

namespace morvi::ui {

namespace {

// The window with a dialog drawn over it where the dialog would stand.
QPixmap withDialog(QWidget& window, QDialog& dialog) {
    dialog.adjustSize();
    QPixmap base = window.grab();
    const QPixmap top = dialog.grab();
    QPixmap out(std::max(base.width(), 40 + top.width()), std::max(base.height(), 40 + top.height()));
    out.fill(Qt::darkGray);
    QPainter painter(&out);
    painter.drawPixmap(0, 0, base);
    painter.fillRect(QRect(QPoint(40, 40), top.size()).adjusted(-1, -1, 1, 1), Qt::black);
    painter.drawPixmap(40, 40, top);
    return out;
}

} // namespace

bool grabScreenshots(morvi::Workspace& ws, Prompts& prompts, const QString& romPath, const QString& dir) {
    QDir().mkpath(dir);
    // The pages in the smallest window; then the window at 1280 x 900.
    ws.settings.width = MainWindow::kMinimumWidth;
    ws.settings.height = MainWindow::kMinimumHeight;
    MainWindow window(ws, prompts);
    window.show();
    window.openRomPath(romPath);
    if (ws.rom.romPath.empty()) return false;
    // Every tab, named by its title ("Field Sprites" gives field-sprites.png).
    auto fileOfTab = [&](int i, const QString& suffix) {
        return QDir(dir).filePath(window.tabBar()->tabText(i).toLower().replace(QLatin1Char(' '), QLatin1Char('-')) + suffix + QStringLiteral(".png"));
    };
    bool ok = true;
    for (int i = 0; i < window.tabBar()->count(); ++i) {
        window.tabBar()->setCurrentIndex(i);
        QApplication::processEvents();
        ok = window.grab().save(fileOfTab(i, QString())) && ok;
    }
    window.tabBar()->setCurrentIndex(0);
    QApplication::processEvents();
    {
        GridDialog grid(&window, ws.settings);
        ok = withDialog(window, grid).save(QDir(dir).filePath(QStringLiteral("grid-dialog.png"))) && ok;
    }
    {
        BackgroundChooser chooser(&window, ws.backgrounds, ws.settings);
        ok = chooser.grab().save(QDir(dir).filePath(QStringLiteral("background-chooser.png"))) && ok;
    }
    {
        ExportDialog dialog(&window, prompts, QStringLiteral("Export monster"), QStringLiteral("Guard.png"),
                            morvi::ExportFileType::Png, false);
        ok = withDialog(window, dialog).save(QDir(dir).filePath(QStringLiteral("export-dialog.png"))) && ok;
    }
    window.resize(1280, 900);
    QApplication::processEvents();
    monsterPage(window)->editor().zoomToFit();
    QApplication::processEvents();
    ok = window.grab().save(QDir(dir).filePath(QStringLiteral("window-1280x900.png"))) && ok;
    // The pages that grow their sheets with the window, at that size.
    for (int i = 0; i < window.tabBar()->count(); ++i) {
        const QString title = window.tabBar()->tabText(i);
        if (title != QStringLiteral("Characters") && title != QStringLiteral("Field Sprites")) continue;
        window.tabBar()->setCurrentIndex(i);
        QApplication::processEvents();
        ok = window.grab().save(fileOfTab(i, QStringLiteral("-1280x900"))) && ok;
    }
    window.tabBar()->setCurrentIndex(0);
    return ok;
}

} // namespace morvi::ui
