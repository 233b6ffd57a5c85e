#pragma once
// Small widgets the pages are built from: a list that shows its whole text, a view of a core
// Surface as it is, and the magnification control.
#include <QComboBox>
#include <QWidget>

#include "image/surface.h"

class QLabel;
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

// Shows a Surface without copying it, at a fixed size: 1:1, or each pixel as a square block of
// a whole number of screen pixels.
class SurfaceView : public QWidget {
    Q_OBJECT
public:
    SurfaceView(int width, int height, const QString& name, QWidget* parent = nullptr);
    morvi::Surface& surface() { return m_surface; }
    const morvi::Surface& surface() const { return m_surface; }
    // The view becomes scale times its size; the points it reports stay surface points.
    void setScale(int scale);
    int scale() const { return m_scale; }

signals:
    // Surface points, whatever the scale.
    void pressed(QPoint at);
    // The pointer over the view (with mouse tracking on), and away from it.
    void hovered(QPoint at);
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    morvi::Surface m_surface;
    QSize m_size; // at scale 1
    int m_scale = 1;
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
