// What the editor's user waits for, measured through the real widgets (offscreen): a full paint
// of the monster page, one mouse-move event of a draw stroke up to the repainted canvas, and the
// first ROM open through the main window. Reading the ROM file is the yardstick.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "family/workspace.h"
#include "demo/demo_rom.h"
#include "rom/rom_file.h"
#include "ui/pages/family_pages.h"
#include "ui/shell/main_window.h"
#include "ui/pages/character_page.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/page.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"
#include <QToolButton>
#include "ui/dialogs/prompts.h"
#include "monsters/monster_module.h"
#include "fieldsprites/field_sprite_module.h"

namespace {

using namespace morvi;
using namespace morvi::ui;

const std::string& demoPath() {
    static const std::string path = [] {
        auto p = (std::filesystem::temp_directory_path() / "morvi-editor-bench-demo.smc").string();
        buildDemoRom().writeFile(p, false);
        return p;
    }();
    return path;
}

// Answers nothing: the benchmarks never ask.
class SilentPrompts : public Prompts {
public:
    void message(const QString&, Icon) override {}
    Answer ask(const QString&, Buttons, Icon) override { return Answer::No; }
    QString openFile(QWidget*, const FileRequest&) override { return {}; }
    QString saveFile(QWidget*, const FileRequest&) override { return {}; }
    bool importFile(QWidget*, const ImportRequest&) override { return false; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&, const QString&) override { return std::nullopt; }
};

// The editor on the demo ROM, in the smallest window (canvas 256 x 256 and a little) or a large one.
struct Editor {
    explicit Editor(QSize size = QSize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight)) : ws(Workspace::create()) {
        window = std::make_unique<MainWindow>(*ws, prompts);
        window->resize(size);
        window->show();
        window->openRomPath(QString::fromStdString(demoPath()));
        QApplication::processEvents();
    }
    std::unique_ptr<Workspace> ws;
    SilentPrompts prompts;
    std::unique_ptr<MainWindow> window;
};

void read_file(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        readWholeFile(demoPath(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void page_paint(benchmark::State& state) {
    Editor e(QSize(int(state.range(0)), int(state.range(1))));
    e.ws->settings.grid = 1;
    e.ws->settings.gridMinMag = 4;
    MonsterPage* page = monsterPage(*e.window);
    page->widgets().magnification->setValue(4);
    for (auto _ : state) {
        page->redrawPage();
        page->repaint();
    }
}

void stroke_event(benchmark::State& state) {
    Editor e(QSize(int(state.range(0)), int(state.range(1))));
    MonsterPage* page = monsterPage(*e.window);
    page->widgets().magnification->setValue(4);
    QWidget* canvas = page->widgets().canvas;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), canvas->mapToGlobal(QPointF(10, 10)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    int n = 0;
    for (auto _ : state) {
        const QPointF at(20 + n % 200, 20 + (n / 200) % 200);
        ++n;
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        canvas->repaint();
    }
}

// The canvas point of picture pixel (x, y): the picture sits in the middle of the canvas.
QPoint pixelPoint(MonsterPage* page, int x, int y) {
    const int m = page->widgets().magnification->value();
    return page->editor().pictureShift() + QPoint(x * m + m / 2, y * m + m / 2);
}

// One draw stroke of a few pixels on the canvas, pressed and released: one history step.
void strokeOnce(MonsterPage* page, int n) {
    QWidget* canvas = page->widgets().canvas;
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), canvas->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &e);
    };
    const QPoint a = pixelPoint(page, 2 + n % 50, 2 + (n / 50) % 50);
    send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, a + QPoint(4, 0), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, a + QPoint(4, 0), Qt::LeftButton, Qt::NoButton);
}

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, mods);
    QApplication::sendEvent(w, &e);
}

// The page on a large 16-colour monster at x2, so the whole 128 x 128 picture is on the canvas,
// blanked so that its background is every pixel; colour k chosen.
MonsterPage* largeBlankMonster(Editor& e, int colour) {
    MonsterPage* page = monsterPage(*e.window);
    for (int n = 0; n < morvi::kMonsterCount; ++n) {
        const auto& entry = monstersOf(*e.ws).entries[std::size_t(n)];
        if (entry.large && entry.colorCount == 16) {
            page->widgets().pictureList->setCurrentIndex(n);
            break;
        }
    }
    page->widgets().magnification->setValue(2);
    auto& entry = monstersOf(*e.ws).entries[std::size_t(page->currentEntry())];
    morvi::blankEntry(monstersOf(*e.ws), entry);
    page->dataRestored();
    send(page->widgets().strip, QEvent::MouseButtonPress, QPoint(18 * colour + 4, 5), Qt::LeftButton, Qt::LeftButton);
    return page;
}

// A click of the fill tool on the background of a 128 x 128 monster, from the event to the
// repainted canvas: the fill, one mold derivation and record encoding, one history step. The
// colour alternates so that every click fills all 16384 pixels.
void fill_event(benchmark::State& state) {
    Editor e;
    MonsterPage* page = largeBlankMonster(e, 3);
    page->chooseTool(Tool::Fill);
    QWidget* canvas = page->widgets().canvas;
    int n = 0;
    for (auto _ : state) {
        // The left button fills with colour 3, the right one with colour 0.
        const Qt::MouseButton button = n++ % 2 ? Qt::RightButton : Qt::LeftButton;
        send(canvas, QEvent::MouseButtonPress, QPoint(100, 100), button, button);
        send(canvas, QEvent::MouseButtonRelease, QPoint(100, 100), button, Qt::NoButton);
        canvas->repaint();
    }
    if (e.window->history().size() < std::min<std::size_t>(std::size_t(state.iterations()), 2))
        state.SkipWithError("the fills changed nothing");
}

// A line across a 128 x 128 monster: press, release, written, repainted.
void line_event(benchmark::State& state) {
    Editor e;
    MonsterPage* page = largeBlankMonster(e, 3);
    page->chooseTool(Tool::Line);
    QWidget* canvas = page->widgets().canvas;
    int n = 0;
    for (auto _ : state) {
        const Qt::MouseButton button = n++ % 2 ? Qt::RightButton : Qt::LeftButton;
        send(canvas, QEvent::MouseButtonPress, QPoint(1, 1), button, button);
        send(canvas, QEvent::MouseButtonRelease, QPoint(255, 200), button, Qt::NoButton);
        canvas->repaint();
    }
}

// One move of a filled rectangle's preview across the picture, up to the repainted canvas.
void rectangle_move(benchmark::State& state) {
    Editor e;
    MonsterPage* page = largeBlankMonster(e, 3);
    page->chooseTool(Tool::Rectangle);
    page->widgets().tools->filledButton()->setChecked(true);
    QWidget* canvas = page->widgets().canvas;
    send(canvas, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
    int n = 0;
    for (auto _ : state) {
        ++n;
        send(canvas, QEvent::MouseMove, QPoint(200 + n % 50, 200 + (n / 50) % 50), Qt::NoButton, Qt::LeftButton);
        canvas->repaint();
    }
}

// A lifted 64 x 64 selection of a large monster at x2, dragged: each move to the repainted canvas.
void selection_move(benchmark::State& state) {
    Editor e;
    MonsterPage* page = monsterPage(*e.window);
    page->widgets().magnification->setValue(2);
    page->chooseTool(Tool::Select);
    QWidget* canvas = page->widgets().canvas;
    const QPoint shift = page->editor().pictureShift();
    send(canvas, QEvent::MouseButtonPress, shift + QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
    send(canvas, QEvent::MouseMove, shift + QPoint(127, 127), Qt::NoButton, Qt::LeftButton);
    send(canvas, QEvent::MouseButtonRelease, shift + QPoint(127, 127), Qt::LeftButton, Qt::NoButton);
    if (page->selecting().selectionRect().width != 64) state.SkipWithError("no 64 x 64 selection");
    send(canvas, QEvent::MouseButtonPress, shift + QPoint(60, 60), Qt::LeftButton, Qt::LeftButton);
    int n = 0;
    for (auto _ : state) {
        ++n;
        send(canvas, QEvent::MouseMove, shift + QPoint(60 + n % 100, 60 + (n / 100) % 100), Qt::NoButton, Qt::LeftButton);
        canvas->repaint();
    }
    if (!page->selecting().selectionLifted()) state.SkipWithError("not lifted");
}

// Ctrl+V of a 128 x 128 region copied in the editor, to the repainted canvas (then Esc).
void paste_128(benchmark::State& state) {
    Editor e;
    MonsterPage* page = largeBlankMonster(e, 3);
    page->selecting().selectAll();
    e.window->action("copy")->trigger();
    page->selecting().deselect();
    for (auto _ : state) {
        e.window->action("paste")->trigger();
        page->widgets().canvas->repaint();
        state.PauseTiming();
        page->selecting().cancelLift();
        state.ResumeTiming();
    }
    if (page->selecting().hasSelection()) state.SkipWithError("the paste stayed");
}

// Undo and redo of one draw step on a monster (each iteration does both).
void undo_redo(benchmark::State& state) {
    Editor e;
    MonsterPage* page = monsterPage(*e.window);
    page->widgets().magnification->setValue(2);
    for (int n = 0; n < 20; ++n) {
        QMouseEvent pick(QEvent::MouseButtonPress, QPointF(18 * 3 + 4, 5), page->widgets().strip->mapToGlobal(QPointF(18 * 3 + 4, 5)),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page->widgets().strip, &pick);
        strokeOnce(page, n * 7);
    }
    if (e.window->history().size() != 20) {
        state.SkipWithError("the strokes made no steps to undo");
        return;
    }
    for (auto _ : state) {
        e.window->undo();
        e.window->redo();
    }
}

// Memory of 1000 steps: draw strokes spread over many monsters, and the step count kept.
void history_1000_steps(benchmark::State& state) {
    for (auto _ : state) {
        Editor e;
        MonsterPage* page = monsterPage(*e.window);
        page->widgets().magnification->setValue(2);
        for (int n = 0; n < 1000; ++n) {
            if (n % 10 == 0) page->widgets().pictureList->setCurrentIndex(n / 10);
            // A colour the stroke's first pixel does not have, so that every stroke changes it.
            const int x = 2 + n % 50, y = 2 + (n / 50) % 50;
            const int colours = page->source().colorCount();
            const int under = page->editedPicture()->pixel(x, y);
            const int colour = 1 + (under % (colours - 1));
            const QPointF at((colours == 8 ? 36 : 18) * colour + 4, 5);
            QMouseEvent pick(QEvent::MouseButtonPress, at, page->widgets().strip->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(page->widgets().strip, &pick);
            strokeOnce(page, n);
        }
        char label[64];
        std::snprintf(label, sizeof label, "%zu steps in %.1f MB", e.window->history().size(),
                      double(e.window->history().bytes()) / (1024.0 * 1024.0));
        state.SetLabel(label);
        state.counters["steps"] = double(e.window->history().size());
        state.counters["MB"] = double(e.window->history().bytes()) / (1024.0 * 1024.0);
        if (e.window->history().size() != 1000) state.SkipWithError("the strokes did not make 1000 steps");
    }
}

void first_open(benchmark::State& state) {
    for (auto _ : state) {
        Editor e;
        e.window->repaint();
        if (e.ws->rom.romPath.empty()) state.SkipWithError("the demo ROM did not load");
    }
}

// The character page with the onion skin on (pose 2 of the walk down, pose 1 faintly before and
// after it): one mouse-move event of a draw stroke up to the repainted canvas.
void stroke_event_onion(benchmark::State& state) {
    Editor e(QSize(int(state.range(0)), int(state.range(1))));
    e.window->selectTab(3);
    CharacterPage* page = characterPage(*e.window);
    page->animation().list()->setCurrentIndex(page->animation().list()->findText(QStringLiteral("Field: walk down")));
    page->sheetClicked(QPoint(16 * 2 + 3, 3));
    page->animation().setOnion(true);
    if (page->editor().onion().size() != 2) state.SkipWithError("the onion skin has no layers");
    page->widgets().magnification->setValue(10);
    page->palette().setCurrent(9);
    QWidget* canvas = page->widgets().canvas;
    const auto before = page->source().picture().pixels;
    const int m = page->widgets().magnification->value();
    auto at = [&](int n) { return QPointF(page->editor().pictureShift() + QPoint((n % 16) * m + m / 2, ((n / 16) % 24) * m + m / 2)); };
    QMouseEvent press(QEvent::MouseButtonPress, at(0), canvas->mapToGlobal(at(0)), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    int n = 0;
    for (auto _ : state) {
        const QPointF p = at(++n);
        QMouseEvent move(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        canvas->repaint();
    }
    QMouseEvent release(QEvent::MouseButtonRelease, at(n), canvas->mapToGlobal(at(n)), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
    if (page->source().picture().pixels == before) state.SkipWithError("the stroke painted nothing");
}

// One frame of the animation preview: the player advanced a pose and the view drawn again.
void animation_frame(benchmark::State& state) {
    Editor e;
    e.window->selectTab(3);
    CharacterPage* page = characterPage(*e.window);
    AnimationPanel& panel = page->animation();
    panel.list()->setCurrentIndex(panel.list()->findText(QStringLiteral("Battle: casting")));
    panel.speedSlider()->setValue(1); // every tick shows another pose
    int changes = 0;
    for (auto _ : state) {
        const int before = panel.player().index();
        panel.tick();
        panel.view()->repaint();
        changes += panel.player().index() != before;
    }
    if (changes == 0) state.SkipWithError("the animation never moved");
}

// The Field Sprites page brought up from another tab.
void field_page_open(benchmark::State& state) {
    Editor e(QSize(1280, 900));
    FieldSpritePage* page = fieldSpritePage(*e.window);
    const int tab = e.window->tabOf(morvi::fieldSpriteFamily());
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e.window->selectTab(0);
        QApplication::processEvents();
        state.ResumeTiming();
        e.window->selectTab(tab);
        page->repaint();
        shown += page->isVisible();
    }
    if (shown == 0) state.SkipWithError("the page never showed");
}

// Sheet after sheet on the Field Sprites page: the list, the sheet, the canvas and the animation.
void field_sheet_switch(benchmark::State& state) {
    Editor e(QSize(1280, 900));
    e.window->selectTab(e.window->tabOf(morvi::fieldSpriteFamily()));
    FieldSpritePage* page = fieldSpritePage(*e.window);
    int n = 1, moved = 0;
    for (auto _ : state) {
        const int before = page->currentSheet();
        page->widgets().pictureList->setCurrentIndex(n++ % morvi::kFieldSheetPictures);
        page->repaint();
        moved += page->currentSheet() != before;
    }
    if (moved == 0) state.SkipWithError("no other sheet showed");
}

// One mouse-move event of a draw stroke on a person's frame, up to the repainted canvas.
void field_stroke_event(benchmark::State& state) {
    Editor e(QSize(1280, 900));
    e.window->selectTab(e.window->tabOf(morvi::fieldSpriteFamily()));
    FieldSpritePage* page = fieldSpritePage(*e.window);
    page->widgets().pictureList->setCurrentIndex(29 - morvi::kFirstFieldSheet);
    page->palette().setCurrent(5);
    const std::vector<std::uint8_t> before = morvi::fieldSpritesOf(*e.ws).sheet(29).tiles;
    QWidget* canvas = page->widgets().canvas;
    const int m = page->widgets().magnification->value();
    auto at = [&](int x, int y) { return QPointF(page->editor().pictureShift() + QPoint(x * m + m / 2, y * m + m / 2)); };
    QMouseEvent press(QEvent::MouseButtonPress, at(1, 1), canvas->mapToGlobal(at(1, 1)), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    int n = 0;
    for (auto _ : state) {
        const QPointF to = at(1 + n % 14, 1 + (n / 14) % 22);
        ++n;
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        canvas->repaint();
    }
    QMouseEvent release(QEvent::MouseButtonRelease, at(1, 1), canvas->mapToGlobal(at(1, 1)), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
    if (morvi::fieldSpritesOf(*e.ws).sheet(29).tiles == before) state.SkipWithError("the stroke painted nothing");
}

} // namespace

BENCHMARK(field_page_open)->Unit(benchmark::kMillisecond);
BENCHMARK(field_sheet_switch)->Unit(benchmark::kMillisecond);
BENCHMARK(field_stroke_event)->Unit(benchmark::kMillisecond);
BENCHMARK(stroke_event_onion)->Args({685, 490})->Args({1280, 900})->Unit(benchmark::kMillisecond);
BENCHMARK(animation_frame)->Unit(benchmark::kMillisecond);
BENCHMARK(read_file)->Unit(benchmark::kMillisecond);
// The smallest window, and 1280 x 900 (the canvas about 870 x 780).
BENCHMARK(page_paint)->Args({685, 490})->Args({1280, 900})->Unit(benchmark::kMillisecond);
BENCHMARK(stroke_event)->Args({685, 490})->Args({1280, 900})->Unit(benchmark::kMillisecond);
BENCHMARK(fill_event)->Unit(benchmark::kMillisecond);
BENCHMARK(line_event)->Unit(benchmark::kMillisecond);
BENCHMARK(rectangle_move)->Unit(benchmark::kMillisecond);
BENCHMARK(selection_move)->Unit(benchmark::kMillisecond);
BENCHMARK(paste_128)->Unit(benchmark::kMillisecond);
BENCHMARK(first_open)->Unit(benchmark::kMillisecond);
BENCHMARK(undo_redo)->Unit(benchmark::kMillisecond);
BENCHMARK(history_1000_steps)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
