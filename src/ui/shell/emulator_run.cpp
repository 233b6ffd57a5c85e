// "Run in Emulator": the work as it stands, written as a save would write it to a copy of the
// ROM's own, started in the user's emulator; the ROM on disk and the session stay as they are.
#include "ui/shell/emulator_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "app/emulator.h"
#include "app/rom_save.h"
#include "family/workspace.h"
#include "ui/dialogs/prompts.h"
#include "ui/pages/page.h"

namespace morvi::ui {

EmulatorRun::~EmulatorRun() {
    for (const QString& copy : m_copies) QFile::remove(copy);
}

QString EmulatorRun::copyPath() const {
    QString folder = m_copyFolder;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/test-roms");
    // One name per ROM, so the emulator's battery saves and save states for it last between runs.
    const QFileInfo rom(QString::fromStdString(m_ws.rom.romPath));
    return QDir(folder).filePath(rom.completeBaseName() + QStringLiteral("-test.smc"));
}

bool EmulatorRun::choose() {
    QString current = QString::fromStdString(m_ws.settings.emulator);
    if (current.isEmpty()) current = QString::fromStdString(morvi::findEmulator());
    if (current.isEmpty())
        m_prompts.message(QStringLiteral("No emulator is set, and none was found on this machine (mednafen, retroarch with a "
                                         "SNES core, snes9x, bsnes). Name the one to use."),
                          Icon::Information);
    const auto answer = m_prompts.askText(m_parent, QStringLiteral("Emulator"),
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

void EmulatorRun::run(const std::vector<Page*>& pages) {
    if (m_ws.rom.romPath.empty()) return;
    if (m_ws.settings.emulator.empty() && !choose()) return;
    const QString copy = copyPath();
    const std::vector<std::string> command = morvi::emulatorCommand(m_ws.settings.emulator, copy.toUtf8().toStdString());
    if (command.empty()) {
        m_prompts.message(QStringLiteral("The emulator's command cannot be read; set it again with Options > Emulator ..."), Icon::Warning);
        return;
    }
    // Every unsaved change of every family, as Save would write it.
    morvi::SaveRequest request;
    for (Page* page : pages)
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
    if (!m_copies.contains(copy)) m_copies << copy;
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
