#include "ui/widgets/tool_buttons.h"

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

ToolButtons::ToolButtons(QWidget* parent) : QWidget(parent) {
    // The column's tools stand in a row as wide as the tool column (151 pixels): three buttons of
    // 42 x 42, or four of 34 x 34; the shape tools, the fill and the two switches in a bar of
    // their own, which the page puts under the palette strip.
    const auto inColumn = std::count_if(toolTable().begin(), toolTable().end(),
                                        [](const ToolInfo& t) { return t.place == ToolPlace::Column; });
    const int columnSide = inColumn <= 3 ? 42 : 34;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(inColumn <= 3 ? 6 : 5);
    m_bar = new QWidget(parent);
    m_bar->setAccessibleName(QStringLiteral("Shape tools"));
    auto* bar = new QHBoxLayout(m_bar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(4);
    for (const ToolInfo& t : toolTable()) {
        const bool main = t.place == ToolPlace::Column;
        auto* b = new QToolButton(main ? static_cast<QWidget*>(this) : m_bar);
        const int side = main ? columnSide : 34;
        b->setFixedSize(side, side);
        b->setIconSize(QSize(side, side));
        b->setAutoRaise(false);
        b->setText(QString::fromLatin1(t.name));
        b->setAccessibleName(QString::fromLatin1(t.name));
        b->setToolTip(QString::fromLatin1(t.tooltip));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
        b->setCheckable(true);
        (main ? row : bar)->addWidget(b);
        m_buttons.push_back(b);
        const Tool tool = t.tool;
        connect(b, &QToolButton::clicked, this, [this, tool] {
            setCurrent(tool);
            emit toolChosen(tool);
        });
    }
    row->addStretch(1);
    bar->addSpacing(4);
    auto makeSwitch = [&](const QString& text, const QString& tip) {
        auto* b = new QToolButton(m_bar);
        b->setText(text);
        b->setAccessibleName(text);
        b->setToolTip(tip);
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setFixedHeight(34);
        bar->addWidget(b);
        return b;
    };
    m_filled = makeSwitch(QStringLiteral("Filled"), QStringLiteral("Rectangles and ellipses are drawn filled"));
    m_mirror = makeSwitch(QStringLiteral("Mirror"),
                          QStringLiteral("Mirror strokes and shapes about the picture's vertical centre line (Shift+M)"));
    bar->addStretch(1);
    setCurrent(Tool::Draw);
}

QToolButton* ToolButtons::button(Tool tool) const {
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        if (toolTable()[i].tool == tool) return m_buttons[i];
    return nullptr;
}

bool ToolButtons::filled() const { return m_filled->isChecked(); }
bool ToolButtons::mirror() const { return m_mirror->isChecked(); }

void ToolButtons::setCurrent(Tool tool) {
    m_current = tool;
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const ToolInfo& t = toolTable()[i];
        const bool current = t.tool == tool;
        QToolButton* b = m_buttons[i];
        b->setIcon(QIcon(QStringLiteral(":/art/tool-%1%2.png")
                             .arg(QString::fromLatin1(t.art), current ? QStringLiteral("-current") : QString())));
        b->setChecked(current);
    }
}

} // namespace morvi::ui
