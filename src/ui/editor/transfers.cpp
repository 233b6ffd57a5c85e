#include "ui/editor/transfers.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "image/canvas.h"
#include "imagefile/palette_file.h"
#include "ui/dialogs/dialogs.h"
#include "ui/editor/edit_sink.h"
#include "ui/editor/palette_panel.h"
#include "family/picture_files.h"

namespace morvi::ui {

QString fileFilter(const QString& shown, const QString& patterns) {
    // The chooser hides the part in the last parentheses and filters by it.
    return shown + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

namespace {

// "*.png", ... in the table's order, and the same in upper case after them.
QStringList picturePatterns() {
    QStringList lower, upper;
    for (const morvi::PictureFormat& f : morvi::pictureFormats()) {
        lower << QStringLiteral("*.") + QString::fromLatin1(f.extension);
        upper << lower.back().toUpper();
    }
    return lower + upper;
}

// "*.png, *.bmp, *.pcx": what a filter of the pictures shows.
QString pictureExtensionsText() {
    QStringList shown;
    for (const morvi::PictureFormat& f : morvi::pictureFormats()) shown << QStringLiteral("*.") + QString::fromLatin1(f.extension);
    return shown.join(QStringLiteral(", "));
}

// The patterns of a filter: the part in its last parentheses.
QStringList patternsOf(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !filter.endsWith(QLatin1Char(')'))) return {};
    return filter.mid(open + 1, filter.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

QString imageFilesFilter() {
    return fileFilter(QStringLiteral("Supported images formats (%1)").arg(pictureExtensionsText()), picturePatterns().join(QLatin1Char(' ')));
}

QString allFilesFilter() { return fileFilter(QStringLiteral("All files (*.*)"), QStringLiteral("*")); }

QString allSupportedFilter(const QStringList& filters) {
    QStringList patterns, shown;
    for (const QString& filter : filters)
        for (const QString& pattern : patternsOf(filter)) {
            if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*") || patterns.contains(pattern)) continue;
            patterns << pattern;
            if (!shown.contains(pattern, Qt::CaseInsensitive)) shown << pattern.toLower();
        }
    return fileFilter(QStringLiteral("All supported files (%1)").arg(shown.join(QStringLiteral(", "))), patterns.join(QLatin1Char(' ')));
}

QString filterText(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QStringLiteral(" ("));
    return open < 0 ? filter : filter.left(open);
}

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

Transfers::Transfers(EditorContext& context, morvi::PictureSource& source, EditSink& sink, PalettePanel& palette, QWidget* page)
    : QObject(page), m_context(context), m_source(source), m_sink(sink), m_palette(palette), m_page(page),
      m_filters({imageFilesFilter(), allFilesFilter()}) {}

void Transfers::importPicture(const morvi::IndexedImage& image) {
    std::string note;
    m_sink.edit(QStringLiteral("Import"), [&] {
        note = m_source.importPicture(image);
        return true;
    });
    if (!note.empty()) m_context.prompts.message(QString::fromStdString(note), Icon::Information);
}

ImportPreview Transfers::describeImportFile(const QString& path, bool keepPalette) const {
    ImportPreview out;
    const morvi::PictureLimits limits = m_source.importLimits();
    const morvi::IndexedImage& backdrop = m_context.ws.backgrounds.smallBackdrop;
    // As tall as the largest picture the page takes (the full character sheet).
    const int w = 128, h = std::max(128, limits.exactHeight);
    out.picture.resize(w, h);
    if (path.isEmpty()) {
        morvi::drawImage(backdrop, out.picture, nullptr, w, h);
        return out;
    }
    if (m_ownPreview)
        if (auto own = m_ownPreview(path)) return *own;
    morvi::IndexedImage image;
    bool keptOrder = false;
    const auto result = morvi::loadForImport(path.toUtf8().toStdString(), limits, image, &keptOrder);
    if (result != morvi::ImageLoadResult::Read) {
        morvi::drawImage(backdrop, out.picture, nullptr, w, h);
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
    out.orderText = keptOrder ? QStringLiteral("palette order kept") : QStringLiteral("colours by first use");
    if (keepPalette) {
        // Show what the import will make of it: the file's colours in the picture's palette.
        image = morvi::remapToPalette(image, m_source.palette());
        out.colorsText = QStringLiteral("mapped to the current palette");
        out.orderText.clear();
    }
    morvi::drawImage(image, out.picture, &backdrop, w, h);
    return out;
}

bool Transfers::loadImportFile(const QString& path, bool keepPalette, morvi::IndexedImage& out) {
    const morvi::PictureLimits limits = m_source.importLimits();
    const auto result = morvi::loadForImport(path.toUtf8().toStdString(), limits, out);
    if (result != morvi::ImageLoadResult::Read) {
        m_context.prompts.message(QString::fromStdString(morvi::importErrorMessage(result, limits.width, limits.height)), Icon::Error);
        return false;
    }
    if (keepPalette) out = morvi::remapToPalette(out, m_source.palette());
    return true;
}

bool Transfers::takeImportFile(const QString& path, bool keepPalette) {
    if (m_own)
        if (const auto taken = m_own(path)) return *taken;
    morvi::IndexedImage image;
    if (!loadImportFile(path, keepPalette, image)) return false;
    importPicture(image);
    return true;
}

void Transfers::importImage() {
    ImportRequest request;
    request.title = m_title ? m_title() : QStringLiteral("Import");
    request.filters = QStringList{allSupportedFilter(m_filters)} + m_filters;
    request.folder = importFolder();
    const QString kept = QString::fromStdString(m_context.ws.settings.importFilter);
    for (const QString& filter : request.filters)
        if (!kept.isEmpty() && filterText(filter) == kept) request.filter = filter;
    request.preview = [this](const QString& path, bool keep) { return describeImportFile(path, keep); };
    request.accept = [this](const QString& path, bool keep) { return takeImportFile(path, keep); };
    request.remember = [this](const QString& folder, const QString& filter) { rememberImport(folder, filter); };
    m_context.prompts.importFile(m_page->window(), request);
}

QString Transfers::importFolder() const {
    const QString folder = QString::fromStdString(m_context.ws.settings.importFolder);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void Transfers::rememberImport(const QString& folder, const QString& filter) {
    m_context.ws.settings.importFolder = folder.toStdString();
    if (!filter.isEmpty()) m_context.ws.settings.importFilter = filterText(filter).toStdString();
}

void Transfers::rememberExport(const QString& path) {
    m_context.ws.settings.exportFolder = QFileInfo(path).absolutePath().toStdString();
}

bool Transfers::pasteImage(const QImage& source) {
    const morvi::PictureLimits limits = m_source.importLimits();
    auto refuse = [&](morvi::ImageLoadResult r) {
        m_context.prompts.message(QString::fromStdString(morvi::importErrorMessage(r, limits.width, limits.height)), Icon::Error);
        return false;
    };
    if (source.isNull()) return refuse(morvi::ImageLoadResult::NotValid);
    if (!morvi::fitsImport(source.width(), source.height(), limits.width, limits.height, limits.exactWidth, limits.exactHeight))
        return refuse(morvi::ImageLoadResult::TooLarge);
    const std::vector<std::uint32_t> pixels = argbOf(source);
    morvi::IndexedImage image;
    const morvi::ImageLoadResult result = morvi::pictureFromArgb(pixels, source.width(), source.height(), morvi::kImportColorLimit, image);
    if (result != morvi::ImageLoadResult::Read) return refuse(result);
    importPicture(image);
    return true;
}

QImage Transfers::copyImage() const {
    const morvi::IndexedImage picture = m_source.clipboardPicture();
    return imageOfArgb(morvi::pictureToArgb(picture, picture.width, picture.height), picture.width, picture.height);
}

void Transfers::importPalette() {
    QStringList filters{fileFilter(QStringLiteral("Palette files (*.pal, *.gpl, *.act, *.hex, *.bin)"),
                                   QStringLiteral("*.pal *.gpl *.act *.hex *.bin *.PAL *.GPL *.ACT *.HEX *.BIN")),
                        fileFilter(QStringLiteral("Indexed pictures (%1)").arg(pictureExtensionsText()),
                                   picturePatterns().join(QLatin1Char(' '))),
                        allFilesFilter()};
    filters.prepend(allSupportedFilter(filters));
    const QString path =
        m_context.prompts.openFile(m_page->window(), FileRequest{QStringLiteral("Import Palette"), filters, importFolder(), QString()});
    if (path.isEmpty()) return;
    rememberImport(QFileInfo(path).absolutePath(), QString());
    const morvi::PaletteRead read = morvi::loadPaletteFile(path.toUtf8().toStdString());
    if (!read.ok()) {
        m_context.prompts.message(QString::fromStdString(read.error), Icon::Warning);
        return;
    }
    m_palette.applyPalette(QStringLiteral("Import Palette"), read.colors);
}

void Transfers::exportPalette() {
    const QString path = m_context.prompts.saveFile(
        m_page->window(), FileRequest{QStringLiteral("Export Palette"),
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
    if (!morvi::savePaletteFile(file, m_source.palette(), *format))
        m_context.prompts.message(QStringLiteral("Error writing the file \"%1\"; nothing was exported.").arg(QDir::toNativeSeparators(path)),
                                  Icon::Warning);
    else rememberExport(path);
}

QString Transfers::defaultExportPath(const QString& name) const {
    const QString file = QStringLiteral("%1.png").arg(name);
    // The folder of the last export while it is there, else the ROM's.
    const QString kept = QString::fromStdString(m_context.ws.settings.exportFolder);
    if (!kept.isEmpty() && QFileInfo(kept).isDir()) return QDir(kept).filePath(file);
    const QString rom = QString::fromStdString(m_context.ws.rom.romPath);
    if (rom.isEmpty()) return file;
    return QFileInfo(rom).absoluteDir().filePath(file);
}

void Transfers::showDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    dialog->open();
}

void Transfers::runExport(const QString& title, const QString& name, bool allowRaw,
                          const std::function<bool(const std::string&, morvi::ExportFileType)>& write) {
    runExport(title, name, allowRaw, QString(),
              [write](const std::string& path, morvi::ExportFileType type, bool) { return write(path, type); });
}

void Transfers::runExport(const QString& title, const QString& name, bool allowRaw, const QString& optionText,
                          const std::function<bool(const std::string&, morvi::ExportFileType, bool)>& write) {
    auto* dialog = new ExportDialog(m_page->window(), m_context.prompts, title, defaultExportPath(name), morvi::ExportFileType::Png, allowRaw);
    if (!optionText.isEmpty()) dialog->addOption(optionText);
    connect(dialog, &QDialog::accepted, this, [this, dialog, write, allowRaw] {
        const morvi::ExportFileType type = dialog->fileType();
        const QString path = dialog->path();
        if (type == morvi::ExportFileType::Raw && !allowRaw) return;
        if (path.isEmpty()) return;
        if (!write(path.toUtf8().toStdString(), type, dialog->optionChosen()))
            m_context.prompts.message(QStringLiteral("Error writing the file \"%1\"; nothing was exported.").arg(QDir::toNativeSeparators(path)),
                                      Icon::Warning);
        else rememberExport(path);
    });
    showDialog(dialog);
}

void Transfers::runCopyList(const QString& title, const QStringList& names, const std::function<void(int)>& copy) {
    auto* dialog = new CopyListDialog(m_page->window(), title, names);
    connect(dialog, &CopyListDialog::chosen, this, [copy](int row) { copy(row); });
    showDialog(dialog);
}

} // namespace morvi::ui
