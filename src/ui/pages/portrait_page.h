#pragma once
// The "Portraits" tab: the 19 portraits of 40 x 40 pixels and their shared palettes.
#include "ui/pages/picture_tab.h"

namespace morvi {
struct PortraitRecord;
}

namespace morvi::ui {

class PortraitPage : public PictureTab {
    Q_OBJECT
public:
    explicit PortraitPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    void romLoaded() override;
    const morvi::IndexedImage* editedPicture() const override;
    void addToSave(morvi::SaveRequest& request) override;
    morvi::Family family() const override { return morvi::Family::Portraits; }
    morvi::Place place() const override { return {2, m_portrait}; }

    int currentPortrait() const { return m_portrait; }
    QLabel* sharingLabel() const { return m_sharing; }

protected:
    void paint() override;
    QSize magnifiedSize() const override { return QSize(40, 40); }
    bool writePixels(std::span<const morvi::PixelWrite> writes) override;
    morvi::PaletteColor* paletteEntry(int k) override;
    void paletteEdited() override;
    void swapWithTransparent(int k) override;
    QString clearQuestion() const override;
    void clearPicture() override;
    void flipPicture(int vertical) override;
    int colorCount() const override { return 16; }
    ImportLimits importLimits() const override;
    QString importTitle() const override;
    QStringList importFilters() const override;
    std::vector<morvi::PaletteColor> currentPalette() const override;
    void importPicture(const morvi::IndexedImage& image) override;
    bool takeImportFile(const QString& path, bool keepPalette) override;
    const morvi::IndexedImage& clipboardPicture(int& width, int& height) const override;

private:
    morvi::PortraitRecord& portrait() const;
    void openCopyDialog();

    int m_portrait = 0;
    QLabel* m_sharing = nullptr;
};

} // namespace morvi::ui
