#include "ui/dialogs/dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/dialogs/prompts.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

QHBoxLayout* okCancelRow(QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void placeAt(QDialog* dialog, QWidget* mainWindow, QPoint offset) {
    if (mainWindow) dialog->move(mainWindow->frameGeometry().topLeft() + offset);
}

ProgressWindow::ProgressWindow(QWidget* mainWindow, const QString& text, QPoint offset)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setWindowTitle(kCaption);
    setObjectName(QStringLiteral("progressWindow"));
    m_label = new QLabel(text, this);
    m_label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    setFixedSize(279, 80);
    placeAt(this, mainWindow, offset);
    show();
    // Paint now: the work that follows keeps the event loop busy until it is done.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ProgressWindow::text() const { return m_label->text(); }

GridDialog::GridDialog(QWidget* mainWindow, morvi::Settings& settings)
    : QDialog(mainWindow), m_settings(settings), m_mode(settings.grid), m_minMag(settings.gridMinMag) {
    setWindowTitle(QStringLiteral("Change grid settings"));
    setObjectName(QStringLiteral("gridDialog"));
    setWindowModality(Qt::WindowModal);
    auto* frame = new QGroupBox(this);
    auto* radios = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    const char* texts[3] = {"Don't show grid", "Show pixel grid", "Show tile grid"};
    for (int i = 0; i < 3; ++i) {
        m_radios[std::size_t(i)] = new QRadioButton(QString::fromLatin1(texts[i]), frame);
        group->addButton(m_radios[std::size_t(i)], i);
        radios->addWidget(m_radios[std::size_t(i)]);
    }
    if (m_mode >= 0 && m_mode <= 2) m_radios[std::size_t(m_mode)]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_mode = id; });

    auto* label = new QLabel(QStringLiteral("Show grid when magnification is at least:"), this);
    m_spin = new QSpinBox(this);
    m_spin->setRange(2, 20);
    m_spin->setValue(m_minMag);
    m_spin->setAccessibleName(QStringLiteral("Show grid when magnification is at least:"));
    label->setBuddy(m_spin);
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int v) { m_minMag = v & 0xFF; });

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { takeOk(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* magRow = new QHBoxLayout;
    magRow->addWidget(label);
    magRow->addWidget(m_spin);
    auto* buttons = okCancelRow(m_ok, m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(magRow);
    layout->addLayout(buttons);
    placeAt(this, mainWindow, QPoint(200, 200));
}

void GridDialog::takeOk() {
    m_settings.grid = std::uint8_t(m_mode);
    if (m_minMag > 0) m_settings.gridMinMag = std::uint8_t(m_minMag);
    accept();
}

BackgroundChooser::BackgroundChooser(QWidget* mainWindow, morvi::BackgroundSet& backgrounds,
                                     morvi::Settings& settings)
    : QDialog(mainWindow), m_backgrounds(backgrounds), m_settings(settings), m_remembered(settings.background) {
    setWindowTitle(QStringLiteral("Change background image"));
    setObjectName(QStringLiteral("backgroundChooser"));
    setWindowModality(Qt::WindowModal);
    auto* grid = new QGridLayout;
    grid->setSpacing(14);
    for (int i = 0; i < 8; ++i) {
        auto* area = new SurfaceView(128, 128, QStringLiteral("Background %1").arg(i + 1), this);
        area->setCursor(Qt::PointingHandCursor);
        area->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(area, i / 4, i % 4);
        m_areas[std::size_t(i)] = area;
        connect(area, &SurfaceView::pressed, this, [this, i](QPoint) {
            m_settings.background = std::uint8_t(m_first + i);
            showPreviews();
        });
    }
    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setRange(0, 13);
    m_scroll->setPageStep(2);
    m_scroll->setSingleStep(1);
    m_scroll->setAccessibleName(QStringLiteral("Background rows"));
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int v) { scrollTo(v); });
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        morvi::buildBackdrop(m_backgrounds, m_settings.background);
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &BackgroundChooser::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(grid);
    top->addWidget(m_scroll);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    if (mainWindow) move(mainWindow->mapToGlobal(QPoint(0, 0)));

    const int chosen = m_settings.background;
    m_first = std::min(chosen / 4 * 4, 52);
    {
        QSignalBlocker quiet(m_scroll);
        m_scroll->setValue(m_first / 4);
    }
    showPreviews();
}

bool BackgroundChooser::framed(int i) const { return m_first + i == m_settings.background; }

void BackgroundChooser::reject() {
    m_settings.background = std::uint8_t(m_remembered);
    QDialog::reject();
}

void BackgroundChooser::scrollTo(int position) {
    position = std::clamp(position, 0, 13);
    m_first = 4 * position;
    showPreviews();
}

void BackgroundChooser::showPreviews() {
    const std::uint32_t white = morvi::rgb32(255, 255, 255);
    for (int i = 0; i < 8; ++i) {
        morvi::Surface& s = m_areas[std::size_t(i)]->surface();
        const int n = m_first + i;
        if (n < morvi::kPreviewCount) s = morvi::backgroundPreview(m_backgrounds, n);
        else s.resize(128, 128);
        if (framed(i) && s.width >= 128 && s.height >= 128)
            for (int k = 0; k < 128; ++k) {
                s.set(k, 0, white);
                s.set(k, 127, white);
                s.set(0, k, white);
                s.set(127, k, white);
            }
        m_areas[std::size_t(i)]->update();
    }
}

QString exportExtension(morvi::ExportFileType type) {
    if (type == morvi::ExportFileType::Raw) return QStringLiteral("bin"); // a page's own raw form
    const morvi::PictureFormat* format = morvi::pictureFormatOf(type);
    return QString::fromLatin1(format ? format->extension : "png");
}

QString renameForType(const QString& name, morvi::ExportFileType type) {
    QString out = name;
    qsizetype dot = -1;
    for (qsizetype i = out.size() - 1; i >= 0 && i >= out.size() - 4; --i)
        if (out[i] == QLatin1Char('.')) {
            dot = i;
            break;
        }
    if (dot < 0) {
        out += QLatin1Char('.');
        dot = out.size() - 1;
    }
    return out.left(dot + 1) + exportExtension(type);
}

ExportDialog::ExportDialog(QWidget* mainWindow, Prompts& prompts, const QString& title, const QString& path,
                           morvi::ExportFileType type, bool allowRaw)
    : QDialog(mainWindow), m_prompts(prompts), m_allowRaw(allowRaw), m_type(type) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("exportDialog"));
    setWindowModality(Qt::WindowModal);
    auto* toLabel = new QLabel(QStringLiteral("Export to:"), this);
    m_edit = new QLineEdit(path, this);
    m_edit->setMaxLength(1024);
    m_edit->setMinimumWidth(320);
    m_edit->setAccessibleName(QStringLiteral("Export to:"));
    toLabel->setBuddy(m_edit);
    m_browse = new QPushButton(QStringLiteral("Browse ..."), this);
    auto* typeLabel = new QLabel(QStringLiteral("File type:"), this);
    m_types = new QComboBox(this);
    // The picture formats in the order of their type numbers (".BMP", ".PCX", ".PNG"), then the
    // page's raw form where it has one; each entry holds its type.
    std::vector<morvi::ExportFileType> types;
    for (const morvi::PictureFormat& f : morvi::pictureFormats()) types.push_back(f.type);
    std::sort(types.begin(), types.end());
    if (allowRaw) types.push_back(morvi::ExportFileType::Raw);
    for (morvi::ExportFileType t : types) m_types->addItem(QLatin1Char('.') + exportExtension(t).toUpper(), int(t));
    m_types->setAccessibleName(QStringLiteral("File type:"));
    typeLabel->setBuddy(m_types);
    const int start = m_types->findData(int(type));
    m_types->setCurrentIndex(start >= 0 ? start : m_types->findData(int(morvi::ExportFileType::Png)));
    m_type = morvi::ExportFileType(m_types->currentData().toInt());
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);

    auto* grid = new QGridLayout;
    m_grid = grid;
    grid->addWidget(toLabel, 0, 0);
    grid->addWidget(m_edit, 0, 1);
    grid->addWidget(m_browse, 0, 2);
    grid->addWidget(typeLabel, 1, 0);
    grid->addWidget(m_types, 1, 1, Qt::AlignLeft);
    auto* buttons = okCancelRow(m_ok, m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_types, &QComboBox::activated, this, &ExportDialog::typeChosen);
    connect(m_browse, &QPushButton::clicked, this, &ExportDialog::browse);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    placeAt(this, mainWindow, QPoint(150, 100));
}

QString ExportDialog::path() const { return m_edit->text(); }

void ExportDialog::addOption(const QString& text) {
    m_option = new QCheckBox(text, this);
    m_grid->addWidget(m_option, 2, 1, 1, 2);
    m_option->setEnabled(m_type != morvi::ExportFileType::Raw);
    connect(m_types, &QComboBox::currentIndexChanged, m_option, [this](int index) {
        m_option->setEnabled(m_types->itemData(index).toInt() != int(morvi::ExportFileType::Raw));
    });
}

bool ExportDialog::optionChosen() const { return m_option && m_option->isEnabled() && m_option->isChecked(); }

void ExportDialog::typeChosen(int index) {
    if (index < 0) return;
    m_type = morvi::ExportFileType(m_types->itemData(index).toInt());
    m_edit->setText(renameForType(m_edit->text(), m_type));
}

void ExportDialog::browse() {
    FileRequest request{windowTitle(), {}, m_edit->text(), exportExtension(m_type)};
    const QString chosen = m_prompts.saveFile(this, request);
    if (chosen.isEmpty()) return;
    m_edit->setText(chosen);
    const std::string file = chosen.toUtf8().toStdString();
    if (const morvi::PictureFormat* format = morvi::pictureFormatForPath(file)) m_type = format->type;
    // A ".bin" name selects the raw type only where the page can write it.
    else if (morvi::lowerExtension(file) == "bin" && m_allowRaw) m_type = morvi::ExportFileType::Raw;
    m_types->setCurrentIndex(m_types->findData(int(m_type)));
}

CopyListDialog::CopyListDialog(QWidget* mainWindow, const QString& title, const QStringList& names)
    : QDialog(mainWindow) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("copyListDialog"));
    setWindowModality(Qt::WindowModal);
    m_list = new QListWidget(this);
    m_list->addItems(names);
    m_list->setAccessibleName(QStringLiteral("Copy from"));
    m_list->setMinimumHeight(260);
    m_copy = new QPushButton(QStringLiteral("Copy Image"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_copy->setDefault(true);
    m_copy->setEnabled(false);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_copy->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { copySelected(); });
    connect(m_copy, &QPushButton::clicked, this, &CopyListDialog::copySelected);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    placeAt(this, mainWindow, QPoint(150, 100));
}

void CopyListDialog::copySelected() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) return; // nothing to copy from: the dialog stays open
    emit chosen(m_list->row(selected.first()));
    accept();
}

CopyChoiceDialog::CopyChoiceDialog(QWidget* mainWindow, const QString& title, const QString& first,
                                   const QString& second, const QString& third)
    : QDialog(mainWindow) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("copyChoiceDialog"));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const QString texts[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        m_radios[std::size_t(i)] = new QRadioButton(texts[i], this);
        group->addButton(m_radios[std::size_t(i)], i);
        layout->addWidget(m_radios[std::size_t(i)]);
    }
    m_radios[0]->setChecked(true); // so that OK always has a choice
    m_radios[2]->setVisible(!third.isEmpty());
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);
    auto* buttons = okCancelRow(m_ok, m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this, group] {
        m_choice = std::max(0, group->checkedId());
        emit chosen(m_choice);
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    placeAt(this, mainWindow, QPoint(150, 100));
}

} // namespace morvi::ui
