#pragma once
// The editor's main window: the menus made from the command table, the four tabs over the
// three pages (made at the first open), opening and saving the ROM, and the close flow.
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

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

class MonsterPage;
class Page;
class PortraitPage;
class CharacterPage;
class Prompts;
class StatusTexts;

// The tabs, in their order on the tab bar.
enum TabIndex : int { kMonstersTab = 0, kEspersTab = 1, kPortraitsTab = 2, kCharactersTab = 3 };

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
    // File > "Run in Emulator" (F5): the ROM as a save would write it now, in a copy of its own,
    // started in the emulator. Options > "Emulator ...": which one; false when none was chosen.
    void runInEmulator();
    bool chooseEmulator();
    // Where the copies for the emulator go (a folder of the program's own by default); they are
    // removed when the window goes.
    void setTestCopyFolder(const QString& folder) { m_testCopyFolder = folder; }
    QString testCopyPath() const;

    // The page the current tab shows; null before the first open.
    Page* currentPage() const;
    void selectTab(int index);
    bool anyChanged() const;

    QTabBar* tabBar() const { return m_tabs; }
    MonsterPage* monsterPage() const { return m_monsterPage; }
    PortraitPage* portraitPage() const { return m_portraitPage; }
    CharacterPage* characterPage() const { return m_characterPage; }
    // The action a command of the table makes (see commands.h for the ids).
    QAction* action(const char* id) const;
    QAction* openAction() const { return action("open"); }
    QAction* saveAction() const { return action("save"); }
    QAction* exitAction() const { return action("exit"); }
    QAction* gridAction() const { return action("grid"); }
    QAction* backgroundAction() const { return action("background"); }
    QAction* undoAction() const { return action("undo"); }
    QAction* redoAction() const { return action("redo"); }
    QAction* copyAction() const { return action("copy"); }
    QAction* pasteAction() const { return action("paste"); }
    QAction* zoomFitAction() const { return action("zoom-fit"); }
    QAction* actualSizeAction() const { return action("actual-size"); }
    QAction* createPatchAction() const { return action("create-patch"); }
    QMenu* fileMenu() const { return m_menus.at("File"); }
    QMenu* imageMenu() const { return m_menus.at("&Image"); }
    QList<QAction*> recentActions() const { return m_recent; }
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
    void rebuildRecentMenu();
    bool confirmDiscard();
    void loadRom(const QString& path);
    void firstRomLoaded(const morvi::RomBytes& rom);
    void addPage(Page* page);
    void showToolDialog(QDialog* dialog);
    void historyMoved(morvi::Family family, morvi::Place place);
    Page* pageOf(morvi::Family family) const;
    // The pages that exist, in the order they are saved.
    std::vector<Page*> pages() const;

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
    std::map<std::string, QMenu*> m_menus;
    std::map<std::string, QAction*> m_actions;
    std::unique_ptr<StatusTexts> m_status;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recent;
    QPointer<QDialog> m_toolDialog;
    QString m_testCopyFolder;
    QStringList m_testCopies;
    morvi::DiskSteps m_plainSteps;
    morvi::DiskSteps* m_diskSteps = &m_plainSteps;
};

} // namespace morvi::ui
