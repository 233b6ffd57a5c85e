#pragma once
// What a page lays out: its widgets, and the columns a page of one family adds its own to.
#include <QSize>
#include <QString>
#include <functional>

class QComboBox;
class QPushButton;
class QScrollBar;
class QVBoxLayout;
class QWidget;

namespace morvi::ui {

class CanvasView;
class ColorControls;
class FittingComboBox;
class MagnificationControl;
class PaletteStrip;
class SurfaceView;
class ToolButtons;

// The widgets of a page, owned by the page (as Qt children). The columns make the ones every
// page has; a page of one family sets the palette list and the buttons it has (null otherwise).
struct PageWidgets {
    CanvasView* canvas = nullptr;
    SurfaceView* preview = nullptr;
    PaletteStrip* strip = nullptr;
    ColorControls* colorControls = nullptr;
    ToolButtons* tools = nullptr;
    MagnificationControl* magnification = nullptr;
    QScrollBar* horizontalScroll = nullptr;
    QScrollBar* verticalScroll = nullptr;
    QComboBox* pictureList = nullptr;
    QComboBox* paletteList = nullptr;
    QPushButton* exitButton = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* clearButton = nullptr;
};

// The page's layout: the list column (picture list, preview, the page's own lists), the canvas
// with its scroll bars, magnification, palette strip and shape bar, and the tool column (tools,
// colour controls, buttons, the page's notes, "Exit").
class PageColumns {
public:
    // Lays the columns out on `page` and makes the widgets every page has into `widgets`.
    PageColumns(QWidget& page, QSize previewSize, const QString& previewName, PageWidgets& widgets);

    QVBoxLayout* left() const { return m_left; }
    QVBoxLayout* info() const { return m_info; }
    // A button in the tool column, above "Exit".
    QPushButton* addButton(const QString& text, const std::function<void()>& action);
    // A drop-down list in the left column, with its label beside it.
    FittingComboBox* addList(const QString& label, const QString& accessibleName);

private:
    QWidget& m_page;
    QPushButton* m_exit = nullptr;
    QVBoxLayout* m_left = nullptr;
    QVBoxLayout* m_buttons = nullptr;
    QVBoxLayout* m_info = nullptr;
};

} // namespace morvi::ui
