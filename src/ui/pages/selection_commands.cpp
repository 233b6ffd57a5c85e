#include "ui/pages/selection_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "ui/dialogs/prompts.h"
#include "ui/editor/transfers.h"
#include "family/picture_files.h"

namespace morvi::ui {

void SelectionCommands::selectAll() {
    if (!hasPicture()) return;
    m_hooks.chooseTool(Tool::Select);
    dropSelection();
    m_selection.selectAll(m_source.picture());
    m_editor.selectionChanged();
}

void SelectionCommands::deselect() {
    dropSelection();
    if (!m_selection.active()) return;
    m_selection.clear();
    m_editor.selectionChanged();
}

void SelectionCommands::dropSelection() {
    if (!m_selection.lifted()) return;
    const QString label = QString::fromStdString(m_selection.label());
    const auto writes = m_selection.drop(m_source.picture());
    m_editor.selectionChanged();
    m_sink.commitWrites(label, writes);
}

void SelectionCommands::cancelLift() {
    if (!m_selection.lifted()) return;
    m_selection.cancelLift();
    m_editor.selectionChanged();
    m_hooks.redraw();
}

void SelectionCommands::moveSelection(int dx, int dy) {
    if (!m_selection.active()) return;
    m_selection.lift(m_source.picture());
    m_selection.moveBy(dx, dy);
    m_editor.selectionChanged();
}

void SelectionCommands::escape() {
    if (m_editor.gestureActive()) m_editor.cancelGesture();
    else if (m_selection.lifted()) cancelLift();
    else if (m_selection.active()) deselect();
}

QMimeData* SelectionCommands::copySelection() const {
    if (!m_selection.active() || !hasPicture()) return nullptr;
    const morvi::ClipRegion region = m_selection.copy(m_source.picture());
    auto* data = new QMimeData;
    const auto bytes = morvi::encodeClipRegion(region);
    data->setData(QString::fromLatin1(kRegionMimeType), QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    // Other programs get an ordinary picture, colour 0 transparent.
    const morvi::IndexedImage& pixels = region.pixels;
    data->setImageData(imageOfArgb(morvi::pictureToArgb(pixels, pixels.width, pixels.height), pixels.width, pixels.height));
    return data;
}

void SelectionCommands::cutSelection() {
    if (!m_selection.active() || !hasPicture()) return;
    QGuiApplication::clipboard()->setMimeData(copySelection());
    const auto writes = m_selection.cut(m_source.picture());
    m_editor.selectionChanged();
    m_sink.commitWrites(QStringLiteral("Cut"), writes);
}

void SelectionCommands::deleteSelection() {
    if (!m_selection.active()) return;
    dropSelection();
    if (!m_selection.active() || !hasPicture()) return;
    const morvi::IndexedImage& picture = m_source.picture();
    m_sink.commitWrites(QStringLiteral("Delete"), morvi::fillWrites(m_selection.rect(), 0, picture.width, picture.height));
}

bool SelectionCommands::pasteRegion(const QMimeData* data) {
    if (!data || !hasPicture()) return false;
    dropSelection();
    const morvi::IndexedImage& picture = m_source.picture();
    const std::vector<morvi::PaletteColor> palette = m_source.palette();
    morvi::IndexedImage pixels;
    morvi::Point from{-1, -1};
    const QString ours = QString::fromLatin1(kRegionMimeType);
    if (data->hasFormat(ours)) {
        const QByteArray bytes = data->data(ours);
        const auto region = morvi::decodeClipRegion({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
        if (!region) {
            m_prompts.message(QStringLiteral("The clipboard's picture region is damaged; nothing was pasted."), Icon::Warning);
            return false;
        }
        // Indices the picture has stay as they are; past its colours, the region is mapped.
        pixels = morvi::fitRegionToPalette(region->pixels, palette);
        from = region->origin;
    } else if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull() || image.width() > 1024 || image.height() > 1024) {
            m_prompts.message(QStringLiteral("The clipboard's picture is too large to paste."), Icon::Warning);
            return false;
        }
        pixels = morvi::mapArgbToPalette(argbOf(image), image.width(), image.height(), palette);
    } else {
        return false;
    }
    if (!pixels.hasPixels()) return false;
    m_hooks.chooseTool(Tool::Select);
    // Where it was copied from when it fits there, else the top-left of what the canvas shows.
    const bool fits = from.x >= 0 && from.y >= 0 && from.x + pixels.width <= picture.width && from.y + pixels.height <= picture.height;
    const QPoint o = m_editor.origin();
    m_selection.paste(std::move(pixels), fits ? from : morvi::Point{o.x(), o.y()});
    m_editor.selectionChanged();
    return true;
}

void SelectionCommands::flipSelection(bool vertical) {
    if (!m_selection.active()) {
        m_hooks.flipPicture(vertical);
        return;
    }
    const auto writes = m_selection.flip(m_source.picture(), vertical);
    if (m_selection.lifted()) m_editor.selectionChanged();
    else m_sink.commitWrites(vertical ? QStringLiteral("Flip vertical") : QStringLiteral("Flip horizontal"), writes);
}

void SelectionCommands::rotateSelection(bool clockwise) {
    if (!hasPicture()) return;
    if (!m_selection.active()) selectAll();
    if (!m_selection.active()) return;
    m_selection.rotate(m_source.picture(), clockwise);
    m_editor.selectionChanged();
}

} // namespace morvi::ui
