#pragma once
// What the editor's tests share: prompts answered from a script, a demo ROM on disk and a main
// window over it, and small helpers to click and drag real widgets.
#include <QPoint>
#include <QString>
#include <QStringList>
#include <ostream>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "family/workspace.h"
#include "testing/fixtures.h"
#include "ui/pages/family_pages.h"
#include "ui/dialogs/prompts.h"
#include "ui/pages/page.h"
#include "ui/shell/main_window.h"
#include "ui/shell/status_bar.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

class QWidget;

namespace morvi::ui {

// The tabs of the four pages the tests drive, in their order on the tab bar.
enum TabIndex : int { kMonstersTab = 0, kEspersTab = 1, kPortraitsTab = 2, kCharactersTab = 3, kFieldSpritesTab = 4, kWindowsTab = 5 };

class MainWindow;

// Records every text asked and answers from queues. An unexpected question is answered Cancel
// and an unexpected file chooser is cancelled; both are recorded, so tests can see them.
class ScriptedPrompts : public Prompts {
public:
    struct Entry {
        QString text;
        Icon icon;
        bool question;
    };
    void message(const QString& text, Icon icon) override;
    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    bool importFile(QWidget* parent, const ImportRequest& request) override;
    // Answers from `colors` (nullopt cancels; an empty queue cancels), logging the title.
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, const QString& title) override;
    // Answers from `textAnswers` (nullopt or an empty queue cancels), logging the title and
    // keeping the text it was offered.
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label, const QString& initial) override;

    QStringList texts() const;
    QString lastText() const { return log.empty() ? QString() : log.back().text; }

    std::vector<Entry> log;
    std::deque<Answer> answers;
    std::deque<QString> files;       // answers of openFile and saveFile; "" cancels
    std::deque<QString> importFiles; // tried in turn until one is taken; "" cancels
    bool importKeepPalette = false;  // the state of "Keep current palette"
    std::vector<FileRequest> fileRequests;
    std::vector<ImportPreview> previews; // the import panel for each file tried
    QString lastImportTitle;
    std::vector<ImportRequest> importRequests; // every import chooser opened
    QString importFilter; // the filter picked in the import chooser; "" keeps the one it opened on
    std::deque<std::optional<QColor>> colors;
    std::vector<QColor> colorDialogInitial; // the colour each colour dialog started from
    std::deque<std::optional<QString>> textAnswers;
    std::vector<QString> textOffered; // the text each text question started from
};

// A scratch folder with the demo ROM, a workspace, scripted prompts and a main window.
class EditorHarness {
public:
    explicit EditorHarness(bool withHeader = false);
    ~EditorHarness();
    std::string romPath() const { return m_romPath; }
    std::string file(const std::string& name) const { return dir.file(name); }
    // Opens the demo ROM through the File menu's path; the test fails unless it loads.
    void openDemo();
    // Makes the main window the active one, as a click on it would.
    void activate();
    // The page's data as it is now counts as saved (as after Ctrl+S, without writing).
    void markSaved(class Page* page);
    // Pinned (as every harness starts), each page's canvas is the 256 x 256 of the original
    // fixed window, whatever the window's size, so that tests of the pages' own rules can name
    // canvas pixels; unpinned it grows with the window, as in the editor.
    void pinCanvases(bool pinned);

    morvi::testing::TempDir dir;
    std::unique_ptr<morvi::Workspace> ws;
    ScriptedPrompts prompts;
    std::unique_ptr<PromptNotifier> notifier;
    std::unique_ptr<MainWindow> window;

private:
    std::string m_romPath;
    bool m_pinned = true;
};

// The demo ROM's bytes, built once per test program.
const std::vector<std::uint8_t>& demoRomBytes(bool withHeader);
// Left-button press at a widget point, then moves through the points, then release.
void drag(QWidget* widget, const std::vector<QPoint>& points);
void click(QWidget* widget, QPoint at);
// The centre of picture pixel (x, y) on the page's canvas, at its magnification.
QPoint canvasPixel(const Page* page, int x, int y);
// A file dragged from a file manager and dropped on the widget (the drag must be accepted).
void dropFile(QWidget* target, const std::string& path);
// The dialog of that type the window shows, if any.
template <typename T>
T* openDialogOf(QWidget* window);

} // namespace morvi::ui

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& s : list) *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
QT_END_NAMESPACE

#include <QWidget>

template <typename T>
T* morvi::ui::openDialogOf(QWidget* window) {
    for (T* d : window->findChildren<T*>())
        if (d->isVisible()) return d;
    return nullptr;
}
