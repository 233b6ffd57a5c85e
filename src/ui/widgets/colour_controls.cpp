#include "ui/widgets/colour_controls.h"

#include "imagefile/palette_file.h"
#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace morvi::ui {

ColorControls::ColorControls(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    const char* names[3] = {"Red", "Green", "Blue"};
    for (int c = 0; c < 3; ++c) {
        auto* label = new QLabel(QString::fromLatin1(names[c]), this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, 31);
        slider->setPageStep(4);
        slider->setAccessibleName(QString::fromLatin1(names[c]));
        auto* value = new QLabel(QStringLiteral("0"), this);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("888")));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(slider);
        grid->addWidget(label, c, 0);
        grid->addWidget(slider, c, 1);
        grid->addWidget(value, c, 2);
        m_sliders[std::size_t(c)] = slider;
        m_values[std::size_t(c)] = value;
        connect(slider, &QSlider::valueChanged, this, [this, c](int v) {
            m_values[std::size_t(c)]->setText(QString::number(v));
            emit channelMoved(c, v);
        });
        connect(slider, &QSlider::sliderPressed, this, &ColorControls::sliderPressed);
        connect(slider, &QSlider::sliderReleased, this, &ColorControls::sliderReleased);
    }
    m_transparent = new QCheckBox(QStringLiteral("Transparent"), this);
    grid->addWidget(m_transparent, 3, 0, 1, 3);
    connect(m_transparent, &QCheckBox::clicked, this, [this] { emit transparentClicked(); });

    // The current colour typed as "#rrggbb" or as the game's 15-bit word.
    const struct {
        const char* label;
        const char* tip;
    } fields[2] = {{"Hex", "The colour as #rrggbb; Enter sets it (five bits a channel are kept)"},
                   {"SNES", "The colour as the game stores it, a 15-bit word in hex (7FFF is white); Enter sets it"}};
    for (int f = 0; f < 2; ++f) {
        auto* label = new QLabel(QString::fromLatin1(fields[f].label), this);
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(QString::fromLatin1(fields[f].label));
        edit->setToolTip(QString::fromLatin1(fields[f].tip));
        edit->setMaxLength(f == 0 ? 9 : 6);
        label->setBuddy(edit);
        grid->addWidget(label, 4 + f, 0);
        grid->addWidget(edit, 4 + f, 1, 1, 2);
        m_fields[std::size_t(f)] = edit;
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, f] { markField(f, !fieldColor(f)); });
        connect(edit, &QLineEdit::returnPressed, this, [this, f] {
            const auto color = fieldColor(f);
            markField(f, !color);
            if (color) emit colorEntered(*color);
        });
    }
    setStyleSheet(QStringLiteral("QLineEdit[invalid=\"true\"] { background: #ffd8d8; color: #a00000; }"));
}

bool ColorControls::eventFilter(QObject* watched, QEvent* event) {
    // Undo and redo in a field act on the editor's steps, as everywhere else on the page,
    // rather than on the field's own typing: the field does not claim those keys.
    if (event->type() == QEvent::ShortcutOverride && m_passed && m_passed(static_cast<QKeyEvent*>(event)->keyCombination()))
        return true;
    return QWidget::eventFilter(watched, event);
}

std::optional<morvi::PaletteColor> ColorControls::fieldColor(int field) const {
    const std::string text = m_fields[std::size_t(field)]->text().toStdString();
    if (field == 0) return morvi::parseHexColor(text);
    const auto word = morvi::parseSnesWord(text);
    if (!word) return std::nullopt;
    return morvi::colorOfSnesWord(*word);
}

void ColorControls::markField(int field, bool invalid) {
    QLineEdit* edit = m_fields[std::size_t(field)];
    if (edit->property("invalid").toBool() == invalid) return;
    edit->setProperty("invalid", invalid);
    edit->setAccessibleDescription(invalid ? (field == 0 ? QStringLiteral("Not a colour #rrggbb") : QStringLiteral("Not a colour word 0000 to 7FFF"))
                                           : QString());
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
}

bool ColorControls::fieldInvalid(int field) const { return m_fields[std::size_t(field)]->property("invalid").toBool(); }

void ColorControls::setColor(morvi::PaletteColor color) {
    const QString texts[2] = {QString::fromStdString(morvi::hexColorText(color)),
                              QString::fromStdString(morvi::snesWordText(morvi::snesWord(color)))};
    for (int f = 0; f < 2; ++f) {
        QLineEdit* edit = m_fields[std::size_t(f)];
        // What the user is typing stays until Enter or until the field loses the focus.
        if (edit->hasFocus() && edit->isModified()) continue;
        if (edit->text() != texts[f]) edit->setText(texts[f]);
        markField(f, false);
    }
}

void ColorControls::setValues(int red, int green, int blue) {
    const int v[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c) {
        QSignalBlocker quiet(m_sliders[std::size_t(c)]);
        m_sliders[std::size_t(c)]->setValue(v[c]);
        m_values[std::size_t(c)]->setText(QString::number(v[c]));
    }
}

void ColorControls::setEditable(bool editable, bool transparentChecked) {
    for (auto* s : m_sliders) s->setEnabled(editable);
    for (auto* f : m_fields) f->setEnabled(editable);
    m_transparent->setEnabled(editable);
    QSignalBlocker quiet(m_transparent);
    m_transparent->setChecked(transparentChecked);
}

} // namespace morvi::ui
