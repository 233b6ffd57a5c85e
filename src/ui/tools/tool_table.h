#pragma once
// The table of tools: each row names a tool, its key, tooltip, status bar hint, art, cursor hot
// spot, where its button stands and the object that draws. The buttons, cursors, canvas keys,
// tooltips, hints and undo labels are all made from it: a new tool is a file with its
// behaviour, a row here and its art.
#include <QCursor>
#include <QString>
#include <span>

#include "ui/tools/tool.h"

namespace morvi::ui {

// In the order of the buttons. The first three keep their numbers.
enum class Tool { Draw = 0, Erase = 1, Pick = 2, Line = 3, Rectangle = 4, Ellipse = 5, Fill = 6, Select = 7, Dither = 8 };

// Where a tool's button stands: in the row beside the canvas, or in the bar under the palette.
enum class ToolPlace { Column, Bar };

struct ToolInfo {
    Tool tool;
    const char* name;     // the button's accessible name and the undo label
    Qt::Key key;          // while the canvas has the focus
    const char* tooltip;  // names the key
    const char* hint;     // one line for the status bar
    const char* art;      // resource name: tool-ART.png, tool-ART-current.png, cursor-ART.png
    QPoint hotspot;       // of the cursor
    ToolPlace place;
    bool erases;          // paints colour 0 whatever the current colour (Erase)
    // What draws; null for Select, whose gestures the selection takes.
    const ToolBehaviour* behaviour;
};

std::span<const ToolInfo> toolTable();
const ToolInfo& toolInfo(Tool tool);
QCursor toolCursor(Tool tool);
// "B E I ...": every tool's key in the table's order, for tooltips that list them.
QString toolKeys();

} // namespace morvi::ui
