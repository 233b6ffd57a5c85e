#pragma once
// The "Characters" tab: the 22 characters' sheets of 40 sprites built from shared tiles. The
// canvas shows the sprite chosen on the sheet.
#include "ui/pages/page.h"

namespace morvi {
struct CharacterSprites;
}

namespace morvi::ui {

class CharacterPage : public Page {
    Q_OBJECT
public:
    explicit CharacterPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    void addToSave(morvi::SaveRequest& request) override;

    int currentCharacter() const { return source().index(); }
    int selectedSprite() const { return characters().sprite(); }
    // A click on the sheet at (x, y): selects the sprite there, if any.
    void sheetClicked(QPoint at);

protected:
    void paintOwn() override;
    QString clearQuestion() const override;

private:
    morvi::CharacterSource& characters() const { return static_cast<morvi::CharacterSource&>(source()); }
    void selectCharacter(int index);
    void startCopy();
};

} // namespace morvi::ui
