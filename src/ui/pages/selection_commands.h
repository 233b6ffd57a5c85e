#pragma once
// A page's selection commands (Select All, Deselect, move, cut, copy, paste, delete, flip,
// rotate, Esc): each asks the selection model, writes what it returns as one step through the
// page, and shows the result on the canvas. The clipboard forms are made here.
#include <functional>

#include "family/picture_source.h"
#include "ui/editor/canvas_editor.h"
#include "ui/editor/edit_sink.h"
#include "ui/editor/selection.h"

class QMimeData;

namespace morvi::ui {

class Prompts;

class SelectionCommands {
public:
    // What the commands ask of the page around them.
    struct PageHooks {
        std::function<void(Tool)> chooseTool;
        std::function<void(bool vertical)> flipPicture; // a flip with nothing selected
        std::function<void()> redraw;
    };
    SelectionCommands(SelectionModel& selection, CanvasEditor& editor, morvi::PictureSource& source, EditSink& sink,
                      Prompts& prompts, PageHooks hooks)
        : m_selection(selection), m_editor(editor), m_source(source), m_sink(sink), m_prompts(prompts), m_hooks(std::move(hooks)) {}

    bool hasSelection() const { return m_selection.active(); }
    bool selectionLifted() const { return m_selection.lifted(); }
    morvi::Rect selectionRect() const { return m_selection.rect(); }
    void selectAll();
    void deselect();
    // A lifted selection is put down (written as one step); the rectangle stays.
    void dropSelection();
    void cancelLift();
    void moveSelection(int dx, int dy);
    QMimeData* copySelection() const;
    void cutSelection();
    void deleteSelection();
    bool pasteRegion(const QMimeData* data);
    void flipSelection(bool vertical);
    void rotateSelection(bool clockwise);
    // Esc: drops a stroke, else takes a lifted selection back, else the selection.
    void escape();

private:
    bool hasPicture() const { return m_source.picture().hasPixels(); }

    SelectionModel& m_selection;
    CanvasEditor& m_editor;
    morvi::PictureSource& m_source;
    EditSink& m_sink;
    Prompts& m_prompts;
    PageHooks m_hooks;
};

} // namespace morvi::ui
