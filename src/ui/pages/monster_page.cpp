#include "ui/pages/monster_page.h"

#include <QIcon>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "family/workspace.h"
#include "image/canvas.h"
#include "monsters/monster_module.h"

namespace morvi::ui {

namespace {

constexpr int kEsperListLength = 30;
constexpr int kSkippedEsperEntry = 400;
constexpr int kCopyListLength = morvi::kFirstEsper + morvi::kEsperCount; // entries 0 to 410

} // namespace

MonsterPage::MonsterPage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::monsterFamily(), QSize(128, 128), QStringLiteral("Preview"), &morvi::Settings::tab1Mag}, parent) {
    buildControls();
    setPreviewFollowsPicture(true);
    transfers().setImportTitle([this] {
        return m_list == MonsterList::Espers ? QStringLiteral("Import Esper") : QStringLiteral("Import Monster");
    });
    {
        QSignalBlocker a(m_widgets.paletteList), b(m_sizeList), c(m_colorList);
        for (int n = 0; n < morvi::kMonsterPaletteCount; ++n) m_widgets.paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
        m_sizeList->addItems({QStringLiteral("64x64"), QStringLiteral("128x128")});
        m_colorList->addItems({QStringLiteral("8 Colors"), QStringLiteral("16 Colors")});
    }
    refillEntryList();
    refillRecordList();
    select();
}

void MonsterPage::buildControls() {
    m_recordList = columns().addList(QStringLiteral("Record"), QStringLiteral("Graphics record"));
    m_recordList->setBaseToolTip(QStringLiteral("The graphics record (tile data) this entry draws"));
    m_widgets.paletteList = columns().addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_sizeList = columns().addList(QStringLiteral("Size"), QStringLiteral("Size"));
    m_colorList = columns().addList(QStringLiteral("Colours"), QStringLiteral("Colours"));
    m_sharing = new QLabel(this);
    m_sharing->setWordWrap(true);
    m_sharing->setAccessibleName(QStringLiteral("Sharing"));
    columns().left()->addWidget(m_sharing);
    columns().left()->addStretch(1);

    m_mold = new QLabel(QStringLiteral("Mold: 0"), this);
    columns().info()->addWidget(m_mold);
    auto* space = new QHBoxLayout;
    m_spaceIcon = new QLabel(this);
    m_spaceIcon->setFixedSize(20, 20);
    m_freeSpace = new QLabel(QStringLiteral("Free Space:"), this);
    space->addWidget(m_spaceIcon);
    space->addWidget(m_freeSpace, 1);
    columns().info()->addLayout(space);
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
        columns().info()->addLayout(row);
        return bar;
    };
    m_graphicsMeter = meter(QStringLiteral("Graphics"), QStringLiteral("Graphics space"));
    m_moldMeter = meter(QStringLiteral("Molds"), QStringLiteral("Mold space"));

    m_widgets.importButton = columns().addButton(QStringLiteral("Import Image"), [this] { importImage(); });
    m_widgets.copyButton = columns().addButton(QStringLiteral("Copy Image"), [this] { openCopyDialog(); });
    m_widgets.clearButton = columns().addButton(QStringLiteral("Clear Image"), [this] { clearImage(); });
    m_newImage = columns().addButton(QStringLiteral("New Image"), [this] { newImage(); });

    connect(m_widgets.pictureList, &QComboBox::currentIndexChanged, this, [this] { select(); });
    connect(m_recordList, &QComboBox::currentIndexChanged, this, [this](int slot) {
        edit(QStringLiteral("Graphics record"), [&] { return morvi::useRecord(monstersOf(m_context.ws), entry(), slot); });
        refillRecordList();
        redrawPage();
    });
    connect(m_widgets.paletteList, &QComboBox::currentIndexChanged, this, [this](int n) {
        edit(QStringLiteral("Palette"), [&] {
            if (n < 0 || n == entry().paletteNumber) return false;
            morvi::setEntryPalette(monstersOf(m_context.ws), entry(), n);
            return true;
        });
    });
    connect(m_sizeList, &QComboBox::currentIndexChanged, this, [this](int large) {
        edit(QStringLiteral("Size"), [&] {
            if (large < 0 || large == entry().large) return false;
            morvi::setEntrySize(monstersOf(m_context.ws), entry(), large);
            return true;
        });
    });
    connect(m_colorList, &QComboBox::currentIndexChanged, this, [this](int position) {
        const int colors = position == 1 ? 16 : 8;
        edit(QStringLiteral("Colours"), [&] {
            if (position < 0 || colors == entry().colorCount) return false;
            morvi::setEntryDepth(monstersOf(m_context.ws), entry(), colors);
            return true;
        });
        palette().updateControls();
    });
}

int MonsterPage::entryAt(MonsterList list, int position) {
    if (list == MonsterList::Monsters) return position;
    const int e = morvi::kFirstEsper + position;
    return e >= kSkippedEsperEntry ? e + 1 : e;
}

int MonsterPage::positionOf(MonsterList list, int entry) {
    if (list == MonsterList::Monsters) return entry >= 0 && entry < morvi::kMonsterCount ? entry : -1;
    if (entry < morvi::kFirstEsper || entry == kSkippedEsperEntry || entry >= morvi::kMonsterEntryCount) return -1;
    return entry - morvi::kFirstEsper - (entry > kSkippedEsperEntry ? 1 : 0);
}

MonsterList MonsterPage::listOf(int entry) {
    return positionOf(MonsterList::Espers, entry) >= 0 ? MonsterList::Espers : MonsterList::Monsters;
}

void MonsterPage::dataRestored() {
    Page::dataRestored();
    refillRecordList();
    redrawPage();
}

void MonsterPage::showPicture(int e) {
    const int position = positionOf(m_list, e);
    if (position < 0) return;
    if (m_widgets.pictureList->currentIndex() == position) {
        source().show(e);
        redrawPage();
    } else {
        m_widgets.pictureList->setCurrentIndex(position);
    }
}

void MonsterPage::refillEntryList() {
    QSignalBlocker quiet(m_widgets.pictureList);
    m_widgets.pictureList->clear();
    const int count = m_list == MonsterList::Monsters ? morvi::kMonsterCount : kEsperListLength;
    for (int i = 0; i < count; ++i)
        m_widgets.pictureList->addItem(QString::fromStdString(monstersOf(m_context.ws).entries[std::size_t(entryAt(m_list, i))].name));
    m_widgets.pictureList->setCurrentIndex(0);
}

void MonsterPage::refillRecordList() {
    const auto& mg = monstersOf(m_context.ws);
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

void MonsterPage::showList(MonsterList list) {
    m_list = list;
    refillEntryList();
    select();
}

void MonsterPage::reloaded() {
    // The data was read again: nothing of the old entry is left to commit.
    monsters().saved();
    refillEntryList();
    refillRecordList();
    select();
}

void MonsterPage::select() {
    selecting().deselect(); // the selection lives on the entry that was shown
    // Entries sharing the left entry's record or palette show its edit.
    source().show(entryAt(m_list, std::max(0, m_widgets.pictureList->currentIndex())));
    palette().updateControls();
    redrawPage();
}

void MonsterPage::paintOwn() {
    renderPreview(editor().shown(), QSize(128, 128));
    updateTexts();
}

void MonsterPage::updateTexts() {
    const morvi::MonsterEntry& e = entry();
    m_mold->setText(QStringLiteral("Mold: %1").arg(e.moldNumber));
    {
        QSignalBlocker a(m_sizeList), b(m_colorList), p(m_widgets.paletteList), r(m_recordList);
        m_sizeList->setCurrentIndex(e.large ? 1 : 0);
        m_colorList->setCurrentIndex(e.colorCount == 16 ? 1 : 0);
        m_widgets.paletteList->setCurrentIndex(e.paletteNumber);
        m_recordList->setCurrentIndex(e.recordIndex);
    }
    const int free = morvi::freeSpace(monstersOf(m_context.ws));
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
    const morvi::SpaceUse use = morvi::spaceUse(monstersOf(m_context.ws));
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
    const auto& mg = monstersOf(m_context.ws);
    const auto palette = morvi::entriesSharingPalette(mg, currentEntry());
    const auto record = morvi::entriesSharingRecord(mg, currentEntry());
    m_sharing->setText(QStringLiteral("Palette: %1\nRecord: %2")
                           .arg(palette.empty() ? QStringLiteral("not shared") : QStringLiteral("shared with ") + others(int(palette.size())),
                                record.empty() ? QStringLiteral("not shared") : QStringLiteral("shared with ") + others(int(record.size()))));
    QString tip;
    if (!palette.empty()) tip += QStringLiteral("Palette also used by: ") + namesOf(mg, palette);
    if (!record.empty()) tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("Record also used by: ") + namesOf(mg, record);
    const QString shownTip = tip.isEmpty() ? QStringLiteral("Changes to this picture's colours and pixels stay with it") : tip;
    if (m_sharing->toolTip() != shownTip) m_sharing->setToolTip(shownTip);
}

void MonsterPage::newImage() {
    const bool made = edit(QStringLiteral("New Image"), [&] { return morvi::newEntryImage(monstersOf(m_context.ws), entry()); });
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
    QStringList names;
    for (int e = 0; e < kCopyListLength; ++e) names << QString::fromStdString(monstersOf(m_context.ws).entries[std::size_t(e)].name);
    transfers().runCopyList(QStringLiteral("Copy monster image"), names, [this](int row) {
        if (row < 0 || row >= kCopyListLength) return;
        edit(QStringLiteral("Copy"), [&] {
            const morvi::MonsterEntry& source = monstersOf(m_context.ws).entries[std::size_t(row)];
            if (source.recordIndex == entry().recordIndex) return false;
            morvi::copyEntry(monstersOf(m_context.ws), entry(), source);
            return true;
        });
    });
}

QString MonsterPage::clearQuestion() const { return QStringLiteral("This will erase the current monster's picture"); }
void MonsterPage::exportImage() {
    const int index = currentEntry();
    transfers().runExport(QStringLiteral("Export monster"), QString::fromStdString(entry().name), false,
              [this, index](const std::string& path, morvi::ExportFileType type) {
                  return morvi::exportMonsterEntry(monstersOf(m_context.ws), index, path, type);
              });
}

void MonsterPage::afterSave() {
    // The save may have dropped unused records and renumbered the others.
    refillRecordList();
    redrawPage();
}

} // namespace morvi::ui
