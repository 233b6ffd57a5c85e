// morvi, the editor. `morvi [ROM]` opens the editor, on ROM when one is named;
// `morvi --screenshots DIR ROM` draws every page on ROM into DIR as PNG files and ends.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "family/workspace.h"
#include "ui/shell/main_window.h"
#include "ui/dialogs/prompts.h"
#include "ui/dialogs/resources.h"
#include "ui/dialogs/screenshots.h"
#include "ui/dialogs/settings_store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quarnsby"));
    QCoreApplication::setApplicationName(QStringLiteral("morvi"));
    QApplication::setWindowIcon(morvi::ui::programIcon());
    const QStringList args = QCoreApplication::arguments();

    auto ws = morvi::Workspace::create();
    morvi::ui::QtPrompts prompts;
    morvi::ui::PromptNotifier notifier(prompts);
    ws->notifier = &notifier;

    if (args.size() >= 2 && args[1] == QLatin1String("--screenshots")) {
        if (args.size() != 4) {
            std::fprintf(stderr, "usage: morvi --screenshots DIR ROM\n");
            return 1;
        }
        // The user's settings are neither read nor written: the pictures show the defaults.
        return morvi::ui::grabScreenshots(*ws, prompts, args[3], args[2]) ? 0 : 1;
    }

    ws->settings = morvi::ui::loadSettings();
    morvi::ui::MainWindow window(*ws, prompts);
    window.show();
    if (args.size() >= 2) {
        const QString rom = args[1];
        QTimer::singleShot(0, &window, [&window, rom] { window.openRomPath(rom); });
    }
    return app.exec();
}
