#include "ui/widgets/views.h"

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

FittingComboBox::FittingComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, [this] { updateToolTip(); });
}

void FittingComboBox::setBaseToolTip(const QString& tip) {
    m_baseTip = tip;
    updateToolTip();
}

void FittingComboBox::showPopup() {
    int widest = 0;
    const QFontMetrics metrics = view()->fontMetrics();
    for (int i = 0; i < count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    const int chrome = 4 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) +
                       view()->verticalScrollBar()->sizeHint().width() + 16;
    view()->setMinimumWidth(std::max(width(), widest + chrome));
    QComboBox::showPopup();
}

void FittingComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    updateToolTip();
}

void FittingComboBox::updateToolTip() {
    // The room the closed list has for its text: its width less the arrow and the frame.
    const int room = width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) - 12;
    const QString text = currentText();
    const bool cut = !text.isEmpty() && fontMetrics().horizontalAdvance(text) > room;
    if (!cut) setToolTip(m_baseTip);
    else if (m_baseTip.isEmpty()) setToolTip(text);
    else setToolTip(m_baseTip + QStringLiteral(": ") + text);
}

SurfaceView::SurfaceView(int width, int height, const QString& name, QWidget* parent)
    : QWidget(parent), m_surface(width, height), m_size(width, height) {
    setFixedSize(width, height);
    setAccessibleName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // On a scaled display every surface pixel becomes a block of screen pixels, never a blur.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (m_surface.width <= 0 || m_surface.height <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The surface's 0xFFRRGGBB words are exactly QImage's RGB32 layout: wrap, do not copy.
    const QImage image(reinterpret_cast<const uchar*>(m_surface.pixels.data()), m_surface.width,
                       m_surface.height, m_surface.width * 4, QImage::Format_RGB32);
    const int shownWidth = m_surface.width * m_scale, shownHeight = m_surface.height * m_scale;
    if (m_scale == 1) painter.drawImage(0, 0, image);
    else painter.drawImage(QRect(0, 0, shownWidth, shownHeight), image); // blocks, not smoothed
    if (shownWidth < width() || shownHeight < height()) {
        painter.fillRect(shownWidth, 0, width() - shownWidth, height(), Qt::black);
        painter.fillRect(0, shownHeight, shownWidth, height() - shownHeight, Qt::black);
    }
}

void SurfaceView::setScale(int scale) {
    scale = std::max(1, scale);
    if (scale == m_scale) return;
    m_scale = scale;
    setFixedSize(m_size * scale);
    update();
}

void SurfaceView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        emit pressed(QPoint(at.x() / m_scale, at.y() / m_scale));
    }
}

void SurfaceView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit hovered(QPoint(at.x() / m_scale, at.y() / m_scale));
    QWidget::mouseMoveEvent(event);
}

void SurfaceView::leaveEvent(QEvent* event) {
    emit left();
    QWidget::leaveEvent(event);
}

MagnificationControl::MagnificationControl(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_spin = new QSpinBox(this);
    // 1 is "Actual size"; the up-down control's own steps run as they always did.
    m_spin->setRange(1, 20);
    m_spin->setAccessibleName(QStringLiteral("Magnification"));
    m_spin->setToolTip(QStringLiteral("Canvas pixels per picture pixel (Ctrl + wheel)"));
    m_label->setBuddy(m_spin);
    row->addWidget(m_label);
    row->addWidget(m_spin);
    m_fit = new QToolButton(this);
    m_fit->setText(QStringLiteral("Fit"));
    m_fit->setAccessibleName(QStringLiteral("Zoom to fit"));
    m_fit->setToolTip(QStringLiteral("Zoom to fit: the largest magnification that shows the whole picture (Ctrl+0)"));
    row->addWidget(m_fit);
    connect(m_fit, &QToolButton::clicked, this, &MagnificationControl::fitRequested);
    row->addStretch(1);
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int v) {
        showValue(v);
        emit changed(v);
    });
    showValue(m_spin->value());
}

int MagnificationControl::value() const { return m_spin->value() == 0 ? 1 : m_spin->value(); }

void MagnificationControl::setValue(int magnification) {
    QSignalBlocker quiet(m_spin);
    m_spin->setValue(magnification);
    showValue(m_spin->value());
}

void MagnificationControl::showValue(int magnification) {
    m_label->setText(QStringLiteral("magnification: x%1").arg(magnification));
}

} // namespace morvi::ui
