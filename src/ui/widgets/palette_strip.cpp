#include "ui/widgets/palette_strip.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

namespace morvi::ui {

PaletteStrip::PaletteStrip(int width, int height, QWidget* parent)
    : SurfaceView(width, height, QStringLiteral("Palette"), parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Click a colour to draw with it and edit it, double-click to choose it in a dialog, "
                              "right-click to copy or paste. Drag a colour onto another to swap them (Ctrl: move it "
                              "there); the pictures keep their look. A corner mark: not used by this picture"));
}

void PaletteStrip::setBand(int first, int last, const QString& text, const QString& tip) {
    if (m_stripHeight == 0) m_stripHeight = height();
    m_bandFirst = first;
    m_bandLast = last;
    m_bandText = first < 0 ? QString() : text;
    m_bandTip = tip;
    setFixedHeight(m_stripHeight + (first < 0 ? 0 : fontMetrics().height() + 2));
    update();
}

void PaletteStrip::paintEvent(QPaintEvent* event) {
    SurfaceView::paintEvent(event);
    if (m_bandFirst < 0 || m_bandFirst >= m_count) return;
    QPainter painter(this);
    const int left = m_bandFirst * m_swatchWidth, right = (std::min(m_bandLast, m_count - 1) + 1) * m_swatchWidth - 1;
    const int top = m_stripHeight + 2;
    painter.fillRect(QRect(0, m_stripHeight, width(), height() - m_stripHeight), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(left, top, right, top);
    painter.drawLine(left, m_stripHeight, left, top);
    painter.drawLine(right, m_stripHeight, right, top);
    painter.drawText(QRect(left, top, right - left + 1, height() - top), Qt::AlignHCenter | Qt::AlignTop, m_bandText);
}

bool PaletteStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_bandFirst >= 0) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        const int k = at.x() / m_swatchWidth;
        if (k >= m_bandFirst && k <= m_bandLast && k < m_count) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), m_bandTip, this);
            return true;
        }
    }
    return SurfaceView::event(event);
}

void PaletteStrip::setSwatches(int width, int count) {
    m_swatchWidth = std::max(1, width);
    m_count = count;
}

int PaletteStrip::swatchAt(QPoint at) const {
    if (at.y() < 0 || at.y() >= height() || at.x() < 0) return -1;
    const int k = at.x() / m_swatchWidth;
    return k < m_count ? k : -1;
}

void PaletteStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_pressAt = event->position().toPoint();
    m_from = swatchAt(m_pressAt);
    m_dragging = false;
    emit pressed(m_pressAt);
    if (m_from >= 0) emit chosen(m_from);
}

void PaletteStrip::mouseMoveEvent(QMouseEvent* event) {
    if (m_from < 0 || !(event->buttons() & Qt::LeftButton)) return;
    if (!m_dragging && (event->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
}

void PaletteStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int from = m_from;
    const bool dragged = m_dragging;
    m_from = -1;
    m_dragging = false;
    setCursor(Qt::PointingHandCursor);
    const int to = swatchAt(event->position().toPoint());
    if (dragged && from >= 0 && to >= 0 && to != from) emit dropped(from, to, event->modifiers() & Qt::ControlModifier);
}

void PaletteStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int k = swatchAt(event->position().toPoint());
    if (k >= 0) emit doubleClicked(k);
}

void PaletteStrip::contextMenuEvent(QContextMenuEvent* event) {
    const int k = swatchAt(event->pos());
    if (k >= 0) emit menuRequested(k, event->globalPos());
}

} // namespace morvi::ui
