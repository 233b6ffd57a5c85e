#pragma once
// How a part of a page changes the family: each change is one step of the history (or part of
// an open group), and the page is drawn again. The page is the sink; its parts hold a reference.
#include <QString>
#include <functional>
#include <vector>

#include "image/raster.h"

namespace morvi {
class EditHistory;
struct Workspace;
}

namespace morvi::ui {

class Prompts;

// What every page needs: the session's data and settings, the way to ask the user, and the one
// history of the whole ROM.
struct EditorContext {
    morvi::Workspace& ws;
    Prompts& prompts;
    morvi::EditHistory& history;
};

class EditSink {
public:
    // Runs one change of the family; change returns whether it changed anything. Returns that.
    virtual bool edit(const QString& label, const std::function<bool()>& change) = 0;
    // Changes between these two are one step: a slider drag.
    virtual void beginGroup(const QString& label) = 0;
    virtual void endGroup() = 0;
    // Writes pixels of the shown picture as one step.
    virtual void commitWrites(const QString& label, const std::vector<morvi::PixelWrite>& writes) = 0;

protected:
    ~EditSink() = default;
};

} // namespace morvi::ui
