#include "ui/pages/picture_tab.h"

#include <algorithm>
#include <cstdlib>

#include <QComboBox>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/workspace.h"
#include "app/palette_target.h"
#include "app/picture_transfer.h"
#include "imagefile/palette_file.h"
#include "image/canvas.h"
#include "ui/dialogs/dialogs.h"

namespace morvi::ui {

namespace {

// A picture's ARGB words row by row, and back: QImage's ARGB32 is the same word per pixel.
std::vector<std::uint32_t> argbOf(const QImage& source) {
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(std::size_t(argb.width()) * std::size_t(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        pixels.insert(pixels.end(), row, row + argb.width());
    }
    return pixels;
}

QImage imageOfArgb(const std::vector<std::uint32_t>& pixels, int width, int height) {
    if (pixels.size() < std::size_t(width) * std::size_t(height) || width <= 0 || height <= 0) return {};
    QImage out(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + std::size_t(y) * std::size_t(width), width, reinterpret_cast<QRgb*>(out.scanLine(y)));
    return out;
}

} // namespace

QString fileFilter(const QString& shown, const QString& patterns) {
    // The chooser hides the part in the last parentheses and filters by it.
    return shown + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

PictureTab::PictureTab(EditorContext& context, QWidget* parent, int previewWidth, int previewHeight,
                       const QString& previewName, std::uint8_t morvi::Settings::*magnificationSetting)
    : Tab(context, parent), m_magSetting(magnificationSetting) {
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(8);

    m_left = new QVBoxLayout;
    m_left->setSpacing(6);
    m_pictureList = new FittingComboBox(this);
    m_pictureList->setAccessibleName(QStringLiteral("Picture list"));
    m_pictureList->setMaxVisibleItems(24);
    m_pictureList->setMinimumWidth(214);
    m_pictureList->setMaximumWidth(214);
    m_preview = new SurfaceView(previewWidth, previewHeight, previewName, this);
    m_left->addWidget(m_pictureList);
    m_left->addSpacing(4);
    m_left->addWidget(m_preview, 0, Qt::AlignHCenter);
    m_left->addSpacing(4);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    auto* canvasGrid = new QGridLayout;
    canvasGrid->setSpacing(0);
    m_canvas = new CanvasView(this);
    m_hScroll = new QScrollBar(Qt::Horizontal, this);
    m_vScroll = new QScrollBar(Qt::Vertical, this);
    m_hScroll->setAccessibleName(QStringLiteral("Scroll across"));
    m_vScroll->setAccessibleName(QStringLiteral("Scroll down"));
    m_hScroll->setPageStep(10);
    m_vScroll->setPageStep(10);
    // Hidden scroll bars keep their room, so the canvas does not move when they come and go.
    for (QScrollBar* bar : {m_hScroll, m_vScroll}) {
        QSizePolicy keep = bar->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(keep);
        connect(bar, &QScrollBar::valueChanged, this, [this] { redrawPage(); });
    }
    canvasGrid->addWidget(m_canvas, 0, 0);
    canvasGrid->addWidget(m_vScroll, 0, 1);
    canvasGrid->addWidget(m_hScroll, 1, 0);
    middle->addLayout(canvasGrid, 1);
    m_mag = new MagnificationControl(this);
    middle->addWidget(m_mag);
    m_strip = new PaletteStrip(morvi::kStripWidth, morvi::kStripHeight, this);
    middle->addWidget(m_strip);

    // The tool column keeps its width however wide the window grows.
    auto* rightColumn = new QWidget(this);
    rightColumn->setFixedWidth(151);
    auto* right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(6);
    m_tools = new ToolButtons(this);
    m_tools->setParent(rightColumn);
    right->addWidget(m_tools);
    middle->insertWidget(middle->indexOf(m_strip) + 1, m_tools->shapeBar());
    middle->setStretch(middle->count() - 1, 0);
    m_colors = new ColorControls(rightColumn);
    right->addWidget(m_colors);
    right->addSpacing(6);
    m_buttons = new QVBoxLayout;
    m_buttons->setSpacing(4);
    right->addLayout(m_buttons);
    right->addSpacing(6);
    m_info = new QVBoxLayout;
    m_info->setSpacing(3);
    right->addLayout(m_info);
    right->addStretch(1);
    m_exit = new QPushButton(QStringLiteral("Exit"), rightColumn);
    m_buttons->addWidget(m_exit);
    connect(m_exit, &QPushButton::clicked, this, &Tab::exitRequested);

    page->addLayout(m_left);
    page->addLayout(middle, 1);
    page->addWidget(rightColumn);

    connect(m_canvas, &CanvasView::gesture, this, &PictureTab::canvasEvent);
    connect(m_canvas, &CanvasView::hovered, this, [this](QPoint at) { emit pointerMoved(pictureAt(at)); });
    connect(m_canvas, &CanvasView::left, this, &PictureTab::pointerLeft);
    connect(m_canvas, &CanvasView::zoomRequested, this, &PictureTab::zoomAround);
    connect(m_mag, &MagnificationControl::fitRequested, this, &PictureTab::zoomToFit);
    connect(m_canvas, &CanvasView::toolKey, this, &PictureTab::chooseTool);
    connect(m_canvas, &CanvasView::mirrorKey, this, [this] { m_tools->mirrorButton()->toggle(); });
    connect(m_canvas, &CanvasView::cancelKey, this, [this] {
        // Esc drops a shape being dragged, else takes a lifted selection back, else the selection.
        if (m_gesture) cancelGesture();
        else if (selectionLifted()) cancelLift();
        else if (m_selection) deselect();
    });
    connect(m_canvas, &CanvasView::arrowKey, this, &PictureTab::moveSelection);
    connect(m_canvas, &CanvasView::enterKey, this, &PictureTab::dropSelection);
    connect(m_canvas, &CanvasView::deleteKey, this, &PictureTab::deleteSelection);
    connect(m_canvas, &CanvasView::cutKey, this, &PictureTab::cutSelection);
    connect(m_canvas, &CanvasView::resized, this, [this] {
        if (m_loaded) redrawPage();
    });
    connect(m_colors, &ColorControls::channelMoved, this, &PictureTab::sliderMoved);
    connect(m_colors, &ColorControls::transparentClicked, this, &PictureTab::transparentClicked);
    connect(m_colors, &ColorControls::sliderPressed, this, [this] { beginGroup(QStringLiteral("Palette colour")); });
    connect(m_colors, &ColorControls::sliderReleased, this, [this] { endGroup(); });
    connect(m_colors, &ColorControls::colorEntered, this,
            [this](morvi::PaletteColor c) { setPaletteColor(m_currentColor, c, QStringLiteral("Palette colour")); });
    connect(m_strip, &PaletteStrip::chosen, this, [this](int k) {
        if (m_loaded && k < colorCount()) setCurrentColor(k);
    });
    connect(m_strip, &PaletteStrip::doubleClicked, this, &PictureTab::chooseColorInDialog);
    connect(m_strip, &PaletteStrip::menuRequested, this, &PictureTab::showSwatchMenu);
    connect(m_strip, &PaletteStrip::dropped, this, &PictureTab::reorderColors);
    connect(m_tools, &ToolButtons::toolChosen, this, &PictureTab::chooseTool);
    connect(m_mag, &MagnificationControl::changed, this, [this] { redrawPage(); });
}

morvi::Workspace& PictureTab::ws() const { return m_context.ws; }

bool PictureTab::edit(const QString& label, const std::function<bool()>& change) {
    // Any other edit puts a lifted selection down first.
    dropSelection();
    const bool changed = applyEdit(label, [&] {
        const bool c = change();
        if (c) dataEdited();
        return c;
    });
    // The picture may have shrunk under the selection.
    if (m_selection && editedPicture()) {
        m_selection->rect = morvi::intersected(m_selection->rect, {0, 0, editedPicture()->width, editedPicture()->height});
        if (m_selection->rect.empty()) m_selection.reset();
    }
    redrawPage();
    return changed;
}

bool PictureTab::setChannel(morvi::PaletteColor& color, int channel, int sliderValue) {
    std::uint8_t& field = channel == 0 ? color.red : channel == 1 ? color.green : color.blue;
    const std::uint8_t stored = std::uint8_t(sliderValue * 8);
    if (field == stored) return false;
    field = stored;
    return true;
}

QPushButton* PictureTab::addButton(const QString& text, const std::function<void()>& action) {
    auto* b = new QPushButton(text, this);
    m_buttons->insertWidget(m_buttons->indexOf(m_exit), b);
    connect(b, &QPushButton::clicked, this, [action] { action(); });
    return b;
}

FittingComboBox* PictureTab::addList(const QString& label, const QString& accessibleName) {
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, this);
    auto* list = new FittingComboBox(this);
    list->setAccessibleName(accessibleName);
    list->setMaxVisibleItems(24);
    text->setBuddy(list);
    // Labels as wide as the widest ("Colours"); the lists take the rest of the column.
    text->setFixedWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("Colours")) + 6);
    list->setMinimumWidth(120);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    row->addWidget(text);
    row->addWidget(list, 1);
    m_left->addLayout(row);
    return list;
}

int PictureTab::magnificationValue() const { return std::max(1, m_mag->value()); }

QPoint PictureTab::origin() const {
    return QPoint(m_hScroll->value(), m_vScroll->value());
}

QPoint PictureTab::pictureShift() const {
    // A picture that fits the canvas along an axis sits in its middle there.
    const int mag = magnificationValue();
    const QSize size = magnifiedSize();
    return QPoint(std::max(0, (m_canvas->width() - mag * size.width()) / 2), std::max(0, (m_canvas->height() - mag * size.height()) / 2));
}

void PictureTab::updateScrollRanges() {
    const int mag = magnificationValue();
    ws().settings.*m_magSetting = std::uint8_t(mag);
    const QSize size = magnifiedSize();
    const int maxX = std::max(0, size.width() - m_canvas->width() / mag);
    const int maxY = std::max(0, size.height() - m_canvas->height() / mag);
    for (auto [bar, max] : {std::pair{m_hScroll, maxX}, std::pair{m_vScroll, maxY}}) {
        QSignalBlocker quiet(bar);
        bar->setRange(0, max);
        bar->setVisible(max > 0);
    }
}

void PictureTab::setCurrentColor(int color) {
    m_currentColor = color;
    updateColorControls();
    redrawPage();
}

void PictureTab::updateColorControls() {
    m_colors->setEditable(colorEditable(m_currentColor), m_currentColor == 0);
}

void PictureTab::renderCanvas(const morvi::IndexedImage& image, morvi::GridClip clip) {
    m_canvasClip = clip;
    const int mag = magnificationValue();
    const QPoint o = origin();
    const QSize size = magnifiedSize();
    morvi::Surface& s = m_canvas->surface();
    const QPoint shift = pictureShift();
    if (s.width != m_canvas->width() || s.height != m_canvas->height()) s.resize(m_canvas->width(), m_canvas->height());
    morvi::drawMagnified(shown(image), mag, s, o.x(), o.y(), &ws().backgrounds.largeBackdrop, s.width, s.height, shift.x(),
                         shift.y());
    morvi::drawCanvasGrid(s, morvi::GridMode(ws().settings.grid), ws().settings.gridMinMag, mag, size.width(),
                          size.height(), o.x(), o.y(), clip, shift.x(), shift.y());
    QRect outline;
    if (m_selection) {
        const morvi::Rect r = selectionRect();
        outline = QRect(shift.x() + (r.x - o.x()) * mag, shift.y() + (r.y - o.y()) * mag, r.width * mag, r.height * mag);
    }
    m_canvas->setOutline(outline);
    m_canvas->update();
}

void PictureTab::renderPreview(const morvi::IndexedImage& image, int width, int height) {
    m_previewSize = QSize(width, height);
    m_previewIsPicture = &image == editedPicture();
    morvi::drawImage(shown(image), m_preview->surface(), &ws().backgrounds.smallBackdrop, width, height);
    m_preview->update();
}

void PictureTab::renderStrip(std::span<const morvi::PaletteColor> colors) {
    m_strip->setSwatches(swatchWidth(), colorCount());
    const std::uint32_t used = morvi::colorsUsed(ws(), {family(), place().picture});
    morvi::drawPaletteStrip(m_strip->surface(), colors, swatchWidth(), m_currentColor, ~used);
    m_strip->update();
}

void PictureTab::clearImage() {
    if (!m_loaded) return;
    if (m_selection) {
        deleteSelection();
        return;
    }
    if (m_context.prompts.ask(clearQuestion(), Buttons::OkCancel, Icon::None) != Answer::Ok) return;
    edit(QStringLiteral("Clear"), [&] {
        const auto before = pictureState();
        clearPicture();
        return before != pictureState();
    });
}

void PictureTab::flipImage(int vertical) {
    if (!m_loaded) return;
    if (m_selection) {
        flipSelection(vertical != 0);
        return;
    }
    edit(vertical ? QStringLiteral("Flip vertical") : QStringLiteral("Flip horizontal"), [&] {
        const auto before = pictureState();
        flipPicture(vertical);
        return before != pictureState();
    });
}

void PictureTab::paintPalette() {
    const std::vector<morvi::PaletteColor> colors = stripColors();
    renderStrip(colors);
    const morvi::PaletteColor c = std::size_t(m_currentColor) < colors.size() ? colors[std::size_t(m_currentColor)] : morvi::PaletteColor{};
    m_colors->setValues(c.red / 8, c.green / 8, c.blue / 8);
    m_colors->setColor(c);
}

bool PictureTab::setPaletteColor(int k, morvi::PaletteColor color, const QString& label) {
    if (!m_loaded) return false;
    return edit(label, [&] {
        morvi::PaletteColor* stored = colorEditable(k) ? paletteEntry(k) : nullptr;
        const morvi::PaletteColor rounded = morvi::snesRounded(color);
        if (!stored || *stored == rounded) return false;
        *stored = rounded;
        paletteEdited();
        return true;
    });
}

void PictureTab::chooseColorInDialog(int k) {
    if (!m_loaded || k < 0 || k >= colorCount() || !colorEditable(k)) return;
    if (k != m_currentColor) setCurrentColor(k);
    const std::vector<morvi::PaletteColor> colors = stripColors();
    const morvi::PaletteColor c = std::size_t(k) < colors.size() ? colors[std::size_t(k)] : morvi::PaletteColor{};
    const auto chosen = m_context.prompts.chooseColor(window(), QColor(c.red, c.green, c.blue), QStringLiteral("Colour %1").arg(k));
    if (!chosen) return;
    setPaletteColor(k, morvi::makeColor(std::uint8_t(chosen->red()), std::uint8_t(chosen->green()), std::uint8_t(chosen->blue())),
                    QStringLiteral("Palette colour"));
}

void PictureTab::showSwatchMenu(int k, QPoint globalPos) {
    if (!m_loaded || k < 0 || k >= colorCount()) return;
    if (m_swatchMenu) m_swatchMenu->deleteLater();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAccessibleName(QStringLiteral("Colour %1").arg(k));
    menu->addAction(QStringLiteral("Copy colour"), this, [this, k] { copyColor(k); });
    QAction* paste = menu->addAction(QStringLiteral("Paste colour"), this, [this, k] { pasteColor(k); });
    paste->setEnabled(colorEditable(k));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy palette"), this, [this] { copyPalette(); });
    menu->addAction(QStringLiteral("Paste palette"), this, [this] { pastePalette(); });
    m_swatchMenu = menu;
    menu->popup(globalPos);
}

void PictureTab::copyColor(int k) const {
    const std::vector<morvi::PaletteColor> colors = stripColors();
    if (k < 0 || std::size_t(k) >= colors.size()) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(morvi::hexColorText(colors[std::size_t(k)])));
}

bool PictureTab::pasteColor(int k) {
    const QString text = QGuiApplication::clipboard()->text();
    const auto color = morvi::parseHexColor(text.left(64).toStdString());
    if (!color) {
        m_context.prompts.message(QStringLiteral("The clipboard holds no colour \"#rrggbb\"."), Icon::Warning);
        return false;
    }
    return setPaletteColor(k, *color, QStringLiteral("Paste Colour"));
}

void PictureTab::copyPalette() const {
    if (!m_loaded) return;
    QString text;
    for (const morvi::PaletteColor& c : morvi::targetPalette(ws(), {family(), place().picture}))
        text += QString::fromStdString(morvi::hexColorText(c)) + QLatin1Char('\n');
    QGuiApplication::clipboard()->setText(text);
}

bool PictureTab::pastePalette() {
    if (!m_loaded) return false;
    const morvi::PaletteRead read = morvi::readPaletteText(QGuiApplication::clipboard()->text().toStdString());
    if (!read.ok()) {
        m_context.prompts.message(QStringLiteral("The clipboard holds no palette: ") + QString::fromStdString(read.error) + QLatin1Char('.'),
                                  Icon::Warning);
        return false;
    }
    return applyPalette(QStringLiteral("Paste Palette"), read.colors);
}

bool PictureTab::applyPalette(const QString& label, std::span<const morvi::PaletteColor> colors) {
    const morvi::PaletteTarget target{family(), place().picture};
    std::string why;
    const bool changed = edit(label, [&] {
        const auto before = morvi::targetPalette(ws(), target);
        if (!morvi::setTargetPalette(ws(), target, colors, why)) return false;
        return before != morvi::targetPalette(ws(), target);
    });
    if (!why.empty())
        m_context.prompts.message(QStringLiteral("The palette was not changed: ") + QString::fromStdString(why) + QLatin1Char('.'), Icon::Warning);
    return changed;
}

bool PictureTab::reorderColors(int from, int to, bool move) {
    const int n = colorCount();
    if (!m_loaded || from < 0 || to < 0 || from >= n || to >= n || from == to) return false;
    cancelGesture();
    const morvi::PaletteTarget target{family(), place().picture};
    const std::vector<int> order = move ? morvi::moveOrder(n, from, to) : morvi::swapOrder(n, from, to);
    std::string why;
    const bool changed = edit(move ? QStringLiteral("Move Colour") : QStringLiteral("Swap Colours"),
                              [&] { return morvi::reorderTargetPalette(ws(), target, order, why); });
    if (!why.empty()) {
        m_context.prompts.message(QStringLiteral("The colours were not reordered: ") + QString::fromStdString(why) + QLatin1Char('.'), Icon::Warning);
        return false;
    }
    // The dragged colour stays the current one, in its new place.
    setCurrentColor(to);
    return changed;
}

void PictureTab::sliderMoved(int channel, int value) {
    edit(QStringLiteral("Palette colour"), [&] {
        morvi::PaletteColor* color = colorEditable(m_currentColor) ? paletteEntry(m_currentColor) : nullptr;
        if (!color || !setChannel(*color, channel, value)) return false;
        paletteEdited();
        return true;
    });
}

void PictureTab::transparentClicked() {
    const int k = m_currentColor;
    edit(QStringLiteral("Transparent"), [&] {
        if (k == 0 || !colorEditable(k)) return false;
        swapWithTransparent(k);
        return true;
    });
    setCurrentColor(0);
}

QStringList PictureTab::importFilters() const {
    return {fileFilter(QStringLiteral("Supported images formats (*.png, *.bmp, *.pcx)"),
                       QStringLiteral("*.png *.bmp *.pcx *.PNG *.BMP *.PCX")),
            fileFilter(QStringLiteral("All files (*.*)"), QStringLiteral("*"))};
}

ImportPreview PictureTab::describeImportFile(const QString& path, bool keepPalette) const {
    ImportPreview out;
    const ImportLimits limits = importLimits();
    const morvi::IndexedImage& backdrop = ws().backgrounds.smallBackdrop;
    out.picture.resize(128, 128);
    if (path.isEmpty()) {
        morvi::drawImage(backdrop, out.picture, nullptr, 128, 128);
        return out;
    }
    morvi::IndexedImage image;
    const auto result = morvi::loadImageFile(image, path.toUtf8().toStdString(), morvi::kImportColorLimit,
                                             limits.width, limits.height);
    if (result != morvi::ImageLoadResult::Read) {
        morvi::drawImage(backdrop, out.picture, nullptr, 128, 128);
        switch (result) {
        case morvi::ImageLoadResult::TooManyColors: out.sizeText = QStringLiteral("Image has over 16 colors"); break;
        case morvi::ImageLoadResult::TooLarge:
            out.sizeText = QStringLiteral("Image is larger than %1x%2").arg(limits.width).arg(limits.height);
            break;
        case morvi::ImageLoadResult::CannotRead: out.sizeText = QStringLiteral("Error opening image"); break;
        default: out.sizeText = QStringLiteral("Not a valid image file"); break;
        }
        return out;
    }
    if (limits.monsterTexts) {
        out.colorsText = image.colorCount > 8 ? QStringLiteral("16 colors") : QStringLiteral("8 colors");
        out.sizeText = image.width > 64 || image.height > 64 ? QStringLiteral("128x128") : QStringLiteral("64x64");
    } else {
        out.sizeText = QStringLiteral("%1x%2").arg(image.width).arg(image.height);
        out.colorsText = QStringLiteral("%1 colors").arg(image.colorCount);
    }
    if (keepPalette) {
        // Show what the import will make of it: the file's colours in the picture's palette.
        const auto palette = currentPalette();
        image = morvi::remapToPalette(image, palette);
        out.colorsText = QStringLiteral("mapped to the current palette");
    }
    morvi::drawImage(image, out.picture, &backdrop, 128, 128);
    return out;
}

bool PictureTab::loadImportFile(const QString& path, bool keepPalette, morvi::IndexedImage& out) {
    const ImportLimits limits = importLimits();
    const auto result = morvi::loadImageFile(out, path.toUtf8().toStdString(), morvi::kImportColorLimit,
                                             limits.width, limits.height);
    if (result != morvi::ImageLoadResult::Read) {
        m_context.prompts.message(QString::fromStdString(morvi::importErrorMessage(result, limits.width, limits.height)),
                                  Icon::Error);
        return false;
    }
    if (keepPalette) out = morvi::remapToPalette(out, currentPalette());
    return true;
}

bool PictureTab::takeImportFile(const QString& path, bool keepPalette) {
    if (!m_loaded) return false;
    morvi::IndexedImage image;
    if (!loadImportFile(path, keepPalette, image)) return false;
    importPicture(image);
    return true;
}

void PictureTab::importImage() {
    if (!m_loaded) return;
    ImportRequest request;
    request.title = importTitle();
    request.filters = importFilters();
    request.preview = [this](const QString& path, bool keep) { return describeImportFile(path, keep); };
    request.accept = [this](const QString& path, bool keep) { return takeImportFile(path, keep); };
    m_context.prompts.importFile(window(), request);
}

bool PictureTab::pasteImage(const QImage& source) {
    if (!m_loaded) return false;
    const ImportLimits limits = importLimits();
    auto refuse = [&](morvi::ImageLoadResult r) {
        m_context.prompts.message(QString::fromStdString(morvi::importErrorMessage(r, limits.width, limits.height)),
                                  Icon::Error);
        return false;
    };
    if (source.isNull()) return refuse(morvi::ImageLoadResult::NotValid);
    if (source.width() > limits.width || source.height() > limits.height) return refuse(morvi::ImageLoadResult::TooLarge);
    const std::vector<std::uint32_t> pixels = argbOf(source);
    morvi::IndexedImage image;
    const morvi::ImageLoadResult result =
        morvi::pictureFromArgb(pixels, source.width(), source.height(), morvi::kImportColorLimit, image);
    if (result != morvi::ImageLoadResult::Read) return refuse(result);
    importPicture(image);
    return true;
}

QImage PictureTab::copyImage() const {
    if (!m_loaded) return {};
    int width = 0, height = 0;
    const morvi::IndexedImage& picture = clipboardPicture(width, height); // sets the size first
    return imageOfArgb(morvi::pictureToArgb(picture, width, height), width, height);
}

void PictureTab::showPicture(int index) {
    if (index < 0 || index >= pictureList()->count()) return;
    if (pictureList()->currentIndex() == index) redrawPage();
    else pictureList()->setCurrentIndex(index);
}

void PictureTab::dataRestored() {
    if (!m_loaded) return;
    cancelGesture();
    if (selectionLifted()) m_selection.reset();
    updateColorControls();
    redrawPage();
}

// --- the tools ---

void PictureTab::chooseTool(Tool tool) {
    cancelGesture();
    // Another tool puts a lifted selection down; the rectangle stays for copy and paste.
    if (tool != Tool::Select) dropSelection();
    m_tools->setCurrent(tool);
    m_canvas->setTool(tool);
    emit toolChanged();
    redrawPage();
}

QPoint PictureTab::pictureAt(QPoint canvasPoint) const {
    const int mag = magnificationValue();
    const QPoint p = canvasPoint - pictureShift();
    return origin() + QPoint(morvi::floorDiv(p.x(), mag), morvi::floorDiv(p.y(), mag));
}

std::vector<morvi::Point> PictureTab::mirrored(std::vector<morvi::Point> points) const {
    if (!m_tools->mirror()) return points;
    return morvi::withMirror(points, magnifiedSize().width());
}

void PictureTab::canvasEvent(const CanvasEvent& event) {
    if (!m_loaded || !editedPicture()) return;
    const QPoint p = pictureAt(event.at);
    const morvi::Point at{p.x(), p.y()};
    if (event.phase != CanvasEvent::Phase::Release) emit pointerMoved(p);
    if (currentTool() == Tool::Select && !(event.modifiers & Qt::ControlModifier)) {
        selectEvent(event, at);
        return;
    }
    switch (event.phase) {
    case CanvasEvent::Phase::Press: startGesture(event, at); break;
    case CanvasEvent::Phase::Move: moveGesture(event, at); break;
    case CanvasEvent::Phase::Release:
        if (m_gesture) moveGesture(event, at, false);
        finishGesture();
        break;
    }
}

void PictureTab::pickAt(morvi::Point at) {
    const morvi::IndexedImage* picture = editedPicture();
    const int c = picture && picture->hasPixels() && picture->contains(at.x, at.y) ? picture->pixel(at.x, at.y) : 0;
    setCurrentColor(c < colorCount() ? c : 0);
}

void PictureTab::startGesture(const CanvasEvent& event, morvi::Point at) {
    cancelGesture();
    const Tool tool = currentTool();
    const ToolInfo& info = toolInfo(tool);
    // Ctrl+click picks with any tool, as the pick tool does.
    if (info.kind == ToolKind::Pick || (event.modifiers & Qt::ControlModifier)) {
        pickAt(at);
        return;
    }
    const bool erase = tool == Tool::Erase || event.button == Qt::RightButton;
    const std::uint8_t value = erase ? 0 : std::uint8_t(m_currentColor);
    const morvi::IndexedImage& picture = *editedPicture();
    const QSize size = magnifiedSize();
    const bool shift = event.modifiers & Qt::ShiftModifier;
    if (info.kind == ToolKind::Click) {
        // Computed on the picture as shown now, before anything is written.
        const auto points = shift ? morvi::sameColorPoints(picture, at) : morvi::floodFillPoints(picture, at);
        commitWrites(shift ? QStringLiteral("Replace colour") : QString::fromLatin1(info.name),
                     morvi::writesOf(mirrored(points), value, size.width(), size.height()));
        return;
    }
    if (info.kind == ToolKind::Freehand && shift && m_lastPainted) {
        commitWrites(QString::fromLatin1(info.name),
                     morvi::writesOf(mirrored(morvi::linePoints(*m_lastPainted, at)), value, size.width(), size.height()));
        m_lastPainted = at;
        return;
    }
    m_gesture = Gesture{tool, value, at, at, picture, {}};
    m_gesture->writes = morvi::writesOf(mirrored({at}), value, size.width(), size.height());
    updateOverlay(true);
    showGesture();
}

void PictureTab::showGesture() {
    const morvi::IndexedImage* picture = editedPicture();
    if (!picture) return;
    renderCanvas(*picture, m_canvasClip);
    if (m_previewIsPicture) renderPreview(*picture, m_previewSize.width(), m_previewSize.height());
}

void PictureTab::moveGesture(const CanvasEvent& event, morvi::Point at, bool show) {
    if (!m_gesture) return;
    Gesture& g = *m_gesture;
    const QSize size = magnifiedSize();
    const bool shift = event.modifiers & Qt::ShiftModifier;
    if (toolInfo(g.tool).kind == ToolKind::Freehand) {
        // Every pixel between the last position and this one: no speed of drag leaves a gap.
        if (at == g.end) return;
        const auto added = morvi::writesOf(mirrored(morvi::linePoints(g.end, at)), g.value, size.width(), size.height());
        g.writes.insert(g.writes.end(), added.begin(), added.end());
        g.end = at;
        for (const auto& w : added)
            if (m_overlay.contains(w.x, w.y)) m_overlay.setPixel(w.x, w.y, w.value);
    } else {
        morvi::Point end = at;
        std::vector<morvi::Point> points;
        const bool filled = m_tools->filled();
        switch (g.tool) {
        case Tool::Line:
            if (shift) end = morvi::constrainLine(g.start, at);
            points = morvi::linePoints(g.start, end);
            break;
        case Tool::Rectangle:
            if (shift) end = morvi::constrainSquare(g.start, at);
            points = morvi::rectanglePoints(g.start, end, filled);
            break;
        default:
            if (shift) end = morvi::constrainSquare(g.start, at);
            points = morvi::ellipsePoints(g.start, end, filled);
            break;
        }
        g.end = end;
        emit shapeSized(QSize(std::abs(end.x - g.start.x) + 1, std::abs(end.y - g.start.y) + 1));
        g.writes = morvi::writesOf(mirrored(points), g.value, size.width(), size.height());
        if (show) updateOverlay(true);
    }
    if (show) showGesture();
}

void PictureTab::finishGesture() {
    if (!m_gesture) return;
    emit shapeSized(QSize());
    Gesture g = std::move(*m_gesture);
    m_gesture.reset();
    m_lastPainted = g.end;
    commitWrites(QString::fromLatin1(toolInfo(g.tool).name), std::move(g.writes));
}

void PictureTab::cancelGesture() {
    if (!m_gesture) return;
    emit shapeSized(QSize());
    m_gesture.reset();
    showGesture();
}

void PictureTab::commitWrites(const QString& label, std::vector<morvi::PixelWrite> writes) {
    if (writes.empty()) {
        redrawPage();
        return;
    }
    // Writing pixels touches the picture's own chunks only: the step keeps just those.
    applyEdit(label, [&] {
        const bool changed = writePixels(writes);
        if (changed) dataEdited();
        return changed;
    }, morvi::pictureChunkIds(ws(), family(), place().picture));
    redrawPage();
}

void PictureTab::updateOverlay(bool fromSource) {
    if (!m_gesture) return;
    if (fromSource) m_overlay = m_gesture->source;
    if (!m_overlay.hasPixels()) return;
    for (const auto& w : m_gesture->writes)
        if (m_overlay.contains(w.x, w.y)) m_overlay.setPixel(w.x, w.y, w.value);
}

const morvi::IndexedImage& PictureTab::shown(const morvi::IndexedImage& image) const {
    return (m_gesture || selectionLifted()) && &image == editedPicture() && m_overlay.hasPixels() ? m_overlay : image;
}

// --- the selection ---

PictureTab::Selection PictureTab::stillSelection(morvi::Rect rect) {
    Selection s;
    s.rect = rect;
    return s;
}

morvi::Rect PictureTab::selectionRect() const {
    if (!m_selection) return {};
    if (!m_selection->lifted) return m_selection->rect;
    return {m_selection->at.x, m_selection->at.y, m_selection->floating.width, m_selection->floating.height};
}

void PictureTab::showSelection() {
    if (m_selection && m_selection->lifted) updateLiftOverlay();
    showGesture();
}


void PictureTab::selectAll() {
    if (!m_loaded || !editedPicture()) return;
    dropSelection();
    chooseTool(Tool::Select);
    m_selection = stillSelection({0, 0, editedPicture()->width, editedPicture()->height});
    showSelection();
}

void PictureTab::deselect() {
    dropSelection();
    if (!m_selection) return;
    m_selection.reset();
    showSelection();
}

void PictureTab::lift() {
    const morvi::IndexedImage* picture = editedPicture();
    if (!m_selection || m_selection->lifted || !picture) return;
    Selection& s = *m_selection;
    s.floating = morvi::copyRegion(*picture, s.rect);
    s.hole = s.rect;
    s.at = {s.rect.x, s.rect.y};
    s.lifted = true;
    s.label = QStringLiteral("Move");
    updateLiftOverlay();
}

void PictureTab::updateLiftOverlay() {
    const morvi::IndexedImage* picture = editedPicture();
    if (!m_selection || !m_selection->lifted || !picture) return;
    m_overlay = *picture;
    if (!m_overlay.hasPixels()) return;
    for (const auto& w : morvi::fillWrites(m_selection->hole, 0, m_overlay.width, m_overlay.height)) m_overlay.setPixel(w.x, w.y, 0);
    for (const auto& w : morvi::placeWrites(m_selection->floating, m_selection->at, m_overlay.width, m_overlay.height))
        m_overlay.setPixel(w.x, w.y, w.value);
}

void PictureTab::dropSelection() {
    if (!m_selection || !m_selection->lifted) return;
    const morvi::IndexedImage* picture = editedPicture();
    Selection& s = *m_selection;
    s.lifted = false;
    if (!picture) {
        m_selection.reset();
        return;
    }
    // The hole first, then the pixels where they went: one step.
    std::vector<morvi::PixelWrite> writes = morvi::fillWrites(s.hole, 0, picture->width, picture->height);
    const auto placed = morvi::placeWrites(s.floating, s.at, picture->width, picture->height);
    writes.insert(writes.end(), placed.begin(), placed.end());
    s.rect = morvi::intersected({s.at.x, s.at.y, s.floating.width, s.floating.height}, {0, 0, picture->width, picture->height});
    const QString label = s.label;
    if (s.rect.empty()) m_selection.reset();
    commitWrites(label, std::move(writes));
}

void PictureTab::cancelLift() {
    if (!m_selection || !m_selection->lifted) return;
    if (m_selection->hole.empty()) m_selection.reset(); // a paste taken back leaves nothing
    else m_selection = stillSelection(m_selection->hole);
    showSelection();
    redrawPage();
}

void PictureTab::moveSelection(int dx, int dy) {
    if (!m_loaded || !m_selection) return;
    lift();
    m_selection->at.x += dx;
    m_selection->at.y += dy;
    showSelection();
}

void PictureTab::selectEvent(const CanvasEvent& event, morvi::Point at) {
    const morvi::IndexedImage* picture = editedPicture();
    if (!picture || (event.button != Qt::LeftButton)) return;
    switch (event.phase) {
    case CanvasEvent::Phase::Press:
        if (m_selection && selectionRect().contains(at)) {
            lift();
            m_selectDrag = SelectDrag::Move;
            m_floatFrom = m_selection->at;
        } else {
            // A press outside puts the old selection down and starts a new one.
            deselect();
            m_selectDrag = SelectDrag::Marquee;
        }
        m_dragFrom = at;
        break;
    case CanvasEvent::Phase::Move:
    case CanvasEvent::Phase::Release:
        if (m_selectDrag == SelectDrag::Move && m_selection) {
            m_selection->at = {m_floatFrom.x + at.x - m_dragFrom.x, m_floatFrom.y + at.y - m_dragFrom.y};
            showSelection();
        } else if (m_selectDrag == SelectDrag::Marquee) {
            const morvi::Rect r = morvi::rectBetween(m_dragFrom, at, picture->width, picture->height);
            // A click without a drag selects nothing.
            if (r.empty() || (event.phase == CanvasEvent::Phase::Release && at == m_dragFrom && !m_selection)) m_selection.reset();
            else m_selection = stillSelection(r);
            emit shapeSized(event.phase == CanvasEvent::Phase::Release || r.empty() ? QSize() : QSize(r.width, r.height));
            showSelection();
        }
        if (event.phase == CanvasEvent::Phase::Release) m_selectDrag = SelectDrag::None;
        break;
    }
}

QMimeData* PictureTab::copySelection() const {
    const morvi::IndexedImage* picture = editedPicture();
    if (!m_selection || !picture) return nullptr;
    const morvi::Rect r = selectionRect();
    const morvi::IndexedImage region = m_selection->lifted ? m_selection->floating : morvi::copyRegion(*picture, r);
    auto* data = new QMimeData;
    const auto bytes = morvi::encodeClipRegion({{r.x, r.y}, region});
    data->setData(QString::fromLatin1(kRegionMimeType), QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    // Other programs get an ordinary picture, colour 0 transparent.
    data->setImageData(imageOfArgb(morvi::pictureToArgb(region, region.width, region.height), region.width, region.height));
    return data;
}

void PictureTab::cutSelection() {
    if (!m_loaded || !m_selection) return;
    QGuiApplication::clipboard()->setMimeData(copySelection());
    const morvi::IndexedImage* picture = editedPicture();
    if (!picture) return;
    // What is cut (lifted or not) leaves colour 0 where it lay.
    const morvi::Rect hole = m_selection->lifted ? m_selection->hole : m_selection->rect;
    const morvi::Rect now = selectionRect();
    m_selection = stillSelection(morvi::intersected(now, {0, 0, picture->width, picture->height}));
    if (m_selection->rect.empty()) m_selection.reset();
    std::vector<morvi::PixelWrite> writes = morvi::fillWrites(hole, 0, picture->width, picture->height);
    commitWrites(QStringLiteral("Cut"), std::move(writes));
}

void PictureTab::deleteSelection() {
    if (!m_loaded || !m_selection) return;
    dropSelection();
    const morvi::IndexedImage* picture = editedPicture();
    if (!m_selection || !picture) return;
    commitWrites(QStringLiteral("Delete"), morvi::fillWrites(m_selection->rect, 0, picture->width, picture->height));
}

bool PictureTab::pasteRegion(const QMimeData* data) {
    if (!m_loaded || !data || !editedPicture()) return false;
    dropSelection();
    const morvi::IndexedImage& picture = *editedPicture();
    const std::vector<morvi::PaletteColor> palette = currentPalette();
    morvi::IndexedImage pixels;
    morvi::Point origin{-1, -1};
    const QString ours = QString::fromLatin1(kRegionMimeType);
    if (data->hasFormat(ours)) {
        const QByteArray bytes = data->data(ours);
        const auto region = morvi::decodeClipRegion({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
        if (!region) {
            m_context.prompts.message(QStringLiteral("The clipboard's picture region is damaged; nothing was pasted."), Icon::Warning);
            return false;
        }
        // Indices the picture has stay as they are; past its colours, the region is mapped.
        pixels = morvi::fitRegionToPalette(region->pixels, palette);
        origin = region->origin;
    } else if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull() || image.width() > 1024 || image.height() > 1024) {
            m_context.prompts.message(QStringLiteral("The clipboard's picture is too large to paste."), Icon::Warning);
            return false;
        }
        pixels = morvi::mapArgbToPalette(argbOf(image), image.width(), image.height(), palette);
    } else {
        return false;
    }
    if (!pixels.hasPixels()) return false;
    chooseTool(Tool::Select);
    // Where it was copied from when it fits there, else the top-left of what the canvas shows.
    const bool fits = origin.x >= 0 && origin.y >= 0 && origin.x + pixels.width <= picture.width && origin.y + pixels.height <= picture.height;
    const morvi::Point at = fits ? origin : morvi::Point{this->origin().x(), this->origin().y()};
    Selection s;
    s.lifted = true;
    s.floating = std::move(pixels);
    s.at = at;
    s.label = QStringLiteral("Paste");
    m_selection = std::move(s);
    showSelection();
    return true;
}

void PictureTab::flipSelection(bool vertical) {
    if (!m_loaded) return;
    if (!m_selection) {
        flipImage(vertical ? 1 : 0);
        return;
    }
    const QString label = vertical ? QStringLiteral("Flip vertical") : QStringLiteral("Flip horizontal");
    if (m_selection->lifted) {
        m_selection->floating = morvi::flippedRegion(m_selection->floating, vertical);
        m_selection->label = label;
        showSelection();
        return;
    }
    const morvi::IndexedImage* picture = editedPicture();
    if (!picture) return;
    const morvi::Rect r = m_selection->rect;
    commitWrites(label, morvi::placeWrites(morvi::flippedRegion(morvi::copyRegion(*picture, r), vertical), {r.x, r.y},
                                           picture->width, picture->height));
}

void PictureTab::rotateSelection(bool clockwise) {
    if (!m_loaded || !editedPicture()) return;
    if (!m_selection) selectAll();
    if (!m_selection) return;
    lift();
    Selection& s = *m_selection;
    const morvi::Point corner = morvi::turnedCorner({s.at.x, s.at.y, s.floating.width, s.floating.height});
    s.floating = morvi::turnedRegion(s.floating, clockwise);
    s.at = corner;
    s.label = QStringLiteral("Rotate");
    showSelection();
}

void PictureTab::importPalette() {
    if (!m_loaded) return;
    const QString path = m_context.prompts.openFile(
        window(), FileRequest{QStringLiteral("Import Palette"),
                              {fileFilter(QStringLiteral("Palette files (*.pal, *.gpl, *.act, *.hex, *.bin)"),
                                          QStringLiteral("*.pal *.gpl *.act *.hex *.bin *.PAL *.GPL *.ACT *.HEX *.BIN")),
                               fileFilter(QStringLiteral("All files (*.*)"), QStringLiteral("*"))},
                              QString(), QString()});
    if (path.isEmpty()) return;
    const morvi::PaletteRead read = morvi::loadPaletteFile(path.toUtf8().toStdString());
    if (!read.ok()) {
        m_context.prompts.message(QString::fromStdString(read.error), Icon::Warning);
        return;
    }
    applyPalette(QStringLiteral("Import Palette"), read.colors);
}

void PictureTab::exportPalette() {
    if (!m_loaded) return;
    const QString path = m_context.prompts.saveFile(
        window(), FileRequest{QStringLiteral("Export Palette"),
                              {fileFilter(QStringLiteral("JASC-PAL palette"), QStringLiteral("*.pal")),
                               fileFilter(QStringLiteral("GIMP palette"), QStringLiteral("*.gpl")),
                               fileFilter(QStringLiteral("Adobe colour table"), QStringLiteral("*.act")),
                               fileFilter(QStringLiteral("Hex colours, one a line"), QStringLiteral("*.hex")),
                               fileFilter(QStringLiteral("SNES colour words"), QStringLiteral("*.bin"))},
                              defaultExportPath(QStringLiteral("palette")).replace(QStringLiteral(".png"), QStringLiteral(".pal")),
                              QStringLiteral("pal")});
    if (path.isEmpty()) return;
    const std::string file = path.toUtf8().toStdString();
    const auto format = morvi::paletteFormatForPath(file);
    if (!format) {
        m_context.prompts.message(QStringLiteral("A palette file name ends in .pal, .gpl, .act, .hex or .bin."), Icon::Warning);
        return;
    }
    if (!morvi::savePaletteFile(file, morvi::targetPalette(ws(), {family(), place().picture}), *format))
        m_context.prompts.message(QStringLiteral("Error writing the file \"%1\"; nothing was exported.").arg(QDir::toNativeSeparators(path)),
                                  Icon::Warning);
}

void PictureTab::zoom(int steps) { m_mag->spinBox()->setValue(m_mag->spinBox()->value() + steps); }

void PictureTab::zoomAround(int steps, QPoint canvasPoint) {
    setMagnification(std::clamp(m_mag->value() + steps, m_mag->spinBox()->minimum(), m_mag->spinBox()->maximum()), canvasPoint);
}

void PictureTab::setMagnification(int magnification, std::optional<QPoint> keepAt) {
    magnification = std::clamp(magnification, m_mag->spinBox()->minimum(), m_mag->spinBox()->maximum());
    if (!m_loaded || magnification == m_mag->value()) return;
    const QPoint kept = keepAt ? pictureAt(*keepAt) : QPoint();
    m_mag->setValue(magnification);
    updateScrollRanges();
    if (keepAt) {
        // At the new magnification the point lies this far (in pixels) from the origin.
        const QPoint offset = pictureAt(*keepAt) - origin();
        for (auto [bar, value] : {std::pair{m_hScroll, kept.x() - offset.x()}, std::pair{m_vScroll, kept.y() - offset.y()}}) {
            QSignalBlocker quiet(bar);
            bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
        }
    }
    redrawPage();
}

void PictureTab::zoomToFit() {
    const QSize size = magnifiedSize();
    if (!m_loaded || size.isEmpty()) return;
    setMagnification(std::max(1, std::min(m_canvas->width() / size.width(), m_canvas->height() / size.height())));
}

void PictureTab::actualSize() { setMagnification(1); }

PictureTab::PixelInfo PictureTab::pixelInfo(QPoint p) const {
    PixelInfo info;
    const morvi::IndexedImage* picture = editedPicture();
    if (!m_loaded || !picture || !picture->hasPixels() || !picture->contains(p.x(), p.y())) return info;
    info.inside = true;
    info.index = shown(*picture).pixel(p.x(), p.y());
    const std::vector<morvi::PaletteColor> colors = stripColors();
    info.color = std::size_t(info.index) < colors.size() ? colors[std::size_t(info.index)] : picture->palette[std::size_t(info.index)];
    return info;
}

QString PictureTab::defaultExportPath(const QString& name) const {
    const QString file = QStringLiteral("%1.png").arg(name);
    const QString rom = QString::fromStdString(ws().rom.romPath);
    if (rom.isEmpty()) return file;
    return QFileInfo(rom).absoluteDir().filePath(file);
}

void PictureTab::showDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    dialog->open();
}

void PictureTab::runExport(const QString& title, const QString& name, bool allowRaw,
                           const std::function<bool(const std::string&, morvi::ExportFileType)>& write) {
    auto* dialog = new ExportDialog(window(), m_context.prompts, title, defaultExportPath(name),
                                    morvi::ExportFileType::Png, allowRaw);
    connect(dialog, &QDialog::accepted, this, [this, dialog, write, allowRaw] {
        const morvi::ExportFileType type = dialog->fileType();
        const QString path = dialog->path();
        if (type == morvi::ExportFileType::Raw && !allowRaw) return;
        if (path.isEmpty()) return;
        if (!write(path.toUtf8().toStdString(), type))
            m_context.prompts.message(QStringLiteral("Error writing the file \"%1\"; nothing was exported.")
                                          .arg(QDir::toNativeSeparators(path)),
                                      Icon::Warning);
    });
    showDialog(dialog);
}

void PictureTab::runCopyList(const QString& title, const QStringList& names, const std::function<void(int)>& copy) {
    auto* dialog = new CopyListDialog(window(), title, names);
    connect(dialog, &CopyListDialog::chosen, this, [copy](int row) { copy(row); });
    showDialog(dialog);
}

} // namespace morvi::ui
