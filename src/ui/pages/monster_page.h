#pragma once
// The "Monsters" and "Espers" tabs: one page that shows either family of the shared monster
// graphics pool.
#include "ui/pages/picture_tab.h"

namespace morvi {
struct MonsterEntry;
}

class QProgressBar;

namespace morvi::ui {

class MonsterPage : public PictureTab {
    Q_OBJECT
public:
    explicit MonsterPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    void romLoaded() override;
    const morvi::IndexedImage* editedPicture() const override;
    void redraw() override;
    void addToSave(morvi::SaveRequest& request) override;
    void afterSave() override;
    morvi::Family family() const override { return morvi::Family::Monsters; }
    morvi::Place place() const override { return {m_family, m_entry}; }
    void dataRestored() override;
    void showPicture(int entry) override;
    // The list position of an entry in a family, or -1 when the family does not list it.
    static int positionOf(int family, int entry);

    // Monsters for page index 0, espers for 1: refills the list and shows the family's first entry.
    void selectFamily(int pageIndex);
    int shownFamily() const { return m_family; }
    int currentEntry() const { return m_entry; }
    // The entry at a position of the list of a family.
    static int entryAt(int family, int position);

    QComboBox* recordList() const { return m_recordList; }
    QComboBox* sizeList() const { return m_sizeList; }
    QComboBox* colorList() const { return m_colorList; }
    QLabel* moldLabel() const { return m_mold; }
    QLabel* freeSpaceLabel() const { return m_freeSpace; }
    // Which free-space icon shows: true for the "too little" one.
    bool overSpace() const { return m_over; }
    QPushButton* newImageButton() const { return m_newImage; }
    QProgressBar* graphicsMeter() const { return m_graphicsMeter; }
    QProgressBar* moldMeter() const { return m_moldMeter; }
    QLabel* sharingLabel() const { return m_sharing; }

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
    int colorCount() const override;
    int swatchWidth() const override;
    void dataEdited() override { m_edited = true; }
    ImportLimits importLimits() const override;
    QString importTitle() const override;
    std::vector<morvi::PaletteColor> currentPalette() const override;
    void importPicture(const morvi::IndexedImage& image) override;
    const morvi::IndexedImage& clipboardPicture(int& width, int& height) const override;

private:
    morvi::MonsterEntry& entry() const;
    void refillEntryList();
    void refillRecordList();
    void select();
    void updateTexts();
    void updateMeters();
    void updateSharing();
    void newImage();
    void openCopyDialog();
    // Runs an edit of the current entry and marks it edited when data changed.

    int m_family = 0;
    int m_entry = 0;
    bool m_edited = false;
    bool m_over = false;
    FittingComboBox* m_recordList = nullptr;
    QComboBox* m_sizeList = nullptr;
    QComboBox* m_colorList = nullptr;
    QLabel* m_mold = nullptr;
    QLabel* m_freeSpace = nullptr;
    QLabel* m_spaceIcon = nullptr;
    QProgressBar* m_graphicsMeter = nullptr;
    QProgressBar* m_moldMeter = nullptr;
    QLabel* m_sharing = nullptr;
    QPushButton* m_newImage = nullptr;
};

} // namespace morvi::ui
