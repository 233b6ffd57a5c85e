// The main window's work with the ROM file: opening (the menu, recent files, the command line,
// a dropped file), saving the changed families as one transaction, patches, and closing.
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QTabBar>
#include <QLabel>

#include "app/rom_session.h"
#include "family/workspace.h"
#include "rom/patch.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/prompts.h"
#include "ui/dialogs/settings_store.h"
#include "app/families.h"
#include "ui/pages/page.h"
#include "ui/pages/page_table.h"
#include "ui/shell/main_window.h"
#include "ui/shell/recent_menu.h"

namespace morvi::ui {

namespace {

constexpr QPoint kLoadingOffset(150, 100);
constexpr QPoint kSavingOffset(150, 130);
// The names ROM images go by: .sfc is today's usual one, .swc and .fig those of old copiers.
const QString kRomFilter = QStringLiteral("ROM file (*.smc *.sfc *.swc *.fig)");

bool isRomFileName(const QString& path) {
    for (const char* ending : {".smc", ".sfc", ".swc", ".fig"})
        if (path.endsWith(QLatin1String(ending), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

bool MainWindow::confirmDiscard() {
    if (!anyChanged()) return true;
    switch (m_prompts.ask(QStringLiteral("Save changes to the ROM?"), Buttons::YesNoCancel, Icon::Question)) {
    case Answer::Yes: return saveRom();
    case Answer::No: return true;
    default: return false;
    }
}

void MainWindow::openRom(int source) {
    if (!confirmDiscard()) return;
    QString path;
    if (source >= 0 && source < morvi::kRecentFileCount) {
        if (std::size_t(source) >= m_ws.settings.recentFiles.size()) return;
        path = QString::fromStdString(m_ws.settings.recentFiles[std::size_t(source)]);
    } else {
        path = m_prompts.openFile(this, FileRequest{QStringLiteral("Select location of Final Fantasy III ROM"),
                                                    {kRomFilter, QStringLiteral("All files (*.*)")},
                                                    QString(),
                                                    QString()});
        if (path.isEmpty()) return;
    }
    loadRom(path);
}

void MainWindow::openRomPath(const QString& path) {
    settlePages();
    if (!confirmDiscard()) return;
    loadRom(path);
}

void MainWindow::loadRom(const QString& path) {
    const std::string file = path.toUtf8().toStdString();
    auto progress = std::make_unique<ProgressWindow>(this, QStringLiteral("Loading Final Fantasy III ROM ..."),
                                                     kLoadingOffset);
    auto fail = [&] {
        progress.reset();
        m_prompts.message(QString::fromLatin1(morvi::kMsgLoadError), Icon::Error);
    };
    // The file is read once: the header test, the families and the backgrounds all see the
    // same bytes.
    std::vector<std::uint8_t> bytes;
    if (file.size() > morvi::kRomPathCapacity || !morvi::readRomFile(file, bytes)) return fail();
    const morvi::HeaderTest test = morvi::detectRomHeader(std::span<const std::uint8_t>(bytes));
    const std::optional<bool> detected = morvi::headerFromTest(test);
    if (!detected && m_prompts.ask(QString::fromLatin1(morvi::kMsgNotARom), Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    const bool header = detected.value_or(m_ws.rom.romHasHeader);
    const morvi::RomBytes rom(bytes, header);
    if (!morvi::loadRomFamilies(m_ws, rom)) return fail();
    progress.reset();
    m_ws.rom.romHasHeader = header;

    const bool first = m_ws.rom.romPath.empty();
    m_ws.rom.romPath = file;
    // The pages hold what the file holds now: any edits were saved or discarded before, and
    // nothing of the old file can be undone into the new one.
    m_history.clear();
    for (Page* page : pages()) page->setChanged(false);
    if (first) firstRomLoaded(rom);
    else
        for (Page* page : pages()) page->reloaded();
    updateCommands();
    // What the file held when opened: a save tells another program's changes by it.
    m_ws.romOnDisk = std::move(bytes);
    m_ws.settings.addRecentFile(file);
    m_recent->rebuild(m_ws.settings.recentFiles);
}

void MainWindow::firstRomLoaded(const morvi::RomBytes& rom) {
    {
        ProgressWindow progress(this, QStringLiteral("Loading backgrounds ..."), kLoadingOffset);
        morvi::loadBackgrounds(m_ws.backgrounds, rom, m_ws.settings.background);
    }
    m_hint->hide();
    m_tabs->show();
    m_stack->show();
    // Each page is made once, when it is first shown or asked for, and keeps its state across
    // later opens; the first open makes only the page it shows.
    m_pagesReady = true;
    emit pagesMade();
    if (m_ws.settings.tab >= m_tabRefs.size()) m_ws.settings.tab = 0;
    {
        QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentIndex(m_ws.settings.tab);
    }
    selectTab(m_ws.settings.tab);
}

bool MainWindow::saveRom() {
    settlePages();
    auto progress = std::make_unique<ProgressWindow>(this, QStringLiteral("Saving Final Fantasy III ROM ..."),
                                                     kSavingOffset);
    // The changed families are one transaction: all of them reach the file or none does.
    morvi::SaveRequest request;
    std::vector<std::pair<Page*, morvi::Snapshot>> saving;
    for (Page* page : pages()) {
        if (!page->changed()) continue;
        // A save may change the data on its own (the monster save drops unused records and
        // renumbers them): that is kept as part of the history, so undo stays exact.
        saving.emplace_back(page, morvi::takeSnapshot(m_ws, page->family()));
        page->addToSave(request);
    }
    PromptNotifier notifier(m_prompts);
    const morvi::SaveOutcome outcome = morvi::saveRomFamilies(m_ws, request, *m_diskSteps, notifier, [&] {
        progress.reset();
        return m_prompts.ask(QString::fromLatin1(morvi::kMsgChangedOnDisk), Buttons::YesNo, Icon::Warning) == Answer::Yes;
    });
    for (auto& [page, before] : saving) {
        m_history.recordHidden(m_ws, page->family(), before);
        // Edits that were not written still count as unsaved.
        if (outcome.ok) m_history.markSaved(page->family());
        page->setChanged(!outcome.ok);
        page->afterSave();
    }
    updateCommands();
    progress.reset();
    if (!outcome.ok) {
        if (!outcome.error.empty()) m_prompts.message(QString::fromStdString(outcome.error), Icon::Error);
        return false;
    }
    m_prompts.message(QStringLiteral("ROM saved"), Icon::None);
    return true;
}

void MainWindow::createPatch() {
    if (m_ws.rom.romPath.empty()) return;
    // A patch is made from the ROM as it is on disk.
    if (anyChanged()) {
        switch (m_prompts.ask(QStringLiteral("The patch is made from the ROM as saved. Save changes to the ROM first?"),
                              Buttons::YesNoCancel, Icon::Question)) {
        case Answer::Yes:
            if (!saveRom()) return;
            break;
        case Answer::No: break;
        default: return;
        }
    }
    const QString original = m_prompts.openFile(
        this, FileRequest{QStringLiteral("Select the original, unmodified ROM"),
                          {kRomFilter, QStringLiteral("All files (*.*)")}, QString(), QString()});
    if (original.isEmpty()) return;
    QString suggested = QString::fromStdString(m_ws.rom.romPath);
    const int dot = suggested.lastIndexOf(QLatin1Char('.'));
    if (dot > suggested.lastIndexOf(QLatin1Char('/'))) suggested.truncate(dot);
    const QString patch = m_prompts.saveFile(
        this, FileRequest{QStringLiteral("Save the patch as"),
                          {QStringLiteral("BPS patch (*.bps)"), QStringLiteral("IPS patch (*.ips)")},
                          suggested + QStringLiteral(".bps"), QStringLiteral("bps")});
    if (patch.isEmpty()) return;
    const std::string patchPath = patch.toUtf8().toStdString();
    const auto format = morvi::patchFormatOf(patchPath);
    if (!format) {
        m_prompts.message(QStringLiteral("A patch file name ends in .bps or .ips."), Icon::Warning);
        return;
    }
    const std::string error = morvi::writePatchFile(original.toUtf8().toStdString(), m_ws.rom.romPath, patchPath, *format);
    if (!error.empty()) {
        m_prompts.message(QString::fromStdString(error), Icon::Error);
        return;
    }
    m_prompts.message(QStringLiteral("Patch created"), Icon::Information);
}

bool MainWindow::askSaveChanges() { return !confirmDiscard(); }

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty() && event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || event->mimeData()->urls().isEmpty()) return;
    const QUrl url = event->mimeData()->urls().first();
    if (!url.isLocalFile()) return;
    event->acceptProposedAction();
    const QString path = url.toLocalFile();
    // A ROM opens (with the usual questions); a picture goes to the page as an import.
    Page* page = currentPage();
    if (isRomFileName(path) || m_ws.rom.romPath.empty() || !page)
        openRomPath(path);
    else
        page->transfers().takeImportFile(path, false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    settlePages();
    if (askSaveChanges()) {
        event->ignore();
        return;
    }
    morvi::Settings& s = m_ws.settings;
    s.xPos = pos().x();
    s.yPos = pos().y();
    // A maximised window keeps the size it had before, for when it is restored.
    s.maximized = isMaximized() ? 1 : 0;
    const QSize kept = isMaximized() || isFullScreen() ? normalGeometry().size() : size();
    s.width = kept.width();
    s.height = kept.height();
    saveSettings(s, pos());
    event->accept();
}

} // namespace morvi::ui
