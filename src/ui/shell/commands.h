#pragma once
// Every command of the editor in one table: the menu it stands in and its text, its keys and
// where they work, when it is enabled and what it runs (mostly on the current page). The main
// window makes its menus from the table, and the canvas takes its keys from it: a key is
// declared here once (the tools' keys in the tool table).
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace morvi::ui {

class MainWindow;
class Page;

// Where a command's keys work.
enum class KeyScope {
    Window,              // anywhere in the window (a menu shortcut)
    Canvas,              // while the canvas has the focus
    CanvasWithSelection, // while the canvas has the focus and shows a selection (it wins over Window)
};

struct Command {
    const char* id;   // how the window and the tests find it
    const char* menu; // "File", "&Edit", "&Image", "&Options"; null for a key of the canvas alone
    const char* text; // the menu text (a tab and the keys shown after it)
    QList<QKeySequence> keys;
    KeyScope scope = KeyScope::Window;
    // Run only with a ROM open (and a page), unless `always`.
    bool always = false;
    bool separatorBefore = false;
    // Keys that win over a text field's own (undo and redo in the colour fields).
    bool overFields = false;
    std::function<bool(const Page&)> enabled; // with a page; null: always when a ROM is open
    std::function<void(MainWindow&, Page*)> run;
    // A switch: whether it is on for the page (null: not a switch).
    std::function<bool(const Page&)> checked = {};
};

// The table, in menu order.
const std::vector<Command>& commandTable();
// The command for a key in a canvas scope, given whether a selection shows; null for none.
const Command* canvasCommand(QKeyCombination key, bool selectionShown);
// Whether a key belongs to a command that wins over text fields.
bool commandOverFields(QKeyCombination key);

} // namespace morvi::ui
