#include "ui/pages/page_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "image/canvas.h"
#include "ui/widgets/canvas_view.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

PageColumns::PageColumns(QWidget& page, QSize previewSize, const QString& previewName, PageWidgets& widgets)
    : m_page(page) {
    auto* columns = new QHBoxLayout(&page);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(8);

    m_left = new QVBoxLayout;
    m_left->setSpacing(6);
    auto* pictureList = new FittingComboBox(&page);
    pictureList->setAccessibleName(QStringLiteral("Picture list"));
    pictureList->setMaxVisibleItems(24);
    pictureList->setMinimumWidth(214);
    pictureList->setMaximumWidth(214);
    // Its width is fixed: without this, every layout pass would measure all of its names. It
    // shows no icons, and a size of none keeps it as tall as its text.
    pictureList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    pictureList->setIconSize(QSize(0, 0));
    auto* preview = new SurfaceView(previewSize.width(), previewSize.height(), previewName, &page);
    m_left->addWidget(pictureList);
    m_left->addSpacing(4);
    m_left->addWidget(preview, 0, Qt::AlignHCenter);
    m_left->addSpacing(4);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    auto* canvasGrid = new QGridLayout;
    canvasGrid->setSpacing(0);
    auto* canvas = new CanvasView(&page);
    auto* hScroll = new QScrollBar(Qt::Horizontal, &page);
    auto* vScroll = new QScrollBar(Qt::Vertical, &page);
    hScroll->setAccessibleName(QStringLiteral("Scroll across"));
    vScroll->setAccessibleName(QStringLiteral("Scroll down"));
    // Hidden scroll bars keep their room, so the canvas does not move when they come and go.
    for (QScrollBar* bar : {hScroll, vScroll}) {
        bar->setPageStep(10);
        QSizePolicy keep = bar->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(keep);
    }
    canvasGrid->addWidget(canvas, 0, 0);
    canvasGrid->addWidget(vScroll, 0, 1);
    canvasGrid->addWidget(hScroll, 1, 0);
    middle->addLayout(canvasGrid, 1);
    auto* magnification = new MagnificationControl(&page);
    middle->addWidget(magnification);
    auto* strip = new PaletteStrip(morvi::kStripWidth, morvi::kStripHeight, &page);
    middle->addWidget(strip);

    // The tool column keeps its width however wide the window grows.
    auto* rightColumn = new QWidget(&page);
    rightColumn->setFixedWidth(151);
    auto* right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(6);
    auto* tools = new ToolButtons(rightColumn);
    right->addWidget(tools);
    tools->shapeBar()->setParent(&page);
    middle->addWidget(tools->shapeBar());
    auto* colors = new ColorControls(rightColumn);
    right->addWidget(colors);
    right->addSpacing(6);
    m_buttons = new QVBoxLayout;
    m_buttons->setSpacing(4);
    right->addLayout(m_buttons);
    right->addSpacing(6);
    m_info = new QVBoxLayout;
    m_info->setSpacing(3);
    right->addLayout(m_info);
    right->addStretch(1);
    m_exit = new QPushButton(QStringLiteral("Exit"), rightColumn);
    m_buttons->addWidget(m_exit);

    columns->addLayout(m_left);
    columns->addLayout(middle, 1);
    columns->addWidget(rightColumn);

    widgets.canvas = canvas;
    widgets.preview = preview;
    widgets.strip = strip;
    widgets.colorControls = colors;
    widgets.tools = tools;
    widgets.magnification = magnification;
    widgets.horizontalScroll = hScroll;
    widgets.verticalScroll = vScroll;
    widgets.pictureList = pictureList;
    widgets.exitButton = m_exit;
}

QPushButton* PageColumns::addButton(const QString& text, const std::function<void()>& action) {
    auto* b = new QPushButton(text, &m_page);
    m_buttons->insertWidget(m_buttons->indexOf(m_exit), b);
    QObject::connect(b, &QPushButton::clicked, &m_page, [action] { action(); });
    return b;
}

FittingComboBox* PageColumns::addList(const QString& label, const QString& accessibleName) {
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, &m_page);
    auto* list = new FittingComboBox(&m_page);
    list->setAccessibleName(accessibleName);
    list->setMaxVisibleItems(24);
    text->setBuddy(list);
    // Labels as wide as the widest ("Colours"); the lists take the rest of the column.
    text->setFixedWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("Colours")) + 6);
    list->setMinimumWidth(120);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    row->addWidget(text);
    row->addWidget(list, 1);
    m_left->addLayout(row);
    return list;
}

} // namespace morvi::ui
