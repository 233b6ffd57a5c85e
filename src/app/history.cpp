#include "app/history.h"

#include <algorithm>

#include "family/workspace.h"

namespace morvi {

std::size_t HistoryStep::bytes() const {
    std::size_t n = sizeof(HistoryStep) + label.size();
    for (const Chunk& c : chunks) n += sizeof(Chunk) + (c.second ? c.second->capacity() : 0);
    return n;
}

void EditHistory::begin(const Workspace& ws, Family family, const std::string& label, Place place) {
    if (m_open) return;
    OpenStep open;
    open.step.label = label;
    open.step.family = family;
    open.step.place = place;
    open.before = takeSnapshot(ws, family);
    m_open = std::move(open);
}

void EditHistory::begin(const Workspace& ws, Family family, const std::string& label, Place place,
                        std::vector<ChunkId> scope) {
    if (m_open) return;
    OpenStep open;
    open.step.label = label;
    open.step.family = family;
    open.step.place = place;
    open.before = takeSnapshot(ws, family, scope);
    open.scope = std::move(scope);
    m_open = std::move(open);
}

bool EditHistory::end(const Workspace& ws) {
    if (!m_open) return false;
    OpenStep open = std::move(*m_open);
    m_open.reset();
    const Snapshot after = open.scope ? currentChunks(ws, open.step.family, open.before) : takeSnapshot(ws, open.step.family);
    std::vector<Chunk> changed = changedChunks(open.before, after);
    if (changed.empty()) return false;
    // A new edit ends the redo branch.
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
    open.step.chunks = std::move(changed);
    open.step.id = m_nextId++;
    m_steps.push_back(std::move(open.step));
    m_done = m_steps.size();
    trim();
    return true;
}

void EditHistory::recordHidden(const Workspace& ws, Family family, const Snapshot& before) {
    std::vector<Chunk> changed = changedChunks(before, takeSnapshot(ws, family));
    if (changed.empty()) return;
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
    HistoryStep step;
    step.label = "Save";
    step.family = family;
    step.hidden = true;
    step.id = m_nextId++;
    step.chunks = std::move(changed);
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
    trim();
}

void EditHistory::applyStep(Workspace& ws, std::size_t index) {
    HistoryStep& step = m_steps[index];
    std::vector<Chunk> now = currentChunks(ws, step.family, step.chunks);
    restoreChunks(ws, step.family, step.chunks);
    step.chunks = std::move(now);
}

std::optional<std::size_t> EditHistory::undoIndex() const {
    for (std::size_t i = m_done; i-- > 0;)
        if (!m_steps[i].hidden) return i;
    return std::nullopt;
}

std::optional<std::size_t> EditHistory::redoIndex() const {
    for (std::size_t i = m_done; i < m_steps.size(); ++i)
        if (!m_steps[i].hidden) return i;
    return std::nullopt;
}

bool EditHistory::canUndo() const { return undoIndex().has_value(); }
bool EditHistory::canRedo() const { return redoIndex().has_value(); }

std::string EditHistory::undoLabel() const {
    const auto i = undoIndex();
    return i ? m_steps[*i].label : std::string();
}

std::string EditHistory::redoLabel() const {
    const auto i = redoIndex();
    return i ? m_steps[*i].label : std::string();
}

std::optional<Family> EditHistory::undoFamily() const {
    const auto i = undoIndex();
    return i ? std::optional<Family>(m_steps[*i].family) : std::nullopt;
}

std::optional<Family> EditHistory::redoFamily() const {
    const auto i = redoIndex();
    return i ? std::optional<Family>(m_steps[*i].family) : std::nullopt;
}

std::optional<Place> EditHistory::undo(Workspace& ws) {
    if (m_open || !canUndo()) return std::nullopt;
    // Changes a save made on its own go first, then the user's step below them.
    while (m_done > 0 && m_steps[m_done - 1].hidden) applyStep(ws, --m_done);
    applyStep(ws, --m_done);
    return m_steps[m_done].place;
}

std::optional<Place> EditHistory::redo(Workspace& ws) {
    if (m_open || !canRedo()) return std::nullopt;
    while (m_steps[m_done].hidden) applyStep(ws, m_done++); // cannot happen after undo, kept safe
    const std::size_t step = m_done;
    applyStep(ws, m_done++);
    while (m_done < m_steps.size() && m_steps[m_done].hidden) applyStep(ws, m_done++);
    return m_steps[step].place;
}

std::uint64_t EditHistory::lastApplied(Family family) const {
    for (std::size_t i = m_done; i-- > 0;)
        if (m_steps[i].family == family) return m_steps[i].id;
    const auto base = m_base.find(family);
    return base == m_base.end() ? 0 : base->second;
}

void EditHistory::markSaved(Family family) { m_saved[family] = lastApplied(family); }

bool EditHistory::differsFromSaved(Family family) const {
    const auto saved = m_saved.find(family);
    return lastApplied(family) != (saved == m_saved.end() ? 0 : saved->second);
}

void EditHistory::clear() {
    m_steps.clear();
    m_done = 0;
    m_open.reset();
    m_saved.clear();
    m_base.clear();
}

std::size_t EditHistory::bytes() const {
    std::size_t n = 0;
    for (const auto& s : m_steps) n += s.bytes();
    return n;
}

void EditHistory::trim() {
    std::size_t total = bytes();
    while (total > m_limit && m_done > 1) {
        // The oldest step goes; the state it led to becomes the family's bottom state.
        total -= m_steps.front().bytes();
        m_base[m_steps.front().family] = m_steps.front().id;
        m_steps.erase(m_steps.begin());
        --m_done;
    }
}

} // namespace morvi
