#include "ui/widgets/canvas_view.h"

#include "ui/tools/tool_table.h"

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
#include <QWheelEvent>

namespace morvi::ui {

CanvasView::CanvasView(QWidget* parent) : SurfaceView(256, 256, QStringLiteral("Canvas"), parent) {
    // At least the 256 x 256 of the smallest window; larger windows give it the rest.
    setMinimumSize(256, 256);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setToolTip(QStringLiteral("Left button draws with the tool, right button with colour 0, Ctrl+click picks. "
                              "%1: tools, Shift+M: mirror. Ctrl + wheel: magnification")
                   .arg(toolKeys()));
}


void CanvasView::setOutline(QRect outline) {
    if (outline == m_outline) return;
    m_outline = outline;
    if (!m_ants) {
        m_ants = new QTimer(this);
        m_ants->setInterval(120);
        connect(m_ants, &QTimer::timeout, this, [this] {
            m_dashOffset = (m_dashOffset + 1) % 8;
            update();
        });
    }
    if (m_outline.isEmpty()) m_ants->stop();
    else m_ants->start();
    update();
}

void CanvasView::paintEvent(QPaintEvent* event) {
    SurfaceView::paintEvent(event);
    if (m_outline.isEmpty()) return;
    // Black and white dashes that crawl, seen on any colour.
    QPainter painter(this);
    const QRect r = m_outline.adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(r);
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({4, 4});
    dashes.setDashOffset(m_dashOffset);
    painter.setPen(dashes);
    painter.drawRect(r);
}

bool CanvasView::event(QEvent* event) {
    // Keys the editor gives the canvas (a selection's Ctrl+X and Delete) win over the window's
    // shortcuts while the canvas has the focus.
    if (event->type() == QEvent::ShortcutOverride && m_keys) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_keys(key->keyCombination(), true)) {
            event->accept();
            return true;
        }
    }
    return SurfaceView::event(event);
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    surface().resize(width(), height());
    SurfaceView::resizeEvent(event);
    emit resized();
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    emit zoomRequested(event->angleDelta().y() > 0 ? 1 : -1, event->position().toPoint());
    event->accept();
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
    if (m_keys && m_keys(event->keyCombination(), false)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    if (gestureActive() || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) return;
    m_button = event->button();
    m_last = event->position().toPoint();
    emit gesture(CanvasEvent{CanvasEvent::Phase::Press, m_last, m_button, event->modifiers()});
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!gestureActive()) {
        // The canvas tells of the pointer only while no button is held (a stroke tells its own).
        if (rect().contains(at)) emit hovered(at);
        return;
    }
    if (!(event->buttons() & m_button) || at == m_last) return;
    m_last = at;
    // Moves past the edge still count: a shape's corner may lie outside the visible part.
    emit gesture(CanvasEvent{CanvasEvent::Phase::Move, at, m_button, event->modifiers()});
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (!gestureActive() || event->button() != m_button) return;
    const Qt::MouseButton button = m_button;
    m_button = Qt::NoButton;
    emit gesture(CanvasEvent{CanvasEvent::Phase::Release, event->position().toPoint(), button, event->modifiers()});
}

} // namespace morvi::ui
