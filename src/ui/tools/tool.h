#pragma once
// A drawing tool as an object: given the picture as it was when the gesture began and the
// switches, it turns a press and the moves that follow into the pixels to write. Tools hold no
// state of their own (a gesture's state is its Stroke) and know no window, no page and no
// family, so a test drives one with coordinates alone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/indexed_image.h"
#include "image/raster.h"

namespace morvi::ui {

// What a tool sees of the editor.
struct ToolContext {
    const morvi::IndexedImage& picture;      // the picture as it was at the press
    std::uint8_t value = 0;                  // the colour to paint: 0 for the right button
    bool mirror = false;                     // mirror about the picture's vertical centre line
    bool filled = false;                     // rectangles and ellipses filled
    std::optional<morvi::Point> lastPainted; // where the last stroke ended (Shift+click lines)
};

// One gesture of a tool, from the press to the release.
struct Stroke {
    morvi::Point start, end;
    std::vector<morvi::PixelWrite> writes; // what the release writes; the preview shows them
    bool redrawn = false;    // the last move replaced the writes (a shape) rather than adding to them
    bool done = false;       // the press did everything: write now, no moves follow
    std::optional<morvi::Point> pick; // take the colour here instead of writing
    std::string label;       // the undo label when it is not the tool's name
    std::optional<morvi::Point> shapeSize; // width and height of the shape being dragged
    bool endsLine = true;    // a later Shift+click line starts where this stroke ended
};

class ToolBehaviour {
public:
    virtual ~ToolBehaviour() = default;
    // The stroke a press at `at` begins (Shift held or not).
    virtual Stroke press(const ToolContext& context, morvi::Point at, bool shift) const = 0;
    // A move to `at` while the button is held: the stroke grows or is drawn anew.
    virtual void move(const ToolContext& context, Stroke& stroke, morvi::Point at, bool shift) const = 0;

protected:
    // The points, mirrored when the switch is on, as writes of the context's value inside the picture.
    static std::vector<morvi::PixelWrite> writes(const ToolContext& context, std::vector<morvi::Point> points);
};

} // namespace morvi::ui
