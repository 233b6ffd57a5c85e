#include "ui/pages/character_page.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/picture_transfer.h"
#include "app/workspace.h"
#include "image/canvas.h"
#include "ui/dialogs/dialogs.h"

namespace morvi::ui {

namespace {

constexpr int kSheetRowsUsed = 120; // five rows of 24-pixel sprites
constexpr int kSpritesPerRow = 8;

} // namespace

CharacterPage::CharacterPage(EditorContext& context, QWidget* parent)
    : PictureTab(context, parent, morvi::kSheetSide, morvi::kSheetSide, QStringLiteral("Sprite sheet"),
                 &morvi::Settings::tab4Mag) {
    m_paletteList = addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_paletteList->setEnabled(false);
    m_paletteList->setToolTip(QStringLiteral("The character's palette number"));
    leftColumn()->addStretch(1);
    preview()->setCursor(Qt::PointingHandCursor);
    preview()->setToolTip(QStringLiteral("Click a sprite to edit it"));
    m_importButton = addButton(QStringLiteral("Import Sprites"), [this] { importImage(); });
    m_copyButton = addButton(QStringLiteral("Copy Sprite"), [this] { startCopy(); });
    m_clearButton = addButton(QStringLiteral("Clear Sprite"), [this] { clearImage(); });

    connect(pictureList(), &QComboBox::currentIndexChanged, this, [this](int index) {
        deselect(); // the selection lives on the sprite that was shown
        if (index >= 0) selectCharacter(index);
    });
    connect(preview(), &SurfaceView::pressed, this, &CharacterPage::sheetClicked);
}

morvi::CharacterSprites& CharacterPage::character() const {
    return ws().characters.characters[std::size_t(m_character)];
}

QSize CharacterPage::magnifiedSize() const { return QSize(morvi::kSpriteWidth, morvi::kSpriteHeight); }

bool CharacterPage::colorEditable(int k) const { return k != 0 && m_character != morvi::kEsperTerra; }

void CharacterPage::romLoaded() {
    m_loaded = true;
    {
        QSignalBlocker a(pictureList()), b(m_paletteList);
        pictureList()->clear();
        for (const char* name : morvi::kCharacterNames) pictureList()->addItem(QString::fromLatin1(name));
        pictureList()->setCurrentIndex(0);
        m_paletteList->clear();
        for (int n = 0; n < morvi::kCharacterPaletteCount; ++n)
            m_paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
    }
    m_sprite = 0;
    magnification()->setValue(ws().settings.tab4Mag);
    m_currentColor = 0;
    selectCharacter(0);
}

void CharacterPage::selectCharacter(int index) {
    m_character = index;
    morvi::rebuildSprites(ws().characters, character());
    updateColorControls();
    redrawPage();
}

void CharacterPage::sheetClicked(QPoint at) {
    if (!m_loaded) return;
    // Below the last row of sprites or beside the sheet there is no sprite: keep the current one.
    if (at.x() < 0 || at.y() < 0 || at.x() >= morvi::kSheetSide || at.y() >= kSheetRowsUsed) return;
    deselect();
    m_sprite = kSpritesPerRow * (at.y() / morvi::kSpriteHeight) + at.x() / morvi::kSpriteWidth;
    redrawPage();
}

void CharacterPage::paint() {
    if (!m_loaded) return;
    const morvi::CharacterSprites& ch = character();
    updateScrollRanges();
    renderPreview(morvi::buildSpriteSheet(ch, m_sprite), morvi::kSheetSide, morvi::kSheetSide);
    renderCanvas(ch.sprites[std::size_t(m_sprite)], morvi::GridClip::SpriteExtent);
    paintPalette();
    QSignalBlocker quiet(m_paletteList);
    m_paletteList->setCurrentIndex(ch.paletteNumber);
}

const morvi::IndexedImage* CharacterPage::editedPicture() const {
    const morvi::IndexedImage& sprite = character().sprites[std::size_t(m_sprite)];
    return m_loaded && sprite.hasPixels() ? &sprite : nullptr;
}

bool CharacterPage::writePixels(std::span<const morvi::PixelWrite> writes) {
    return morvi::setSpritePixels(ws().characters, character(), m_sprite, writes) > 0;
}

morvi::PaletteColor* CharacterPage::paletteEntry(int k) {
    return k >= 0 && k < 16 ? &ws().characters.color(character().paletteNumber, k) : nullptr;
}

void CharacterPage::paletteEdited() {
    for (auto& ch : ws().characters.characters) morvi::reloadCharacterPalette(ws().characters, ch);
}

void CharacterPage::swapWithTransparent(int k) { morvi::swapCharacterColor(ws().characters, character(), k); }

std::vector<morvi::PaletteColor> CharacterPage::stripColors() const {
    // The palette table's colours, Esper Terra's too (hers are fixed and cannot be edited).
    std::vector<morvi::PaletteColor> colors;
    for (int k = 0; k < 16; ++k) colors.push_back(ws().characters.color(character().paletteNumber, k));
    return colors;
}

void CharacterPage::startCopy() {
    if (!m_loaded) return;
    auto* choice = new CopyChoiceDialog(window(), QStringLiteral("Copy character sprite"),
                                        QStringLiteral("Copy only selected sprite"),
                                        QStringLiteral("Copy all sprites for this character"));
    choice->setAttribute(Qt::WA_DeleteOnClose);
    connect(choice, &CopyChoiceDialog::chosen, this, [this](int mode) {
        const int sprite = mode == 1 ? morvi::kAllSprites : m_sprite;
        QStringList names;
        for (const char* name : morvi::kCharacterNames) names << QString::fromLatin1(name);
        runCopyList(QStringLiteral("Copy character sprite"), names, [this, sprite](int row) {
            edit(QStringLiteral("Copy"), [&] {
                if (row < 0 || row >= morvi::kCharacterCount || row == m_character) return false;
                morvi::copyCharacterSprites(ws().characters, m_character, row, sprite);
                return true;
            });
            updateColorControls();
        });
    });
    choice->open();
}

QString CharacterPage::clearQuestion() const {
    return QStringLiteral("This will erase all sprites for %1").arg(QString::fromLatin1(morvi::kCharacterNames[std::size_t(m_character)]));
}
void CharacterPage::clearPicture() { morvi::clearCharacterSprites(ws().characters, character()); }
void CharacterPage::flipPicture(int vertical) { morvi::flipCharacterSprites(ws().characters, character(), vertical); }
// Clear and flip act on all of the character's sprites.
std::vector<std::uint8_t> CharacterPage::pictureState() const { return morvi::buildSpriteSheet(character(), -1).pixels; }

PictureTab::ImportLimits CharacterPage::importLimits() const {
    return {morvi::kCharacterImportSide, morvi::kCharacterImportSide, false};
}

QString CharacterPage::importTitle() const { return QStringLiteral("Import Character sprites"); }

std::vector<morvi::PaletteColor> CharacterPage::currentPalette() const {
    std::vector<morvi::PaletteColor> colors;
    const morvi::CharacterSprites& ch = character();
    // Esper Terra shows a fixed palette: her sprites' own colours are what a file maps onto.
    for (int c = 0; c < 16; ++c)
        colors.push_back(ch.fixedPalette ? ch.sprites[0].palette[std::size_t(c)] : ws().characters.color(ch.paletteNumber, c));
    return colors;
}

void CharacterPage::importPicture(const morvi::IndexedImage& image) {
    edit(QStringLiteral("Import"), [&] {
        morvi::importCharacterSheet(ws().characters, m_character, image);
        return true;
    });
}

const morvi::IndexedImage& CharacterPage::clipboardPicture(int& width, int& height) const {
    width = height = morvi::kSheetSide;
    m_clipboardSheet = morvi::buildSpriteSheet(character(), -1);
    return m_clipboardSheet;
}

void CharacterPage::exportImage() {
    if (!m_loaded) return;
    const int index = m_character;
    runExport(QStringLiteral("Export character sprites"),
              QString::fromLatin1(morvi::kCharacterNames[std::size_t(index)]), false,
              [this, index](const std::string& path, morvi::ExportFileType type) {
                  return morvi::exportCharacterSheet(ws().characters, index, path, type);
              });
}

void CharacterPage::addToSave(morvi::SaveRequest& request) { request.characters = true; }

} // namespace morvi::ui
