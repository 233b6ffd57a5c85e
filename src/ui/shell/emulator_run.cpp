// "Run in Emulator": the work as it stands, written as a save would write it to a copy of the
// ROM's own, started in the user's emulator; the ROM on disk and the session stay as they are.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "app/emulator.h"
#include "app/rom_save.h"
#include "family/workspace.h"
#include "ui/dialogs/prompts.h"
#include "ui/pages/page.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"

namespace morvi::ui {

QString MainWindow::testCopyPath() const {
    QString folder = m_testCopyFolder;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/test-roms");
    // One name per ROM, so the emulator's battery saves and save states for it last between runs.
    const QFileInfo rom(QString::fromStdString(m_ws.rom.romPath));
    return QDir(folder).filePath(rom.completeBaseName() + QStringLiteral("-test.smc"));
}

bool MainWindow::chooseEmulator() {
    QString current = QString::fromStdString(m_ws.settings.emulator);
    if (current.isEmpty()) current = QString::fromStdString(morvi::findEmulator());
    if (current.isEmpty())
        m_prompts.message(QStringLiteral("No emulator is set, and none was found on this machine (mednafen, retroarch with a "
                                         "SNES core, snes9x, bsnes). Name the one to use."),
                          Icon::Information);
    const auto answer = m_prompts.askText(this, QStringLiteral("Emulator"),
                                          QStringLiteral("The emulator and its arguments (%ROM% stands for the ROM; without it "
                                                         "the ROM comes last):"),
                                          current);
    if (!answer) return false;
    const std::string line = answer->trimmed().toStdString();
    const auto words = morvi::splitCommandLine(line);
    if (!words || words->empty()) {
        m_prompts.message(line.empty() ? QStringLiteral("No emulator was set.")
                                       : QStringLiteral("The emulator's command has a quote that is not closed; it was not set."),
                          Icon::Warning);
        return false;
    }
    m_ws.settings.emulator = line;
    return true;
}

void MainWindow::runInEmulator() {
    if (m_ws.rom.romPath.empty()) return;
    // A lifted selection is put down first, as for a save.
    settlePages();
    if (m_ws.settings.emulator.empty() && !chooseEmulator()) return;
    const QString copy = testCopyPath();
    const std::vector<std::string> command = morvi::emulatorCommand(m_ws.settings.emulator, copy.toUtf8().toStdString());
    if (command.empty()) {
        m_prompts.message(QStringLiteral("The emulator's command cannot be read; set it again with Options > Emulator ..."), Icon::Warning);
        return;
    }
    // Every unsaved change of every family, as Save would write it.
    morvi::SaveRequest request;
    for (Page* page : m_pages)
        if (page->changed()) page->describeSave(request);
    QDir().mkpath(QFileInfo(copy).absolutePath());
    PromptNotifier notifier(m_prompts);
    const morvi::SaveOutcome written = morvi::saveRomCopy(m_ws, request, copy.toUtf8().toStdString(), notifier);
    if (!written.ok) {
        // A refusal of the writers (no room for the monsters) was said by the notifier.
        if (!written.error.empty())
            m_prompts.message(QStringLiteral("Nothing was started: ") + QString::fromStdString(written.error), Icon::Error);
        return;
    }
    if (!m_testCopies.contains(copy)) m_testCopies << copy;
    QStringList arguments;
    for (std::size_t k = 1; k < command.size(); ++k) arguments << QString::fromStdString(command[k]);
    const QString program = QString::fromStdString(command.front());
    // Started on its own: the editor stays usable, and each F5 starts another.
    if (!QProcess::startDetached(program, arguments))
        m_prompts.message(QStringLiteral("The emulator \"%1\" could not be started: it does not exist or cannot be run. "
                                         "Options > Emulator ... sets another.")
                              .arg(program),
                          Icon::Error);
}

} // namespace morvi::ui
