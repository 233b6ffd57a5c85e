// Dither: the Draw tool on the pixels of a checkerboard fixed to the picture (x + y even), so a
// stroke lays a 50% pattern of the current colour; Shift+click draws a dithered line, the right
// button erases the pattern to colour 0, Ctrl+click picks, as on every tool.
#include "ui/tools/freehand_tool.h"

namespace morvi::ui {

namespace {

class DitherTool : public FreehandTool {
protected:
    bool paints(morvi::Point p) const override { return ((p.x + p.y) & 1) == 0; }
};

} // namespace

const ToolBehaviour& ditherTool() {
    static const DitherTool tool;
    return tool;
}

} // namespace morvi::ui
