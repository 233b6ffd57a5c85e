#pragma once
// Drawing indexed images into a Surface: at full size or magnified, over a backdrop that shows
// through palette index 0, and the pixel and tile grids over the magnified canvas.
#include <span>

#include "image/indexed_image.h"
#include "image/surface.h"

namespace morvi {

constexpr std::uint32_t kGridColor = rgb32(136, 136, 136);
// The smallest canvas, and the whole of it in the window of 685 x 490.
constexpr int kCanvasSide = 256;

enum class GridMode : int { None = 0, Pixel = 1, Tile = 2 };
// Monster and portrait pages draw their lines over the whole square extent; the character page
// runs to the canvas edge and keeps only what lies inside its sprite's extent.
enum class GridClip { SquareExtent, SpriteExtent };

// Draws width x height pixels (0: the image's own) of the image at (0, 0) of the surface; with
// a backdrop, index 0 shows the backdrop's pixel at the same place. The surface grows to fit.
void drawImage(const IndexedImage& image, Surface& surface, const IndexedImage* backdrop, int width, int height);
// Draws width x height canvas pixels (0: magnification x the image's size) showing the image
// magnified from image pixel (originX, originY); the backdrop stays fixed under the canvas and
// repeats beyond its size. A shift moves the picture's corner that many canvas pixels right and
// down (a picture smaller than the canvas is shown in its middle).
void drawMagnified(const IndexedImage& image, int magnification, Surface& surface, int originX, int originY,
                   const IndexedImage* backdrop, int width, int height, int shiftX = 0, int shiftY = 0);
// A part of the canvas, in canvas pixels: [x, x + width) x [y, y + height).
struct CanvasRect {
    int x = 0, y = 0, width = 0, height = 0;
};
// The backdrop repeated over a width x height surface: what the canvas shows around and under a
// picture, drawn once and kept while the canvas keeps its size and backdrop.
void drawBackdropTiles(const IndexedImage& backdrop, Surface& surface, int width, int height);
// The same picture as drawMagnified, over such a kept backdrop (`under`, the surface's size), and
// only inside `part`: a stroke redraws the few canvas pixels it changed, not the canvas.
void drawMagnifiedOver(const IndexedImage& image, int magnification, Surface& surface, const Surface& under,
                       int originX, int originY, int shiftX, int shiftY, CanvasRect part);
// A faint picture under a drawn one (onion skin): where the drawn picture has colour 0 and the
// layer, placed at (layerX, layerY) in the picture's pixels, has a colour, that colour mixed half
// with `tint` is laid over the canvas at opacity percent. Only inside `part`.
struct OnionLayer {
    const IndexedImage* image = nullptr;
    int x = 0;
    int y = 0;
    PaletteColor tint;
    int opacity = 40;
};
void blendOnionLayer(const IndexedImage& picture, const OnionLayer& layer, int magnification, Surface& surface, int originX,
                     int originY, int shiftX, int shiftY, CanvasRect part);
// The grid over the canvas, which is the whole surface, for a picture drawn with the same
// origin and shift; with a part, only the grid pixels inside it.
void drawCanvasGrid(Surface& surface, GridMode mode, int minMagnification, int magnification, int imageWidth,
                    int imageHeight, int originX, int originY, GridClip clip, int shiftX = 0, int shiftY = 0,
                    const CanvasRect* part = nullptr);

constexpr int kStripWidth = 288;
constexpr int kStripHeight = 30;
// The palette strip: one swatch per colour, swatchWidth pixels wide and the strip's height, with
// a one-pixel border (black around the others; white around the current colour, with two black
// rings inside it when the swatch is at least 9 pixels wide) and the colour inside. The surface becomes kStripWidth x kStripHeight; what the swatches leave is black.
// A swatch whose bit is set in `unused` carries a small triangle in its lower right corner, in
// black or white, whichever stands out from the colour.
void drawPaletteStrip(Surface& surface, std::span<const PaletteColor> colors, int swatchWidth, int current,
                      std::uint32_t unused = 0);

} // namespace morvi
