#pragma once
// A character's animation as an animated GIF, shared by the editor's "Export Animation ..." and
// morvi-cli animation: the game's timing, its mirrored poses and feet, the character's own 16
// colours, colour 0 transparent or a backdrop behind.
#include <string>
#include <vector>

#include "characters/animation_frames.h"
#include "imagefile/gif_file.h"

namespace morvi {

struct AnimationExport {
    std::vector<AnimationFrame> frames;
    int framesPerPose = 8; // frames of 60 Hz each pose shows
    int scale = 1;
    // A picture behind the poses (its middle), or none: colour 0 transparent.
    const IndexedImage* backdrop = nullptr;
};

constexpr int kLargestAnimationScale = 16;
constexpr int kLargestFramesPerPose = 600;

GifAnimation buildAnimationGif(const CharacterSprites& ch, const AnimationExport& request);
// False with the reason in `error`; nothing is written then.
bool exportAnimationGif(const CharacterSprites& ch, const AnimationExport& request, const std::string& path, std::string& error);

} // namespace morvi
