#include "ui/tab.h"

namespace morvi::ui {

Tab::Tab(EditorContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

void Tab::redrawPage() {
    paint();
    update();
}

void Tab::setChanged(bool changed) {
    if (m_changed == changed) return;
    m_changed = changed;
    emit changedChanged(changed);
}

bool Tab::applyEdit(const QString& label, const std::function<bool()>& change) {
    const bool didChange = change();
    if (didChange) {
        setChanged(true);
        emit edited(label);
    }
    return didChange;
}

} // namespace morvi::ui
