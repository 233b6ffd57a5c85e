#pragma once
// The canvas editor: the magnified picture with its zoom and scrolling, the points of the canvas
// and of the picture, the drawing of the picture with the gesture's preview, the grid and the
// selection's outline, and the gestures themselves: the current tool's strokes and the Select
// tool's drags. It reads the picture through the page's picture source and never writes it: a
// finished stroke is handed to the page as writes.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>

#include "family/settings.h"
#include "image/canvas.h"
#include "image/region.h"
#include "image/surface.h"
#include "ui/tools/tool_table.h"
#include "ui/widgets/canvas_view.h"

class QScrollBar;

namespace morvi {
class PictureSource;
struct Workspace;
}

namespace morvi::ui {

class MagnificationControl;
class SelectionModel;
class ToolButtons;

class CanvasEditor : public QObject {
    Q_OBJECT
public:
    struct Parts {
        CanvasView* canvas;
        QScrollBar* across;
        QScrollBar* down;
        MagnificationControl* magnification;
        ToolButtons* tools;
    };
    CanvasEditor(morvi::Workspace& ws, morvi::PictureSource& source, SelectionModel& selection, Parts parts,
                 morvi::PageMagnification magnificationSetting, QObject* parent);

    // The colour the tools paint with (the page's current colour).
    void setColorSource(std::function<int()> current) { m_currentColor = std::move(current); }
    void setGridClip(morvi::GridClip clip) { m_clip = clip; }
    // Faint pictures under the edited one (onion skin); their images must outlive the next call.
    void setOnion(std::vector<morvi::OnionLayer> layers) { m_onion = std::move(layers); }
    const std::vector<morvi::OnionLayer>& onion() const { return m_onion; }

    // --- where things are ---
    int magnification() const;
    QSize pictureSize() const;
    // The picture pixel at the canvas's top-left corner (the scroll position).
    QPoint origin() const;
    // Where the picture's corner sits on the canvas: a picture smaller than the canvas is shown
    // in its middle.
    QPoint pictureShift() const;
    // The picture pixel under a canvas point (it may lie outside the picture).
    QPoint pictureAt(QPoint canvasPoint) const;

    // --- zoom ---
    void setMagnification(int magnification, std::optional<QPoint> keepAt = std::nullopt);
    void zoom(int steps);
    void zoomAround(int steps, QPoint canvasPoint);
    // The largest magnification (up to 20) that shows the whole picture; x1.
    void zoomToFit();
    void actualSize();
    // Scroll ranges for the picture at the current magnification; a bar with nothing to scroll hides.
    void updateScrollRanges();

    // --- drawing ---
    // Draws the whole canvas: the picture as shown, the grid and the selection's outline.
    void render();
    // The picture as the canvas shows it: with the preview of a stroke or a lifted selection.
    const morvi::IndexedImage& shown() const;

    // --- gestures ---
    void setTool(Tool tool);
    Tool tool() const { return m_tool; }
    void canvasEvent(const CanvasEvent& event);
    // Drops the stroke in progress without writing anything.
    void cancelGesture();
    bool gestureActive() const { return m_stroke.has_value(); }
    // The selection changed outside a drag: the canvas shows it as it is now.
    void selectionChanged();

signals:
    // A finished stroke or a selection put down: the page writes these pixels as one step.
    void writesReady(const QString& label, const std::vector<morvi::PixelWrite>& writes);
    // Pick, or Ctrl+click with any tool.
    void picked(QPoint picturePoint);
    void pointerMoved(QPoint picturePoint);
    // The size of the shape or rectangle being dragged; an empty size when it ends.
    void shapeSized(QSize size);
    // The preview of the picture changed (a stroke, a lift): a view that shows the picture
    // elsewhere draws it again.
    void previewChanged();
    // The magnification or the scroll position changed: the page draws again.
    void viewMoved();
    // The selection was made, moved, put down or dropped.
    void selectionShown();

private:
    void startStroke(const CanvasEvent& event, morvi::Point at);
    void moveStroke(const CanvasEvent& event, morvi::Point at);
    void finishStroke();
    void selectEvent(const CanvasEvent& event, morvi::Point at);
    // Redraws the canvas where picture pixels in `changed` lie (the whole canvas when empty).
    void renderPart(morvi::Rect changed);
    void updateOutline();
    void rebuildPreview();
    const morvi::Surface& backdrop();

    morvi::Workspace& m_ws;
    morvi::PictureSource& m_source;
    SelectionModel& m_selection;
    Parts m_parts;
    morvi::PageMagnification m_magnificationSetting;
    std::function<int()> m_currentColor;
    morvi::GridClip m_clip = morvi::GridClip::SquareExtent;
    std::vector<morvi::OnionLayer> m_onion;
    Tool m_tool = Tool::Draw;
    std::optional<Stroke> m_stroke;
    std::uint8_t m_value = 0;                  // the colour the stroke paints
    std::optional<morvi::Point> m_lastPainted; // where Shift+click lines start
    morvi::IndexedImage m_preview;             // the picture with the stroke or the lift
    bool m_previewShown = false;
    // The backdrop drawn at the canvas's size, and what it was drawn from.
    morvi::Surface m_backdrop;
    const void* m_backdropFrom = nullptr;
    std::uint32_t m_backdropGeneration = 0;
};

} // namespace morvi::ui
