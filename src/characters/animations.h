#pragma once
// The game's own sequences of poses (walking on the field, riding, and the battle actions),
// and sequences of the user's own written the same way ("7 8 7 6m").
#include <optional>
#include <string>
#include <vector>

namespace morvi {

struct AnimationFrame {
    int pose = 0;
    bool mirrored = false; // the whole pose drawn mirrored left to right
    bool operator==(const AnimationFrame&) const = default;
};

struct Animation {
    std::string name;  // "walk-down", as the command line takes it
    std::string title; // "walk down", as the game's tables call it
    bool battle = false;
    int framesPerPose = 8; // frames of 60 Hz each pose shows at the game's normal speed
    std::vector<AnimationFrame> frames;
};

// The 28 animations, field ones first.
const std::vector<Animation>& gameAnimations();
const Animation* findAnimation(const std::string& name);

// "7 8 7 6m": pose numbers 0 to 42 separated by blanks, each optionally followed by m.
// nullopt and the reason in `error` for anything else (an empty sequence too).
std::optional<std::vector<AnimationFrame>> parsePoseSequence(const std::string& text, std::string& error);
std::string formatPoseSequence(const std::vector<AnimationFrame>& frames);

// Frame k's length in hundredths of a second for a pose shown `frames` frames of 60 Hz: the
// lengths alternate (13, 13, 14 for 8 frames) so that any run of them keeps the game's time.
int gifDelayOfFrame(int frames, int k);

} // namespace morvi
