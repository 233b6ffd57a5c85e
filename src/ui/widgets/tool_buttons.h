#pragma once
// The tool buttons, made from the tool table, and the "Filled" and "Mirror" switches.
#include <QWidget>
#include <vector>

#include "ui/tools/tool_table.h"

class QToolButton;

namespace morvi::ui {

// A button for each tool of the tool table, drawn with the tool's picture, and the "Filled"
// and "Mirror" check buttons.
class ToolButtons : public QWidget {
    Q_OBJECT
public:
    explicit ToolButtons(QWidget* parent = nullptr);
    void setCurrent(Tool tool);
    Tool current() const { return m_current; }
    QToolButton* button(Tool tool) const;
    QToolButton* filledButton() const { return m_filled; }
    QToolButton* mirrorButton() const { return m_mirror; }
    // The bar of the shape tools, the fill and the switches, for the page to place.
    QWidget* shapeBar() const { return m_bar; }
    bool filled() const;
    bool mirror() const;

signals:
    void toolChosen(morvi::ui::Tool tool);

private:
    std::vector<QToolButton*> m_buttons; // in the order of the tool table
    QWidget* m_bar = nullptr;
    QToolButton* m_filled = nullptr;
    QToolButton* m_mirror = nullptr;
    Tool m_current = Tool::Draw;
};

} // namespace morvi::ui
