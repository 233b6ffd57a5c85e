#pragma once
// Tools that act on a click alone: Fill (Shift: replace the colour everywhere) and Pick. A click
// tool's stroke is done at the press; moves change nothing.
#include "ui/tools/tool.h"

namespace morvi::ui {

class FillTool : public ToolBehaviour {
public:
    Stroke press(const ToolContext& context, morvi::Point at, bool shift) const override;
    void move(const ToolContext&, Stroke&, morvi::Point, bool) const override {}
};

class PickTool : public ToolBehaviour {
public:
    Stroke press(const ToolContext& context, morvi::Point at, bool shift) const override;
    void move(const ToolContext&, Stroke&, morvi::Point, bool) const override {}
};

} // namespace morvi::ui
