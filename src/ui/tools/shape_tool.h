#pragma once
// Line, Rectangle and Ellipse: one tool drawn anew from the press to the pointer on every move,
// parameterised by its rasteriser and by what Shift does to the end point.
#include "ui/tools/tool.h"

namespace morvi::ui {

class ShapeTool : public ToolBehaviour {
public:
    using Rasterise = std::vector<morvi::Point> (*)(morvi::Point a, morvi::Point b, bool filled);
    using Constrain = morvi::Point (*)(morvi::Point a, morvi::Point b);
    ShapeTool(Rasterise rasterise, Constrain constrain) : m_rasterise(rasterise), m_constrain(constrain) {}

    Stroke press(const ToolContext& context, morvi::Point at, bool shift) const override;
    void move(const ToolContext& context, Stroke& stroke, morvi::Point at, bool shift) const override;

private:
    Rasterise m_rasterise;
    Constrain m_constrain;
};

// The three shapes.
const ShapeTool& lineTool();
const ShapeTool& rectangleTool();
const ShapeTool& ellipseTool();

} // namespace morvi::ui
