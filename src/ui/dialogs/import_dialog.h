#pragma once
// The import file chooser: Qt's own (non-native) file dialog with a preview panel on its right
// that shows the file under the pointer over the small backdrop, with its size and colours or
// the reason it would be refused. Confirming asks the page; a refused file keeps it open.
#include <QFileDialog>

#include "ui/dialogs/prompts.h"

class QCheckBox;
class QLabel;

namespace morvi::ui {

class SurfaceView;

class ImportFileDialog : public QFileDialog {
    Q_OBJECT
public:
    ImportFileDialog(QWidget* parent, const ImportRequest& request);
    // The panel as it stands, for tests and for the screenshots.
    SurfaceView* previewView() const { return m_preview; }
    QLabel* sizeLabel() const { return m_size; }
    QLabel* colorsLabel() const { return m_colors; }
    QLabel* orderLabel() const { return m_order; }
    QCheckBox* keepPaletteBox() const { return m_keep; }
    // Updates the panel for a path (what the chooser does when the pointed-at file changes).
    void showPreview(const QString& path);

public slots:
    void accept() override;

private:
    ImportRequest m_request;
    SurfaceView* m_preview = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_colors = nullptr;
    QLabel* m_order = nullptr;
    QCheckBox* m_keep = nullptr;
    QString m_current;
};

} // namespace morvi::ui
