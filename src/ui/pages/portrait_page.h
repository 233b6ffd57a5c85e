#pragma once
// The "Portraits" tab: the 19 portraits of 40 x 40 pixels and their shared palettes.
#include "ui/pages/page.h"

class QLabel;

namespace morvi {
struct PortraitRecord;
}

namespace morvi::ui {

class PortraitPage : public Page {
    Q_OBJECT
public:
    explicit PortraitPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    int currentPortrait() const { return source().index(); }
    QLabel* sharingLabel() const { return m_sharing; }

protected:
    void paintOwn() override;
    QString clearQuestion() const override;

private:
    morvi::PortraitRecord& portrait() const;
    void openCopyDialog();
    // A raw .bin/.pal pair, which the page reads itself; nullopt for any other file.
    std::optional<bool> importRaw(const QString& path);
    // The chooser's preview of such a pair: the portrait as the import would make it.
    std::optional<ImportPreview> previewRaw(const QString& path) const;

    QLabel* m_sharing = nullptr;
};

} // namespace morvi::ui
