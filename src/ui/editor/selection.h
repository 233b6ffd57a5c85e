#pragma once
// The selection as a model, free of any widget: a rectangle of the picture that lies still, or
// its pixels lifted and floating over the picture (moved, flipped, turned, pasted) until they
// are put down. Like a tool, it never writes: putting down, cutting and deleting return the
// pixels to write, and the page writes them through the family as one step.
#include <string>
#include <vector>

#include "image/region.h"

namespace morvi::ui {

class SelectionModel {
public:
    bool active() const { return m_active; }
    bool lifted() const { return m_active && m_lifted; }
    // Where the selection is now (while lifted: where its pixels float).
    morvi::Rect rect() const;
    // The undo label of putting it down: "Move", "Paste", "Rotate", "Flip horizontal", ...
    const std::string& label() const { return m_label; }
    // The lifted pixels (empty while it lies still).
    const morvi::IndexedImage& floating() const { return m_floating; }

    void select(morvi::Rect rect);
    void selectAll(const morvi::IndexedImage& picture) { select({0, 0, picture.width, picture.height}); }
    void clear();
    // The picture changed size under a still selection: cut it to the picture.
    void fit(int width, int height);

    // Lifts a still selection's pixels off the picture (nothing is written until it is put down).
    void lift(const morvi::IndexedImage& picture);
    void moveBy(int dx, int dy);
    // The writes that put a lifted selection down (the hole it left, then its pixels where they
    // are); it then lies still where it went, or is gone when that is outside the picture.
    std::vector<morvi::PixelWrite> drop(const morvi::IndexedImage& picture);
    // Esc while lifted: the pixels go back where they were, nothing to write.
    void cancelLift();
    // Copies, then clears what it held to colour 0: the writes of the hole.
    std::vector<morvi::PixelWrite> cut(const morvi::IndexedImage& picture);
    // Its pixels with the place they came from, for the clipboard.
    morvi::ClipRegion copy(const morvi::IndexedImage& picture) const;
    // Puts pixels down lifted at `at` (a paste): taken back, it leaves nothing.
    void paste(morvi::IndexedImage pixels, morvi::Point at);
    // A lifted selection is flipped where it floats (nothing to write); a still one returns the
    // writes of its flipped pixels.
    std::vector<morvi::PixelWrite> flip(const morvi::IndexedImage& picture, bool vertical);
    // Turns it a quarter about its centre, lifting it first.
    void rotate(const morvi::IndexedImage& picture, bool clockwise);

    // The mouse with the Select tool: a press inside lifts and drags it, elsewhere starts a new
    // rectangle (putting the old one down: its writes are returned).
    std::vector<morvi::PixelWrite> press(const morvi::IndexedImage& picture, morvi::Point at);
    // A move or the release of that drag; the size of the rectangle being dragged (empty otherwise).
    morvi::Point drag(const morvi::IndexedImage& picture, morvi::Point at, bool release);

    // The picture as it shows with the lifted pixels floating over their hole.
    morvi::IndexedImage shownOver(const morvi::IndexedImage& picture) const;

private:
    enum class Drag { None, Marquee, Move };
    bool m_active = false;
    bool m_lifted = false;
    morvi::Rect m_rect;   // while it lies still
    morvi::Rect m_hole;   // where the lifted pixels came from (empty for a paste)
    morvi::IndexedImage m_floating;
    morvi::Point m_at;    // the floating pixels' corner
    std::string m_label = "Move";
    Drag m_drag = Drag::None;
    morvi::Point m_dragFrom, m_floatFrom;
};

} // namespace morvi::ui
