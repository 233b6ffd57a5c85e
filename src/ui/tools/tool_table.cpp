#include "ui/tools/tool_table.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QPixmap>
#include <array>

#include "ui/tools/click_tools.h"
#include "ui/tools/freehand_tool.h"
#include "ui/tools/shape_tool.h"

namespace morvi::ui {

const ToolBehaviour& ditherTool(); // dither_tool.cpp

namespace {

const FreehandTool kFreehand;
const FillTool kFill;
const PickTool kPick;

const std::array<ToolInfo, 9> kTools = {{
    {Tool::Draw, "Draw", Qt::Key_B, "Draw with the current colour (B). Shift+click: a line from the last pixel",
     "Draw: drag to paint, Shift+click for a line, right button erases, Ctrl+click picks", "draw", {1, 30},
     ToolPlace::Column, false, &kFreehand},
    {Tool::Erase, "Erase", Qt::Key_E, "Erase to the transparent colour (E). Shift+click: a line from the last pixel",
     "Erase: drag to erase to colour 0, Shift+click for a line", "erase", {3, 28}, ToolPlace::Column, true, &kFreehand},
    {Tool::Pick, "Pick", Qt::Key_I, "Pick a colour from the picture (I)", "Pick: click a pixel to take its colour",
     "pick", {1, 30}, ToolPlace::Column, false, &kPick},
    {Tool::Line, "Line", Qt::Key_L, "Line (L). Shift: horizontal, vertical or 45 degrees",
     "Line: drag from end to end, Shift for 0, 45 or 90 degrees", "line", {7, 7}, ToolPlace::Bar, false, &lineTool()},
    {Tool::Rectangle, "Rectangle", Qt::Key_U, "Rectangle (U). Shift: a square",
     "Rectangle: drag from corner to corner, Shift for a square", "rectangle", {7, 7}, ToolPlace::Bar, false,
     &rectangleTool()},
    {Tool::Ellipse, "Ellipse", Qt::Key_O, "Ellipse (O). Shift: a circle",
     "Ellipse: drag the box it fills, Shift for a circle", "ellipse", {7, 7}, ToolPlace::Bar, false, &ellipseTool()},
    {Tool::Fill, "Fill", Qt::Key_G, "Fill (G). Shift+click: replace the colour everywhere",
     "Fill: click an area to fill it, Shift+click replaces that colour in the whole picture", "fill", {6, 27},
     ToolPlace::Bar, false, &kFill},
    {Tool::Select, "Select", Qt::Key_M, "Select a rectangle (M); drag inside it to move it, arrows move it by one (Shift: eight)",
     "Select: drag a rectangle, drag inside it to move it, Enter puts it down, Esc drops it", "select", {7, 7},
     ToolPlace::Bar, false, nullptr},
    {Tool::Dither, "Dither", Qt::Key_D, "Dither (D): paint a checkerboard of the current colour. Shift+click: a dithered line",
     "Dither: drag to paint every other pixel, Shift+click for a line, right button erases the pattern", "dither", {7, 7},
     ToolPlace::Column, false, &ditherTool()},
}};

} // namespace

std::span<const ToolInfo> toolTable() { return kTools; }

const ToolInfo& toolInfo(Tool tool) {
    for (const ToolInfo& t : kTools)
        if (t.tool == tool) return t;
    return kTools[0];
}

QCursor toolCursor(Tool tool) {
    const ToolInfo& t = toolInfo(tool);
    // On a screen with a display scale above 1, the cursor drawn at twice the size.
    const bool sharp = qGuiApp && qGuiApp->devicePixelRatio() > 1.0;
    QPixmap art(QStringLiteral(":/art/cursor-%1%2.png").arg(QString::fromLatin1(t.art), sharp ? QStringLiteral("@2x") : QString()));
    if (art.isNull()) return QCursor(Qt::CrossCursor);
    if (sharp) art.setDevicePixelRatio(2.0);
    return QCursor(art, t.hotspot.x(), t.hotspot.y());
}

QString toolKeys() {
    QStringList keys;
    for (const ToolInfo& t : kTools) keys << QKeySequence(t.key).toString();
    return keys.join(QLatin1Char(' '));
}

} // namespace morvi::ui
