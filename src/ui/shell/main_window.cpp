#include "ui/shell/main_window.h"

#include <QAction>
#include <algorithm>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/rom_session.h"
#include "rom/patch.h"
#include "app/workspace.h"
#include "imagefile/palette_file.h"
#include "ui/pages/character_page.h"
#include "ui/dialogs/dialogs.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/dialogs/prompts.h"
#include "ui/dialogs/resources.h"
#include "ui/dialogs/settings_store.h"

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
    m_monsterPage = new MonsterPage(m_context, m_stack);
    m_portraitPage = new PortraitPage(m_context, m_stack);
    m_characterPage = new CharacterPage(m_context, m_stack);
    for (Tab* page : pages()) {
        m_stack->addWidget(page);
        connect(page, &Tab::exitRequested, this, &QWidget::close);
        connect(page, &Tab::edited, this, &MainWindow::updateEditMenu);
    }
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
        if (index >= 0) selectPage(index);
    });
    buildMenus();
    rebuildRecentMenu();
    buildStatusBar();
    sizeWindow();
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    auto label = [this, bar](const QString& name, int minimumChars, bool permanent) {
        auto* l = new QLabel(bar);
        l->setAccessibleName(name);
        if (minimumChars) l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QLatin1Char('8')) * minimumChars);
        if (permanent) bar->addPermanentWidget(l);
        else bar->addWidget(l, 1);
        return l;
    };
    m_status.hint = label(QStringLiteral("Hint"), 0, false);
    m_status.size = label(QStringLiteral("Shape size"), 9, true);
    m_status.position = label(QStringLiteral("Pointer position"), 8, true);
    m_status.tile = label(QStringLiteral("Tile"), 10, true);
    m_status.index = label(QStringLiteral("Colour index"), 8, true);
    m_status.color = label(QStringLiteral("Colour"), 14, true);
    for (QLabel* l : {m_status.size, m_status.position, m_status.tile, m_status.index, m_status.color}) l->hide();
    for (Tab* tab : pages()) {
        auto* page = qobject_cast<PictureTab*>(tab);
        if (!page) continue;
        connect(page, &PictureTab::pointerMoved, this, [this, page](QPoint p) {
            if (page == currentPage()) showPointer(page, p);
        });
        connect(page, &PictureTab::pointerLeft, this, [this, page] {
            if (page == currentPage()) showPointer(page, std::nullopt);
        });
        connect(page, &PictureTab::toolChanged, this, [this, page] {
            if (page == currentPage()) showPointer(page, std::nullopt);
        });
        connect(page, &PictureTab::shapeSized, this, [this](QSize size) {
            m_status.size->setText(size.isEmpty() ? QString() : QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
            m_status.size->setVisible(!size.isEmpty());
        });
    }
}

void MainWindow::showPointer(PictureTab* page, std::optional<QPoint> at) {
    const PictureTab::PixelInfo info = at ? page->pixelInfo(*at) : PictureTab::PixelInfo{};
    if (!at || !info.inside) {
        // Off the canvas, or beside the picture: the tool's hint.
        // The pointer's texts make way for the whole hint.
        for (QLabel* l : {m_status.position, m_status.tile, m_status.index, m_status.color}) {
            l->clear();
            l->hide();
        }
        m_status.hint->setText(QString::fromLatin1(toolInfo(page->currentTool()).hint));
        return;
    }
    m_status.hint->clear();
    for (QLabel* l : {m_status.position, m_status.tile, m_status.index, m_status.color}) l->show();
    m_status.position->setText(QStringLiteral("%1, %2").arg(at->x()).arg(at->y()));
    m_status.tile->setText(QStringLiteral("tile %1, %2").arg(at->x() / 8).arg(at->y() / 8));
    m_status.index->setText(QStringLiteral("index %1").arg(info.index));
    m_status.color->setText(QString::fromStdString(morvi::hexColorText(info.color)) + QStringLiteral("  $") +
                            QString::fromStdString(morvi::snesWordText(morvi::snesWord(info.color))));
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

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    m_fileMenu = menuBar()->addMenu(QStringLiteral("File"));
    m_open = m_fileMenu->addAction(QStringLiteral("&Open ...\tCTRL+O"));
    m_open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    m_save = m_fileMenu->addAction(QStringLiteral("&Save \tCTRL+S"));
    m_save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    m_save->setEnabled(false);
    m_createPatch = m_fileMenu->addAction(QStringLiteral("Create &Patch ..."));
    m_createPatch->setEnabled(false);
    connect(m_createPatch, &QAction::triggered, this, &MainWindow::createPatch);
    m_fileMenu->addSeparator();
    m_exit = m_fileMenu->addAction(QStringLiteral("E&xit\tCTRL+X"));
    m_exit->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    connect(m_open, &QAction::triggered, this, [this] { openRom(255); });
    connect(m_save, &QAction::triggered, this, [this] { saveRom(); });
    connect(m_exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_undo = edit->addAction(QStringLiteral("&Undo"));
    m_undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    m_redo = edit->addAction(QStringLiteral("&Redo"));
    m_redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    connect(m_undo, &QAction::triggered, this, &MainWindow::undo);
    connect(m_redo, &QAction::triggered, this, &MainWindow::redo);
    edit->addSeparator();
    m_copy = edit->addAction(QStringLiteral("&Copy picture"));
    m_copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    m_paste = edit->addAction(QStringLiteral("&Paste picture"));
    m_paste->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    m_cut = edit->addAction(QStringLiteral("Cu&t\tCtrl+X"));
    m_delete = edit->addAction(QStringLiteral("&Delete"));
    m_delete->setShortcut(QKeySequence(QKeySequence::Delete));
    m_selectAll = edit->addAction(QStringLiteral("Select &All"));
    m_selectAll->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    m_deselect = edit->addAction(QStringLiteral("&Deselect"));
    m_deselect->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    // With a selection, copy and paste take regions of the picture; without, the whole picture.
    connect(m_copy, &QAction::triggered, this, [this] {
        auto* page = qobject_cast<PictureTab*>(currentPage());
        if (!page) return;
        if (page->hasSelection()) QGuiApplication::clipboard()->setMimeData(page->copySelection());
        else QGuiApplication::clipboard()->setImage(page->copyImage());
    });
    connect(m_paste, &QAction::triggered, this, [this] {
        auto* page = qobject_cast<PictureTab*>(currentPage());
        if (!page) return;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        const bool region = data && data->hasFormat(QString::fromLatin1(kRegionMimeType));
        if (region || (page->hasSelection() && data && data->hasImage())) page->pasteRegion(data);
        else page->pasteImage(QGuiApplication::clipboard()->image());
    });
    connect(m_cut, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->cutSelection();
    });
    connect(m_delete, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->deleteSelection();
    });
    connect(m_selectAll, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->selectAll();
    });
    connect(m_deselect, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->deselect();
    });
    edit->addSeparator();
    m_zoomIn = edit->addAction(QStringLiteral("Zoom &in"));
    m_zoomIn->setShortcuts({QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    m_zoomOut = edit->addAction(QStringLiteral("Zoom &out"));
    m_zoomOut->setShortcut(QKeySequence(QStringLiteral("Ctrl+-")));
    connect(m_zoomIn, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->zoom(1);
    });
    connect(m_zoomOut, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->zoom(-1);
    });
    updateEditMenu();

    m_imageMenu = menuBar()->addMenu(QStringLiteral("&Image"));
    auto pageCommand = [this](const char* text, std::function<void(Tab*)> run) {
        QAction* a = m_imageMenu->addAction(QString::fromLatin1(text));
        connect(a, &QAction::triggered, this, [this, run] {
            if (Tab* page = currentPage()) run(page);
        });
    };
    pageCommand("&Import", [](Tab* p) { p->importImage(); });
    pageCommand("&Export", [](Tab* p) { p->exportImage(); });
    pageCommand("&Clear", [](Tab* p) { p->clearImage(); });
    pageCommand("Flip &horizontal", [](Tab* p) { p->flipImage(0); });
    pageCommand("Flip &vertical", [](Tab* p) { p->flipImage(1); });
    m_rotateRight = m_imageMenu->addAction(QStringLiteral("Rotate 90° clockwise"));
    m_rotateLeft = m_imageMenu->addAction(QStringLiteral("Rotate 90° anticlockwise"));
    connect(m_rotateRight, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->rotateSelection(true);
    });
    connect(m_rotateLeft, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->rotateSelection(false);
    });
    m_imageMenu->addSeparator();
    pageCommand("Import &Palette ...", [](Tab* p) {
        if (auto* page = qobject_cast<PictureTab*>(p)) page->importPalette();
    });
    pageCommand("Export P&alette ...", [](Tab* p) {
        if (auto* page = qobject_cast<PictureTab*>(p)) page->exportPalette();
    });
    m_imageMenu->addSeparator();
    m_zoomFit = m_imageMenu->addAction(QStringLiteral("Zoom to &fit"));
    m_zoomFit->setShortcut(QKeySequence(QStringLiteral("Ctrl+0")));
    connect(m_zoomFit, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->zoomToFit();
    });
    m_actualSize = m_imageMenu->addAction(QStringLiteral("Actual si&ze"));
    m_actualSize->setShortcut(QKeySequence(QStringLiteral("Ctrl+1")));
    connect(m_actualSize, &QAction::triggered, this, [this] {
        if (auto* page = qobject_cast<PictureTab*>(currentPage())) page->actualSize();
    });
    m_imageMenu->setEnabled(false);
    m_imageMenu->menuAction()->setEnabled(false);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    m_grid = options->addAction(QStringLiteral("&Grid settings"));
    m_background = options->addAction(QStringLiteral("Change &Background ..."));
    m_background->setEnabled(false);
    connect(m_grid, &QAction::triggered, this, &MainWindow::openGridSettings);
    connect(m_background, &QAction::triggered, this, &MainWindow::openBackgroundChooser);
}

void MainWindow::rebuildRecentMenu() {
    const auto& files = m_ws.settings.recentFiles;
    if (files.empty()) return;
    for (QAction* a : m_recent) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recent.clear();
    if (m_recentSeparator) {
        m_fileMenu->removeAction(m_recentSeparator);
        m_recentSeparator->deleteLater();
    }
    m_recentSeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < int(files.size()) && i < morvi::kRecentFileCount; ++i) {
        QAction* a = m_fileMenu->addAction(recentText(i, files[std::size_t(i)]));
        a->setToolTip(QString::fromStdString(files[std::size_t(i)]));
        connect(a, &QAction::triggered, this, [this, i] { openRom(i); });
        m_recent.push_back(a);
    }
}

std::array<Tab*, 3> MainWindow::pages() const { return {m_monsterPage, m_portraitPage, m_characterPage}; }

bool MainWindow::anyChanged() const {
    const auto all = pages();
    return std::any_of(all.begin(), all.end(), [](Tab* p) { return p->changed(); });
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
    for (Tab* page : pages()) page->setChanged(false);
    updateEditMenu();
    if (first) firstRomLoaded(rom);
    if (Tab* page = currentPage()) page->redraw();
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
    m_monsterPage->romLoaded();
    m_portraitPage->romLoaded();
    m_characterPage->romLoaded();
    if (m_ws.settings.tab > 3) m_ws.settings.tab = 0;
    {
        QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentIndex(m_ws.settings.tab);
    }
    selectPage(m_ws.settings.tab);
    m_save->setEnabled(true);
    m_createPatch->setEnabled(true);
    m_background->setEnabled(true);
    m_imageMenu->setEnabled(true);
    m_imageMenu->menuAction()->setEnabled(true);
}

bool MainWindow::saveRom() {
    settlePages();
    auto progress = std::make_unique<ProgressWindow>(this, QStringLiteral("Saving Final Fantasy III ROM ..."),
                                                     kSavingOffset);
    // The changed families are one transaction: all of them reach the file or none does.
    morvi::SaveRequest request;
    std::vector<std::pair<Tab*, morvi::Snapshot>> saving;
    for (Tab* page : pages()) {
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
    updateEditMenu();
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

Tab* MainWindow::pageOf(morvi::Family family) const {
    switch (family) {
    case morvi::Family::Monsters: return m_monsterPage;
    case morvi::Family::Portraits: return m_portraitPage;
    default: return m_characterPage;
    }
}

void MainWindow::updateEditMenu() {
    const bool loaded = !m_ws.rom.romPath.empty();
    const bool canUndo = loaded && m_history.canUndo(), canRedo = loaded && m_history.canRedo();
    for (QAction* a : {m_copy, m_paste, m_zoomIn, m_zoomOut, m_zoomFit, m_actualSize, m_cut, m_delete, m_selectAll, m_deselect})
        if (a) a->setEnabled(loaded);
    m_undo->setEnabled(canUndo);
    m_redo->setEnabled(canRedo);
    m_undo->setText(canUndo ? QStringLiteral("&Undo ") + QString::fromStdString(m_history.undoLabel()) : QStringLiteral("&Undo"));
    m_redo->setText(canRedo ? QStringLiteral("&Redo ") + QString::fromStdString(m_history.redoLabel()) : QStringLiteral("&Redo"));
}

void MainWindow::settlePages() {
    for (Tab* page : pages()) page->settle();
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
    Tab* page = pageOf(family);
    page->dataRestored();
    // Show where the step happened.
    if (place.page >= 0 && place.page <= 3 && place.page != m_tabs->currentIndex()) m_tabs->setCurrentIndex(place.page);
    page->showPicture(place.picture);
    for (Tab* p : pages()) p->refreshChanged();
    updateEditMenu();
}

Tab* MainWindow::currentPage() const {
    switch (m_ws.settings.tab) {
    case kMonstersTab:
    case kEspersTab: return m_monsterPage;
    case kPortraitsTab: return m_portraitPage;
    case kCharactersTab: return m_characterPage;
    default: return nullptr;
    }
}

void MainWindow::selectPage(int index) {
    m_ws.settings.tab = std::uint8_t(index);
    // Leaving a page (or switching monsters and espers) puts its selection down.
    if (auto* old = qobject_cast<PictureTab*>(m_stack->currentWidget())) old->deselect();
    Tab* page = currentPage();
    if (!page) return;
    m_stack->setCurrentWidget(page);
    if (index == kMonstersTab || index == kEspersTab) m_monsterPage->selectFamily(index);
    if (auto* picturePage = qobject_cast<PictureTab*>(page)) showPointer(picturePage, std::nullopt);
}

void MainWindow::showToolDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_toolDialog = dialog;
    connect(dialog, &QDialog::finished, this, [this] {
        if (Tab* page = currentPage()) page->redrawPage();
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
    auto* page = qobject_cast<PictureTab*>(currentPage());
    if (path.endsWith(QStringLiteral(".smc"), Qt::CaseInsensitive) || m_ws.rom.romPath.empty() || !page)
        openRomPath(path);
    else
        page->takeImportFile(path, false);
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
