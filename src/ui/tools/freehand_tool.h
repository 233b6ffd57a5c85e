#pragma once
// Draw and Erase: every pixel the pointer passes, joined into lines so that no speed of drag
// leaves a gap; Shift+click draws a line from where the last stroke ended. A subclass may keep
// only some of the pixels (Dither).
#include "ui/tools/tool.h"

namespace morvi::ui {

class FreehandTool : public ToolBehaviour {
public:
    Stroke press(const ToolContext& context, morvi::Point at, bool shift) const override;
    void move(const ToolContext& context, Stroke& stroke, morvi::Point at, bool shift) const override;

protected:
    // Whether the stroke paints this pixel; every one by default.
    virtual bool paints(morvi::Point) const { return true; }

private:
    std::vector<morvi::PixelWrite> kept(const ToolContext& context, std::vector<morvi::Point> points) const;
};

} // namespace morvi::ui
