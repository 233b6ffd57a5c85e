#include "ui/dialogs/animation_export_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/animation_export.h"
#include "ui/dialogs/dialogs.h"

namespace morvi::ui {

AnimationExportDialog::AnimationExportDialog(QWidget* mainWindow, Prompts& prompts, const QString& what, const QString& path)
    : QDialog(mainWindow), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Export Animation"));
    setObjectName(QStringLiteral("animationExportDialog"));
    setWindowModality(Qt::WindowModal);
    auto* whatLabel = new QLabel(what, this);
    auto* toLabel = new QLabel(QStringLiteral("Export to:"), this);
    m_edit = new QLineEdit(path, this);
    m_edit->setMinimumWidth(320);
    m_edit->setAccessibleName(QStringLiteral("Export to:"));
    toLabel->setBuddy(m_edit);
    auto* browse = new QPushButton(QStringLiteral("Browse ..."), this);
    auto* scaleLabel = new QLabel(QStringLiteral("Scale:"), this);
    m_scale = new QSpinBox(this);
    m_scale->setRange(1, morvi::kLargestAnimationScale);
    m_scale->setValue(4);
    m_scale->setSuffix(QStringLiteral(" x"));
    m_scale->setAccessibleName(QStringLiteral("Scale"));
    scaleLabel->setBuddy(m_scale);
    m_backdrop = new QCheckBox(QStringLiteral("The backdrop behind (else colour 0 is transparent)"), this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(whatLabel, 0, 0, 1, 3);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(m_edit, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(scaleLabel, 2, 0);
    grid->addWidget(m_scale, 2, 1, Qt::AlignLeft);
    grid->addWidget(m_backdrop, 3, 1, 1, 2);
    auto* buttons = okCancelRow(m_ok, m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = m_prompts.saveFile(this, FileRequest{windowTitle(), {}, m_edit->text(), QStringLiteral("gif")});
        if (!chosen.isEmpty()) m_edit->setText(chosen);
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    placeAt(this, mainWindow, QPoint(150, 100));
}

QString AnimationExportDialog::path() const { return m_edit->text(); }
int AnimationExportDialog::scale() const { return m_scale->value(); }
bool AnimationExportDialog::withBackdrop() const { return m_backdrop->isChecked(); }

} // namespace morvi::ui
