#include "ui/widgets.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

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
    : QWidget(parent), m_surface(width, height) {
    setFixedSize(width, height);
    setAccessibleName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_surface.width <= 0 || m_surface.height <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The surface's 0xFFRRGGBB words are exactly QImage's RGB32 layout: wrap, do not copy.
    const QImage image(reinterpret_cast<const uchar*>(m_surface.pixels.data()), m_surface.width,
                       m_surface.height, m_surface.width * 4, QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
    if (m_surface.width < width() || m_surface.height < height()) {
        painter.fillRect(m_surface.width, 0, width() - m_surface.width, height(), Qt::black);
        painter.fillRect(0, m_surface.height, m_surface.width, height() - m_surface.height, Qt::black);
    }
}

void SurfaceView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit pressed(event->position().toPoint());
}

QCursor toolCursor(Tool tool) {
    switch (tool) {
    case Tool::Draw: return QCursor(QPixmap(":/art/cursor-draw.png"), 1, 30);
    case Tool::Erase: return QCursor(QPixmap(":/art/cursor-erase.png"), 3, 28);
    case Tool::Pick: return QCursor(QPixmap(":/art/cursor-pick.png"), 1, 30);
    }
    return QCursor(Qt::ArrowCursor);
}

CanvasView::CanvasView(QWidget* parent) : SurfaceView(256, 256, QStringLiteral("Canvas"), parent) {
    setCursor(toolCursor(Tool::Draw));
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("Draw with the left button. B, E, I: draw, erase, pick. Ctrl + wheel: magnification"));
}

void CanvasView::setTool(Tool tool) { setCursor(toolCursor(tool)); }

void CanvasView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    emit zoomRequested(event->angleDelta().y() > 0 ? 1 : -1);
    event->accept();
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_B: emit toolKey(Tool::Draw); break;
    case Qt::Key_E: emit toolKey(Tool::Erase); break;
    case Qt::Key_I: emit toolKey(Tool::Pick); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_drawing = true;
    m_last = event->position().toPoint();
    emit stroke(m_last, true);
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_drawing || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    if (at == m_last || !rect().contains(at)) return;
    m_last = at;
    emit stroke(at, false);
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_drawing) return;
    m_drawing = false;
    emit strokeEnded();
}

ColorControls::ColorControls(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    const char* names[3] = {"Red", "Green", "Blue"};
    for (int c = 0; c < 3; ++c) {
        auto* label = new QLabel(QString::fromLatin1(names[c]), this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, 31);
        slider->setPageStep(4);
        slider->setAccessibleName(QString::fromLatin1(names[c]));
        auto* value = new QLabel(QStringLiteral("0"), this);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("888")));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(slider);
        grid->addWidget(label, c, 0);
        grid->addWidget(slider, c, 1);
        grid->addWidget(value, c, 2);
        m_sliders[std::size_t(c)] = slider;
        m_values[std::size_t(c)] = value;
        connect(slider, &QSlider::valueChanged, this, [this, c](int v) {
            m_values[std::size_t(c)]->setText(QString::number(v));
            emit channelMoved(c, v);
        });
        connect(slider, &QSlider::sliderPressed, this, &ColorControls::sliderPressed);
        connect(slider, &QSlider::sliderReleased, this, &ColorControls::sliderReleased);
    }
    m_transparent = new QCheckBox(QStringLiteral("Transparent"), this);
    grid->addWidget(m_transparent, 3, 0, 1, 3);
    connect(m_transparent, &QCheckBox::clicked, this, [this] { emit transparentClicked(); });
}

void ColorControls::setValues(int red, int green, int blue) {
    const int v[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c) {
        QSignalBlocker quiet(m_sliders[std::size_t(c)]);
        m_sliders[std::size_t(c)]->setValue(v[c]);
        m_values[std::size_t(c)]->setText(QString::number(v[c]));
    }
}

void ColorControls::setEditable(bool editable, bool transparentChecked) {
    for (auto* s : m_sliders) s->setEnabled(editable);
    m_transparent->setEnabled(editable);
    QSignalBlocker quiet(m_transparent);
    m_transparent->setChecked(transparentChecked);
}

ToolButtons::ToolButtons(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    const char* names[3] = {"Draw", "Erase", "Pick"};
    const char* tips[3] = {"Draw with the current colour (B)", "Erase to the transparent colour (E)",
                           "Pick a colour from the picture (I)"};
    for (int t = 0; t < 3; ++t) {
        auto* b = new QToolButton(this);
        b->setFixedSize(42, 42);
        b->setIconSize(QSize(42, 42));
        b->setAutoRaise(false);
        b->setText(QString::fromLatin1(names[t]));
        b->setAccessibleName(QString::fromLatin1(names[t]));
        b->setToolTip(QString::fromLatin1(tips[t]));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
        row->addWidget(b);
        m_buttons[std::size_t(t)] = b;
        connect(b, &QToolButton::clicked, this, [this, t] {
            setCurrent(Tool(t));
            emit toolChosen(Tool(t));
        });
    }
    row->addStretch(1);
    setCurrent(Tool::Draw);
}

void ToolButtons::setCurrent(Tool tool) {
    m_current = tool;
    const char* files[3] = {"draw", "erase", "pick"};
    for (int t = 0; t < 3; ++t) {
        const bool current = Tool(t) == tool;
        m_buttons[std::size_t(t)]->setIcon(QIcon(QStringLiteral(":/art/tool-%1%2.png")
                                                     .arg(QString::fromLatin1(files[t]),
                                                          current ? QStringLiteral("-current") : QString())));
        m_buttons[std::size_t(t)]->setCheckable(true);
        m_buttons[std::size_t(t)]->setChecked(current);
    }
}

MagnificationControl::MagnificationControl(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_spin = new QSpinBox(this);
    m_spin->setRange(2, 20);
    m_spin->setAccessibleName(QStringLiteral("Magnification"));
    m_spin->setToolTip(QStringLiteral("Canvas pixels per picture pixel (Ctrl + wheel)"));
    m_label->setBuddy(m_spin);
    row->addWidget(m_label);
    row->addWidget(m_spin);
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
