#pragma once
#include <optional>
// The editor's main window: the File, Image and Options menus, the four tabs over the three
// pages, opening and saving the ROM, and the close flow.
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "app/history.h"
#include "ui/pages/tab.h"

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabBar;

namespace morvi {
struct RomBytes;
}

namespace morvi::ui {

class MonsterPage;
class PortraitPage;
class CharacterPage;
class PromptNotifier;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The smallest window: the size of the program's original fixed window.
    static constexpr int kMinimumWidth = 685;
    static constexpr int kMinimumHeight = 490;
    MainWindow(morvi::Workspace& ws, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // source 0..3 opens recent entry source; anything else lets the user choose a file.
    void openRom(int source);
    // Opens a named file (the command line): the same questions and messages as the menu.
    void openRomPath(const QString& path);
    bool saveRom();
    // True when the program must not close.
    bool askSaveChanges();

    Tab* currentPage() const;
    void selectPage(int index);
    bool anyChanged() const;

    QTabBar* tabBar() const { return m_tabs; }
    MonsterPage* monsterPage() const { return m_monsterPage; }
    PortraitPage* portraitPage() const { return m_portraitPage; }
    CharacterPage* characterPage() const { return m_characterPage; }
    QAction* openAction() const { return m_open; }
    QAction* saveAction() const { return m_save; }
    QAction* exitAction() const { return m_exit; }
    QAction* gridAction() const { return m_grid; }
    QAction* backgroundAction() const { return m_background; }
    QAction* undoAction() const { return m_undo; }
    QAction* copyAction() const { return m_copy; }
    QAction* pasteAction() const { return m_paste; }
    QAction* zoomInAction() const { return m_zoomIn; }
    QAction* zoomOutAction() const { return m_zoomOut; }
    QAction* zoomFitAction() const { return m_zoomFit; }
    QAction* actualSizeAction() const { return m_actualSize; }
    // The status bar's texts: the tool's hint, the shape's size, the pointer's picture position,
    // its tile, the palette index under it and that colour.
    struct StatusTexts {
        QLabel* hint = nullptr;
        QLabel* size = nullptr;
        QLabel* position = nullptr;
        QLabel* tile = nullptr;
        QLabel* index = nullptr;
        QLabel* color = nullptr;
    };
    const StatusTexts& statusTexts() const { return m_status; }
    QAction* redoAction() const { return m_redo; }
    morvi::EditHistory& history() { return m_history; }
    void undo();
    void redo();
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* imageMenu() const { return m_imageMenu; }
    QList<QAction*> recentActions() const { return m_recent; }
    // The dialog a tool command opened, while it is open.
    QDialog* toolDialog() const { return m_toolDialog; }

    // Where saves touch the disk: tests stop or fail a save at any of its steps.
    void setDiskSteps(morvi::DiskSteps& steps) { m_diskSteps = &steps; }
    // File > "Create Patch ...".
    void createPatch();
    QAction* createPatchAction() const { return m_createPatch; }

    void openGridSettings();
    void openBackgroundChooser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    // The size at the start: the kept one, or room for a 128 x 128 picture at x4.
    void sizeWindow();
    void buildStatusBar();
    // Puts every page's lifted selection down.
    void settlePages();
    void showPointer(class PictureTab* page, std::optional<QPoint> at);
    void rebuildRecentMenu();
    bool confirmDiscard();
    void loadRom(const QString& path);
    void firstRomLoaded(const morvi::RomBytes& rom);
    void showToolDialog(QDialog* dialog);

    void historyMoved(morvi::Family family, morvi::Place place);
    void updateEditMenu();
    Tab* pageOf(morvi::Family family) const;
    // The three page objects, in the order they are saved.
    std::array<Tab*, 3> pages() const;

    morvi::Workspace& m_ws;
    Prompts& m_prompts;
    morvi::EditHistory m_history;
    EditorContext m_context;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_hint = nullptr;
    MonsterPage* m_monsterPage = nullptr;
    PortraitPage* m_portraitPage = nullptr;
    CharacterPage* m_characterPage = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_imageMenu = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    QAction* m_zoomFit = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_selectAll = nullptr;
    QAction* m_deselect = nullptr;
    QAction* m_rotateRight = nullptr;
    QAction* m_rotateLeft = nullptr;
    QAction* m_actualSize = nullptr;
    StatusTexts m_status;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_open = nullptr;
    QAction* m_save = nullptr;
    QAction* m_exit = nullptr;
    QAction* m_grid = nullptr;
    QAction* m_background = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recent;
    QAction* m_createPatch = nullptr;
    QPointer<QDialog> m_toolDialog;
    morvi::DiskSteps m_plainSteps;
    morvi::DiskSteps* m_diskSteps = &m_plainSteps;
};

} // namespace morvi::ui
