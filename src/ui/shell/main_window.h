#pragma once
// The editor's main window: the menus made from the command table, a tab for each tab of each
// family of the registry over the families' pages (made at the first open), opening and saving
// the ROM, and the close flow.
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/history.h"
#include "rom/file_io.h"
#include "ui/editor/edit_sink.h"

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabBar;

namespace morvi {
struct RomBytes;
struct Workspace;
}

namespace morvi::ui {

class EmulatorRun;
class Page;
class Prompts;
class RecentMenu;
class StatusTexts;

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
    // File > "Create Patch ...".
    void createPatch();
    void openGridSettings();
    void openBackgroundChooser();
    void undo();
    void redo();
    // File > "Run in Emulator" (F5): the pages' selections put down, then the emulator run.
    void runInEmulator();
    EmulatorRun& emulator() const { return *m_emulator; }

    // The page the current tab shows; null before the first open.
    Page* currentPage() const;
    void selectTab(int index);
    bool anyChanged() const;

    QTabBar* tabBar() const { return m_tabs; }
    // The pages made so far (none before the first open). A page is made when it is first
    // shown or asked for, so the first open builds only the page it shows.
    const std::vector<Page*>& pages() const { return m_pages; }
    // The page of a family, made now if it was not yet; null before the first open.
    Page* pageOf(morvi::Family family);
    // The first tab of a family's page.
    int tabOf(morvi::Family family) const;
    // The action a command of the table makes (see commands.h for the ids).
    QAction* action(const char* id) const;
    QMenu* menu(const char* title) const { return m_menus.at(title); }
    QList<QAction*> recentActions() const;
    const StatusTexts& statusTexts() const { return *m_status; }
    morvi::EditHistory& history() { return m_history; }
    // The dialog a tool command opened, while it is open.
    QDialog* toolDialog() const { return m_toolDialog; }
    // Where saves touch the disk: tests stop or fail a save at any of its steps.
    void setDiskSteps(morvi::DiskSteps& steps) { m_diskSteps = &steps; }
    // Brings the commands' enabled state and the undo texts up to date.
    void updateCommands();

signals:
    // The pages were made (at the first open).
    void pagesMade();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    // The canvas keys of a page: the table's canvas commands and the tools' keys.
    bool canvasKey(Page* page, QKeyCombination key, bool claimOnly);
    // The size at the start: the kept one, or room for a 128 x 128 picture at x4.
    void sizeWindow();
    // Puts every page's lifted selection down.
    void settlePages();
    bool confirmDiscard();
    void loadRom(const QString& path);
    void firstRomLoaded(const morvi::RomBytes& rom);
    void addPage(Page* page);
    void showToolDialog(QDialog* dialog);
    void historyMoved(morvi::Family family, morvi::Place place);
    QMenu* imageMenu() const { return menu("&Image"); }

    morvi::Workspace& m_ws;
    Prompts& m_prompts;
    morvi::EditHistory m_history;
    EditorContext m_context;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_hint = nullptr;
    // A tab: the family it shows and which of the family's tabs it is.
    struct TabRef {
        morvi::Family family;
        int familyTab;
        int firstPicture;
    };
    std::vector<TabRef> m_tabRefs;
    std::vector<Page*> m_pages;
    bool m_pagesReady = false; // a ROM was opened: pages may be made
    std::map<std::string, QMenu*> m_menus;
    std::map<std::string, QAction*> m_actions;
    std::unique_ptr<StatusTexts> m_status;
    std::unique_ptr<RecentMenu> m_recent;
    QPointer<QDialog> m_toolDialog;
    std::unique_ptr<EmulatorRun> m_emulator;
    morvi::DiskSteps m_plainSteps;
    morvi::DiskSteps* m_diskSteps = &m_plainSteps;
};

} // namespace morvi::ui
