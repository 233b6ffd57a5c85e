#pragma once
// The "Characters" tab: the 22 characters' sheets of 40 sprites built from shared tiles.
#include "image/indexed_image.h"
#include "ui/pages/picture_tab.h"

namespace morvi {
struct CharacterSprites;
}

namespace morvi::ui {

class CharacterPage : public PictureTab {
    Q_OBJECT
public:
    explicit CharacterPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    void romLoaded() override;
    const morvi::IndexedImage* editedPicture() const override;
    void addToSave(morvi::SaveRequest& request) override;
    morvi::Family family() const override { return morvi::Family::Characters; }
    morvi::Place place() const override { return {3, m_character}; }

    int currentCharacter() const { return m_character; }
    int selectedSprite() const { return m_sprite; }
    // A click on the sheet at (x, y): selects the sprite there, if any.
    void sheetClicked(QPoint at);

protected:
    void paint() override;
    QSize magnifiedSize() const override;
    bool writePixels(std::span<const morvi::PixelWrite> writes) override;
    morvi::PaletteColor* paletteEntry(int k) override;
    void paletteEdited() override;
    void swapWithTransparent(int k) override;
    QString clearQuestion() const override;
    void clearPicture() override;
    void flipPicture(int vertical) override;
    std::vector<std::uint8_t> pictureState() const override;
    std::vector<morvi::PaletteColor> stripColors() const override;
    int colorCount() const override { return 16; }
    bool colorEditable(int k) const override;
    ImportLimits importLimits() const override;
    QString importTitle() const override;
    std::vector<morvi::PaletteColor> currentPalette() const override;
    void importPicture(const morvi::IndexedImage& image) override;
    const morvi::IndexedImage& clipboardPicture(int& width, int& height) const override;

private:
    morvi::CharacterSprites& character() const;
    void selectCharacter(int index);
    void startCopy();

    int m_character = 0;
    int m_sprite = 0;
    mutable morvi::IndexedImage m_clipboardSheet;
};

} // namespace morvi::ui
