#pragma once
// The editor's page: one type for the three pages, built from parts. The page lays the parts
// out and runs every change of the family as one step of the history; the parts do the work:
//   - the picture source (app/picture_source): the family's picture, palette and operations;
//   - the canvas editor: zoom, scrolling, drawing, the tools' strokes and the selection's drags;
//   - the selection model, the palette panel, and the transfers (import, export, clipboard).
// A page of one family adds only what is its own (lists, meters, the character's sheet).
#include <QWidget>
#include <functional>
#include <memory>

#include "app/history.h"
#include "family/picture_source.h"
#include "app/rom_save.h"
#include "ui/editor/canvas_editor.h"
#include "ui/editor/edit_sink.h"
#include "ui/editor/palette_panel.h"
#include "ui/editor/selection.h"
#include "ui/editor/transfers.h"
#include "ui/pages/page_layout.h"
#include "ui/pages/selection_commands.h"

namespace morvi::ui {

// What a page is made with.
struct PageSpec {
    morvi::Family family;
    QSize previewSize;   // the view in the left column
    QString previewName;
    // The setting that keeps the page's magnification (none: the family's own entry).
    std::uint8_t morvi::Settings::*magnification = nullptr;
};

class Page : public QWidget, public EditSink {
    Q_OBJECT
public:
    Page(EditorContext& context, const PageSpec& spec, QWidget* parent = nullptr);
    ~Page() override;

    // --- the parts ---
    morvi::PictureSource& source() const { return *m_source; }
    CanvasEditor& editor() const { return *m_editor; }
    SelectionModel& selection() { return m_selection; }
    PalettePanel& palette() const { return *m_palette; }
    Transfers& transfers() const { return *m_transfers; }

    // --- the widgets it lays out ---
    const PageWidgets& widgets() const { return m_widgets; }

    // --- what every page does ---
    morvi::Family family() const { return m_source->family(); }
    // Where on the page the user is, for the history.
    morvi::Place place() const { return {m_source->index()}; }
    const morvi::IndexedImage* editedPicture() const;
    bool changed() const { return m_changed; }
    void setChanged(bool changed);
    // The changed flag as the history sees it: whether the data differs from the last save.
    void refreshChanged();
    // Draws the page again as it stands: the pictures, the strip and the texts.
    void redrawPage();
    // After a ROM was read again while the page shows: lists and pictures from the new data.
    virtual void reloaded() { redrawPage(); }
    // After undo or redo changed the family's data: bring lists and pictures up to date.
    virtual void dataRestored();
    // Shows a picture of the page (an entry, portrait or character number).
    virtual void showPicture(int picture);
    virtual void exportImage() = 0;
    void importImage() { m_transfers->importImage(); }
    void clearImage();
    void flipImage(int vertical);
    // A save is coming: the page names its family (and commits what it must); afterSave
    // follows once the save has run, whatever its outcome.
    void addToSave(morvi::SaveRequest& request);
    // Names the family and the picture shown in a request, without committing anything.
    void describeSave(morvi::SaveRequest& request) const;
    // Shows one of the family's tabs (the monster page serves "Monsters" and "Espers").
    virtual void showTab(int tab) { (void)tab; }
    virtual void afterSave() { redrawPage(); }
    // Before another command: a lifted selection is put down.
    void settle();

    // --- the tool, and what the status bar tells ---
    void chooseTool(Tool tool);
    // What the status bar tells of a picture pixel.
    struct PixelInfo {
        bool inside = false;
        int index = 0;
        morvi::PaletteColor color;
    };
    PixelInfo pixelInfo(QPoint picturePoint) const;
    // What the page adds to the status bar of a picture pixel ("" for nothing).
    virtual QString pointerNote(QPoint picturePoint) const {
        (void)picturePoint;
        return {};
    }

    // --- the selection's commands ---
    SelectionCommands& selecting() const { return *m_selecting; }

    // --- EditSink: every change of the family goes through here ---
    bool edit(const QString& label, const std::function<bool()>& change) override;
    void beginGroup(const QString& label) override;
    void endGroup() override;
    // Writes pixels of the picture as one step (its chunks only), labelled with the tool.
    void commitWrites(const QString& label, const std::vector<morvi::PixelWrite>& writes) override;

signals:
    void changedChanged(bool changed);
    void exitRequested();
    void edited(const QString& label);
    void pointerMoved(QPoint picturePoint);
    void pointerLeft();
    void shapeSized(QSize size);
    // A text of the page's own for the status bar ("" takes it back).
    void noteShown(const QString& text);
    void toolChanged();
    // The selection was made, changed or dropped.
    void selectionShown();
    // Something a menu shows of the page changed (a switch turned).
    void commandsChanged();

protected:
    // The page's own drawing: its preview and texts (the canvas and the strip are drawn for it).
    virtual void paintOwn() = 0;
    // Just before the canvas is drawn again with the page.
    virtual void beforeRender() {}
    virtual QString clearQuestion() const = 0;
    // Shows the picture in the preview view, over the small backdrop.
    void renderPreview(const morvi::IndexedImage& image, QSize size);
    // The preview view shows the edited picture (it follows strokes as they are drawn).
    void setPreviewFollowsPicture(bool follows) { m_previewFollows = follows; }
    // The columns, for a page of one family to add its lists, buttons and notes to.
    PageColumns& columns() { return m_columns; }
    EditorContext& m_context;
    // A page of one family sets the palette list and the buttons it has.
    PageWidgets m_widgets;

private:
    // Runs change as one step of the history (or inside the open group), kept to the chunks of
    // `scope` when it names any; the page's changed flag follows. Returns what change returned.
    bool runStep(const QString& label, std::vector<morvi::ChunkId> scope, const std::function<bool()>& change);
    void connectParts();
    std::unique_ptr<morvi::PictureSource> m_source;
    PageColumns m_columns;
    SelectionModel m_selection;
    CanvasEditor* m_editor = nullptr;
    PalettePanel* m_palette = nullptr;
    Transfers* m_transfers = nullptr;
    std::unique_ptr<SelectionCommands> m_selecting;
    bool m_changed = false;
    bool m_previewFollows = false;
    QSize m_previewSize;
};

} // namespace morvi::ui
