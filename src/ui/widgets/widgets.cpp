#include "ui/widgets/widgets.h"

#include "imagefile/palette_file.h"

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
#include <QLineEdit>
#include <QMenu>
#include <QApplication>
#include <QKeyEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QPen>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
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
    // On a scaled display every surface pixel becomes a block of screen pixels, never a blur.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
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

PaletteStrip::PaletteStrip(int width, int height, QWidget* parent)
    : SurfaceView(width, height, QStringLiteral("Palette"), parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Click a colour to draw with it and edit it, double-click to choose it in a dialog, "
                              "right-click to copy or paste. Drag a colour onto another to swap them (Ctrl: move it "
                              "there); the pictures keep their look. A corner mark: not used by this picture"));
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

CanvasView::CanvasView(QWidget* parent) : SurfaceView(256, 256, QStringLiteral("Canvas"), parent) {
    // At least the 256 x 256 of the smallest window; larger windows give it the rest.
    setMinimumSize(256, 256);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(toolCursor(Tool::Draw));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setToolTip(QStringLiteral("Left button draws with the tool, right button with colour 0, Ctrl+click picks. "
                              "B E I L U O G: tools, Shift+M: mirror. Ctrl + wheel: magnification"));
}

void CanvasView::setTool(Tool tool) { setCursor(toolCursor(tool)); }

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
    // With a selection shown, these keys are the selection's, not the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && !m_outline.isEmpty()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if ((key->key() == Qt::Key_X && mods == Qt::ControlModifier) || (key->key() == Qt::Key_Delete && mods == Qt::NoModifier)) {
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
    if (!m_outline.isEmpty()) {
        const int step = mods == Qt::ShiftModifier ? 8 : 1;
        const bool plain = mods == Qt::NoModifier || mods == Qt::ShiftModifier;
        int dx = 0, dy = 0;
        switch (event->key()) {
        case Qt::Key_Left: dx = -step; break;
        case Qt::Key_Right: dx = step; break;
        case Qt::Key_Up: dy = -step; break;
        case Qt::Key_Down: dy = step; break;
        default: break;
        }
        if (plain && (dx || dy)) {
            emit arrowKey(dx, dy);
            event->accept();
            return;
        }
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
            emit enterKey();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
            emit deleteKey();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_X && mods == Qt::ControlModifier) {
            emit cutKey();
            event->accept();
            return;
        }
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

    // The current colour typed as "#rrggbb" or as the game's 15-bit word.
    const struct {
        const char* label;
        const char* tip;
    } fields[2] = {{"Hex", "The colour as #rrggbb; Enter sets it (five bits a channel are kept)"},
                   {"SNES", "The colour as the game stores it, a 15-bit word in hex (7FFF is white); Enter sets it"}};
    for (int f = 0; f < 2; ++f) {
        auto* label = new QLabel(QString::fromLatin1(fields[f].label), this);
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(QString::fromLatin1(fields[f].label));
        edit->setToolTip(QString::fromLatin1(fields[f].tip));
        edit->setMaxLength(f == 0 ? 9 : 6);
        label->setBuddy(edit);
        grid->addWidget(label, 4 + f, 0);
        grid->addWidget(edit, 4 + f, 1, 1, 2);
        m_fields[std::size_t(f)] = edit;
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, f] { markField(f, !fieldColor(f)); });
        connect(edit, &QLineEdit::returnPressed, this, [this, f] {
            const auto color = fieldColor(f);
            markField(f, !color);
            if (color) emit colorEntered(*color);
        });
    }
    setStyleSheet(QStringLiteral("QLineEdit[invalid=\"true\"] { background: #ffd8d8; color: #a00000; }"));
}

bool ColorControls::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+Z and Ctrl+Y in a field undo and redo the editor's steps, as everywhere else on the
    // page, rather than the field's own typing.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrlY = key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier;
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) || ctrlY) return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<morvi::PaletteColor> ColorControls::fieldColor(int field) const {
    const std::string text = m_fields[std::size_t(field)]->text().toStdString();
    if (field == 0) return morvi::parseHexColor(text);
    const auto word = morvi::parseSnesWord(text);
    if (!word) return std::nullopt;
    return morvi::colorOfSnesWord(*word);
}

void ColorControls::markField(int field, bool invalid) {
    QLineEdit* edit = m_fields[std::size_t(field)];
    if (edit->property("invalid").toBool() == invalid) return;
    edit->setProperty("invalid", invalid);
    edit->setAccessibleDescription(invalid ? (field == 0 ? QStringLiteral("Not a colour #rrggbb") : QStringLiteral("Not a colour word 0000 to 7FFF"))
                                           : QString());
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
}

bool ColorControls::fieldInvalid(int field) const { return m_fields[std::size_t(field)]->property("invalid").toBool(); }

void ColorControls::setColor(morvi::PaletteColor color) {
    const QString texts[2] = {QString::fromStdString(morvi::hexColorText(color)),
                              QString::fromStdString(morvi::snesWordText(morvi::snesWord(color)))};
    for (int f = 0; f < 2; ++f) {
        QLineEdit* edit = m_fields[std::size_t(f)];
        // What the user is typing stays until Enter or until the field loses the focus.
        if (edit->hasFocus() && edit->isModified()) continue;
        if (edit->text() != texts[f]) edit->setText(texts[f]);
        markField(f, false);
    }
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
    for (auto* f : m_fields) f->setEnabled(editable);
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
