#include "ui/shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
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
#include "family/workspace.h"
#include "rom/patch.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/prompts.h"
#include "ui/dialogs/resources.h"
#include "ui/dialogs/settings_store.h"
#include "app/families.h"
#include "ui/pages/page.h"
#include "ui/pages/page_table.h"
#include "ui/shell/commands.h"
#include "ui/shell/emulator_run.h"
#include "ui/shell/recent_menu.h"
#include "ui/shell/status_bar.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/tool_buttons.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

namespace morvi::ui {

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
    for (morvi::Family family : morvi::families()) {
        if (!pageRowOf(family)) continue;
        const auto tabs = family->tabs();
        for (std::size_t k = 0; k < tabs.size(); ++k) {
            m_tabRefs.push_back({family, int(k), tabs[k].firstPicture});
            m_tabs->addTab(QString::fromStdString(tabs[k].title));
        }
    }
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
    m_recent = std::make_unique<RecentMenu>(menu("File"), [this](int i) { openRom(i); });
    m_recent->rebuild(m_ws.settings.recentFiles);
    m_emulator = std::make_unique<EmulatorRun>(m_ws, m_prompts, this);
    sizeWindow();
}

MainWindow::~MainWindow() = default;

QList<QAction*> MainWindow::recentActions() const { return m_recent->actions(); }

void MainWindow::runInEmulator() {
    // A lifted selection is put down first, as for a save.
    settlePages();
    m_emulator->run(m_pages);
}

void MainWindow::buildMenus() {
    for (const Command& c : commandTable()) {
        if (!c.menu) continue;
        QMenu*& menu = m_menus[c.menu];
        if (!menu) menu = menuBar()->addMenu(QString::fromUtf8(c.menu));
        if (c.separatorBefore) menu->addSeparator();
        QAction* a = menu->addAction(QString::fromUtf8(c.text));
        // A key of the canvas shows in the menu text only: the window does not take it.
        if (c.scope == KeyScope::Window) a->setShortcuts(c.keys);
        a->setCheckable(bool(c.checked));
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
        if (c.checked) a->setChecked(page && c.checked(*page));
    }
    const bool canUndo = page && m_history.canUndo(), canRedo = page && m_history.canRedo();
    action("undo")->setEnabled(canUndo);
    action("redo")->setEnabled(canRedo);
    action("undo")->setText(canUndo ? QStringLiteral("&Undo ") + QString::fromStdString(m_history.undoLabel()) : QStringLiteral("&Undo"));
    action("redo")->setText(canRedo ? QStringLiteral("&Redo ") + QString::fromStdString(m_history.redoLabel()) : QStringLiteral("&Redo"));
    imageMenu()->setEnabled(page != nullptr);
    imageMenu()->menuAction()->setEnabled(page != nullptr);
    // The title names the open ROM and marks unsaved changes, as desktop editors do.
    const QString name = QFileInfo(QString::fromUtf8(m_ws.rom.romPath.c_str())).fileName();
    setWindowTitle(name.isEmpty() ? kCaption : name + QStringLiteral("[*] - ") + kCaption);
    setWindowModified(anyChanged());
}

bool MainWindow::canvasKey(Page* page, QKeyCombination key, bool claimOnly) {
    const Command* c = canvasCommand(key, page->selecting().hasSelection());
    if (c && (!c->enabled || c->enabled(*page))) {
        if (!claimOnly) c->run(*this, page);
        return true;
    }
    // A selection's key that the window also has (Ctrl+X: Cut here, Exit elsewhere) stays the
    // canvas's while it has the focus: with nothing selected it does nothing, rather than quit.
    if (!c && canvasCommand(key, true))
        for (const Command& w : commandTable())
            if (w.scope == KeyScope::Window)
                for (const QKeySequence& k : w.keys)
                    if (k == QKeySequence(key)) return true;
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
    connect(page, &Page::changedChanged, this, &MainWindow::updateCommands);
    connect(page, &Page::selectionShown, this, &MainWindow::updateCommands);
    connect(page, &Page::commandsChanged, this, &MainWindow::updateCommands);
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
    connect(page, &Page::noteShown, this, [this, page](const QString& text) {
        if (page == currentPage()) m_status->showPageNote(*page, text);
    });
    page->widgets().canvas->setKeys([this, page](QKeyCombination key, bool claimOnly) { return canvasKey(page, key, claimOnly); });
    page->widgets().colorControls->setPassedKeys(commandOverFields);
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

bool MainWindow::anyChanged() const {
    const auto all = pages();
    return std::any_of(all.begin(), all.end(), [](Page* p) { return p->changed(); });
}

namespace {

Page* madePage(const std::vector<Page*>& pages, morvi::Family family) {
    for (Page* page : pages)
        if (page->family() == family) return page;
    return nullptr;
}

} // namespace

Page* MainWindow::pageOf(morvi::Family family) {
    if (Page* made = madePage(m_pages, family)) return made;
    const PageRow* row = m_pagesReady ? pageRowOf(family) : nullptr;
    if (!row) return nullptr;
    // Made from the data as it stands: a page made after a later open reads that ROM's.
    Page* page = row->make(m_context, m_stack);
    m_pages.push_back(page);
    addPage(page);
    return page;
}

int MainWindow::tabOf(morvi::Family family) const {
    for (std::size_t t = 0; t < m_tabRefs.size(); ++t)
        if (m_tabRefs[t].family == family) return int(t);
    return -1;
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
    // Show where the step happened: its page, on the family's tab that holds the picture.
    int tab = tabOf(family);
    for (std::size_t t = std::size_t(tab); t < m_tabRefs.size() && m_tabRefs[t].family == family; ++t)
        if (m_tabRefs[t].firstPicture <= place.picture) tab = int(t);
    if (tab != m_tabs->currentIndex()) m_tabs->setCurrentIndex(tab);
    page->showPicture(place.picture);
    for (Page* p : pages()) p->refreshChanged();
    updateCommands();
}

Page* MainWindow::currentPage() const {
    if (m_ws.settings.tab >= m_tabRefs.size()) return nullptr;
    // The page on show was made when its tab was selected.
    return madePage(m_pages, m_tabRefs[m_ws.settings.tab].family);
}

void MainWindow::selectTab(int index) {
    // Leaving a page (or switching monsters and espers) puts its selection down.
    if (Page* old = currentPage()) old->selecting().deselect();
    m_ws.settings.tab = std::uint8_t(index);
    Page* page = index >= 0 && std::size_t(index) < m_tabRefs.size() ? pageOf(m_tabRefs[std::size_t(index)].family) : nullptr;
    if (!page) return;
    m_stack->setCurrentWidget(page);
    page->showTab(m_tabRefs[std::size_t(index)].familyTab);
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

} // namespace morvi::ui
