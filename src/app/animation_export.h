#pragma once
// A character's animation as an animated GIF, shared by the editor's "Export Animation ..." and
// morvi-cli animation: the game's timing, its mirrored poses and feet, the character's own 16
// colours, colour 0 transparent or a backdrop behind.
#include <functional>
#include <string>
#include <vector>

#include "characters/animation_frames.h"
#include "fieldsprites/field_animations.h"
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

// What an animation shows, whatever family it is of: the 16 colours, and each frame drawn at
// the bottom centre of one box.
struct AnimationPictures {
    std::vector<PaletteColor> colours;
    FrameBox box;
    std::function<IndexedImage(AnimationFrame)> render;
    // "" or why the frame cannot be drawn (a pose the sprite lacks).
    std::function<std::string(AnimationFrame)> refuse;
};
// A character's poses, as the field shows them.
AnimationPictures characterAnimationPictures(const CharacterSprites& ch, const std::vector<AnimationFrame>& frames);
// The frames of field sprite sheet `index` (a frame's pose is the sheet's frame number), in the
// palette the sheet shows. The set must outlive the result.
AnimationPictures fieldAnimationPictures(const FieldSpriteSet& set, int index, const std::vector<AnimationFrame>& frames);

GifAnimation buildAnimationGif(const AnimationPictures& pictures, const AnimationExport& request);
GifAnimation buildAnimationGif(const CharacterSprites& ch, const AnimationExport& request);
// False with the reason in `error`; nothing is written then.
bool exportAnimationGif(const AnimationPictures& pictures, const AnimationExport& request, const std::string& path, std::string& error);
bool exportAnimationGif(const CharacterSprites& ch, const AnimationExport& request, const std::string& path, std::string& error);

} // namespace morvi
