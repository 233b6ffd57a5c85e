#include "ui/pages/window_skin_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "windowskins/window_skin_module.h"

namespace morvi::ui {

WindowSkinPage::WindowSkinPage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::windowSkinFamily(), QSize(morvi::kWindowPreviewSide, morvi::kWindowPreviewSide), QStringLiteral("Preview")},
           parent) {
    setPreviewFollowsPicture(true);
    m_note = new QLabel(QStringLiteral("Colours 1 to 7 show in the game; 0 is transparent, 8 to 15 are unused. "
                                       "A changed colour shows in a new game: a loaded save keeps its own window colours."),
                        this);
    m_note->setWordWrap(true);
    m_note->setAccessibleName(QStringLiteral("Saved games"));
    columns().left()->addWidget(m_note);
    columns().left()->addStretch(1);
    m_widgets.importButton = columns().addButton(QStringLiteral("Import Image"), [this] { importImage(); });
    m_widgets.clearButton = columns().addButton(QStringLiteral("Clear Image"), [this] { clearImage(); });
    transfers().setImportTitle([] { return QStringLiteral("Import Window"); });
    {
        QSignalBlocker quiet(m_widgets.pictureList);
        for (int n = 0; n < morvi::kWindowSkinCount; ++n) m_widgets.pictureList->addItem(QStringLiteral("Window %1").arg(n + 1));
        m_widgets.pictureList->setCurrentIndex(0);
    }
    connect(m_widgets.pictureList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        selecting().deselect();
        source().show(index);
        redrawPage();
    });
    palette().updateControls();
    redrawPage();
}

void WindowSkinPage::paintOwn() { renderPreview(editor().shown(), QSize(morvi::kWindowPreviewSide, morvi::kWindowPreviewSide)); }

QString WindowSkinPage::clearQuestion() const { return QStringLiteral("This will erase the current window"); }

void WindowSkinPage::exportImage() {
    const int index = source().index();
    transfers().runExport(QStringLiteral("Export window"), QStringLiteral("Window %1").arg(index + 1), false,
                          [this, index](const std::string& path, morvi::ExportFileType type) {
                              return source().family()->exportPicture(m_context.ws, index, path, {type, false}).empty();
                          });
}

} // namespace morvi::ui
