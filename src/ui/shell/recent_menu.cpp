#include "ui/shell/recent_menu.h"

#include <QAction>
#include <QMenu>

#include "family/settings.h"

namespace morvi::ui {

namespace {

QString recentText(int index, const std::string& path) {
    // The path's own ampersands must not become mnemonics.
    const std::string text = morvi::recentMenuText(index, path);
    const std::size_t prefix = text.find(' ') + 1;
    return QString::fromStdString(text.substr(0, prefix)) +
           QString::fromStdString(text.substr(prefix)).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void RecentMenu::rebuild(const std::vector<std::string>& files) {
    if (files.empty()) return;
    for (QAction* a : m_actions) {
        m_menu->removeAction(a);
        a->deleteLater();
    }
    m_actions.clear();
    if (m_separator) {
        m_menu->removeAction(m_separator);
        m_separator->deleteLater();
    }
    m_separator = m_menu->addSeparator();
    for (int i = 0; i < int(files.size()) && i < morvi::kRecentFileCount; ++i) {
        QAction* a = m_menu->addAction(recentText(i, files[std::size_t(i)]));
        a->setToolTip(QString::fromStdString(files[std::size_t(i)]));
        connect(a, &QAction::triggered, this, [this, i] { m_open(i); });
        m_actions.push_back(a);
    }
}

} // namespace morvi::ui
