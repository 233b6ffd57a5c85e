#include "ui/shell/commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QToolButton>

#include "ui/pages/character_animation.h"
#include "ui/pages/character_page.h"
#include "ui/pages/page.h"
#include "ui/shell/emulator_run.h"
#include "ui/shell/main_window.h"
#include "ui/widgets/tool_buttons.h"

namespace morvi::ui {

namespace {

QKeySequence key(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

bool withSelection(const Page& p) { return p.selecting().hasSelection(); }

// The animation commands act on the pages with an animation panel.
bool onCharacters(const Page& p) { return dynamic_cast<const Animated*>(&p) != nullptr; }
void withAnimation(Page* p, const std::function<void(Animated&)>& run) {
    if (auto* a = dynamic_cast<Animated*>(p)) run(*a);
}

void copy(Page* page) {
    // With a selection, copy and paste take regions of the picture; without, the whole picture.
    if (page->selecting().hasSelection()) QGuiApplication::clipboard()->setMimeData(page->selecting().copySelection());
    else QGuiApplication::clipboard()->setImage(page->transfers().copyImage());
}

void paste(Page* page) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const bool region = data && data->hasFormat(QString::fromLatin1(kRegionMimeType));
    if (region || (page->selecting().hasSelection() && data && data->hasImage())) page->selecting().pasteRegion(data);
    else page->transfers().pasteImage(QGuiApplication::clipboard()->image());
}

// The four arrows move a selection by one pixel, with Shift by eight (a tile).
std::vector<Command> arrows() {
    std::vector<Command> rows;
    const struct {
        const char* id;
        Qt::Key key;
        int dx, dy;
    } ways[] = {{"move-left", Qt::Key_Left, -1, 0}, {"move-right", Qt::Key_Right, 1, 0}, {"move-up", Qt::Key_Up, 0, -1},
                {"move-down", Qt::Key_Down, 0, 1}};
    for (const auto& w : ways)
        for (int step : {1, 8}) {
            const int dx = w.dx * step, dy = w.dy * step;
            rows.push_back({w.id, nullptr, nullptr, {QKeySequence(step == 8 ? QKeyCombination(Qt::ShiftModifier, w.key) : QKeyCombination(w.key))},
                            KeyScope::CanvasWithSelection, false, false, false, withSelection,
                            [dx, dy](MainWindow&, Page* p) { p->selecting().moveSelection(dx, dy); }});
        }
    return rows;
}

std::vector<Command> makeTable() {
    using S = KeyScope;
    std::vector<Command> t = {
        {"open", "File", "&Open ...\tCTRL+O", {key("Ctrl+O")}, S::Window, true, false, false, nullptr,
         [](MainWindow& w, Page*) { w.openRom(255); }},
        {"save", "File", "&Save \tCTRL+S", {key("Ctrl+S")}, S::Window, false, false, false, nullptr,
         [](MainWindow& w, Page*) { w.saveRom(); }},
        {"create-patch", "File", "Create &Patch ...", {}, S::Window, false, false, false, nullptr,
         [](MainWindow& w, Page*) { w.createPatch(); }},
        {"run-emulator", "File", "&Run in Emulator\tF5", {key("F5")}, S::Window, false, false, false, nullptr,
         [](MainWindow& w, Page*) { w.runInEmulator(); }},
        // Ctrl+X is Exit in the window; over a canvas that shows a selection it is Cut.
        {"exit", "File", "E&xit\tCTRL+X", {key("Ctrl+X")}, S::Window, true, true, false, nullptr,
         [](MainWindow& w, Page*) { w.close(); }},

        {"undo", "&Edit", "&Undo", {key("Ctrl+Z")}, S::Window, false, false, true, nullptr, [](MainWindow& w, Page*) { w.undo(); }},
        {"redo", "&Edit", "&Redo", {key("Ctrl+Y"), key("Ctrl+Shift+Z")}, S::Window, false, false, true, nullptr,
         [](MainWindow& w, Page*) { w.redo(); }},
        {"copy", "&Edit", "&Copy picture", {key("Ctrl+C")}, S::Window, false, true, false, nullptr, [](MainWindow&, Page* p) { copy(p); }},
        {"paste", "&Edit", "&Paste picture", {key("Ctrl+V")}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { paste(p); }},
        {"cut", "&Edit", "Cu&t\tCtrl+X", {key("Ctrl+X")}, S::CanvasWithSelection, false, false, false, withSelection,
         [](MainWindow&, Page* p) { p->selecting().cutSelection(); }},
        {"delete", "&Edit", "&Delete", {QKeySequence(QKeySequence::Delete)}, S::Window, false, false, false, withSelection,
         [](MainWindow&, Page* p) { p->selecting().deleteSelection(); }},
        {"select-all", "&Edit", "Select &All", {key("Ctrl+A")}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->selecting().selectAll(); }},
        {"deselect", "&Edit", "&Deselect", {key("Ctrl+D")}, S::Window, false, false, false, withSelection,
         [](MainWindow&, Page* p) { p->selecting().deselect(); }},
        {"zoom-in", "&Edit", "Zoom &in", {key("Ctrl++"), key("Ctrl+=")}, S::Window, false, true, false, nullptr,
         [](MainWindow&, Page* p) { p->editor().zoom(1); }},
        {"zoom-out", "&Edit", "Zoom &out", {key("Ctrl+-")}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->editor().zoom(-1); }},

        {"import", "&Image", "&Import", {}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->importImage(); }},
        {"export", "&Image", "&Export", {}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->exportImage(); }},
        {"clear", "&Image", "&Clear", {}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->clearImage(); }},
        {"flip-horizontal", "&Image", "Flip &horizontal", {}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->flipImage(0); }},
        {"flip-vertical", "&Image", "Flip &vertical", {}, S::Window, false, false, false, nullptr, [](MainWindow&, Page* p) { p->flipImage(1); }},
        {"rotate-clockwise", "&Image", "Rotate 90° clockwise", {}, S::Window, false, false, false, nullptr,
         [](MainWindow&, Page* p) { p->selecting().rotateSelection(true); }},
        {"rotate-anticlockwise", "&Image", "Rotate 90° anticlockwise", {}, S::Window, false, false, false, nullptr,
         [](MainWindow&, Page* p) { p->selecting().rotateSelection(false); }},
        {"import-palette", "&Image", "Import &Palette ...", {}, S::Window, false, true, false, nullptr,
         [](MainWindow&, Page* p) { p->transfers().importPalette(); }},
        {"export-palette", "&Image", "Export P&alette ...", {}, S::Window, false, false, false, nullptr,
         [](MainWindow&, Page* p) { p->transfers().exportPalette(); }},
        {"zoom-fit", "&Image", "Zoom to &fit", {key("Ctrl+0")}, S::Window, false, true, false, nullptr,
         [](MainWindow&, Page* p) { p->editor().zoomToFit(); }},
        {"actual-size", "&Image", "Actual si&ze", {key("Ctrl+1")}, S::Window, false, false, false, nullptr,
         [](MainWindow&, Page* p) { p->editor().actualSize(); }},

        {"play-animation", "&Animation", "&Play / Pause\tEnter", {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, S::Canvas,
         false, false, false, onCharacters, [](MainWindow&, Page* p) { withAnimation(p, [](Animated& c) { c.animation().togglePlaying(); }); }},
        {"previous-pose", "&Animation", "Pre&vious pose\t,", {key(",")}, S::Canvas, false, false, false, onCharacters,
         [](MainWindow&, Page* p) { withAnimation(p, [](Animated& c) { c.animation().step(-1); }); }},
        {"next-pose", "&Animation", "&Next pose\t.", {key(".")}, S::Canvas, false, false, false, onCharacters,
         [](MainWindow&, Page* p) { withAnimation(p, [](Animated& c) { c.animation().step(1); }); }},
        {"onion-skin", "&Animation", "&Onion Skin\tF3", {key("F3")}, S::Window, false, true, false, onCharacters,
         [](MainWindow&, Page* p) { withAnimation(p, [](Animated& c) { c.animation().setOnion(!c.animation().onionOn()); }); },
         [](const Page& p) {
             const auto* c = dynamic_cast<const Animated*>(&p);
             return c && c->animation().onionOn();
         }},
        {"export-animation", "&Animation", "&Export Animation ...", {}, S::Window, false, true, false, onCharacters,
         [](MainWindow&, Page* p) { withAnimation(p, [](Animated& c) { c.exportAnimation(); }); }},

        {"grid", "&Options", "&Grid settings", {}, S::Window, true, false, false, nullptr, [](MainWindow& w, Page*) { w.openGridSettings(); }},
        {"background", "&Options", "Change &Background ...", {}, S::Window, false, false, false, nullptr,
         [](MainWindow& w, Page*) { w.openBackgroundChooser(); }},
        {"emulator", "&Options", "&Emulator ...", {}, S::Window, true, false, false, nullptr,
         [](MainWindow& w, Page*) { w.emulator().choose(); }},

        // Keys of the canvas alone.
        {"escape", nullptr, nullptr, {key("Esc")}, S::Canvas, false, false, false, nullptr, [](MainWindow&, Page* p) { p->selecting().escape(); }},
        {"mirror", nullptr, nullptr, {key("Shift+M")}, S::Canvas, false, false, false, nullptr,
         [](MainWindow&, Page* p) { p->widgets().tools->mirrorButton()->toggle(); }},
        {"put-down", nullptr, nullptr, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, S::CanvasWithSelection, false, false,
         false, withSelection, [](MainWindow&, Page* p) { p->selecting().dropSelection(); }},
    };
    for (Command& c : arrows()) t.push_back(std::move(c));
    return t;
}

} // namespace

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = makeTable();
    return table;
}

namespace {

// The keypad's Enter and arrows are the same keys as the main ones.
QKeySequence plain(QKeyCombination combination) {
    return QKeySequence(QKeyCombination(combination.keyboardModifiers() & ~Qt::KeypadModifier, combination.key()));
}

} // namespace

const Command* canvasCommand(QKeyCombination combination, bool selectionShown) {
    const QKeySequence pressed = plain(combination);
    // A key of the selection wins over the same key of the canvas (Enter puts a selection down
    // rather than playing the animation).
    for (KeyScope scope : {KeyScope::CanvasWithSelection, KeyScope::Canvas}) {
        if (scope == KeyScope::CanvasWithSelection && !selectionShown) continue;
        for (const Command& c : commandTable()) {
            if (c.scope != scope) continue;
            for (const QKeySequence& k : c.keys)
                if (k == pressed) return &c;
        }
    }
    return nullptr;
}

bool commandOverFields(QKeyCombination combination) {
    const QKeySequence pressed = plain(combination);
    for (const Command& c : commandTable())
        if (c.overFields)
            for (const QKeySequence& k : c.keys)
                if (k == pressed) return true;
    return false;
}

} // namespace morvi::ui
