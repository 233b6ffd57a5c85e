#include "ui/editor/selection.h"

namespace morvi::ui {

morvi::Rect SelectionModel::rect() const {
    if (!m_active) return {};
    if (!m_lifted) return m_rect;
    return {m_at.x, m_at.y, m_floating.width, m_floating.height};
}

void SelectionModel::select(morvi::Rect rect) {
    m_active = !rect.empty();
    m_lifted = false;
    m_rect = rect;
    m_floating = {};
}

void SelectionModel::clear() {
    m_active = m_lifted = false;
    m_floating = {};
    m_drag = Drag::None;
}

void SelectionModel::fit(int width, int height) {
    if (!m_active || m_lifted) return;
    m_rect = morvi::intersected(m_rect, {0, 0, width, height});
    if (m_rect.empty()) clear();
}

void SelectionModel::lift(const morvi::IndexedImage& picture) {
    if (!m_active || m_lifted) return;
    m_floating = morvi::copyRegion(picture, m_rect);
    m_hole = m_rect;
    m_at = {m_rect.x, m_rect.y};
    m_lifted = true;
    m_label = "Move";
}

void SelectionModel::moveBy(int dx, int dy) {
    m_at.x += dx;
    m_at.y += dy;
}

std::vector<morvi::PixelWrite> SelectionModel::drop(const morvi::IndexedImage& picture) {
    if (!lifted()) return {};
    m_lifted = false;
    // The hole first, then the pixels where they went.
    std::vector<morvi::PixelWrite> writes = morvi::fillWrites(m_hole, 0, picture.width, picture.height);
    const auto placed = morvi::placeWrites(m_floating, m_at, picture.width, picture.height);
    writes.insert(writes.end(), placed.begin(), placed.end());
    m_rect = morvi::intersected({m_at.x, m_at.y, m_floating.width, m_floating.height}, {0, 0, picture.width, picture.height});
    m_floating = {};
    if (m_rect.empty()) clear();
    return writes;
}

void SelectionModel::cancelLift() {
    if (!lifted()) return;
    if (m_hole.empty()) clear(); // a paste taken back leaves nothing
    else select(m_hole);
}

std::vector<morvi::PixelWrite> SelectionModel::cut(const morvi::IndexedImage& picture) {
    if (!m_active) return {};
    // What is cut (lifted or not) leaves colour 0 where it lay.
    const morvi::Rect hole = m_lifted ? m_hole : m_rect;
    select(morvi::intersected(rect(), {0, 0, picture.width, picture.height}));
    return morvi::fillWrites(hole, 0, picture.width, picture.height);
}

morvi::ClipRegion SelectionModel::copy(const morvi::IndexedImage& picture) const {
    const morvi::Rect r = rect();
    return {{r.x, r.y}, m_lifted ? m_floating : morvi::copyRegion(picture, r)};
}

void SelectionModel::paste(morvi::IndexedImage pixels, morvi::Point at) {
    m_active = m_lifted = true;
    m_hole = {};
    m_floating = std::move(pixels);
    m_at = at;
    m_label = "Paste";
}

std::vector<morvi::PixelWrite> SelectionModel::flip(const morvi::IndexedImage& picture, bool vertical) {
    if (!m_active) return {};
    const std::string label = vertical ? "Flip vertical" : "Flip horizontal";
    if (m_lifted) {
        m_floating = morvi::flippedRegion(m_floating, vertical);
        m_label = label;
        return {};
    }
    return morvi::placeWrites(morvi::flippedRegion(morvi::copyRegion(picture, m_rect), vertical), {m_rect.x, m_rect.y},
                              picture.width, picture.height);
}

void SelectionModel::rotate(const morvi::IndexedImage& picture, bool clockwise) {
    if (!m_active) return;
    lift(picture);
    const morvi::Point corner = morvi::turnedCorner({m_at.x, m_at.y, m_floating.width, m_floating.height});
    m_floating = morvi::turnedRegion(m_floating, clockwise);
    m_at = corner;
    m_label = "Rotate";
}

std::vector<morvi::PixelWrite> SelectionModel::press(const morvi::IndexedImage& picture, morvi::Point at) {
    std::vector<morvi::PixelWrite> writes;
    if (m_active && rect().contains(at)) {
        lift(picture);
        m_drag = Drag::Move;
        m_floatFrom = m_at;
    } else {
        // A press outside puts the old selection down and starts a new one.
        writes = drop(picture);
        clear();
        m_drag = Drag::Marquee;
    }
    m_dragFrom = at;
    return writes;
}

morvi::Point SelectionModel::drag(const morvi::IndexedImage& picture, morvi::Point at, bool release) {
    morvi::Point size{0, 0};
    if (m_drag == Drag::Move && m_active) {
        m_at = {m_floatFrom.x + at.x - m_dragFrom.x, m_floatFrom.y + at.y - m_dragFrom.y};
    } else if (m_drag == Drag::Marquee) {
        const morvi::Rect r = morvi::rectBetween(m_dragFrom, at, picture.width, picture.height);
        // A click without a drag selects nothing.
        if (r.empty() || (release && at == m_dragFrom && !m_active)) clear();
        else select(r);
        if (!release && !r.empty()) size = {r.width, r.height};
    }
    if (release) m_drag = Drag::None;
    return size;
}

morvi::IndexedImage SelectionModel::shownOver(const morvi::IndexedImage& picture) const {
    morvi::IndexedImage shown = picture;
    if (!lifted() || !shown.hasPixels()) return shown;
    for (const auto& w : morvi::fillWrites(m_hole, 0, shown.width, shown.height)) shown.setPixel(w.x, w.y, 0);
    for (const auto& w : morvi::placeWrites(m_floating, m_at, shown.width, shown.height)) shown.setPixel(w.x, w.y, w.value);
    return shown;
}

} // namespace morvi::ui
