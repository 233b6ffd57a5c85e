#pragma once
// The editor's tool dialogs: the progress window, grid settings, the background chooser, the
// export dialog and the two copy dialogs. Each is window-modal over the main window while open.
#include <QDialog>
#include <array>
#include <memory>

#include "family/settings.h"
#include "backgrounds/battle_backgrounds.h"
#include "imagefile/image_file.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;

namespace morvi::ui {

class Prompts;
class SurfaceView;

// A captioned window with one centred line of text, shown and painted at once, placed at an
// offset from the main window's top-left corner; it goes when the object goes.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(QWidget* mainWindow, const QString& text, QPoint offset);
    QString text() const;

private:
    QLabel* m_label = nullptr;
};

// "Change grid settings": which grid the canvases show and from which magnification.
class GridDialog : public QDialog {
    Q_OBJECT
public:
    GridDialog(QWidget* mainWindow, morvi::Settings& settings);
    int mode() const { return m_mode; }
    int minMag() const { return m_minMag; }
    QRadioButton* radio(int mode) const { return m_radios[std::size_t(mode)]; }
    QSpinBox* minMagBox() const { return m_spin; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    void takeOk();
    morvi::Settings& m_settings;
    int m_mode = 0;
    int m_minMag = 5;
    std::array<QRadioButton*, 3> m_radios{};
    QSpinBox* m_spin = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// "Change background image": eight of the 60 previews at a time, a scroll bar by rows of four,
// a white frame around the chosen one. OK rebuilds the backdrops; Cancel and the close box
// put the choice back.
class BackgroundChooser : public QDialog {
    Q_OBJECT
public:
    BackgroundChooser(QWidget* mainWindow, morvi::BackgroundSet& backgrounds, morvi::Settings& settings);
    int firstVisible() const { return m_first; }
    QScrollBar* scrollBar() const { return m_scroll; }
    SurfaceView* area(int i) const { return m_areas[std::size_t(i)]; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // Whether area i shows the white frame of the chosen preview.
    bool framed(int i) const;

public slots:
    void reject() override; // Cancel and the close box

private:
    void showPreviews();
    void scrollTo(int position);
    morvi::BackgroundSet& m_backgrounds;
    morvi::Settings& m_settings;
    int m_remembered = 0;
    int m_first = 0;
    std::array<SurfaceView*, 8> m_areas{};
    QScrollBar* m_scroll = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// The export dialog: a file name, "Browse ..." and the file type. The type list renames the
// file's ending; a name browsed to sets the type.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(QWidget* mainWindow, Prompts& prompts, const QString& title, const QString& path,
                 morvi::ExportFileType type, bool allowRaw);
    QString path() const;
    morvi::ExportFileType fileType() const { return m_type; }
    QLineEdit* pathEdit() const { return m_edit; }
    QComboBox* typeList() const { return m_types; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // A check box under the type list for a choice of the page's own (the full character
    // sheet); not offered for the raw .BIN type.
    void addOption(const QString& text);
    QCheckBox* option() const { return m_option; }
    bool optionChosen() const;
    void browse();

private:
    void typeChosen(int index);
    Prompts& m_prompts;
    bool m_allowRaw = false;
    morvi::ExportFileType m_type = morvi::ExportFileType::Png;
    QLineEdit* m_edit = nullptr;
    QComboBox* m_types = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QCheckBox* m_option = nullptr;
    QGridLayout* m_grid = nullptr;
};

// OK and Cancel at the right end of a row.
QHBoxLayout* okCancelRow(QPushButton* ok, QPushButton* cancel);
// Puts a dialog at an offset from the main window's top-left corner.
void placeAt(QDialog* dialog, QWidget* mainWindow, QPoint offset);

// The ending the type list writes for a type: "bmp", "pcx", "png", "bin".
QString exportExtension(morvi::ExportFileType type);
// The name with its ending replaced by the type's: a "." among the last four characters is
// kept and what follows is replaced; without one, "." and the ending are appended.
QString renameForType(const QString& name, morvi::ExportFileType type);

// "Copy Image": a list of names; "Copy Image" or a double click reports the chosen row.
class CopyListDialog : public QDialog {
    Q_OBJECT
public:
    CopyListDialog(QWidget* mainWindow, const QString& title, const QStringList& names);
    QListWidget* list() const { return m_list; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void chosen(int row);

private:
    void copySelected();
    QListWidget* m_list = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Up to three choices as radio buttons; OK gives the checked one's number, Cancel -1.
class CopyChoiceDialog : public QDialog {
    Q_OBJECT
public:
    CopyChoiceDialog(QWidget* mainWindow, const QString& title, const QString& first, const QString& second,
                     const QString& third = QString());
    int choice() const { return m_choice; }
    QRadioButton* radio(int i) const { return m_radios[std::size_t(i)]; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void chosen(int choice);

private:
    int m_choice = -1;
    std::array<QRadioButton*, 3> m_radios{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace morvi::ui
