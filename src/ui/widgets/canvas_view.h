#pragma once
// The magnified canvas: it turns the mouse into gestures and hands the keys it owns to the
// editor; it draws the selection's outline over the surface.
#include <functional>

#include "ui/widgets/views.h"

class QTimer;

namespace morvi::ui {

// One report of the canvas: a press, a move while a button is held, or the release, in canvas
// pixels, with the button that started the gesture and the modifiers held now.
struct CanvasEvent {
    enum class Phase { Press, Move, Release };
    Phase phase = Phase::Press;
    QPoint at;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers;
};

// The keys the canvas owns while it has the focus. Asked with claimOnly first (may the canvas
// take this key from the window's shortcuts?), then to run it; true when the canvas takes it.
using CanvasKeys = std::function<bool(QKeyCombination key, bool claimOnly)>;

// The magnified canvas: reports presses, moves and releases of the left or right button, and
// where the pointer hovers; the pointer shows the current tool's cursor.
class CanvasView : public SurfaceView {
    Q_OBJECT
public:
    explicit CanvasView(QWidget* parent = nullptr);
    void setKeys(CanvasKeys keys) { m_keys = std::move(keys); }
    bool gestureActive() const { return m_button != Qt::NoButton; }
    // The selection's outline in canvas pixels, drawn as moving dashes; an empty rectangle hides it.
    void setOutline(QRect outline);
    QRect outline() const { return m_outline; }

signals:
    void gesture(const morvi::ui::CanvasEvent& event);
    // Ctrl + wheel: +1 to magnify, -1 to shrink, around the canvas point under the pointer.
    void zoomRequested(int steps, QPoint at);
    // The canvas took a new size (its surface has it already).
    void resized();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_last{-1, -1};
    QRect m_outline;
    int m_dashOffset = 0;
    QTimer* m_ants = nullptr;
    CanvasKeys m_keys;
};

} // namespace morvi::ui
