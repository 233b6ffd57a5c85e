#pragma once
// The base of the editor's pages. The main window drives every page through these slots; a
// page changes its family's data only inside applyEdit, which marks the page changed when the
// data really changed.
#include <QWidget>
#include <functional>
#include <string>

#include "app/history.h"
#include "app/rom_save.h"

namespace morvi::ui {

class Prompts;

// What every page needs: the session's data and settings, and the way to ask the user.
struct EditorContext {
    morvi::Workspace& ws;
    Prompts& prompts;
    morvi::EditHistory& history; // one history for the whole ROM
};

// Page index: which tab shows.
enum PageIndex : int { kMonstersTab = 0, kEspersTab = 1, kPortraitsTab = 2, kCharactersTab = 3 };

class Tab : public QWidget {
    Q_OBJECT
public:
    Tab(EditorContext& context, QWidget* parent = nullptr);

    virtual void clearImage() = 0;
    virtual void exportImage() = 0;
    virtual void flipImage(int vertical) = 0;
    virtual void importImage() = 0;
    // Once, after the first ROM was read: fill the controls from the data.
    virtual void romLoaded() = 0;
    // After every ROM load while the page shows, and whenever the page must be drawn again.
    virtual void redraw() { redrawPage(); }
    // A save of the ROM is coming: the page names its family in the request (and what it must
    // commit first); afterSave follows once the save has run, whatever its outcome.
    virtual void addToSave(morvi::SaveRequest& request) = 0;
    virtual void afterSave() {}
    // Before another command (undo, a save, another page or picture, closing): anything still
    // floating on the page is put down.
    virtual void settle() {}

    bool changed() const { return m_changed; }
    void setChanged(bool changed);
    // The family the page edits, and where on the page the user is (for the history).
    virtual morvi::Family family() const = 0;
    virtual morvi::Place place() const = 0;
    // After undo or redo changed the family's data: bring lists and pictures up to date.
    virtual void dataRestored() = 0;
    // Shows a picture of the page (an entry, portrait or character number).
    virtual void showPicture(int picture) = 0;
    // The changed flag as the history sees it: whether the data differs from the last save.
    void refreshChanged();
    // Draws the page again as it stands: the pictures, the strip and the texts.
    void redrawPage();

signals:
    void changedChanged(bool changed);
    // A page's "Exit" button: the main window is asked to close.
    void exitRequested();
    // An edit changed the family's data.
    void edited(const QString& label);

protected:
    // Renders the page's pictures and brings its texts up to date; safe before any ROM.
    virtual void paint() = 0;
    // Runs one edit of the family's data as one step of the history (or as part of the open
    // group). change returns whether it changed anything; the page is marked changed when the
    // family's data differs from the last save. Returns what change returned.
    bool applyEdit(const QString& label, const std::function<bool()>& change);
    // The same for a change that can touch only the chunks named (see pictureChunkIds).
    bool applyEdit(const QString& label, const std::function<bool()>& change, std::vector<morvi::ChunkId> scope);
    // Edits between these two are one step: a stroke from press to release, a slider drag.
    void beginGroup(const QString& label);
    void endGroup();

    EditorContext& m_context;

private:
    bool m_changed = false;
};

} // namespace morvi::ui
