#pragma once
// A character's poses as an animation shows them: the game's mirrored feet (poses 2 and 5), a
// whole pose mirrored, colours 12 to 15 as a battle replaces them, each pose at the bottom
// centre of a frame as large as the sequence's largest pose; and the player that steps through
// a sequence at 60 frames a second.
#include <optional>
#include <vector>

#include "characters/animations.h"
#include "characters/characters.h"

namespace morvi {

// The colour a battle animation shows in place of colours 12 to 15 (the game puts its own there).
inline constexpr PaletteColor kBattleMarkerColor = makeColor(255, 0, 255);

// The pose as the game draws it, in the character's 16 colours.
IndexedImage renderPose(const CharacterSprites& ch, AnimationFrame frame, bool battleColours);
// The same from the pose's picture as given (a pose being drawn).
IndexedImage renderPose(const IndexedImage& sprite, AnimationFrame frame, bool battleColours);

struct FrameBox {
    int width = 0;
    int height = 0;
};
// As wide as the widest pose and as tall as the tallest of the sequence.
FrameBox frameBoxOf(const std::vector<AnimationFrame>& frames);
// renderPose placed at the bottom centre of a box (the rest colour 0).
IndexedImage renderFrame(const CharacterSprites& ch, AnimationFrame frame, FrameBox box, bool battleColours);
IndexedImage renderFrame(const IndexedImage& sprite, AnimationFrame frame, FrameBox box, bool battleColours);

// Steps through a sequence: each pose shows framesPerPose ticks of 60 Hz.
class AnimationPlayer {
public:
    void setSequence(std::vector<AnimationFrame> frames, int framesPerPose);
    void setFramesPerPose(int framesPerPose);
    int framesPerPose() const { return m_framesPerPose; }
    const std::vector<AnimationFrame>& frames() const { return m_frames; }
    // One tick of 60 Hz; true when another pose shows now.
    bool tick();
    // Moves by whole poses (negative: back), wrapping around.
    void step(int poses);
    int index() const { return m_index; }
    AnimationFrame current() const { return m_frames.empty() ? AnimationFrame{} : m_frames[std::size_t(m_index)]; }

private:
    std::vector<AnimationFrame> m_frames;
    int m_framesPerPose = 8;
    int m_index = 0;
    int m_ticks = 0;
};

// Where the pose being edited stands in a sequence: the frames before and after its first place
// there (wrapping around), each mirrored as the game shows it next to the edited pose; without
// a place, the poses before and after it in the sheet. A neighbour that is the pose itself, as
// it is drawn, is left out.
struct OnionNeighbours {
    std::optional<AnimationFrame> previous;
    std::optional<AnimationFrame> next;
};
OnionNeighbours onionNeighbours(const std::vector<AnimationFrame>& frames, int pose, const CharacterSprites& ch);

} // namespace morvi
