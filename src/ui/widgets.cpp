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

CanvasView::CanvasView(QWidget* parent) : SurfaceView(256, 256, QStringLiteral("Canvas"), parent) {
    setCursor(toolCursor(Tool::Draw));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setToolTip(QStringLiteral("Left button draws with the tool, right button with colour 0, Ctrl+click picks. "
                              "B E I L U O G: tools, Shift+M: mirror. Ctrl + wheel: magnification"));
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
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        emit cancelKey();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_M && mods == Qt::ShiftModifier) {
        emit mirrorKey();
        event->accept();
        return;
    }
    if (mods == Qt::NoModifier) {
        for (const ToolInfo& t : toolTable()) {
            if (event->key() != t.key) continue;
            emit toolKey(t.tool);
            event->accept();
            return;
        }
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

void CanvasView::leaveEvent(QEvent* event) {
    emit left();
    SurfaceView::leaveEvent(event);
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
    // The first three tools stand in a row of 42 x 42 buttons; the shape tools, the fill and the
    // two switches in a bar of their own, which the page puts under the palette strip.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_bar = new QWidget(parent);
    m_bar->setAccessibleName(QStringLiteral("Shape tools"));
    auto* bar = new QHBoxLayout(m_bar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(4);
    for (const ToolInfo& t : toolTable()) {
        const bool main = t.kind == ToolKind::Freehand || t.kind == ToolKind::Pick;
        auto* b = new QToolButton(main ? static_cast<QWidget*>(this) : m_bar);
        const int side = main ? 42 : 34;
        b->setFixedSize(side, side);
        b->setIconSize(QSize(side, side));
        b->setAutoRaise(false);
        b->setText(QString::fromLatin1(t.name));
        b->setAccessibleName(QString::fromLatin1(t.name));
        b->setToolTip(QString::fromLatin1(t.tooltip));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
        b->setCheckable(true);
        (main ? row : bar)->addWidget(b);
        m_buttons[std::size_t(t.tool)] = b;
        const Tool tool = t.tool;
        connect(b, &QToolButton::clicked, this, [this, tool] {
            setCurrent(tool);
            emit toolChosen(tool);
        });
    }
    row->addStretch(1);
    bar->addSpacing(4);
    auto makeSwitch = [&](const QString& text, const QString& tip) {
        auto* b = new QToolButton(m_bar);
        b->setText(text);
        b->setAccessibleName(text);
        b->setToolTip(tip);
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setFixedHeight(34);
        bar->addWidget(b);
        return b;
    };
    m_filled = makeSwitch(QStringLiteral("Filled"), QStringLiteral("Rectangles and ellipses are drawn filled"));
    m_mirror = makeSwitch(QStringLiteral("Mirror"),
                          QStringLiteral("Mirror strokes and shapes about the picture's vertical centre line (Shift+M)"));
    bar->addStretch(1);
    setCurrent(Tool::Draw);
}

bool ToolButtons::filled() const { return m_filled->isChecked(); }
bool ToolButtons::mirror() const { return m_mirror->isChecked(); }

void ToolButtons::setCurrent(Tool tool) {
    m_current = tool;
    for (const ToolInfo& t : toolTable()) {
        const bool current = t.tool == tool;
        QToolButton* b = m_buttons[std::size_t(t.tool)];
        b->setIcon(QIcon(QStringLiteral(":/art/tool-%1%2.png")
                             .arg(QString::fromLatin1(t.art), current ? QStringLiteral("-current") : QString())));
        b->setChecked(current);
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
