#pragma once
// The palette strip of a page.
#include "ui/widgets/views.h"

namespace morvi::ui {

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
    // A bracket under swatches first to last with a short text, and a tooltip for them (a
    // character's colours the battle does not show); first < 0 takes it away.
    void setBand(int first, int last, const QString& text, const QString& tip);
    QString bandText() const { return m_bandText; }

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
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    int m_swatchWidth = 18;
    int m_count = 16;
    int m_from = -1;
    QPoint m_pressAt;
    bool m_dragging = false;
    int m_bandFirst = -1;
    int m_bandLast = -1;
    QString m_bandText;
    QString m_bandTip;
    int m_stripHeight = 0;
};

} // namespace morvi::ui
