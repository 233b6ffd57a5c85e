// The page's layout: the list column (picture list, preview, the page's own lists), the canvas
// with its scroll bars, magnification, palette strip and shape bar, and the tool column (tools,
// colour controls, buttons, the page's notes, "Exit").
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "image/canvas.h"
#include "ui/pages/page.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

void Page::buildLayout(const PageSpec& spec) {
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(8);

    m_left = new QVBoxLayout;
    m_left->setSpacing(6);
    m_pictureList = new FittingComboBox(this);
    m_pictureList->setAccessibleName(QStringLiteral("Picture list"));
    m_pictureList->setMaxVisibleItems(24);
    m_pictureList->setMinimumWidth(214);
    m_pictureList->setMaximumWidth(214);
    // Its width is fixed: without this, every layout pass would measure all of its names. It
    // shows no icons, and a size of none keeps it as tall as its text.
    m_pictureList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pictureList->setIconSize(QSize(0, 0));
    m_previewSize = spec.previewSize;
    m_preview = new SurfaceView(spec.previewSize.width(), spec.previewSize.height(), spec.previewName, this);
    m_left->addWidget(m_pictureList);
    m_left->addSpacing(4);
    m_left->addWidget(m_preview, 0, Qt::AlignHCenter);
    m_left->addSpacing(4);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    auto* canvasGrid = new QGridLayout;
    canvasGrid->setSpacing(0);
    m_canvas = new CanvasView(this);
    m_hScroll = new QScrollBar(Qt::Horizontal, this);
    m_vScroll = new QScrollBar(Qt::Vertical, this);
    m_hScroll->setAccessibleName(QStringLiteral("Scroll across"));
    m_vScroll->setAccessibleName(QStringLiteral("Scroll down"));
    // Hidden scroll bars keep their room, so the canvas does not move when they come and go.
    for (QScrollBar* bar : {m_hScroll, m_vScroll}) {
        bar->setPageStep(10);
        QSizePolicy keep = bar->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(keep);
    }
    canvasGrid->addWidget(m_canvas, 0, 0);
    canvasGrid->addWidget(m_vScroll, 0, 1);
    canvasGrid->addWidget(m_hScroll, 1, 0);
    middle->addLayout(canvasGrid, 1);
    m_mag = new MagnificationControl(this);
    middle->addWidget(m_mag);
    m_strip = new PaletteStrip(morvi::kStripWidth, morvi::kStripHeight, this);
    middle->addWidget(m_strip);

    // The tool column keeps its width however wide the window grows.
    auto* rightColumn = new QWidget(this);
    rightColumn->setFixedWidth(151);
    auto* right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(6);
    m_tools = new ToolButtons(rightColumn);
    right->addWidget(m_tools);
    m_tools->shapeBar()->setParent(this);
    middle->addWidget(m_tools->shapeBar());
    m_colors = new ColorControls(rightColumn);
    right->addWidget(m_colors);
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
    connect(m_exit, &QPushButton::clicked, this, &Page::exitRequested);

    page->addLayout(m_left);
    page->addLayout(middle, 1);
    page->addWidget(rightColumn);
}

QPushButton* Page::addButton(const QString& text, const std::function<void()>& action) {
    auto* b = new QPushButton(text, this);
    m_buttons->insertWidget(m_buttons->indexOf(m_exit), b);
    connect(b, &QPushButton::clicked, this, [action] { action(); });
    return b;
}

FittingComboBox* Page::addList(const QString& label, const QString& accessibleName) {
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, this);
    auto* list = new FittingComboBox(this);
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
