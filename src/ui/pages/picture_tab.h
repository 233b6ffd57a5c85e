#pragma once
// What the three pages have in common: the preview, the magnified canvas with its scroll bars
// and grid, the palette strip, the colour sliders with "Transparent", the tool buttons, the
// magnification control and the column of buttons; the import chooser with its preview panel,
// the export dialog and the copy list, each run the same way on every page.
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "app/settings.h"
#include "image/canvas.h"
#include "image/raster.h"
#include "image/region.h"
#include "imagefile/image_file.h"
#include "ui/dialogs/prompts.h"
#include "ui/pages/tab.h"
#include "ui/widgets/widgets.h"

class QComboBox;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;
class QScrollBar;
class QImage;
class QVBoxLayout;

namespace morvi {
class IndexedImage;
}

namespace morvi::ui {

class ExportDialog;
class CopyListDialog;

// The clipboard format of a picture region copied in the editor (its palette indices kept).
inline constexpr const char* kRegionMimeType = "application/x-morvi-region";

// Filters of the file choosers: the text the user reads, then the patterns that match.
QString fileFilter(const QString& shown, const QString& patterns);

class PictureTab : public Tab {
    Q_OBJECT
public:
    PictureTab(EditorContext& context, QWidget* parent, int previewWidth, int previewHeight,
               const QString& previewName, std::uint8_t morvi::Settings::*magnificationSetting);

    CanvasView* canvas() const { return m_canvas; }
    SurfaceView* preview() const { return m_preview; }
    PaletteStrip* strip() const { return m_strip; }
    ColorControls* colorControls() const { return m_colors; }
    ToolButtons* tools() const { return m_tools; }
    MagnificationControl* magnification() const { return m_mag; }
    QScrollBar* horizontalScroll() const { return m_hScroll; }
    QScrollBar* verticalScroll() const { return m_vScroll; }
    QComboBox* pictureList() const { return m_pictureList; }
    QComboBox* paletteList() const { return m_paletteList; }
    void importImage() override;
    // Clear (after the page's question) and flip, through the adapter below.
    void clearImage() override;
    void flipImage(int vertical) override;
    // Imports a file as the chooser does when it is confirmed: the same limits and messages.
    virtual bool takeImportFile(const QString& path, bool keepPalette);
    // Imports a picture from the clipboard (with the file limits); copies the current one to it.
    bool pasteImage(const QImage& image);
    QImage copyImage() const;
    // Image menu "Import Palette ..." and "Export Palette ...": the current picture's palette from
    // and to palette files (every picture sharing it changes with it).
    void importPalette();
    void exportPalette();
    // --- one colour of the palette, and the palette as a whole, in and out ---
    // Sets colour k (five bits a channel kept) as one step; false when it did not change.
    bool setPaletteColor(int k, morvi::PaletteColor color, const QString& label);
    // Double click on a swatch: the colour dialog for it.
    void chooseColorInDialog(int k);
    // The swatch's right-button menu: "Copy colour", "Paste colour", "Copy palette", "Paste palette".
    void showSwatchMenu(int k, QPoint globalPos);
    QMenu* swatchMenu() const { return m_swatchMenu; }
    void copyColor(int k) const;
    bool pasteColor(int k);
    void copyPalette() const;
    bool pastePalette();
    // A swatch dropped onto another: the two trade places (or the first moves there), and every
    // picture on the palette is renumbered so it looks the same.
    bool reorderColors(int from, int to, bool move);
    // Ctrl++ and Ctrl+-: one step of magnification.
    void zoom(int steps);
    // Ctrl + wheel: one step, the picture pixel under the canvas point staying under it.
    void zoomAround(int steps, QPoint canvasPoint);
    // "Zoom to fit" (Ctrl+0): the largest magnification (up to 20) that shows the whole picture;
    // "Actual size" (Ctrl+1): x1.
    void zoomToFit();
    void actualSize();
    // Sets the magnification; with a canvas point, the picture pixel under it stays there.
    void setMagnification(int magnification, std::optional<QPoint> keepAt = std::nullopt);
    // What the status bar tells of a picture pixel: whether it lies in the picture, its tile,
    // its palette index and colour.
    struct PixelInfo {
        bool inside = false;
        int index = 0;
        morvi::PaletteColor color;
    };
    PixelInfo pixelInfo(QPoint picturePoint) const;
    QPushButton* exitButton() const { return m_exit; }
    QPushButton* importButton() const { return m_importButton; }
    QPushButton* copyButton() const { return m_copyButton; }
    QPushButton* clearButton() const { return m_clearButton; }
    // Portraits and characters: select the list entry and draw; after undo, the controls.
    void showPicture(int index) override;
    void dataRestored() override;
    int currentColor() const { return m_currentColor; }
    Tool currentTool() const { return m_tools->current(); }
    void chooseTool(Tool tool);
    // The picture as the canvas shows it; null while there is none.
    virtual const morvi::IndexedImage* editedPicture() const = 0;
    // Where the picture's corner sits on the canvas, in canvas pixels: a picture smaller than
    // the canvas is shown in its middle.
    QPoint pictureShift() const;
    // The picture pixel under a canvas point (it may lie outside the picture).
    QPoint pictureAt(QPoint canvasPoint) const;
    // What the canvas does with a press, move or release (the canvas's own reports end here).
    void canvasEvent(const CanvasEvent& event);
    // Drops the gesture in progress without writing anything.
    void cancelGesture();

    // --- the selection: a rectangle of the picture, and while lifted, its pixels floating ---
    bool hasSelection() const { return m_selection.has_value(); }
    bool selectionLifted() const { return m_selection && m_selection->lifted; }
    // Where the selection is now (while lifted: where its pixels float).
    morvi::Rect selectionRect() const;
    void selectAll();
    // Puts a lifted selection down (one step) and forgets the selection.
    void deselect();
    // Puts a lifted selection down as one step; the rectangle stays where it went.
    void dropSelection();
    // Esc while lifted: the pixels go back where they were, nothing is written.
    void cancelLift();
    // Lifts the selection if it lies still, and moves it.
    void moveSelection(int dx, int dy);
    // With a selection: its pixels for the clipboard (the indices and an ordinary image).
    QMimeData* copySelection() const;
    void cutSelection(); // copies, then clears to colour 0 (one step)
    void deleteSelection();
    // Puts a region from the clipboard down as a lifted selection: the editor's own keeps its
    // indices, another program's picture is mapped onto the palette. False when the clipboard
    // holds neither.
    bool pasteRegion(const QMimeData* data);
    // Flip and quarter turns of the selection (the whole picture when there is none); a turn
    // leaves it lifted.
    void flipSelection(bool vertical);
    void rotateSelection(bool clockwise);
    // Before any other command: a lifted selection is put down.
    void settle() override { dropSelection(); }
    bool gestureActive() const { return m_gesture.has_value(); }

signals:
    // The picture pixel under the pointer while it hovers over the canvas, or while a gesture
    // runs; pointerLeft when it leaves the canvas.
    void pointerMoved(QPoint picturePoint);
    void pointerLeft();
    // The size of the shape being dragged, in picture pixels; an empty size when it ends.
    void shapeSized(QSize size);
    // Another tool was chosen.
    void toolChanged();

public:
    // The export dialog or copy list while one is open.
    QDialog* openDialog() const { return m_dialog; }

protected:
    // --- what each page tells ---
    // Size of the picture the canvas magnifies.
    virtual QSize magnifiedSize() const = 0;
    // --- the picture the tools work on (the page's picture adapter) ---
    // Writes pixels of that picture through the family's operation, all at once; returns
    // whether any changed.
    virtual bool writePixels(std::span<const morvi::PixelWrite> writes) = 0;
    // The stored colour k of the picture's palette, for the sliders; null outside the palette.
    virtual morvi::PaletteColor* paletteEntry(int k) = 0;
    // After a palette colour changed: the pictures that use the palette take it.
    virtual void paletteEdited() = 0;
    // "Transparent": colour k and colour 0 trade places, in the pixels and the palette.
    virtual void swapWithTransparent(int k) = 0;
    // Clear and flip of everything the page's picture list entry holds, and the question asked
    // before clearing.
    virtual QString clearQuestion() const = 0;
    virtual void clearPicture() = 0;
    virtual void flipPicture(int vertical) = 0;
    // The pixels clear and flip can change, to tell whether they did.
    virtual std::vector<std::uint8_t> pictureState() const { return editedPicture() ? editedPicture()->pixels : std::vector<std::uint8_t>{}; }
    // The colours the strip shows.
    virtual std::vector<morvi::PaletteColor> stripColors() const { return currentPalette(); }
    // Colours the strip shows, and how wide a swatch is.
    virtual int colorCount() const = 0;
    virtual int swatchWidth() const { return 18; }
    // Whether the sliders, the fields and the swatch commands may edit colour k.
    virtual bool colorEditable(int k) const { return k != 0; }

    // --- helpers for the pages ---
    // One edit of the family (through applyEdit), then the page drawn again.
    bool edit(const QString& label, const std::function<bool()>& change);
    // Called inside edit when its change did change the data.
    virtual void dataEdited() {}
    // Puts a colour slider's position (0 to 31) into a channel (0 red, 1 green, 2 blue) as
    // position x 8; false when the channel already held that.
    static bool setChannel(morvi::PaletteColor& color, int channel, int sliderValue);
    QVBoxLayout* leftColumn() const { return m_left; }
    QVBoxLayout* buttonColumn() const { return m_buttons; }
    // Room under the buttons for what a page tells about its data.
    QVBoxLayout* infoColumn() const { return m_info; }
    QPushButton* addButton(const QString& text, const std::function<void()>& action);
    // A drop-down list in the left column, with its label beside it.
    FittingComboBox* addList(const QString& label, const QString& accessibleName);
    QComboBox* m_paletteList = nullptr; // set by the page
    void setCurrentColor(int color);
    void updateColorControls();
    // Scroll ranges for the picture at the current magnification; hides a bar with nothing to scroll.
    void updateScrollRanges();
    int magnificationValue() const;
    QPoint origin() const;
    // Draws the magnified picture over the large backdrop with the grid into the canvas.
    void renderCanvas(const morvi::IndexedImage& image, morvi::GridClip clip);
    void renderPreview(const morvi::IndexedImage& image, int width, int height);
    void renderStrip(std::span<const morvi::PaletteColor> colors);
    // The strip and the sliders for the current colour.
    void paintPalette();

    // --- importing: the chooser, a dropped file and a pasted picture all end here ---
    struct ImportLimits {
        int width;
        int height;
        bool monsterTexts; // "16 colors" / "128x128" on success, as the monster page shows
    };
    virtual ImportLimits importLimits() const = 0;
    virtual QString importTitle() const = 0;
    virtual QStringList importFilters() const;
    // The palette a "Keep current palette" import maps onto.
    virtual std::vector<morvi::PaletteColor> currentPalette() const = 0;
    // Puts a picture that passed the limits into the family, as one step.
    virtual void importPicture(const morvi::IndexedImage& image) = 0;
    ImportPreview describeImportFile(const QString& path, bool keepPalette) const;
    // Loads an image file within the limits; on failure shows why and returns false.
    bool loadImportFile(const QString& path, bool keepPalette, morvi::IndexedImage& out);
    // The picture the clipboard copy takes (colour 0 transparent), and how much of it.
    virtual const morvi::IndexedImage& clipboardPicture(int& width, int& height) const = 0;
    // The export dialog; write runs on OK. It returns false for a failure it did not report
    // itself, and the page then warns, naming the file.
    void runExport(const QString& title, const QString& name, bool allowRaw,
                   const std::function<bool(const std::string& path, morvi::ExportFileType type)>& write);
    // The copy list; copy runs with the chosen row.
    void runCopyList(const QString& title, const QStringList& names, const std::function<void(int row)>& copy);
    QString defaultExportPath(const QString& name) const;

    morvi::Workspace& ws() const;
    bool m_loaded = false;

private:
    struct Selection {
        morvi::Rect rect;           // the selected rectangle while it lies still
        bool lifted = false;
        morvi::Rect hole;           // where the lifted pixels came from (empty for a paste)
        morvi::IndexedImage floating;
        morvi::Point at;            // where the floating pixels' corner is
        QString label = QStringLiteral("Move");
    };
    enum class SelectDrag { None, Marquee, Move };
    static Selection stillSelection(morvi::Rect rect);
    void selectEvent(const CanvasEvent& event, morvi::Point at);
    void lift();
    void updateLiftOverlay();
    void showSelection();
    std::optional<Selection> m_selection;
    SelectDrag m_selectDrag = SelectDrag::None;
    morvi::Point m_dragFrom, m_floatFrom;
    struct Gesture {
        Tool tool;
        std::uint8_t value = 0;
        morvi::Point start, end;
        morvi::IndexedImage source;              // the picture as it was when the gesture began
        std::vector<morvi::PixelWrite> writes;   // what the release writes
    };
    void startGesture(const CanvasEvent& event, morvi::Point at);
    void moveGesture(const CanvasEvent& event, morvi::Point at, bool show = true);
    void finishGesture();
    // Commits writes as one step of the history, labelled with the tool.
    void commitWrites(const QString& label, std::vector<morvi::PixelWrite> writes);
    std::vector<morvi::Point> mirrored(std::vector<morvi::Point> points) const;
    void pickAt(morvi::Point at);
    // The gesture's preview: the source with its writes.
    void updateOverlay(bool fromSource);
    // The picture to render in place of `image`: the preview while a gesture runs on it.
    const morvi::IndexedImage& shown(const morvi::IndexedImage& image) const;
    void showDialog(QDialog* dialog);
    // Fills the picture's palette from colors as one step; warns when it cannot be changed.
    bool applyPalette(const QString& label, std::span<const morvi::PaletteColor> colors);
    void sliderMoved(int channel, int value);
    void transparentClicked();
    // Draws the gesture's preview into the canvas (and the preview, when it shows the same
    // picture) without the rest of the page.
    void showGesture();
    std::optional<Gesture> m_gesture;
    morvi::GridClip m_canvasClip = morvi::GridClip::SquareExtent;
    QSize m_previewSize;
    bool m_previewIsPicture = false;
    morvi::IndexedImage m_overlay;
    std::optional<morvi::Point> m_lastPainted; // where Shift+click lines start
    SurfaceView* m_preview = nullptr;
    CanvasView* m_canvas = nullptr;
    PaletteStrip* m_strip = nullptr;
    QPointer<QMenu> m_swatchMenu;
    ColorControls* m_colors = nullptr;
    ToolButtons* m_tools = nullptr;
    MagnificationControl* m_mag = nullptr;
    QScrollBar* m_hScroll = nullptr;
    QScrollBar* m_vScroll = nullptr;
    QComboBox* m_pictureList = nullptr;
    QPushButton* m_exit = nullptr;
    QVBoxLayout* m_left = nullptr;
    QVBoxLayout* m_buttons = nullptr;
    QVBoxLayout* m_info = nullptr;
    std::uint8_t morvi::Settings::*m_magSetting;
    QPointer<QDialog> m_dialog;

protected:
    int m_currentColor = 0;
    QPushButton* m_importButton = nullptr; // made by each page with its own texts
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_clearButton = nullptr;
};

} // namespace morvi::ui
