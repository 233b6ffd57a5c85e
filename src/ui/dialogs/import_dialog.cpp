#include "ui/dialogs/import_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

ImportFileDialog::ImportFileDialog(QWidget* parent, const ImportRequest& request)
    : QFileDialog(parent, request.title, QString(), request.filters.join(QStringLiteral(";;"))), m_request(request) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ReadOnly, true);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setWindowModality(Qt::WindowModal);
    // A filter shows its text ("All supported files (*.png, ...)"), not its patterns again.
    setOption(QFileDialog::HideNameFilterDetails, true);
    if (!request.folder.isEmpty()) setDirectory(request.folder);
    if (!request.filter.isEmpty()) selectNameFilter(request.filter);

    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 0, 0, 0);
    auto* heading = new QLabel(QStringLiteral("Preview"), panel);
    m_preview = new SurfaceView(128, 128, QStringLiteral("Import preview"), panel);
    m_size = new QLabel(panel);
    m_colors = new QLabel(panel);
    m_size->setWordWrap(true);
    m_colors->setWordWrap(true);
    m_size->setMaximumWidth(160);
    m_colors->setMaximumWidth(160);
    m_size->setAccessibleName(QStringLiteral("Picture size"));
    m_colors->setAccessibleName(QStringLiteral("Picture colours"));
    m_size->setWordWrap(true);
    m_size->setFixedWidth(150);
    m_colors->setFixedWidth(150);
    m_order = new QLabel(panel);
    m_order->setWordWrap(true);
    m_order->setFixedWidth(150);
    m_order->setAccessibleName(QStringLiteral("Palette order"));
    column->addWidget(heading);
    column->addWidget(m_preview);
    column->addWidget(m_size);
    column->addWidget(m_colors);
    column->addWidget(m_order);
    m_keep = new QCheckBox(QStringLiteral("Keep current palette"), panel);
    m_keep->setToolTip(QStringLiteral("Map the file's colours onto the picture's own palette, which other pictures "
                                      "may share, instead of replacing it"));
    m_keep->setVisible(request.offerKeepPalette);
    column->addWidget(m_keep);
    column->addStretch(1);
    connect(m_keep, &QCheckBox::toggled, this, [this] { showPreview(m_current); });
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
    } else if (layout()) {
        layout()->addWidget(panel);
    }
    connect(this, &QFileDialog::currentChanged, this, &ImportFileDialog::showPreview);
    showPreview(QString());
}

void ImportFileDialog::showPreview(const QString& path) {
    m_current = path;
    const bool file = !path.isEmpty() && QFileInfo(path).isFile();
    ImportPreview p = m_request.preview ? m_request.preview(file ? path : QString(), m_keep && m_keep->isChecked())
                                        : ImportPreview{};
    if (p.picture.width > 0) {
        // A full character sheet is taller than the others.
        m_preview->setFixedSize(p.picture.width, p.picture.height);
        m_preview->surface() = std::move(p.picture);
    }
    m_size->setText(p.sizeText);
    m_colors->setText(p.colorsText);
    m_order->setText(p.orderText);
    m_preview->update();
}

void ImportFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty()) return;
    const QFileInfo info(chosen.first());
    if (info.isDir()) {
        QFileDialog::accept(); // lets the dialog enter the folder
        return;
    }
    if (m_request.accept && !m_request.accept(chosen.first(), m_keep->isChecked())) return;
    if (m_request.remember) m_request.remember(info.absolutePath(), selectedNameFilter());
    QFileDialog::accept();
}

} // namespace morvi::ui
