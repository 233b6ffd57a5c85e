#include "ui/editor/canvas_editor.h"

#include <QScrollBar>
#include <QSpinBox>
#include <algorithm>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "ui/editor/selection.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

namespace {

QPoint p2q(morvi::Point p) { return QPoint(p.x, p.y); }

// The box around writes[from..], empty when there are none.
morvi::Rect boundsOf(const std::vector<morvi::PixelWrite>& writes, std::size_t from = 0) {
    if (from >= writes.size()) return {};
    int x0 = writes[from].x, y0 = writes[from].y, x1 = x0, y1 = y0;
    for (std::size_t i = from + 1; i < writes.size(); ++i) {
        x0 = std::min(x0, writes[i].x), y0 = std::min(y0, writes[i].y);
        x1 = std::max(x1, writes[i].x), y1 = std::max(y1, writes[i].y);
    }
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

morvi::Rect united(morvi::Rect a, morvi::Rect b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    return {x0, y0, std::max(a.x + a.width, b.x + b.width) - x0, std::max(a.y + a.height, b.y + b.height) - y0};
}

} // namespace

CanvasEditor::CanvasEditor(morvi::Workspace& ws, morvi::PictureSource& source, SelectionModel& selection, Parts parts,
                           morvi::PageMagnification magnificationSetting, QObject* parent)
    : QObject(parent), m_ws(ws), m_source(source), m_selection(selection), m_parts(parts),
      m_magnificationSetting(std::move(magnificationSetting)) {
    m_parts.canvas->setCursor(toolCursor(m_tool));
    connect(m_parts.canvas, &CanvasView::gesture, this, &CanvasEditor::canvasEvent);
    connect(m_parts.canvas, &CanvasView::hovered, this, [this](QPoint at) { emit pointerMoved(pictureAt(at)); });
    connect(m_parts.canvas, &CanvasView::zoomRequested, this, &CanvasEditor::zoomAround);
    connect(m_parts.canvas, &CanvasView::resized, this, [this] { emit viewMoved(); });
    connect(m_parts.magnification, &MagnificationControl::fitRequested, this, &CanvasEditor::zoomToFit);
    connect(m_parts.magnification, &MagnificationControl::changed, this, [this] { emit viewMoved(); });
    for (QScrollBar* bar : {m_parts.across, m_parts.down})
        connect(bar, &QScrollBar::valueChanged, this, [this] { emit viewMoved(); });
}

// --- where things are ---

int CanvasEditor::magnification() const { return std::max(1, m_parts.magnification->value()); }

QSize CanvasEditor::pictureSize() const {
    const morvi::IndexedImage& p = m_source.picture();
    return QSize(p.width, p.height);
}

QPoint CanvasEditor::origin() const { return QPoint(m_parts.across->value(), m_parts.down->value()); }

QPoint CanvasEditor::pictureShift() const {
    // A picture that fits the canvas along an axis sits in its middle there.
    const int m = magnification();
    const QSize size = pictureSize();
    const CanvasView* c = m_parts.canvas;
    return QPoint(std::max(0, (c->width() - m * size.width()) / 2), std::max(0, (c->height() - m * size.height()) / 2));
}

QPoint CanvasEditor::pictureAt(QPoint canvasPoint) const {
    const int m = magnification();
    const QPoint p = canvasPoint - pictureShift();
    return origin() + QPoint(morvi::floorDiv(p.x(), m), morvi::floorDiv(p.y(), m));
}

// --- zoom ---

void CanvasEditor::updateScrollRanges() {
    const int m = magnification();
    m_magnificationSetting.set(m_ws.settings, std::uint8_t(m));
    const QSize size = pictureSize();
    const int maxX = std::max(0, size.width() - m_parts.canvas->width() / m);
    const int maxY = std::max(0, size.height() - m_parts.canvas->height() / m);
    for (auto [bar, max] : {std::pair{m_parts.across, maxX}, std::pair{m_parts.down, maxY}}) {
        QSignalBlocker quiet(bar);
        bar->setRange(0, max);
        bar->setVisible(max > 0);
    }
}

void CanvasEditor::setMagnification(int m, std::optional<QPoint> keepAt) {
    const QSpinBox* spin = m_parts.magnification->spinBox();
    m = std::clamp(m, spin->minimum(), spin->maximum());
    if (m == m_parts.magnification->value()) return;
    const QPoint kept = keepAt ? pictureAt(*keepAt) : QPoint();
    m_parts.magnification->setValue(m);
    updateScrollRanges();
    if (keepAt) {
        // At the new magnification the point lies this far (in pixels) from the origin.
        const QPoint offset = pictureAt(*keepAt) - origin();
        for (auto [bar, value] : {std::pair{m_parts.across, kept.x() - offset.x()}, std::pair{m_parts.down, kept.y() - offset.y()}}) {
            QSignalBlocker quiet(bar);
            bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
        }
    }
    emit viewMoved();
}

void CanvasEditor::zoom(int steps) { m_parts.magnification->spinBox()->setValue(m_parts.magnification->spinBox()->value() + steps); }

void CanvasEditor::zoomAround(int steps, QPoint canvasPoint) { setMagnification(m_parts.magnification->value() + steps, canvasPoint); }

void CanvasEditor::zoomToFit() {
    const QSize size = pictureSize();
    if (size.isEmpty()) return;
    setMagnification(std::max(1, std::min(m_parts.canvas->width() / size.width(), m_parts.canvas->height() / size.height())));
}

void CanvasEditor::actualSize() { setMagnification(1); }

// --- drawing ---

const morvi::Surface& CanvasEditor::backdrop() {
    const CanvasView* c = m_parts.canvas;
    const auto& set = m_ws.backgrounds;
    if (m_backdrop.width != c->width() || m_backdrop.height != c->height() || m_backdropFrom != &set ||
        m_backdropGeneration != set.backdropGeneration) {
        morvi::drawBackdropTiles(set.largeBackdrop, m_backdrop, c->width(), c->height());
        m_backdropFrom = &set;
        m_backdropGeneration = set.backdropGeneration;
    }
    return m_backdrop;
}

const morvi::IndexedImage& CanvasEditor::shown() const { return m_previewShown ? m_preview : m_source.picture(); }

void CanvasEditor::render() { renderPart({}); }

void CanvasEditor::renderPart(morvi::Rect changed) {
    const int m = magnification();
    const QPoint o = origin(), shift = pictureShift();
    const QSize size = pictureSize();
    morvi::Surface& s = m_parts.canvas->surface();
    CanvasView* c = m_parts.canvas;
    if (s.width != c->width() || s.height != c->height()) s.resize(c->width(), c->height());
    morvi::CanvasRect part{0, 0, s.width, s.height};
    if (!changed.empty()) {
        // The canvas pixels of the changed picture pixels, one pixel more each way for the grid.
        part = {shift.x() + (changed.x - o.x()) * m - 1, shift.y() + (changed.y - o.y()) * m - 1, changed.width * m + 2,
                changed.height * m + 2};
    }
    morvi::drawMagnifiedOver(shown(), m, s, backdrop(), o.x(), o.y(), shift.x(), shift.y(), part);
    // Onion skin: drawn on the canvas only, never into the picture.
    for (const morvi::OnionLayer& layer : m_onion) morvi::blendOnionLayer(shown(), layer, m, s, o.x(), o.y(), shift.x(), shift.y(), part);
    morvi::drawCanvasGrid(s, morvi::GridMode(m_ws.settings.grid), m_ws.settings.gridMinMag, m, size.width(), size.height(),
                          o.x(), o.y(), m_clip, shift.x(), shift.y(), &part);
    updateOutline();
    if (changed.empty()) c->update();
    else c->update(QRect(part.x, part.y, part.width, part.height));
}

void CanvasEditor::updateOutline() {
    QRect outline;
    if (m_selection.active()) {
        const int m = magnification();
        const QPoint o = origin(), shift = pictureShift();
        const morvi::Rect r = m_selection.rect();
        outline = QRect(shift.x() + (r.x - o.x()) * m, shift.y() + (r.y - o.y()) * m, r.width * m, r.height * m);
    }
    m_parts.canvas->setOutline(outline);
}

void CanvasEditor::rebuildPreview() {
    m_previewShown = m_stroke.has_value() || m_selection.lifted();
    if (!m_previewShown) return;
    if (m_selection.lifted()) {
        m_preview = m_selection.shownOver(m_source.picture());
        return;
    }
    m_preview = m_source.picture();
    if (!m_preview.hasPixels()) return;
    for (const auto& w : m_stroke->writes)
        if (m_preview.contains(w.x, w.y)) m_preview.setPixel(w.x, w.y, w.value);
}

void CanvasEditor::selectionChanged() {
    rebuildPreview();
    render();
    emit previewChanged();
    emit selectionShown();
}

// --- gestures ---

void CanvasEditor::setTool(Tool tool) {
    cancelGesture();
    m_tool = tool;
    m_parts.canvas->setCursor(toolCursor(tool));
}

void CanvasEditor::canvasEvent(const CanvasEvent& event) {
    const morvi::IndexedImage& picture = m_source.picture();
    if (!picture.hasPixels()) return;
    const QPoint p = pictureAt(event.at);
    const morvi::Point at{p.x(), p.y()};
    if (event.phase != CanvasEvent::Phase::Release) emit pointerMoved(p);
    if (m_tool == Tool::Select && !(event.modifiers & Qt::ControlModifier)) {
        selectEvent(event, at);
        return;
    }
    switch (event.phase) {
    case CanvasEvent::Phase::Press: startStroke(event, at); break;
    case CanvasEvent::Phase::Move: moveStroke(event, at); break;
    case CanvasEvent::Phase::Release:
        moveStroke(event, at);
        finishStroke();
        break;
    }
}

void CanvasEditor::startStroke(const CanvasEvent& event, morvi::Point at) {
    cancelGesture();
    const ToolInfo& info = toolInfo(m_tool);
    // Ctrl+click picks with any tool, as the pick tool does.
    if (!info.behaviour || (event.modifiers & Qt::ControlModifier)) {
        emit picked(p2q(at));
        return;
    }
    const bool erase = info.erases || event.button == Qt::RightButton;
    m_value = std::uint8_t(erase ? 0 : std::max(0, m_currentColor ? m_currentColor() : 0));
    const ToolContext context{m_source.picture(), m_value, m_parts.tools->mirror(), m_parts.tools->filled(), m_lastPainted};
    Stroke stroke = info.behaviour->press(context, at, event.modifiers & Qt::ShiftModifier);
    if (stroke.pick) {
        emit picked(p2q(*stroke.pick));
        return;
    }
    if (stroke.done) {
        if (stroke.endsLine) m_lastPainted = stroke.end;
        emit writesReady(stroke.label.empty() ? QString::fromLatin1(info.name) : QString::fromStdString(stroke.label), stroke.writes);
        return;
    }
    m_stroke = std::move(stroke);
    rebuildPreview();
    render();
    emit previewChanged();
}

void CanvasEditor::moveStroke(const CanvasEvent& event, morvi::Point at) {
    if (!m_stroke) return;
    const ToolInfo& info = toolInfo(m_tool);
    const ToolContext context{m_source.picture(), m_value, m_parts.tools->mirror(), m_parts.tools->filled(), m_lastPainted};
    const std::size_t before = m_stroke->writes.size();
    // A shape is drawn anew on every move: where it lies now must be redrawn too.
    const morvi::Rect drawn = m_stroke->redrawn ? boundsOf(m_stroke->writes) : morvi::Rect{};
    info.behaviour->move(context, *m_stroke, at, event.modifiers & Qt::ShiftModifier);
    if (m_stroke->shapeSize) emit shapeSized(QSize(m_stroke->shapeSize->x, m_stroke->shapeSize->y));
    if (event.phase == CanvasEvent::Phase::Release) return;
    morvi::Rect changed;
    if (m_stroke->redrawn) {
        // A shape drawn anew: where it was and where it is now (mirror images included).
        rebuildPreview();
        changed = united(drawn, boundsOf(m_stroke->writes));
    } else {
        // Pixels added to a freehand stroke: only those change.
        for (std::size_t i = before; i < m_stroke->writes.size(); ++i) {
            const auto& w = m_stroke->writes[i];
            if (m_preview.contains(w.x, w.y)) m_preview.setPixel(w.x, w.y, w.value);
        }
        changed = boundsOf(m_stroke->writes, before);
    }
    if (changed.empty()) return;
    renderPart(changed);
    emit previewChanged();
}

void CanvasEditor::finishStroke() {
    if (!m_stroke) return;
    emit shapeSized(QSize());
    Stroke stroke = std::move(*m_stroke);
    m_stroke.reset();
    m_lastPainted = stroke.end;
    rebuildPreview();
    emit writesReady(QString::fromLatin1(toolInfo(m_tool).name), stroke.writes);
}

void CanvasEditor::cancelGesture() {
    if (!m_stroke) return;
    emit shapeSized(QSize());
    m_stroke.reset();
    rebuildPreview();
    render();
    emit previewChanged();
}

void CanvasEditor::selectEvent(const CanvasEvent& event, morvi::Point at) {
    if (event.button != Qt::LeftButton) return;
    const morvi::IndexedImage& picture = m_source.picture();
    if (event.phase == CanvasEvent::Phase::Press) {
        const QString label = QString::fromStdString(m_selection.label());
        const auto writes = m_selection.press(picture, at);
        if (!writes.empty()) emit writesReady(label, writes);
    } else {
        const morvi::Point size = m_selection.drag(picture, at, event.phase == CanvasEvent::Phase::Release);
        emit shapeSized(QSize(size.x, size.y));
    }
    selectionChanged();
}

} // namespace morvi::ui
