#pragma once
// The widgets every page is built from: views that show a core Surface as it is, the canvas
// that turns mouse strokes into image pixels, the palette strip, the colour sliders with the
// "Transparent" box, the tool buttons and the magnification control.
#include <QComboBox>
#include <QCursor>
#include <QWidget>
#include <array>
#include <optional>

#include "image/indexed_image.h"

#include "image/surface.h"
#include "ui/tools/tools.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QToolButton;

namespace morvi::ui {

// A list whose open popup is as wide as its longest item, however narrow the closed list is,
// and whose tooltip ends with the whole current text when the closed list cuts it short.
class FittingComboBox : public QComboBox {
public:
    explicit FittingComboBox(QWidget* parent = nullptr);
    void setBaseToolTip(const QString& tip);
    void showPopup() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
    QString m_baseTip;
};

// Shows a Surface 1:1, without copying it, at a fixed size.
class SurfaceView : public QWidget {
    Q_OBJECT
public:
    SurfaceView(int width, int height, const QString& name, QWidget* parent = nullptr);
    morvi::Surface& surface() { return m_surface; }
    const morvi::Surface& surface() const { return m_surface; }

signals:
    void pressed(QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    morvi::Surface m_surface;
};

// The palette strip: a click chooses a swatch, a double click asks to edit it, the right button
// asks for its menu, and a drag from one swatch onto another asks to swap them (or, with Ctrl
// held at the drop, to move the first into the other's place).
class PaletteStrip : public SurfaceView {
    Q_OBJECT
public:
    PaletteStrip(int width, int height, QWidget* parent = nullptr);
    // How wide a swatch is and how many there are, to tell which one a point is on.
    void setSwatches(int width, int count);
    // The swatch under a strip point, or -1.
    int swatchAt(QPoint at) const;
    bool dragging() const { return m_dragging; }

signals:
    void chosen(int swatch);
    void doubleClicked(int swatch);
    void menuRequested(int swatch, QPoint globalPos);
    void dropped(int from, int to, bool move);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int m_swatchWidth = 18;
    int m_count = 16;
    int m_from = -1;
    QPoint m_pressAt;
    bool m_dragging = false;
};

// One report of the canvas: a press, a move while a button is held, or the release, in canvas
// pixels, with the button that started the gesture and the modifiers held now.
struct CanvasEvent {
    enum class Phase { Press, Move, Release };
    Phase phase = Phase::Press;
    QPoint at;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers;
};

// The magnified canvas: reports presses, moves and releases of the left or right button, and
// where the pointer hovers; the pointer shows the current tool's cursor.
class CanvasView : public SurfaceView {
    Q_OBJECT
public:
    explicit CanvasView(QWidget* parent = nullptr);
    void setTool(Tool tool);
    bool gestureActive() const { return m_button != Qt::NoButton; }
    // The selection's outline in canvas pixels, drawn as moving dashes; an empty rectangle hides
    // it. While one is shown the canvas takes the arrows, Enter, Delete and Ctrl+X.
    void setOutline(QRect outline);
    QRect outline() const { return m_outline; }

signals:
    void gesture(const morvi::ui::CanvasEvent& event);
    // The pointer over the canvas without a button held; left() when it goes.
    void hovered(QPoint at);
    void left();
    // Ctrl + wheel: +1 to magnify, -1 to shrink, around the canvas point under the pointer.
    void zoomRequested(int steps, QPoint at);
    // The tools' keys (B, E, I, L, U, O, G) while the canvas has the focus.
    void toolKey(morvi::ui::Tool tool);
    // Shift+M.
    void mirrorKey();
    // Esc: the gesture in progress is dropped.
    void cancelKey();
    // The canvas took a new size (its surface has it already).
    void resized();
    // With a selection: an arrow (by 1, or 8 with Shift), Enter, Delete, Ctrl+X.
    void arrowKey(int dx, int dy);
    void enterKey();
    void deleteKey();
    void cutKey();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_last{-1, -1};
    QRect m_outline;
    int m_dashOffset = 0;
    class QTimer* m_ants = nullptr;
};

// The red, green and blue sliders (0 to 31) with their value labels, and "Transparent".
class ColorControls : public QWidget {
    Q_OBJECT
public:
    explicit ColorControls(QWidget* parent = nullptr);
    // Values 0 to 31, shown without emitting anything.
    void setValues(int red, int green, int blue);
    // Sliders and the box are usable only for an editable colour; the box is checked as given.
    void setEditable(bool editable, bool transparentChecked);
    QSlider* slider(int channel) const { return m_sliders[std::size_t(channel)]; }
    QLabel* valueLabel(int channel) const { return m_values[std::size_t(channel)]; }
    QCheckBox* transparentBox() const { return m_transparent; }
    // The "Hex" (0) and "SNES" (1) fields: they show the colour given here (unless the user is
    // typing in one), mark a value that is not a colour, and report a good one on Enter.
    QLineEdit* field(int f) const { return m_fields[std::size_t(f)]; }
    void setColor(morvi::PaletteColor color);
    bool fieldInvalid(int f) const;

signals:
    void channelMoved(int channel, int value); // 0 red, 1 green, 2 blue
    void sliderPressed();
    void sliderReleased();
    void transparentClicked();
    void colorEntered(morvi::PaletteColor color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<morvi::PaletteColor> fieldColor(int field) const;
    void markField(int field, bool invalid);
    std::array<QLineEdit*, 2> m_fields{};
    std::array<QSlider*, 3> m_sliders{};
    std::array<QLabel*, 3> m_values{};
    QCheckBox* m_transparent = nullptr;
};

// A button for each tool of the tool table, drawn with the tool's picture, and the "Filled"
// and "Mirror" check buttons.
class ToolButtons : public QWidget {
    Q_OBJECT
public:
    explicit ToolButtons(QWidget* parent = nullptr);
    void setCurrent(Tool tool);
    Tool current() const { return m_current; }
    QToolButton* button(Tool tool) const { return m_buttons[std::size_t(tool)]; }
    QToolButton* filledButton() const { return m_filled; }
    QToolButton* mirrorButton() const { return m_mirror; }
    // The bar of the shape tools, the fill and the switches, for the page to place.
    QWidget* shapeBar() const { return m_bar; }
    bool filled() const;
    bool mirror() const;

signals:
    void toolChosen(morvi::ui::Tool tool);

private:
    std::array<QToolButton*, 8> m_buttons{};
    QWidget* m_bar = nullptr;
    QToolButton* m_filled = nullptr;
    QToolButton* m_mirror = nullptr;
    Tool m_current = Tool::Draw;
};

// "magnification: xN" with a spin box from 1 to 20 and the "Zoom to fit" button.
class MagnificationControl : public QWidget {
    Q_OBJECT
public:
    explicit MagnificationControl(QWidget* parent = nullptr);
    int value() const;
    void setValue(int magnification); // emits nothing
    QSpinBox* spinBox() const { return m_spin; }
    QLabel* label() const { return m_label; }
    QToolButton* fitButton() const { return m_fit; }

signals:
    void changed(int magnification);
    void fitRequested();

private:
    void showValue(int magnification);
    QLabel* m_label = nullptr;
    QSpinBox* m_spin = nullptr;
    QToolButton* m_fit = nullptr;
};

} // namespace morvi::ui
