#include "ui/tools/freehand_tool.h"

#include <algorithm>

namespace morvi::ui {

std::vector<morvi::PixelWrite> FreehandTool::kept(const ToolContext& context, std::vector<morvi::Point> points) const {
    auto all = writes(context, std::move(points));
    all.erase(std::remove_if(all.begin(), all.end(), [this](const morvi::PixelWrite& w) { return !paints({w.x, w.y}); }),
              all.end());
    return all;
}

Stroke FreehandTool::press(const ToolContext& context, morvi::Point at, bool shift) const {
    Stroke s;
    s.start = s.end = at;
    if (shift && context.lastPainted) {
        s.writes = kept(context, morvi::linePoints(*context.lastPainted, at));
        s.done = true;
        return s;
    }
    s.writes = kept(context, {at});
    return s;
}

void FreehandTool::move(const ToolContext& context, Stroke& s, morvi::Point at, bool) const {
    s.redrawn = false;
    if (at == s.end) return;
    const auto added = kept(context, morvi::linePoints(s.end, at));
    s.writes.insert(s.writes.end(), added.begin(), added.end());
    s.end = at;
}

} // namespace morvi::ui
