#pragma once
// Pictures and palettes in and out of a page: the import chooser with its preview, a dropped or
// pasted picture, the picture copied to the clipboard, palette files, the export dialog and the
// copy list. Limits and the import itself come from the picture source; the page adds only its
// texts and, for portraits, the raw pairs it takes itself.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "imagefile/image_file.h"
#include "ui/dialogs/prompts.h"

class QImage;

namespace morvi {
class PictureSource;
class IndexedImage;
}

namespace morvi::ui {

class EditSink;
class PalettePanel;
struct EditorContext;

// The clipboard format of a picture region copied in the editor (its palette indices kept).
inline constexpr const char* kRegionMimeType = "application/x-morvi-region";

// Filters of the file choosers: the text the user reads, then the patterns that match.
QString fileFilter(const QString& shown, const QString& patterns);
// The import chooser's filters: the picture files every page takes (from the table of picture
// formats), and any file.
QString imageFilesFilter();
QString allFilesFilter();
// "All supported files": every pattern of the filters but the any-file one, which a chooser
// shows first so that nothing it takes is hidden.
QString allSupportedFilter(const QStringList& filters);
// What a filter shows: its text without the patterns.
QString filterText(const QString& filter);
// A picture's ARGB words row by row, and back: QImage's ARGB32 is the same word per pixel.
std::vector<std::uint32_t> argbOf(const QImage& source);
QImage imageOfArgb(const std::vector<std::uint32_t>& pixels, int width, int height);

class Transfers : public QObject {
    Q_OBJECT
public:
    Transfers(EditorContext& context, morvi::PictureSource& source, EditSink& sink, PalettePanel& palette, QWidget* page);

    // The chooser's title (it may change with what the page shows) and filters.
    void setImportTitle(std::function<QString()> title) { m_title = std::move(title); }
    void setImportFilters(QStringList filters) { m_filters = std::move(filters); }
    // A kind of file the page takes itself (a raw portrait pair): nullopt when the file is not
    // of that kind, else whether it was taken.
    void setOwnImport(std::function<std::optional<bool>(const QString& path)> own) { m_own = std::move(own); }
    // The chooser's preview of such a file: nullopt when the file is not of that kind.
    void setOwnPreview(std::function<std::optional<ImportPreview>(const QString& path)> own) { m_ownPreview = std::move(own); }

    void importImage();
    // Imports a file as the chooser does when it is confirmed: the same limits and messages.
    bool takeImportFile(const QString& path, bool keepPalette);
    ImportPreview describeImportFile(const QString& path, bool keepPalette) const;
    // Imports a picture from the clipboard (with the file limits); copies the current one to it.
    bool pasteImage(const QImage& image);
    QImage copyImage() const;
    // "Import Palette ..." and "Export Palette ...": the picture's palette from and to files.
    void importPalette();
    void exportPalette();
    // The export dialog; write runs on OK. It returns false for a failure it did not report
    // itself, and the page then warns, naming the file.
    void runExport(const QString& title, const QString& name, bool allowRaw,
                   const std::function<bool(const std::string& path, morvi::ExportFileType type)>& write);
    // The same with a check box of the page's own (option is whether it was ticked).
    void runExport(const QString& title, const QString& name, bool allowRaw, const QString& optionText,
                   const std::function<bool(const std::string& path, morvi::ExportFileType type, bool option)>& write);
    // The copy list; copy runs with the chosen row.
    void runCopyList(const QString& title, const QStringList& names, const std::function<void(int row)>& copy);
    // The export dialog or copy list while one is open.
    QDialog* openDialog() const { return m_dialog; }
    void showDialog(QDialog* dialog);
    // Where an export of `name` is proposed (the last export's folder while it is there, else
    // the ROM's), and keeping the folder of a file exported.
    QString defaultExportPath(const QString& name) const;
    void rememberExport(const QString& path);

private:
    bool loadImportFile(const QString& path, bool keepPalette, morvi::IndexedImage& out);
    void importPicture(const morvi::IndexedImage& image);
    // The import chooser's folder as kept in the settings ("" when none or gone), and keeping
    // the folder of a file imported.
    QString importFolder() const;
    void rememberImport(const QString& folder, const QString& filter);

    EditorContext& m_context;
    morvi::PictureSource& m_source;
    EditSink& m_sink;
    PalettePanel& m_palette;
    QWidget* m_page;
    std::function<QString()> m_title;
    QStringList m_filters;
    std::function<std::optional<bool>(const QString&)> m_own;
    std::function<std::optional<ImportPreview>(const QString&)> m_ownPreview;
    QPointer<QDialog> m_dialog;
};

} // namespace morvi::ui
