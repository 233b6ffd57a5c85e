#pragma once
// The canvas tools: one table says each tool's name, key, tooltip, cursor, picture and how it
// draws. The buttons, the cursors, the canvas keys and the undo labels are all made from it.
#include <QCursor>
#include <QString>
#include <span>

namespace morvi::ui {

// In the order of the buttons. The first three keep their numbers.
enum class Tool { Draw = 0, Erase = 1, Pick = 2, Line = 3, Rectangle = 4, Ellipse = 5, Fill = 6, Select = 7 };

// How a tool turns a press, the moves and the release into pixels.
enum class ToolKind {
    Freehand, // every pixel the pointer passes, joined into lines
    TwoPoint, // a shape from the press to the release, previewed while dragging
    Click,    // one click: a fill
    Select,   // marks a rectangle, or drags what it holds
    Pick,     // takes the colour under the pointer
};

struct ToolInfo {
    Tool tool;
    const char* name;     // the button's accessible name and the undo label
    Qt::Key key;          // while the canvas has the focus
    const char* tooltip;  // names the key
    const char* hint;     // one line for the status bar
    const char* art;      // resource name: tool-ART.png, tool-ART-current.png, cursor-ART.png
    QPoint hotspot;       // of the cursor
    ToolKind kind;
};

std::span<const ToolInfo> toolTable();
const ToolInfo& toolInfo(Tool tool);
QCursor toolCursor(Tool tool);

} // namespace morvi::ui
