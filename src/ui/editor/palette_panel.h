#pragma once
// The palette panel: the strip of swatches, the sliders, the colour fields and "Transparent"
// for the shown picture's palette, with the current colour. Every change goes through the
// picture source (and so the palette target) as one step of the page.
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <span>
#include <vector>

#include "image/indexed_image.h"

class QWidget;

namespace morvi {
class PictureSource;
}

namespace morvi::ui {

class ColorControls;
class EditSink;
class PaletteStrip;
class Prompts;

class PalettePanel : public QObject {
    Q_OBJECT
public:
    PalettePanel(morvi::PictureSource& source, EditSink& sink, Prompts& prompts, PaletteStrip* strip,
                 ColorControls* controls, QWidget* page);

    int current() const { return m_current; }
    // Makes colour k the current one (0 when the picture has fewer colours).
    void setCurrent(int k);
    // Draws the strip and sets the sliders and fields for the current colour.
    void paint();
    // The sliders and fields usable only for a colour that may be edited.
    void updateControls();

    // Sets colour k (five bits a channel kept) as one step; false when it did not change.
    bool setColor(int k, morvi::PaletteColor color, const QString& label);
    // Double click on a swatch: the colour dialog for it.
    void chooseInDialog(int k);
    // The swatch's right-button menu: "Copy colour", "Paste colour", "Copy palette", "Paste palette".
    void showSwatchMenu(int k, QPoint globalPos);
    QMenu* swatchMenu() const { return m_menu; }
    void copyColor(int k) const;
    bool pasteColor(int k);
    void copyPalette() const;
    bool pastePalette();
    // Fills the palette from colours as one step; says why when it cannot be changed.
    bool applyPalette(const QString& label, std::span<const morvi::PaletteColor> colors);
    // A swatch dropped onto another: the two trade places (or the first moves there), and every
    // picture on the palette is renumbered so it looks the same.
    bool reorder(int from, int to, bool move);

signals:
    // A reorder is coming: a stroke in progress must not write old numbers.
    void reorderStarting();

private:
    void sliderMoved(int channel, int value);
    void transparentClicked();
    int swatchWidth() const;

    morvi::PictureSource& m_source;
    EditSink& m_sink;
    Prompts& m_prompts;
    PaletteStrip* m_strip;
    ColorControls* m_controls;
    QWidget* m_page;
    QPointer<QMenu> m_menu;
    int m_current = 0;
};

} // namespace morvi::ui
