#include "ui/tools/shape_tool.h"

#include <cstdlib>

namespace morvi::ui {

Stroke ShapeTool::press(const ToolContext& context, morvi::Point at, bool) const {
    Stroke s;
    s.start = s.end = at;
    s.writes = writes(context, {at});
    s.redrawn = true;
    return s;
}

void ShapeTool::move(const ToolContext& context, Stroke& s, morvi::Point at, bool shift) const {
    s.end = shift ? m_constrain(s.start, at) : at;
    s.writes = writes(context, m_rasterise(s.start, s.end, context.filled));
    s.redrawn = true;
    s.shapeSize = morvi::Point{std::abs(s.end.x - s.start.x) + 1, std::abs(s.end.y - s.start.y) + 1};
}

const ShapeTool& lineTool() {
    static const ShapeTool tool([](morvi::Point a, morvi::Point b, bool) { return morvi::linePoints(a, b); },
                                morvi::constrainLine);
    return tool;
}

const ShapeTool& rectangleTool() {
    static const ShapeTool tool(morvi::rectanglePoints, morvi::constrainSquare);
    return tool;
}

const ShapeTool& ellipseTool() {
    static const ShapeTool tool(morvi::ellipsePoints, morvi::constrainSquare);
    return tool;
}

} // namespace morvi::ui
