#include "ui/pages/character_page.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/picture_transfer.h"
#include "app/workspace.h"
#include "image/canvas.h"
#include "ui/dialogs/dialogs.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

namespace {

constexpr int kSheetRowsUsed = 120; // five rows of 24-pixel sprites
constexpr int kSpritesPerRow = 8;

} // namespace

CharacterPage::CharacterPage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::Family::Characters, QSize(morvi::kSheetSide, morvi::kSheetSide), QStringLiteral("Sprite sheet"),
                     &morvi::Settings::tab4Mag},
           parent) {
    editor().setGridClip(morvi::GridClip::SpriteExtent);
    m_paletteList = addList(QStringLiteral("Palette"), QStringLiteral("Palette number"));
    m_paletteList->setEnabled(false);
    m_paletteList->setToolTip(QStringLiteral("The character's palette number"));
    leftColumn()->addStretch(1);
    preview()->setCursor(Qt::PointingHandCursor);
    preview()->setToolTip(QStringLiteral("Click a sprite to edit it"));
    m_importButton = addButton(QStringLiteral("Import Sprites"), [this] { importImage(); });
    m_copyButton = addButton(QStringLiteral("Copy Sprite"), [this] { startCopy(); });
    m_clearButton = addButton(QStringLiteral("Clear Sprite"), [this] { clearImage(); });
    transfers().setImportTitle([] { return QStringLiteral("Import Character sprites"); });
    {
        QSignalBlocker a(pictureList()), b(m_paletteList);
        for (const char* name : morvi::kCharacterNames) pictureList()->addItem(QString::fromLatin1(name));
        pictureList()->setCurrentIndex(0);
        for (int n = 0; n < morvi::kCharacterPaletteCount; ++n) m_paletteList->addItem(QStringLiteral("Palette #%1").arg(n));
    }
    connect(pictureList(), &QComboBox::currentIndexChanged, this, [this](int index) {
        deselect(); // the selection lives on the sprite that was shown
        if (index >= 0) selectCharacter(index);
    });
    connect(preview(), &SurfaceView::pressed, this, &CharacterPage::sheetClicked);
    selectCharacter(0);
}

void CharacterPage::selectCharacter(int index) {
    source().show(index);
    morvi::rebuildSprites(m_context.ws.characters, characters().character());
    palette().updateControls();
    redrawPage();
}

void CharacterPage::sheetClicked(QPoint at) {
    // Below the last row of sprites or beside the sheet there is no sprite: keep the current one.
    if (at.x() < 0 || at.y() < 0 || at.x() >= morvi::kSheetSide || at.y() >= kSheetRowsUsed) return;
    deselect();
    characters().showSprite(kSpritesPerRow * (at.y() / morvi::kSpriteHeight) + at.x() / morvi::kSpriteWidth);
    redrawPage();
}

void CharacterPage::paintOwn() {
    const morvi::CharacterSprites& ch = characters().character();
    renderPreview(morvi::buildSpriteSheet(ch, selectedSprite()), QSize(morvi::kSheetSide, morvi::kSheetSide));
    QSignalBlocker quiet(m_paletteList);
    m_paletteList->setCurrentIndex(ch.paletteNumber);
}

void CharacterPage::startCopy() {
    auto* choice = new CopyChoiceDialog(window(), QStringLiteral("Copy character sprite"), QStringLiteral("Copy only selected sprite"),
                                        QStringLiteral("Copy all sprites for this character"));
    choice->setAttribute(Qt::WA_DeleteOnClose);
    connect(choice, &CopyChoiceDialog::chosen, this, [this](int mode) {
        const int sprite = mode == 1 ? morvi::kAllSprites : selectedSprite();
        QStringList names;
        for (const char* name : morvi::kCharacterNames) names << QString::fromLatin1(name);
        transfers().runCopyList(QStringLiteral("Copy character sprite"), names, [this, sprite](int row) {
            edit(QStringLiteral("Copy"), [&] {
                if (row < 0 || row >= morvi::kCharacterCount || row == currentCharacter()) return false;
                morvi::copyCharacterSprites(m_context.ws.characters, currentCharacter(), row, sprite);
                return true;
            });
            palette().updateControls();
        });
    });
    choice->open();
}

QString CharacterPage::clearQuestion() const {
    return QStringLiteral("This will erase all sprites for %1").arg(QString::fromLatin1(morvi::kCharacterNames[std::size_t(currentCharacter())]));
}

void CharacterPage::exportImage() {
    const int index = currentCharacter();
    transfers().runExport(QStringLiteral("Export character sprites"), QString::fromLatin1(morvi::kCharacterNames[std::size_t(index)]), false,
                          [this, index](const std::string& path, morvi::ExportFileType type) {
                              return morvi::exportCharacterSheet(m_context.ws.characters, index, path, type);
                          });
}

void CharacterPage::addToSave(morvi::SaveRequest& request) { request.characters = true; }

} // namespace morvi::ui
