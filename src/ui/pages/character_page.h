#pragma once
// The "Characters" tab: the 22 characters' 43 poses built from shared tiles, on the full sheet
// (the riding and lying poses under the 40 of the pose table). The canvas shows the pose chosen
// on the sheet; the sheet outlines the poses that share the tile under the pointer.
#include <optional>

#include "ui/pages/page.h"
#include "ui/pages/character_animation.h"
#include "characters/character_module.h"

class QLabel;

namespace morvi {
struct CharacterSprites;
}

namespace morvi::ui {

class CharacterPaletteBox;

// "7 Facing Left".
QString poseTitle(int pose);

class CharacterPage : public Page, public Animated {
    Q_OBJECT
public:
    explicit CharacterPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    QString pointerNote(QPoint picturePoint) const override;

    int currentCharacter() const { return source().index(); }
    int selectedSprite() const { return characters().sprite(); }
    // A click on the sheet at (x, y): selects the pose there, if the character has it.
    void sheetClicked(QPoint at);
    // The pointer over the sheet: its tooltip and the status bar name the pose.
    void sheetHovered(QPoint at);
    // The tile of the shown pose under a picture point, or -1.
    int tileUnder(QPoint picturePoint) const;
    int sharedTileShown() const { return m_sharedTile; }
    QLabel* battleNote() const { return m_battleNote; }
    AnimationPanel& animation() const override { return *m_animation; }
    void exportAnimation() override;

protected:
    void paintOwn() override;
    void beforeRender() override;
    void resizeEvent(QResizeEvent* event) override;
    QString clearQuestion() const override;

private:
    morvi::CharacterSource& characters() const { return static_cast<morvi::CharacterSource&>(source()); }
    void selectCharacter(int index);
    void startCopy();
    QString poseDescription(int pose) const;
    void showSharedTile(int tile);
    void showBattleColours();
    // The community's sprite pair (.bin with .pal), taken by the import chooser and drops.
    std::optional<bool> importTileFile(const QString& path);
    std::optional<ImportPreview> previewTileFile(const QString& path) const;

    // The sheet's and the animation's scale for the page's size, and the column's width.
    void fitLeftColumn();
    // The onion skin's layers for the shown pose, from the animation's sequence.
    void updateOnion();

    QLabel* m_battleNote = nullptr;
    CharacterPaletteBox* m_paletteBox = nullptr;
    int m_sharedTile = -1;
    AnimationPanel* m_animation = nullptr;
    std::array<morvi::IndexedImage, 2> m_onionImages;
};

} // namespace morvi::ui
