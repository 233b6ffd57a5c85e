#include "ui/pages/tab.h"

#include "app/workspace.h"

namespace morvi::ui {

Tab::Tab(EditorContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

void Tab::redrawPage() {
    // The page draws into its views and sets its controls; each of those repaints itself, so
    // the page as a whole is not repainted (a stroke repaints the canvas, not every button).
    paint();
}

void Tab::setChanged(bool changed) {
    if (m_changed == changed) return;
    m_changed = changed;
    emit changedChanged(changed);
}

void Tab::refreshChanged() { setChanged(m_context.history.differsFromSaved(family())); }

bool Tab::applyEdit(const QString& label, const std::function<bool()>& change) {
    return applyEdit(label, change, {});
}

bool Tab::applyEdit(const QString& label, const std::function<bool()>& change, std::vector<morvi::ChunkId> scope) {
    morvi::EditHistory& history = m_context.history;
    const bool grouped = history.open();
    if (!grouped && scope.empty()) history.begin(m_context.ws, family(), label.toStdString(), place());
    else if (!grouped) history.begin(m_context.ws, family(), label.toStdString(), place(), std::move(scope));
    const bool didChange = change();
    if (!grouped) {
        history.end(m_context.ws);
        refreshChanged();
        emit edited(label);
    }
    return didChange;
}

void Tab::beginGroup(const QString& label) {
    if (!m_context.history.open()) m_context.history.begin(m_context.ws, family(), label.toStdString(), place());
}

void Tab::endGroup() {
    if (!m_context.history.open()) return;
    m_context.history.end(m_context.ws);
    refreshChanged();
    emit edited(QString());
}

} // namespace morvi::ui
