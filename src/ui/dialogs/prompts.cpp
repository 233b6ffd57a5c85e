#include "ui/dialogs/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/dialogs/import_dialog.h"

namespace morvi::ui {

namespace {

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

void fitCaption(QMessageBox& box) {
    // A message box is as wide as its text and buttons, and a short message ("ROM saved") makes
    // it narrower than its title: window managers then cut the title to "...". The title bar's
    // font is the window manager's (often bold), and its icon and buttons take room of their own.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 6 / 5 + 140;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

void QtPrompts::message(const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), kCaption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    fitCaption(box);
    box.exec();
}

Answer QtPrompts::ask(const QString& text, Buttons buttons, Icon icon) {
    QMessageBox::StandardButtons which = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: which = QMessageBox::Ok; break;
    case Buttons::OkCancel: which = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::YesNo: which = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: which = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox box(toQt(icon), kCaption, text, which);
    box.setWindowModality(Qt::ApplicationModal);
    fitCaption(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
    }
}

QString QtPrompts::openFile(QWidget* parent, const FileRequest& request) {
    return QFileDialog::getOpenFileName(parent, request.title, request.initialPath, request.filters.join(";;"));
}

std::optional<QColor> QtPrompts::chooseColor(QWidget* parent, const QColor& initial, const QString& title) {
    const QColor chosen = QColorDialog::getColor(initial, parent, title);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

std::optional<QString> QtPrompts::askText(QWidget* parent, const QString& title, const QString& label, const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString QtPrompts::saveFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title, request.initialPath, request.filters.join(";;"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool QtPrompts::importFile(QWidget* parent, const ImportRequest& request) {
    ImportFileDialog dialog(parent, request);
    return dialog.exec() == QDialog::Accepted;
}

void PromptNotifier::notify(morvi::MessageKind kind, std::string_view text) {
    Icon icon = Icon::None;
    switch (kind) {
    case morvi::MessageKind::Error: icon = Icon::Error; break;
    case morvi::MessageKind::Warning: icon = Icon::Warning; break;
    case morvi::MessageKind::Information: icon = Icon::Information; break;
    case morvi::MessageKind::None: icon = Icon::None; break;
    }
    m_prompts.message(QString::fromUtf8(text.data(), qsizetype(text.size())), icon);
}

} // namespace morvi::ui
