#include "ui/tools/tool.h"

namespace morvi::ui {

std::vector<morvi::PixelWrite> ToolBehaviour::writes(const ToolContext& c, std::vector<morvi::Point> points) {
    if (c.mirror) points = morvi::withMirror(points, c.picture.width);
    return morvi::writesOf(points, c.value, c.picture.width, c.picture.height);
}

} // namespace morvi::ui
