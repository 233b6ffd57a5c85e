#pragma once
// The "Field Sprites" tab: sheets 22 to 164 and the vehicles, each drawn as its kind is (a
// person's poses, an object's frames, a special sprite's pictures) on the sheet; the canvas shows
// the frame chosen there, and a tile shared by several frames is outlined in all of them. The
// sheet shows in any of the 32 field sprite palettes; the page says who else a palette's colours
// reach before they are edited.
#include "fieldsprites/field_sprite_module.h"
#include "ui/pages/character_animation.h"
#include "ui/pages/page.h"

class QLabel;

namespace morvi::ui {

class FieldSpritePage : public Page, public Animated {
    Q_OBJECT
public:
    explicit FieldSpritePage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    QString pointerNote(QPoint picturePoint) const override;
    void reloaded() override;
    void dataRestored() override;

    // The game's number of the sheet shown (165: the vehicles) and the frame on the canvas.
    int currentSheet() const { return morvi::fieldSheetOfPicture(source().index()); }
    int selectedFrame() const { return sprites().frame(); }
    // A click on the sheet at (x, y): edits the frame there, if any.
    void sheetClicked(QPoint at);
    void sheetHovered(QPoint at);
    // The sheet's tile under a picture point of the frame, or -1.
    int tileUnder(QPoint picturePoint) const;
    QLabel* sharingNote() const { return m_sharing; }
    QLabel* refusalNote() const { return m_refusal; }
    AnimationPanel& animation() const override { return *m_animation; }
    void exportAnimation() override;

protected:
    void paintOwn() override;
    QString clearQuestion() const override;

private:
    morvi::FieldSpriteSource& sprites() const { return static_cast<morvi::FieldSpriteSource&>(source()); }
    void fillLists();
    void selectSheet(int picture);
    void showSharing();
    QString sheetTitle() const;
    std::optional<bool> importRaw(const QString& path);

    QLabel* m_sharing = nullptr;
    QLabel* m_refusal = nullptr;
    AnimationPanel* m_animation = nullptr;
    int m_sharedTile = -1;
};

} // namespace morvi::ui
