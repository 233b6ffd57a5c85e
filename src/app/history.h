#pragma once
// Undo and redo for every family. A family's state is cut into chunks (a palette table,
// one graphics record, one entry, one mold, one portrait, one character, ...); a step keeps
// only the chunks its edit changed, as they were before it. Undoing a step puts those back and
// keeps the chunks it replaced for redo, so one side of each step is stored at a time.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "family/family_module.h"

namespace morvi {

struct Workspace;

Snapshot takeSnapshot(const Workspace& ws, Family family);
// Only the chunks with these ids.
Snapshot takeSnapshot(const Workspace& ws, Family family, const std::vector<ChunkId>& ids);
// The chunks of `before` that differ from `after` (chunks only one side has count too).
std::vector<Chunk> changedChunks(const Snapshot& before, const Snapshot& after);
// Writes chunks back into the family; the chunks given for ids the other side lacks remove them.
void restoreChunks(Workspace& ws, Family family, const std::vector<Chunk>& chunks);
// The chunks with these ids as the family holds them now.
std::vector<Chunk> currentChunks(const Workspace& ws, Family family, const std::vector<Chunk>& ids);
// The ids of every chunk that writing pixels of one picture can change, sorted. A step limited
// to them costs a few chunks instead of the family.
std::vector<ChunkId> pictureChunkIds(const Workspace& ws, Family family, int picture);

// Where in its family a step happened, so that undo can show it: the picture (a monster
// entry, a portrait or a character number).
struct Place {
    int picture = 0;
};

struct HistoryStep {
    std::string label;
    Family family = nullptr;
    Place place;
    bool hidden = false;          // a save's own changes: undone and redone with its neighbour
    std::uint64_t id = 0;
    std::vector<Chunk> chunks;    // before the step while it is done; after it while undone
    std::size_t bytes() const;
};

class EditHistory {
public:
    explicit EditHistory(std::size_t byteLimit = 64u << 20) : m_limit(byteLimit) {}

    // Starts a step: the family's state now is what undo will go back to. Steps do not nest:
    // a begin while one is open keeps the open one (a stroke stays one step).
    void begin(const Workspace& ws, Family family, const std::string& label, Place place);
    // The same for an edit that can change only the chunks named (sorted ids).
    void begin(const Workspace& ws, Family family, const std::string& label, Place place, std::vector<ChunkId> scope);
    bool open() const { return m_open.has_value(); }
    // Ends the open step; a step that changed nothing is dropped. True when a step was kept.
    bool end(const Workspace& ws);
    // Records changes the program made on its own (a save that renumbers records): undone
    // together with the step below them.
    void recordHidden(const Workspace& ws, Family family, const Snapshot& before);

    bool canUndo() const;
    bool canRedo() const;
    std::string undoLabel() const; // the label of the step undo would take back
    std::string redoLabel() const;
    // Take back / do again one step; returns where it happened.
    std::optional<Place> undo(Workspace& ws);
    std::optional<Place> redo(Workspace& ws);
    // The family of the step undo or redo would act on.
    std::optional<Family> undoFamily() const;
    std::optional<Family> redoFamily() const;

    // The family's state counts as saved as it is now.
    void markSaved(Family family);
    // Whether the family differs from its saved state, as far as the history knows.
    bool differsFromSaved(Family family) const;
    void clear();

    std::size_t bytes() const;
    std::size_t size() const { return m_steps.size(); }
    std::size_t position() const { return m_done; }

private:
    // The nearest step that is not a save's own, below / above the current position.
    std::optional<std::size_t> undoIndex() const;
    std::optional<std::size_t> redoIndex() const;
    void applyStep(Workspace& ws, std::size_t index);
    std::uint64_t lastApplied(Family family) const;
    void trim();

    struct OpenStep {
        HistoryStep step;
        Snapshot before;
        std::optional<std::vector<ChunkId>> scope;
    };
    std::vector<HistoryStep> m_steps; // [0, m_done) are done, the rest undone (redo-able)
    std::size_t m_done = 0;
    std::optional<OpenStep> m_open;
    std::uint64_t m_nextId = 1;
    std::map<Family, std::uint64_t> m_saved; // id of the last step applied when saved
    std::map<Family, std::uint64_t> m_base;  // id of the last dropped step: the oldest state kept
    std::size_t m_limit;
};

} // namespace morvi
