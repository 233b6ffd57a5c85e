#include "ui/shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/rom_session.h"
#include "app/workspace.h"
#include "rom/patch.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/prompts.h"
#include "ui/dialogs/resources.h"
#include "ui/dialogs/settings_store.h"
#include "ui/pages/character_page.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/shell/commands.h"
#include "ui/shell/status_bar.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/tool_buttons.h"

namespace morvi::ui {

namespace {

constexpr QPoint kLoadingOffset(150, 100);
constexpr QPoint kSavingOffset(150, 130);

QString recentText(int index, const std::string& path) {
    // The path's own ampersands must not become mnemonics.
    const std::string text = morvi::recentMenuText(index, path);
    const std::size_t prefix = text.find(' ') + 1;
    return QString::fromStdString(text.substr(0, prefix)) +
           QString::fromStdString(text.substr(prefix)).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

MainWindow::MainWindow(morvi::Workspace& ws, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_ws(ws), m_prompts(prompts), m_context{ws, prompts, m_history} {
    initResources();
    setWindowTitle(kCaption);
    setWindowIcon(programIcon());
    setObjectName(QStringLiteral("mainWindow"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setAcceptDrops(true);
    const QRect desktop = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->virtualGeometry()
                                                           : QRect(0, 0, 1920, 1080);
    move(morvi::placeWindowCoordinate(ws.settings.xPos, desktop.right()),
         morvi::placeWindowCoordinate(ws.settings.yPos, desktop.bottom()));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabs = new QTabBar(central);
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    for (const char* name : {"Monsters", "Espers", "Portraits", "Characters"})
        m_tabs->addTab(QString::fromLatin1(name));
    m_tabs->setExpanding(false);
    m_stack = new QStackedWidget(central);
    m_hint = new QLabel(QStringLiteral("Open a Final Fantasy III ROM with File > Open ... (Ctrl+O)."), central);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setEnabled(false);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_hint, 1);
    m_tabs->hide();
    m_stack->hide();
    setCentralWidget(central);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0) selectTab(index);
    });
    m_status = std::make_unique<StatusTexts>(statusBar());
    buildMenus();
    rebuildRecentMenu();
    sizeWindow();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    for (const Command& c : commandTable()) {
        if (!c.menu) continue;
        QMenu*& menu = m_menus[c.menu];
        if (!menu) menu = menuBar()->addMenu(QString::fromUtf8(c.menu));
        if (c.separatorBefore) menu->addSeparator();
        QAction* a = menu->addAction(QString::fromUtf8(c.text));
        // A key of the canvas shows in the menu text only: the window does not take it.
        if (c.scope == KeyScope::Window) a->setShortcuts(c.keys);
        const Command* command = &c;
        connect(a, &QAction::triggered, this, [this, command] {
            Page* page = currentPage();
            if (!command->always && !page) return;
            command->run(*this, page);
        });
        m_actions[c.id] = a;
    }
    updateCommands();
}

QAction* MainWindow::action(const char* id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void MainWindow::updateCommands() {
    Page* page = currentPage();
    for (const Command& c : commandTable()) {
        QAction* a = action(c.id);
        if (!a || !c.menu) continue;
        a->setEnabled(c.always || (page && (!c.enabled || c.enabled(*page))));
    }
    const bool canUndo = page && m_history.canUndo(), canRedo = page && m_history.canRedo();
    action("undo")->setEnabled(canUndo);
    action("redo")->setEnabled(canRedo);
    action("undo")->setText(canUndo ? QStringLiteral("&Undo ") + QString::fromStdString(m_history.undoLabel()) : QStringLiteral("&Undo"));
    action("redo")->setText(canRedo ? QStringLiteral("&Redo ") + QString::fromStdString(m_history.redoLabel()) : QStringLiteral("&Redo"));
    imageMenu()->setEnabled(page != nullptr);
    imageMenu()->menuAction()->setEnabled(page != nullptr);
}

bool MainWindow::canvasKey(Page* page, QKeyCombination key, bool claimOnly) {
    if (const Command* c = canvasCommand(key, page->hasSelection())) {
        if (!claimOnly) c->run(*this, page);
        return true;
    }
    if (key.keyboardModifiers() != Qt::NoModifier) return false;
    for (const ToolInfo& t : toolTable()) {
        if (key.key() != t.key) continue;
        if (!claimOnly) page->chooseTool(t.tool);
        return true;
    }
    return false;
}

void MainWindow::addPage(Page* page) {
    m_stack->addWidget(page);
    connect(page, &Page::exitRequested, this, &QWidget::close);
    connect(page, &Page::edited, this, &MainWindow::updateCommands);
    connect(page, &Page::selectionShown, this, &MainWindow::updateCommands);
    connect(page, &Page::pointerMoved, this, [this, page](QPoint p) {
        if (page == currentPage()) m_status->showPointer(*page, p);
    });
    connect(page, &Page::pointerLeft, this, [this, page] {
        if (page == currentPage()) m_status->showPointer(*page, std::nullopt);
    });
    connect(page, &Page::toolChanged, this, [this, page] {
        if (page == currentPage()) m_status->showPointer(*page, std::nullopt);
    });
    connect(page, &Page::shapeSized, this, [this](QSize size) { m_status->showShapeSize(size); });
    page->canvas()->setKeys([this, page](QKeyCombination key, bool claimOnly) { return canvasKey(page, key, claimOnly); });
    page->colorControls()->setPassedKeys(commandOverFields);
}

void MainWindow::sizeWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    // With no size kept: room for a 128 x 128 picture at x4 (the canvas at 512 x 512), as the
    // screen allows. The canvas is 256 x 256 in the smallest window.
    const QSize wanted = minimumSizeHint().expandedTo(QSize(kMinimumWidth, kMinimumHeight)) + QSize(256, 256);
    const morvi::Settings& s = m_ws.settings;
    const morvi::WindowSize size = morvi::startWindowSize(s.width, s.height, {available.width(), available.height()},
                                                          {wanted.width(), wanted.height()}, {kMinimumWidth, kMinimumHeight});
    resize(size.width, size.height);
    if (s.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::rebuildRecentMenu() {
    const auto& files = m_ws.settings.recentFiles;
    if (files.empty()) return;
    for (QAction* a : m_recent) {
        fileMenu()->removeAction(a);
        a->deleteLater();
    }
    m_recent.clear();
    if (m_recentSeparator) {
        fileMenu()->removeAction(m_recentSeparator);
        m_recentSeparator->deleteLater();
    }
    m_recentSeparator = fileMenu()->addSeparator();
    for (int i = 0; i < int(files.size()) && i < morvi::kRecentFileCount; ++i) {
        QAction* a = fileMenu()->addAction(recentText(i, files[std::size_t(i)]));
        a->setToolTip(QString::fromStdString(files[std::size_t(i)]));
        connect(a, &QAction::triggered, this, [this, i] { openRom(i); });
        m_recent.push_back(a);
    }
}

std::vector<Page*> MainWindow::pages() const {
    std::vector<Page*> all;
    for (Page* p : std::initializer_list<Page*>{m_monsterPage, m_portraitPage, m_characterPage})
        if (p) all.push_back(p);
    return all;
}

bool MainWindow::anyChanged() const {
    const auto all = pages();
    return std::any_of(all.begin(), all.end(), [](Page* p) { return p->changed(); });
}

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
                                                    {QStringLiteral("ROM file (*.smc)"), QStringLiteral("All files (*.*)")},
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
    rebuildRecentMenu();
}

void MainWindow::firstRomLoaded(const morvi::RomBytes& rom) {
    {
        ProgressWindow progress(this, QStringLiteral("Loading backgrounds ..."), kLoadingOffset);
        morvi::loadBackgrounds(m_ws.backgrounds, rom, m_ws.settings.background);
    }
    m_hint->hide();
    m_tabs->show();
    m_stack->show();
    // The pages are made once, from the data just read, and keep their state across later opens.
    m_monsterPage = new MonsterPage(m_context, m_stack);
    m_portraitPage = new PortraitPage(m_context, m_stack);
    m_characterPage = new CharacterPage(m_context, m_stack);
    for (Page* page : pages()) addPage(page);
    emit pagesMade();
    if (m_ws.settings.tab > 3) m_ws.settings.tab = 0;
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
                          {QStringLiteral("ROM file (*.smc *.sfc)"), QStringLiteral("All files (*.*)")}, QString(), QString()});
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

Page* MainWindow::pageOf(morvi::Family family) const {
    switch (family) {
    case morvi::Family::Monsters: return m_monsterPage;
    case morvi::Family::Portraits: return m_portraitPage;
    default: return m_characterPage;
    }
}

void MainWindow::settlePages() {
    for (Page* page : pages()) page->settle();
}

void MainWindow::undo() {
    // A lifted selection is put down first; the undo then takes back that.
    settlePages();
    const auto family = m_history.undoFamily();
    if (!family || m_history.open()) return;
    if (const auto place = m_history.undo(m_ws)) historyMoved(*family, *place);
}

void MainWindow::redo() {
    settlePages();
    const auto family = m_history.redoFamily();
    if (!family || m_history.open()) return;
    if (const auto place = m_history.redo(m_ws)) historyMoved(*family, *place);
}

void MainWindow::historyMoved(morvi::Family family, morvi::Place place) {
    Page* page = pageOf(family);
    if (!page) return;
    page->dataRestored();
    // Show where the step happened: its page, and for a monster entry the list that holds it.
    int tab = family == morvi::Family::Portraits ? kPortraitsTab : family == morvi::Family::Characters ? kCharactersTab : kMonstersTab;
    if (family == morvi::Family::Monsters && MonsterPage::listOf(place.picture) == MonsterList::Espers) tab = kEspersTab;
    if (tab != m_tabs->currentIndex()) m_tabs->setCurrentIndex(tab);
    page->showPicture(place.picture);
    for (Page* p : pages()) p->refreshChanged();
    updateCommands();
}

Page* MainWindow::currentPage() const {
    switch (m_ws.settings.tab) {
    case kMonstersTab:
    case kEspersTab: return m_monsterPage;
    case kPortraitsTab: return m_portraitPage;
    case kCharactersTab: return m_characterPage;
    default: return nullptr;
    }
}

void MainWindow::selectTab(int index) {
    // Leaving a page (or switching monsters and espers) puts its selection down.
    if (auto* old = qobject_cast<Page*>(m_stack->currentWidget())) old->deselect();
    m_ws.settings.tab = std::uint8_t(index);
    Page* page = currentPage();
    if (!page) return;
    m_stack->setCurrentWidget(page);
    if (index == kMonstersTab || index == kEspersTab)
        m_monsterPage->showList(index == kEspersTab ? MonsterList::Espers : MonsterList::Monsters);
    m_status->showPointer(*page, std::nullopt);
    updateCommands();
}

void MainWindow::showToolDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_toolDialog = dialog;
    connect(dialog, &QDialog::finished, this, [this] {
        if (Page* page = currentPage()) page->redrawPage();
    });
    dialog->open();
}

void MainWindow::openGridSettings() { showToolDialog(new GridDialog(this, m_ws.settings)); }

void MainWindow::openBackgroundChooser() {
    showToolDialog(new BackgroundChooser(this, m_ws.backgrounds, m_ws.settings));
}

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
    if (path.endsWith(QStringLiteral(".smc"), Qt::CaseInsensitive) || m_ws.rom.romPath.empty() || !page)
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
