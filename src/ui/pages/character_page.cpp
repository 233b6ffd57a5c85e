#include "ui/pages/character_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSlider>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "family/workspace.h"
#include "image/canvas.h"
#include "app/animation_export.h"
#include "ui/dialogs/dialogs.h"
#include "ui/pages/character_palette_box.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/views.h"
#include "characters/character_module.h"

namespace morvi::ui {

namespace {

QString characterName(int n) { return QString::fromLatin1(morvi::kCharacterNames[std::size_t(n)]); }

// The width of the lists at the top of the column, and of the column at least.
constexpr int kListColumnWidth = 214;

} // namespace

QString poseTitle(int pose) { return QStringLiteral("%1 %2").arg(pose).arg(QString::fromLatin1(morvi::poseName(pose))); }

CharacterPage::CharacterPage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::characterFamily(), QSize(morvi::kSheetWidth, morvi::kFullSheetHeight), QStringLiteral("Sprite sheet"),
                     &morvi::Settings::tab4Mag},
           parent) {
    editor().setGridClip(morvi::GridClip::SpriteExtent);
    m_widgets.paletteList = columns().addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_paletteBox = new CharacterPaletteBox(m_widgets.paletteList, context.ws, *this, [this] { return currentCharacter(); });
    // Others on the new palette, and this one, show its colours.
    connect(m_paletteBox, &CharacterPaletteBox::chosen, this, [this] { palette().updateControls(); });
    m_battleNote = new QLabel(this);
    m_battleNote->setWordWrap(true);
    m_battleNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Four lines are kept for it whatever it says, so that the controls under it stay put.
    m_battleNote->setFixedHeight(4 * m_battleNote->fontMetrics().lineSpacing());
    m_battleNote->setAccessibleName(QStringLiteral("Battle colours"));
    m_battleNote->setToolTip(QStringLiteral("In battle the game shows only colours 0 to 11 of a character's palette; "
                                            "colours 12 to 15 take the battle's own colours there"));
    columns().left()->addWidget(m_battleNote);
    m_animation = new AnimationPanel(
        context.ws,
        [this] {
            return AnimationPanel::Showing{&characters().character(), selectedSprite(), &editor().shown()};
        },
        this);
    layOutAnimationPanel(columns().left(), m_widgets.preview, *m_animation, true);
    columns().left()->addStretch(1);
    fitLeftColumn();
    connect(m_animation, &AnimationPanel::onionChanged, this, [this] {
        updateOnion();
        editor().render();
        emit commandsChanged();
    });
    // A stroke shows in the animation as it is drawn.
    connect(&editor(), &CanvasEditor::previewChanged, m_animation, &AnimationPanel::redraw);
    m_widgets.preview->setCursor(Qt::PointingHandCursor);
    m_widgets.preview->setMouseTracking(true);
    m_widgets.preview->setToolTip(QStringLiteral("Click a pose to edit it"));
    m_widgets.strip->setBand(morvi::kFirstFieldOnlyColor, 15, QStringLiteral("field only"),
                     QStringLiteral("Colours 12 to 15 show on the field map only: in battle the game puts its own "
                                    "colours there, so a battle pose drawn with them looks wrong"));
    m_widgets.importButton = columns().addButton(QStringLiteral("Import Sprites"), [this] { importImage(); });
    m_widgets.copyButton = columns().addButton(QStringLiteral("Copy Sprite"), [this] { startCopy(); });
    m_widgets.clearButton = columns().addButton(QStringLiteral("Clear Sprite"), [this] { clearImage(); });
    transfers().setImportTitle([] { return QStringLiteral("Import Character sprites"); });
    transfers().setImportFilters({imageFilesFilter(), fileFilter(QStringLiteral("Sprite files (*.bin+*.pal)"), QStringLiteral("*.bin *.BIN")),
                                  allFilesFilter()});
    transfers().setOwnImport([this](const QString& path) { return importTileFile(path); });
    transfers().setOwnPreview([this](const QString& path) { return previewTileFile(path); });
    {
        QSignalBlocker a(m_widgets.pictureList);
        for (const char* name : morvi::kCharacterNames) m_widgets.pictureList->addItem(QString::fromLatin1(name));
        m_widgets.pictureList->setCurrentIndex(0);
    }
    connect(m_widgets.pictureList, &QComboBox::currentIndexChanged, this, [this](int index) {
        selecting().deselect(); // the selection lives on the sprite that was shown
        if (index >= 0) selectCharacter(index);
    });
    connect(m_widgets.preview, &SurfaceView::pressed, this, &CharacterPage::sheetClicked);
    connect(m_widgets.preview, &SurfaceView::hovered, this, &CharacterPage::sheetHovered);
    connect(m_widgets.preview, &SurfaceView::left, this, [this] { emit noteShown(QString()); });
    connect(this, &Page::pointerMoved, this, [this](QPoint at) { showSharedTile(tileUnder(at)); });
    connect(this, &Page::pointerLeft, this, [this] { showSharedTile(-1); });
    selectCharacter(0);
}

void CharacterPage::resizeEvent(QResizeEvent* event) {
    Page::resizeEvent(event);
    fitLeftColumn();
}

void CharacterPage::fitLeftColumn() {
    // The sheet and the animation grow together by whole steps, while the canvas keeps at least
    // the room they take and the column fits the page's height. The column's width follows the
    // scale only, never what its texts say.
    const int side = m_animation->view()->surface().width;
    auto columnWidth = [&](int scale) { return std::max(kListColumnWidth, (morvi::kSheetWidth + side) * scale + 6); };
    const int others = columns().left()->minimumSize().height() - m_widgets.preview->height();
    int scale = 1;
    while (scale < 4 && 2 * columnWidth(scale + 1) <= width() - 200 && others + morvi::kFullSheetHeight * (scale + 1) <= height() - 16)
        ++scale;
    if (scale != m_widgets.preview->scale()) {
        m_widgets.preview->setScale(scale);
        m_animation->view()->setScale(scale);
    }
    m_battleNote->setFixedWidth(columnWidth(scale));
}

void CharacterPage::beforeRender() { updateOnion(); }

void CharacterPage::updateOnion() {
    std::vector<morvi::OnionLayer> layers;
    const morvi::CharacterSprites& ch = characters().character();
    if (m_animation->onionOn()) {
        const morvi::OnionNeighbours n = morvi::onionNeighbours(m_animation->frames(), selectedSprite(), ch);
        const morvi::PoseSize size = morvi::poseSize(selectedSprite());
        // Reddish before, bluish after, as in other editors.
        const std::pair<const std::optional<morvi::AnimationFrame>*, morvi::PaletteColor> sides[] = {
            {&n.previous, morvi::makeColor(255, 40, 40)}, {&n.next, morvi::makeColor(40, 90, 255)}};
        for (std::size_t k = 0; k < 2; ++k) {
            if (!*sides[k].first) continue;
            const morvi::AnimationFrame f = **sides[k].first;
            m_onionImages[k] = morvi::renderPose(ch, f, false);
            // Both stand on the same ground, centred.
            layers.push_back({&m_onionImages[k], (size.width - m_onionImages[k].width) / 2, size.height - m_onionImages[k].height,
                              sides[k].second, m_animation->onionOpacity()});
        }
    }
    editor().setOnion(std::move(layers));
}

void CharacterPage::selectCharacter(int index) {
    source().show(index);
    if (!characters().character().hasPose(selectedSprite())) characters().showSprite(0);
    morvi::rebuildSprites(charactersOf(m_context.ws), characters().character());
    palette().updateControls();
    redrawPage();
}

QString CharacterPage::poseDescription(int pose) const {
    if (pose < 0) return QString();
    QString text = poseTitle(pose);
    if (!characters().character().hasPose(pose))
        return text + QStringLiteral(": %1 has no riding tiles").arg(characterName(currentCharacter()));
    if (morvi::poseHasMirroredFeet(pose)) text += QStringLiteral(" (the game draws its bottom 8 rows mirrored)");
    return text;
}

void CharacterPage::sheetHovered(QPoint at) {
    const int pose = morvi::poseAtSheet(at.x(), at.y());
    const QString text = pose < 0 ? QStringLiteral("Click a pose to edit it") : poseDescription(pose);
    m_widgets.preview->setToolTip(text);
    emit noteShown(pose < 0 ? QString() : text);
}

void CharacterPage::sheetClicked(QPoint at) {
    // Between the poses or beside the sheet there is none: keep the current one.
    const int pose = morvi::poseAtSheet(at.x(), at.y());
    if (pose < 0) return;
    if (!characters().character().hasPose(pose)) {
        emit noteShown(poseDescription(pose));
        return;
    }
    selecting().deselect();
    characters().showSprite(pose);
    redrawPage();
}

int CharacterPage::tileUnder(QPoint at) const {
    const int pose = selectedSprite();
    const morvi::PoseSize size = morvi::poseSize(pose);
    if (at.x() < 0 || at.y() < 0 || at.x() >= size.width || at.y() >= size.height) return -1;
    return charactersOf(m_context.ws).cells(pose).tile(at.x() / 8, at.y() / 8);
}

QString CharacterPage::pointerNote(QPoint at) const {
    const int tile = tileUnder(at);
    if (tile < 0) return QString();
    QStringList poses;
    for (int pose : charactersOf(m_context.ws).posesUsingTile(characters().character(), tile)) poses << QString::number(pose);
    return QStringLiteral("%1 · tile %2: poses %3")
        .arg(QString::fromLatin1(morvi::poseName(selectedSprite())),
             QString::number(tile, 16).toUpper().rightJustified(2, QLatin1Char('0')), poses.join(QStringLiteral(", ")));
}

void CharacterPage::showSharedTile(int tile) {
    if (tile == m_sharedTile) return;
    m_sharedTile = tile;
    paintOwn();
}

void CharacterPage::paintOwn() {
    const morvi::CharacterSprites& ch = characters().character();
    renderPreview(morvi::buildSpriteSheet(ch, morvi::SheetOptions{selectedSprite(), true, true}),
                  QSize(morvi::kSheetWidth, morvi::kFullSheetHeight));
    // Every pose that shows the tile under the pointer, outlined: a pixel painted there changes
    // all of them.
    if (m_sharedTile >= 0) {
        morvi::Surface& s = m_widgets.preview->surface();
        const std::uint32_t mark = morvi::rgb32(255, 208, 0);
        for (int pose : charactersOf(m_context.ws).posesUsingTile(ch, m_sharedTile)) {
            const morvi::SheetSpot at = morvi::sheetSpot(pose);
            const morvi::PoseSize size = morvi::poseSize(pose);
            for (int x = at.x; x < at.x + size.width; ++x) {
                s.set(x, at.y, mark);
                s.set(x, at.y + size.height - 1, mark);
            }
            for (int y = at.y; y < at.y + size.height; ++y) {
                s.set(at.x, y, mark);
                s.set(at.x + size.width - 1, y, mark);
            }
        }
        m_widgets.preview->update();
    }
    m_paletteBox->show();
    showBattleColours();
    m_animation->redraw();
}

void CharacterPage::showBattleColours() {
    const auto uses = morvi::fieldOnlyColorUse(characters().character());
    if (uses.empty()) {
        m_battleNote->setText(QStringLiteral("Battle poses: colours 0 to 11 only"));
        return;
    }
    int total = 0;
    QStringList poses;
    for (const morvi::FieldOnlyUse& use : uses) {
        total += use.pixels;
        poses << QStringLiteral("%1 (%2)").arg(use.pose).arg(use.pixels);
    }
    m_battleNote->setText(QStringLiteral("Colours 12-15 in battle poses: %1 pixels, in poses %2").arg(total).arg(poses.join(QStringLiteral(", "))));
}

void CharacterPage::startCopy() {
    auto* choice = new CopyChoiceDialog(window(), QStringLiteral("Copy character sprite"), QStringLiteral("Copy only selected sprite"),
                                        QStringLiteral("Copy all sprites for this character"));
    choice->setAttribute(Qt::WA_DeleteOnClose);
    connect(choice, &CopyChoiceDialog::chosen, this, [this](int mode) {
        const int sprite = mode == 1 ? morvi::kAllSprites : selectedSprite();
        QStringList names;
        for (int n = 0; n < morvi::kCharacterCount; ++n) names << characterName(n);
        transfers().runCopyList(QStringLiteral("Copy character sprite"), names, [this, sprite](int row) {
            if (row < 0 || row >= morvi::kCharacterCount || row == currentCharacter()) return;
            if (sprite != morvi::kAllSprites && !charactersOf(m_context.ws).characters[std::size_t(row)].hasPose(sprite)) {
                m_context.prompts.message(QStringLiteral("%1 has no riding tiles: there is no %2 to copy").arg(characterName(row), poseTitle(sprite)),
                                          Icon::Information);
                return;
            }
            edit(QStringLiteral("Copy"), [&] {
                morvi::copyCharacterSprites(charactersOf(m_context.ws), currentCharacter(), row, sprite);
                return true;
            });
            palette().updateControls();
        });
    });
    choice->open();
}

QString CharacterPage::clearQuestion() const {
    return QStringLiteral("This will erase all sprites for %1").arg(characterName(currentCharacter()));
}

std::optional<bool> CharacterPage::importTileFile(const QString& path) {
    const std::string file = path.toUtf8().toStdString();
    if (!morvi::isTileFilePath(file)) return std::nullopt;
    morvi::TileFileRead read;
    edit(QStringLiteral("Import"), [&] {
        read = morvi::importCharacterTiles(charactersOf(m_context.ws), currentCharacter(), file);
        return read.ok;
    });
    if (!read.ok) {
        m_context.prompts.message(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), QString::fromStdString(read.error)), Icon::Error);
        return false;
    }
    // Other characters on the same palette changed colour too.
    palette().updateControls();
    redrawPage();
    if (!read.notes.empty()) {
        QStringList notes;
        for (const std::string& note : read.notes) notes << QString::fromStdString(note);
        m_context.prompts.message(notes.join(QLatin1Char('\n')), Icon::Information);
    }
    return true;
}

std::optional<ImportPreview> CharacterPage::previewTileFile(const QString& path) const {
    const std::string file = path.toUtf8().toStdString();
    if (!morvi::isTileFilePath(file)) return std::nullopt;
    ImportPreview out;
    morvi::IndexedImage sheet;
    const morvi::TileFileRead read = morvi::previewCharacterTiles(charactersOf(m_context.ws), currentCharacter(), file, sheet);
    out.picture.resize(morvi::kSheetWidth, morvi::kFullSheetHeight);
    if (!read.ok) {
        morvi::drawImage(m_context.ws.backgrounds.smallBackdrop, out.picture, nullptr, morvi::kSheetWidth, morvi::kFullSheetHeight);
        out.sizeText = QString::fromStdString(read.error);
        return out;
    }
    morvi::drawImage(sheet, out.picture, &m_context.ws.backgrounds.smallBackdrop, morvi::kSheetWidth, morvi::kFullSheetHeight);
    out.sizeText = QStringLiteral("Sprite file");
    out.colorsText = read.notes.empty() ? QStringLiteral("as the game holds it") : QString::fromStdString(read.notes.front());
    return out;
}

void CharacterPage::exportImage() {
    const int index = currentCharacter();
    transfers().runExport(QStringLiteral("Export character sprites"), characterName(index), true,
                          QStringLiteral("Full sheet: riding and lying poses below (128 x 144)"),
                          [this, index](const std::string& path, morvi::ExportFileType type, bool full) {
                              if (type == morvi::ExportFileType::Raw) return morvi::exportCharacterTiles(charactersOf(m_context.ws), index, path);
                              return morvi::exportCharacterSheet(charactersOf(m_context.ws), index, path, type, full);
                          });
}

void CharacterPage::exportAnimation() {
    const morvi::CharacterSprites& ch = characters().character();
    exportPanelAnimation(*m_animation, window(), transfers(), m_context, characterName(currentCharacter()), characterName(currentCharacter()),
                         [&ch](const std::vector<morvi::AnimationFrame>& frames) { return morvi::characterAnimationPictures(ch, frames); });
}

} // namespace morvi::ui
