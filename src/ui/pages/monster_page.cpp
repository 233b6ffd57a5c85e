#include "ui/pages/monster_page.h"

#include <QIcon>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/picture_transfer.h"
#include "app/workspace.h"
#include "image/canvas.h"

namespace morvi::ui {

namespace {

constexpr int kEsperListLength = 30;
constexpr int kSkippedEsperEntry = 400;
constexpr int kCopyListLength = morvi::kFirstEsper + morvi::kEsperCount; // entries 0 to 410

} // namespace

MonsterPage::MonsterPage(EditorContext& context, QWidget* parent)
    : PictureTab(context, parent, 128, 128, QStringLiteral("Preview"), &morvi::Settings::tab1Mag) {
    m_recordList = addList(QStringLiteral("Record"), QStringLiteral("Graphics record"));
    m_recordList->setBaseToolTip(QStringLiteral("The graphics record (tile data) this entry draws"));
    m_paletteList = addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_sizeList = addList(QStringLiteral("Size"), QStringLiteral("Size"));
    m_colorList = addList(QStringLiteral("Colours"), QStringLiteral("Colours"));
    m_sharing = new QLabel(this);
    m_sharing->setWordWrap(true);
    m_sharing->setAccessibleName(QStringLiteral("Sharing"));
    leftColumn()->addWidget(m_sharing);
    leftColumn()->addStretch(1);

    m_mold = new QLabel(QStringLiteral("Mold: 0"), this);
    infoColumn()->addWidget(m_mold);
    auto* space = new QHBoxLayout;
    m_spaceIcon = new QLabel(this);
    m_spaceIcon->setFixedSize(20, 20);
    m_freeSpace = new QLabel(QStringLiteral("Free Space:"), this);
    space->addWidget(m_spaceIcon);
    space->addWidget(m_freeSpace, 1);
    infoColumn()->addLayout(space);
    auto meter = [this](const QString& label, const QString& name) {
        auto* row = new QHBoxLayout;
        auto* text = new QLabel(label, this);
        auto* bar = new QProgressBar(this);
        bar->setMinimumWidth(40);
        bar->setTextVisible(false);
        bar->setFixedHeight(12);
        bar->setAccessibleName(name);
        row->addWidget(text);
        row->addWidget(bar, 1);
        infoColumn()->addLayout(row);
        return bar;
    };
    m_graphicsMeter = meter(QStringLiteral("Graphics"), QStringLiteral("Graphics space"));
    m_moldMeter = meter(QStringLiteral("Molds"), QStringLiteral("Mold space"));

    m_importButton = addButton(QStringLiteral("Import Image"), [this] { importImage(); });
    m_copyButton = addButton(QStringLiteral("Copy Image"), [this] { openCopyDialog(); });
    m_clearButton = addButton(QStringLiteral("Clear Image"), [this] { clearImage(); });
    m_newImage = addButton(QStringLiteral("New Image"), [this] { newImage(); });

    connect(pictureList(), &QComboBox::currentIndexChanged, this, [this] { select(); });
    connect(m_recordList, &QComboBox::currentIndexChanged, this, [this](int slot) {
        edit(QStringLiteral("Graphics record"), [&] { return morvi::useRecord(ws().monsters, entry(), slot); });
        refillRecordList();
        redrawPage();
    });
    connect(m_paletteList, &QComboBox::currentIndexChanged, this, [this](int n) {
        edit(QStringLiteral("Palette"), [&] {
            if (n < 0 || n == entry().paletteNumber) return false;
            morvi::setEntryPalette(ws().monsters, entry(), n);
            return true;
        });
    });
    connect(m_sizeList, &QComboBox::currentIndexChanged, this, [this](int large) {
        edit(QStringLiteral("Size"), [&] {
            if (large < 0 || large == entry().large) return false;
            morvi::setEntrySize(ws().monsters, entry(), large);
            return true;
        });
    });
    connect(m_colorList, &QComboBox::currentIndexChanged, this, [this](int position) {
        const int colors = position == 1 ? 16 : 8;
        edit(QStringLiteral("Colours"), [&] {
            if (position < 0 || colors == entry().colorCount) return false;
            morvi::setEntryDepth(ws().monsters, entry(), colors);
            return true;
        });
        if (m_currentColor >= entry().colorCount) setCurrentColor(0);
    });
}

int MonsterPage::entryAt(int family, int position) {
    if (family == kMonstersTab) return position;
    const int e = morvi::kFirstEsper + position;
    return e >= kSkippedEsperEntry ? e + 1 : e;
}

int MonsterPage::positionOf(int family, int entry) {
    if (family == kMonstersTab) return entry >= 0 && entry < morvi::kMonsterCount ? entry : -1;
    if (entry < morvi::kFirstEsper || entry == kSkippedEsperEntry || entry >= morvi::kMonsterEntryCount) return -1;
    return entry - morvi::kFirstEsper - (entry > kSkippedEsperEntry ? 1 : 0);
}

void MonsterPage::dataRestored() {
    if (!m_loaded) return;
    // Entries sharing a restored record or palette show it again.
    m_edited = false;
    morvi::redecodeEntries(ws().monsters);
    refillRecordList();
    if (m_currentColor >= colorCount()) m_currentColor = 0;
    updateColorControls();
    redrawPage();
}

void MonsterPage::showPicture(int e) {
    const int position = positionOf(m_family, e);
    if (position < 0) return;
    if (pictureList()->currentIndex() == position) {
        m_entry = e;
        redrawPage();
    } else {
        pictureList()->setCurrentIndex(position);
    }
}

morvi::MonsterEntry& MonsterPage::entry() const { return ws().monsters.entries[std::size_t(m_entry)]; }

QSize MonsterPage::magnifiedSize() const { return QSize(entry().side(), entry().side()); }

int MonsterPage::colorCount() const { return entry().colorCount == 8 ? 8 : 16; }

int MonsterPage::swatchWidth() const { return colorCount() == 8 ? 36 : 18; }

void MonsterPage::romLoaded() {
    m_loaded = true;
    tools()->setCurrent(Tool::Draw);
    canvas()->setTool(Tool::Draw);
    {
        QSignalBlocker a(m_paletteList), b(m_sizeList), c(m_colorList);
        m_paletteList->clear();
        for (int n = 0; n < morvi::kMonsterPaletteCount; ++n) m_paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
        m_sizeList->clear();
        m_sizeList->addItems({QStringLiteral("64x64"), QStringLiteral("128x128")});
        m_colorList->clear();
        m_colorList->addItems({QStringLiteral("8 Colors"), QStringLiteral("16 Colors")});
    }
    m_currentColor = 0;
    magnification()->setValue(ws().settings.tab1Mag);
    refillEntryList();
    refillRecordList();
    m_edited = false;
    select();
}

void MonsterPage::refillEntryList() {
    QSignalBlocker quiet(pictureList());
    pictureList()->clear();
    const int count = m_family == kMonstersTab ? morvi::kMonsterCount : kEsperListLength;
    for (int i = 0; i < count; ++i)
        pictureList()->addItem(QString::fromStdString(ws().monsters.entries[std::size_t(entryAt(m_family, i))].name));
    pictureList()->setCurrentIndex(0);
    m_entry = entryAt(m_family, 0);
}

void MonsterPage::refillRecordList() {
    const auto& mg = ws().monsters;
    std::vector<int> firstUser(morvi::kRecordSlotCount, -1);
    for (int e = kCopyListLength - 1; e >= 0; --e) {
        const int r = mg.entries[std::size_t(e)].recordIndex;
        if (r < morvi::kRecordSlotCount) firstUser[std::size_t(r)] = e;
    }
    QSignalBlocker quiet(m_recordList);
    m_recordList->clear();
    for (int n = 0; n < mg.recordCount && n < morvi::kRecordSlotCount; ++n) {
        QString text = QStringLiteral("Image %1").arg(n);
        if (firstUser[std::size_t(n)] >= 0)
            text += QStringLiteral(" - ") + QString::fromStdString(mg.entries[std::size_t(firstUser[std::size_t(n)])].name);
        m_recordList->addItem(text);
    }
    m_recordList->setCurrentIndex(entry().recordIndex);
}

void MonsterPage::selectFamily(int pageIndex) {
    m_family = pageIndex == kEspersTab ? kEspersTab : kMonstersTab;
    if (!m_loaded) return;
    refillEntryList();
    select();
}

void MonsterPage::redraw() {
    if (!m_loaded) return;
    m_edited = false; // the data was read again: nothing of the old entry is left to commit
    refillEntryList();
    refillRecordList();
    select();
}

void MonsterPage::select() {
    deselect(); // the selection lives on the entry that was shown
    auto& mg = ws().monsters;
    if (m_edited) {
        // Entries sharing the left entry's record or palette must show its edit.
        m_edited = false;
        morvi::commitEntry(mg, entry());
        morvi::redecodeEntries(mg);
    }
    m_entry = entryAt(m_family, std::max(0, pictureList()->currentIndex()));
    if (m_currentColor >= colorCount()) m_currentColor = 0;
    updateColorControls();
    redrawPage();
}

void MonsterPage::paint() {
    if (!m_loaded) return;
    const morvi::MonsterEntry& e = entry();
    updateScrollRanges();
    renderPreview(e.image, 128, 128);
    renderCanvas(e.image, morvi::GridClip::SquareExtent);
    paintPalette();
    updateTexts();
}

void MonsterPage::updateTexts() {
    const morvi::MonsterEntry& e = entry();
    m_mold->setText(QStringLiteral("Mold: %1").arg(e.moldNumber));
    {
        QSignalBlocker a(m_sizeList), b(m_colorList), p(m_paletteList), r(m_recordList);
        m_sizeList->setCurrentIndex(e.large ? 1 : 0);
        m_colorList->setCurrentIndex(e.colorCount == 16 ? 1 : 0);
        m_paletteList->setCurrentIndex(e.paletteNumber);
        m_recordList->setCurrentIndex(e.recordIndex);
    }
    const int free = morvi::freeSpace(ws().monsters);
    m_over = free < 0;
    if (!m_spaceIcon->property("over").isValid() || m_spaceIcon->property("over").toBool() != m_over) {
        // Through QIcon, which takes the @2x picture on a screen scaled by 2.
        m_spaceIcon->setPixmap(QIcon(m_over ? QStringLiteral(":/art/space-over.png") : QStringLiteral(":/art/space-ok.png"))
                                   .pixmap(QSize(20, 20), m_spaceIcon->devicePixelRatioF()));
        m_spaceIcon->setToolTip(m_over ? QStringLiteral("Not enough room: the ROM cannot be saved like this")
                                       : QStringLiteral("The pictures fit into the ROM"));
        m_spaceIcon->setProperty("over", m_over);
    }
    m_freeSpace->setText(QStringLiteral("Free Space: %1").arg(free));
    updateMeters();
    updateSharing();
}

namespace {

void showMeter(QProgressBar* bar, int used, int limit, const QString& tip) {
    const bool over = used > limit;
    if (bar->maximum() != std::max(1, limit)) bar->setRange(0, std::max(1, limit));
    bar->setValue(std::clamp(used, 0, std::max(1, limit)));
    // Restyling is slow: only when the state changes, not on every paint of a stroke.
    if (!bar->property("over").isValid() || bar->property("over").toBool() != over) {
        bar->setStyleSheet(over ? QStringLiteral("QProgressBar::chunk { background: #d03030; }") : QString());
        bar->setProperty("over", over);
    }
    if (bar->toolTip() != tip) {
        bar->setToolTip(tip);
        bar->setAccessibleDescription(tip);
    }
}

QString namesOf(const morvi::MonsterGraphics& mg, const std::vector<int>& entries) {
    QStringList names;
    for (int e : entries) {
        const QString name = QString::fromStdString(mg.entries[std::size_t(e)].name);
        names << (name.isEmpty() ? QStringLiteral("entry %1").arg(e) : name);
    }
    return names.join(QStringLiteral(", "));
}

QString others(int n) { return n == 1 ? QStringLiteral("1 other") : QStringLiteral("%1 others").arg(n); }

} // namespace

void MonsterPage::updateMeters() {
    const morvi::SpaceUse use = morvi::spaceUse(ws().monsters);
    showMeter(m_graphicsMeter, use.graphicsUsed, use.graphicsLimit,
              QStringLiteral("Graphics region: %1 of %2 bytes used at the next save%3")
                  .arg(use.graphicsUsed)
                  .arg(use.graphicsLimit)
                  .arg(use.graphicsUsed > use.graphicsLimit ? QStringLiteral(": too much, the save will be refused")
                                                            : QString()));
    showMeter(m_moldMeter, use.moldUsed, use.moldLimit,
              QStringLiteral("Mold area: %1 of %2 bytes used at the next save%3")
                  .arg(use.moldUsed)
                  .arg(use.moldLimit)
                  .arg(use.moldUsed > use.moldLimit ? QStringLiteral(": too much, the save will be refused") : QString()));
}

void MonsterPage::updateSharing() {
    const auto& mg = ws().monsters;
    const auto palette = morvi::entriesSharingPalette(mg, m_entry);
    const auto record = morvi::entriesSharingRecord(mg, m_entry);
    m_sharing->setText(QStringLiteral("Palette: %1\nRecord: %2")
                           .arg(palette.empty() ? QStringLiteral("not shared") : QStringLiteral("shared with ") + others(int(palette.size())),
                                record.empty() ? QStringLiteral("not shared") : QStringLiteral("shared with ") + others(int(record.size()))));
    QString tip;
    if (!palette.empty()) tip += QStringLiteral("Palette also used by: ") + namesOf(mg, palette);
    if (!record.empty()) tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("Record also used by: ") + namesOf(mg, record);
    const QString shownTip = tip.isEmpty() ? QStringLiteral("Changes to this picture's colours and pixels stay with it") : tip;
    if (m_sharing->toolTip() != shownTip) m_sharing->setToolTip(shownTip);
}

const morvi::IndexedImage* MonsterPage::editedPicture() const {
    return m_loaded && entry().image.hasPixels() ? &entry().image : nullptr;
}

bool MonsterPage::writePixels(std::span<const morvi::PixelWrite> writes) {
    return morvi::setEntryPixels(ws().monsters, entry(), writes) > 0;
}

morvi::PaletteColor* MonsterPage::paletteEntry(int k) {
    const std::int64_t at = std::int64_t(entry().paletteNumber) * 8 + k;
    if (k < 0 || k >= colorCount() || at < 0 || at >= morvi::kMonsterPaletteColors) return nullptr;
    return &ws().monsters.palettes[std::size_t(at)];
}

void MonsterPage::paletteEdited() { morvi::setEntryPalette(ws().monsters, entry(), entry().paletteNumber); }

void MonsterPage::swapWithTransparent(int k) {
    morvi::makeTransparent(ws().monsters, entry(), k);
    morvi::commitEntry(ws().monsters, entry());
}

void MonsterPage::newImage() {
    if (!m_loaded) return;
    const bool made = edit(QStringLiteral("New Image"), [&] { return morvi::newEntryImage(ws().monsters, entry()); });
    if (!made) {
        m_context.prompts.message(QStringLiteral("All %1 graphics records are in use: no new image can be made. "
                                                 "Give another entry's record to this one instead.")
                                      .arg(morvi::kRecordSlotCount),
                                  Icon::Warning);
        return;
    }
    refillRecordList();
    redrawPage();
}

void MonsterPage::openCopyDialog() {
    if (!m_loaded) return;
    QStringList names;
    for (int e = 0; e < kCopyListLength; ++e) names << QString::fromStdString(ws().monsters.entries[std::size_t(e)].name);
    runCopyList(QStringLiteral("Copy monster image"), names, [this](int row) {
        if (row < 0 || row >= kCopyListLength) return;
        edit(QStringLiteral("Copy"), [&] {
            const morvi::MonsterEntry& source = ws().monsters.entries[std::size_t(row)];
            if (source.recordIndex == entry().recordIndex) return false;
            morvi::copyEntry(ws().monsters, entry(), source);
            return true;
        });
    });
}

QString MonsterPage::clearQuestion() const { return QStringLiteral("This will erase the current monster's picture"); }
void MonsterPage::clearPicture() { morvi::blankEntry(ws().monsters, entry()); }
void MonsterPage::flipPicture(int vertical) { morvi::flipEntry(ws().monsters, entry(), vertical); }

PictureTab::ImportLimits MonsterPage::importLimits() const {
    return {morvi::kMonsterImportSide, morvi::kMonsterImportSide, true};
}

QString MonsterPage::importTitle() const {
    return m_family == kEspersTab ? QStringLiteral("Import Esper") : QStringLiteral("Import Monster");
}

std::vector<morvi::PaletteColor> MonsterPage::currentPalette() const {
    std::vector<morvi::PaletteColor> colors;
    for (int c = 0; c < colorCount(); ++c)
        colors.push_back(ws().monsters.paletteColor(std::int64_t(entry().paletteNumber) * 8 + c));
    return colors;
}

void MonsterPage::importPicture(const morvi::IndexedImage& image) {
    // An import keeps the entry's record: the record list stays as it is.
    edit(QStringLiteral("Import"), [&] {
        morvi::importMonsterEntry(ws().monsters, m_entry, image);
        return true;
    });
}

const morvi::IndexedImage& MonsterPage::clipboardPicture(int& width, int& height) const {
    const morvi::Extent used = morvi::usedExtent(ws().monsters, entry());
    width = used.width;
    height = used.height;
    return entry().image;
}

void MonsterPage::exportImage() {
    if (!m_loaded) return;
    const int index = m_entry;
    runExport(QStringLiteral("Export monster"), QString::fromStdString(entry().name), false,
              [this, index](const std::string& path, morvi::ExportFileType type) {
                  return morvi::exportMonsterEntry(ws().monsters, index, path, type);
              });
}

void MonsterPage::addToSave(morvi::SaveRequest& request) {
    // The save commits the entry shown.
    m_edited = false;
    request.monsters = true;
    request.currentEntry = m_entry;
}

void MonsterPage::afterSave() {
    // The save may have dropped unused records and renumbered the others.
    refillRecordList();
    redrawPage();
}

} // namespace morvi::ui
