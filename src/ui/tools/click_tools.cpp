#include "ui/tools/click_tools.h"

namespace morvi::ui {

Stroke FillTool::press(const ToolContext& context, morvi::Point at, bool shift) const {
    Stroke s;
    s.start = s.end = at;
    s.done = true;
    s.endsLine = false;
    // Worked out on the picture as it was at the click, before anything is written.
    s.writes = writes(context, shift ? morvi::sameColorPoints(context.picture, at) : morvi::floodFillPoints(context.picture, at));
    if (shift) s.label = "Replace colour";
    return s;
}

Stroke PickTool::press(const ToolContext&, morvi::Point at, bool) const {
    Stroke s;
    s.start = s.end = at;
    s.done = true;
    s.endsLine = false;
    s.pick = at;
    return s;
}

} // namespace morvi::ui
