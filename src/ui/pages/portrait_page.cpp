#include "ui/pages/portrait_page.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/picture_transfer.h"
#include "app/workspace.h"
#include "image/canvas.h"

namespace morvi::ui {

PortraitPage::PortraitPage(EditorContext& context, QWidget* parent)
    : PictureTab(context, parent, morvi::kPortraitSide, morvi::kPortraitSide, QStringLiteral("Preview"),
                 &morvi::Settings::tab3Mag) {
    m_paletteList = addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_paletteList->setToolTip(QStringLiteral("Portraits with the same palette number share their colours"));
    m_sharing = new QLabel(this);
    m_sharing->setWordWrap(true);
    m_sharing->setAccessibleName(QStringLiteral("Sharing"));
    leftColumn()->addWidget(m_sharing);
    leftColumn()->addStretch(1);
    m_importButton = addButton(QStringLiteral("Import Image"), [this] { importImage(); });
    m_copyButton = addButton(QStringLiteral("Copy Image"), [this] { openCopyDialog(); });
    m_clearButton = addButton(QStringLiteral("Clear Image"), [this] { clearImage(); });

    connect(pictureList(), &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        deselect(); // the selection lives on the portrait that was shown
        m_portrait = index;
        redrawPage();
    });
    connect(m_paletteList, &QComboBox::currentIndexChanged, this, [this](int n) {
        edit(QStringLiteral("Palette"), [&] {
            if (n < 0 || n == portrait().paletteNumber) return false;
            morvi::setPortraitPalette(ws().portraits, portrait(), n);
            return true;
        });
    });
}

morvi::PortraitRecord& PortraitPage::portrait() const { return ws().portraits.portraits[std::size_t(m_portrait)]; }

void PortraitPage::romLoaded() {
    m_loaded = true;
    {
        QSignalBlocker a(pictureList()), b(m_paletteList);
        pictureList()->clear();
        for (const char* name : morvi::kPortraitNames) pictureList()->addItem(QString::fromLatin1(name));
        pictureList()->setCurrentIndex(0);
        m_paletteList->clear();
        for (int n = 0; n < morvi::kPortraitCount; ++n) m_paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
    }
    m_portrait = 0;
    m_currentColor = 0;
    updateColorControls();
    magnification()->setValue(ws().settings.tab3Mag);
    redrawPage();
}

void PortraitPage::paint() {
    if (!m_loaded) return;
    const morvi::PortraitRecord& p = portrait();
    updateScrollRanges();
    renderPreview(p.image, morvi::kPortraitSide, morvi::kPortraitSide);
    renderCanvas(p.image, morvi::GridClip::SquareExtent);
    paintPalette();
    QSignalBlocker quiet(m_paletteList);
    m_paletteList->setCurrentIndex(p.paletteNumber);
    const auto sharing = morvi::portraitsSharingPalette(ws().portraits, m_portrait);
    QStringList names;
    for (int i : sharing) names << QString::fromLatin1(morvi::kPortraitNames[std::size_t(i)]);
    m_sharing->setText(sharing.empty() ? QStringLiteral("Palette: not shared")
                                       : QStringLiteral("Palette: shared with %1").arg(sharing.size() == 1 ? QStringLiteral("1 other")
                                                                                                          : QStringLiteral("%1 others").arg(sharing.size())));
    m_sharing->setToolTip(sharing.empty() ? QStringLiteral("Colour changes stay with this portrait")
                                          : QStringLiteral("Palette also used by: ") + names.join(QStringLiteral(", ")));
}

const morvi::IndexedImage* PortraitPage::editedPicture() const {
    return m_loaded && portrait().image.hasPixels() ? &portrait().image : nullptr;
}

bool PortraitPage::writePixels(std::span<const morvi::PixelWrite> writes) {
    return morvi::setPortraitPixels(portrait(), writes) > 0;
}

morvi::PaletteColor* PortraitPage::paletteEntry(int k) {
    return k >= 0 && k < 16 ? &ws().portraits.color(portrait().paletteNumber, k) : nullptr;
}

void PortraitPage::paletteEdited() {
    for (auto& record : ws().portraits.portraits) morvi::reloadPortraitPalette(ws().portraits, record);
}

void PortraitPage::swapWithTransparent(int k) { morvi::swapPortraitColor(ws().portraits, portrait(), k); }

void PortraitPage::openCopyDialog() {
    if (!m_loaded) return;
    QStringList names;
    for (const char* name : morvi::kPortraitNames) names << QString::fromLatin1(name);
    runCopyList(QStringLiteral("Copy portrait image"), names, [this](int row) {
        edit(QStringLiteral("Copy"), [&] {
            if (row < 0 || row >= morvi::kPortraitCount || row == m_portrait) return false;
            morvi::copyPortrait(ws().portraits, m_portrait, row);
            return true;
        });
    });
}

QString PortraitPage::clearQuestion() const { return QStringLiteral("This will erase the current portrait"); }
void PortraitPage::clearPicture() { morvi::clearPortrait(portrait()); }
void PortraitPage::flipPicture(int vertical) { morvi::flipPortrait(portrait(), vertical); }

PictureTab::ImportLimits PortraitPage::importLimits() const {
    return {morvi::kPortraitSide, morvi::kPortraitSide, false};
}

QString PortraitPage::importTitle() const { return QStringLiteral("Import Portrait"); }

QStringList PortraitPage::importFilters() const {
    return {fileFilter(QStringLiteral("Supported images formats (*.png, *.bmp, *.pcx)"),
                       QStringLiteral("*.png *.bmp *.pcx *.PNG *.BMP *.PCX")),
            fileFilter(QStringLiteral("*.bin+*.pal"), QStringLiteral("*.bin *.BIN")),
            fileFilter(QStringLiteral("All files (*.*)"), QStringLiteral("*"))};
}

std::vector<morvi::PaletteColor> PortraitPage::currentPalette() const {
    std::vector<morvi::PaletteColor> colors;
    for (int c = 0; c < 16; ++c) colors.push_back(ws().portraits.color(portrait().paletteNumber, c));
    return colors;
}

void PortraitPage::importPicture(const morvi::IndexedImage& image) {
    edit(QStringLiteral("Import"), [&] {
        morvi::importPortrait(ws().portraits, m_portrait, image);
        return true;
    });
}

bool PortraitPage::takeImportFile(const QString& path, bool keepPalette) {
    if (!m_loaded) return false;
    const std::string file = path.toUtf8().toStdString();
    if (!morvi::isRawPortraitPath(file)) return PictureTab::takeImportFile(path, keepPalette);
    bool read = false;
    edit(QStringLiteral("Import"), [&] {
        // Reports "Error opening file" itself and changes nothing on a bad pair.
        read = morvi::importPortraitRaw(ws().portraits, m_portrait, file, *ws().notifier);
        return read;
    });
    return read;
}

const morvi::IndexedImage& PortraitPage::clipboardPicture(int& width, int& height) const {
    width = height = morvi::kPortraitSide;
    return portrait().image;
}

void PortraitPage::exportImage() {
    if (!m_loaded) return;
    const int index = m_portrait;
    runExport(QStringLiteral("Export portrait"), QString::fromLatin1(morvi::kPortraitNames[std::size_t(index)]), true,
              [this, index](const std::string& path, morvi::ExportFileType type) {
                  const bool written = morvi::exportPortrait(ws().portraits, index, path, type, *ws().notifier);
                  // The raw pair reports its own failure ("Error saving portrait data").
                  return written || type == morvi::ExportFileType::Raw;
              });
}

void PortraitPage::addToSave(morvi::SaveRequest& request) { request.portraits = true; }

} // namespace morvi::ui
