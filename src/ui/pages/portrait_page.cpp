#include "ui/pages/portrait_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "family/workspace.h"
#include "image/canvas.h"
#include "ui/widgets/views.h"
#include "portraits/portrait_module.h"

namespace morvi::ui {

PortraitPage::PortraitPage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::portraitFamily(), QSize(morvi::kPortraitSide, morvi::kPortraitSide), QStringLiteral("Preview"),
                     &morvi::Settings::tab3Mag},
           parent) {
    setPreviewFollowsPicture(true);
    m_widgets.paletteList = columns().addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_widgets.paletteList->setToolTip(QStringLiteral("Portraits with the same palette number share their colours"));
    m_sharing = new QLabel(this);
    m_sharing->setWordWrap(true);
    m_sharing->setAccessibleName(QStringLiteral("Sharing"));
    columns().left()->addWidget(m_sharing);
    columns().left()->addStretch(1);
    m_widgets.importButton = columns().addButton(QStringLiteral("Import Image"), [this] { importImage(); });
    m_widgets.copyButton = columns().addButton(QStringLiteral("Copy Image"), [this] { openCopyDialog(); });
    m_widgets.clearButton = columns().addButton(QStringLiteral("Clear Image"), [this] { clearImage(); });
    transfers().setImportTitle([] { return QStringLiteral("Import Portrait"); });
    transfers().setImportFilters({imageFilesFilter(), fileFilter(QStringLiteral("*.bin+*.pal"), QStringLiteral("*.bin *.BIN")),
                                  allFilesFilter()});
    transfers().setOwnImport([this](const QString& path) { return importRaw(path); });
    transfers().setOwnPreview([this](const QString& path) { return previewRaw(path); });
    {
        QSignalBlocker a(m_widgets.pictureList), b(m_widgets.paletteList);
        for (const char* name : morvi::kPortraitNames) m_widgets.pictureList->addItem(QString::fromLatin1(name));
        m_widgets.pictureList->setCurrentIndex(0);
        for (int n = 0; n < morvi::kPortraitCount; ++n) m_widgets.paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
    }
    connect(m_widgets.pictureList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        selecting().deselect(); // the selection lives on the portrait that was shown
        source().show(index);
        redrawPage();
    });
    connect(m_widgets.paletteList, &QComboBox::currentIndexChanged, this, [this](int n) {
        edit(QStringLiteral("Palette"), [&] {
            if (n < 0 || n == portrait().paletteNumber) return false;
            morvi::setPortraitPalette(portraitsOf(m_context.ws), portrait(), n);
            return true;
        });
    });
    palette().updateControls();
    redrawPage();
}

morvi::PortraitRecord& PortraitPage::portrait() const {
    return portraitsOf(m_context.ws).portraits[std::size_t(currentPortrait())];
}

void PortraitPage::paintOwn() {
    const morvi::PortraitRecord& p = portrait();
    renderPreview(editor().shown(), QSize(morvi::kPortraitSide, morvi::kPortraitSide));
    QSignalBlocker quiet(m_widgets.paletteList);
    m_widgets.paletteList->setCurrentIndex(p.paletteNumber);
    const auto sharing = morvi::portraitsSharingPalette(portraitsOf(m_context.ws), currentPortrait());
    QStringList names;
    for (int i : sharing) names << QString::fromLatin1(morvi::kPortraitNames[std::size_t(i)]);
    m_sharing->setText(sharing.empty() ? QStringLiteral("Palette: not shared")
                                       : QStringLiteral("Palette: shared with %1").arg(sharing.size() == 1 ? QStringLiteral("1 other")
                                                                                                          : QStringLiteral("%1 others").arg(sharing.size())));
    m_sharing->setToolTip(sharing.empty() ? QStringLiteral("Colour changes stay with this portrait")
                                          : QStringLiteral("Palette also used by: ") + names.join(QStringLiteral(", ")));
}

void PortraitPage::openCopyDialog() {
    QStringList names;
    for (const char* name : morvi::kPortraitNames) names << QString::fromLatin1(name);
    transfers().runCopyList(QStringLiteral("Copy portrait image"), names, [this](int row) {
        edit(QStringLiteral("Copy"), [&] {
            if (row < 0 || row >= morvi::kPortraitCount || row == currentPortrait()) return false;
            morvi::copyPortrait(portraitsOf(m_context.ws), currentPortrait(), row);
            return true;
        });
    });
}

QString PortraitPage::clearQuestion() const { return QStringLiteral("This will erase the current portrait"); }

std::optional<bool> PortraitPage::importRaw(const QString& path) {
    const std::string file = path.toUtf8().toStdString();
    if (!morvi::isRawPortraitPath(file)) return std::nullopt;
    bool read = false;
    edit(QStringLiteral("Import"), [&] {
        // Reports "Error opening file" itself and changes nothing on a bad pair.
        read = morvi::importPortraitRaw(portraitsOf(m_context.ws), currentPortrait(), file, *m_context.ws.notifier);
        return read;
    });
    return read;
}

std::optional<ImportPreview> PortraitPage::previewRaw(const QString& path) const {
    const std::string file = path.toUtf8().toStdString();
    if (!morvi::isRawPortraitPath(file)) return std::nullopt;
    const morvi::PortraitPairPreview read = morvi::previewPortraitRaw(portraitsOf(m_context.ws), currentPortrait(), file);
    const morvi::IndexedImage& backdrop = m_context.ws.backgrounds.smallBackdrop;
    // As large as the chooser's preview of a picture file (the small backdrop), the portrait in
    // its corner as a picture file of it would show.
    constexpr int side = 128;
    ImportPreview out;
    out.picture.resize(side, side);
    if (!read.ok) {
        morvi::drawImage(backdrop, out.picture, nullptr, side, side);
        out.sizeText = QString::fromStdString(read.error);
        return out;
    }
    morvi::drawImage(read.picture, out.picture, &backdrop, side, side);
    out.sizeText = QStringLiteral("Portrait file, %1x%1").arg(morvi::kPortraitSide);
    out.colorsText = read.hasPalette ? QStringLiteral("16 colors from its .pal file") : QStringLiteral("no .pal file: the current colours");
    return out;
}

void PortraitPage::exportImage() {
    const int index = currentPortrait();
    transfers().runExport(QStringLiteral("Export portrait"), QString::fromLatin1(morvi::kPortraitNames[std::size_t(index)]), true,
                          [this, index](const std::string& path, morvi::ExportFileType type) {
                              const bool written = morvi::exportPortrait(portraitsOf(m_context.ws), index, path, type, *m_context.ws.notifier);
                              // The raw pair reports its own failure ("Error saving portrait data").
                              return written || type == morvi::ExportFileType::Raw;
                          });
}


} // namespace morvi::ui
