#pragma once
// Animated GIF out, through giflib: frames of one size sharing one palette, each with its delay,
// looping for ever.
#include <cstdint>
#include <string>
#include <vector>

#include "image/indexed_image.h"

namespace morvi {

struct GifAnimation {
    std::vector<IndexedImage> frames; // all of one size; the first frame's palette is everyone's
    std::vector<int> delays;          // hundredths of a second, one a frame
    int colorCount = 16;              // palette entries used (2 to 256)
    int transparentIndex = -1;        // shown as transparent, each frame cleared before the next; -1 none
    int scale = 1;                    // whole-number enlargement, no smoothing
};

// The GIF file's bytes; empty with the reason in `error` when the animation is not one.
std::vector<std::uint8_t> encodeAnimatedGif(const GifAnimation& animation, std::string& error);

} // namespace morvi
