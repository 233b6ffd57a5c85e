#pragma once
// "Export Animation ...": where the animated GIF goes, its scale, and whether the backdrop
// stands behind the poses (else colour 0 is transparent).
#include <QDialog>

#include "ui/dialogs/prompts.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace morvi::ui {

class AnimationExportDialog : public QDialog {
    Q_OBJECT
public:
    AnimationExportDialog(QWidget* mainWindow, Prompts& prompts, const QString& what, const QString& path);
    QString path() const;
    int scale() const;
    bool withBackdrop() const;
    QLineEdit* pathEdit() const { return m_edit; }
    QSpinBox* scaleBox() const { return m_scale; }
    QCheckBox* backdropBox() const { return m_backdrop; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    Prompts& m_prompts;
    QLineEdit* m_edit = nullptr;
    QSpinBox* m_scale = nullptr;
    QCheckBox* m_backdrop = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace morvi::ui
