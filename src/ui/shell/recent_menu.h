#pragma once
// The File menu's list of recently opened ROMs ("&1 /path/game.smc"), made again from the
// settings after each open.
#include <QList>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace morvi::ui {

class RecentMenu : public QObject {
public:
    // `open` opens entry i of the list.
    RecentMenu(QMenu* menu, std::function<void(int)> open, QObject* parent = nullptr)
        : QObject(parent), m_menu(menu), m_open(std::move(open)) {}
    void rebuild(const std::vector<std::string>& files);
    QList<QAction*> actions() const { return m_actions; }

private:
    QMenu* m_menu;
    std::function<void(int)> m_open;
    QAction* m_separator = nullptr;
    QList<QAction*> m_actions;
};

} // namespace morvi::ui
