#include "app/animation_export.h"

#include <algorithm>

#include "rom/rom_file.h"

namespace morvi {

GifAnimation buildAnimationGif(const CharacterSprites& ch, const AnimationExport& request) {
    GifAnimation gif;
    gif.scale = request.scale;
    const FrameBox box = frameBoxOf(request.frames);
    // With a backdrop, its colours follow the character's 16 (those it shares are not repeated).
    std::vector<PaletteColor> colours(ch.sprites[0].palette.begin(), ch.sprites[0].palette.begin() + 16);
    std::vector<std::uint8_t> backdropIndex;
    int bx = 0, by = 0;
    const IndexedImage* backdrop = request.backdrop && request.backdrop->hasPixels() ? request.backdrop : nullptr;
    if (backdrop) {
        backdropIndex.resize(256, 0);
        for (int c = 0; c < std::min(backdrop->colorCount, 256); ++c) {
            const PaletteColor p = backdrop->palette[std::size_t(c)];
            auto found = std::find(colours.begin() + 1, colours.end(), p);
            if (found == colours.end()) {
                if (colours.size() >= 256) break;
                colours.push_back(p);
                found = colours.end() - 1;
            }
            backdropIndex[std::size_t(c)] = std::uint8_t(found - colours.begin());
        }
        bx = (backdrop->width - box.width) / 2;
        by = (backdrop->height - box.height) / 2;
    }
    gif.colorCount = int(colours.size());
    gif.transparentIndex = backdrop ? -1 : 0;
    for (std::size_t k = 0; k < request.frames.size(); ++k) {
        // The character's own colours: the GIF shows the field's look, no battle replacement.
        IndexedImage frame = renderFrame(ch, request.frames[k], box, false);
        for (std::size_t c = 0; c < colours.size(); ++c) frame.palette[c] = colours[c];
        if (backdrop)
            for (int y = 0; y < box.height; ++y)
                for (int x = 0; x < box.width; ++x)
                    if (frame.pixel(x, y) == 0)
                        frame.setPixel(x, y, backdrop->contains(bx + x, by + y) ? backdropIndex[backdrop->pixel(bx + x, by + y)] : 0);
        gif.frames.push_back(std::move(frame));
        gif.delays.push_back(gifDelayOfFrame(request.framesPerPose, int(k)));
    }
    return gif;
}

bool exportAnimationGif(const CharacterSprites& ch, const AnimationExport& request, const std::string& path, std::string& error) {
    if (request.frames.empty()) {
        error = "the animation has no poses";
        return false;
    }
    if (request.scale < 1 || request.scale > kLargestAnimationScale) {
        error = "the scale is 1 to " + std::to_string(kLargestAnimationScale);
        return false;
    }
    if (request.framesPerPose < 1 || request.framesPerPose > kLargestFramesPerPose) {
        error = "a pose shows 1 to " + std::to_string(kLargestFramesPerPose) + " frames";
        return false;
    }
    for (const AnimationFrame& f : request.frames)
        if (!ch.hasPose(f.pose)) {
            error = "this character has no pose " + std::to_string(f.pose) + " (" + poseName(f.pose) + ")";
            return false;
        }
    const std::vector<std::uint8_t> bytes = encodeAnimatedGif(buildAnimationGif(ch, request), error);
    if (bytes.empty()) return false;
    if (!writeReplacing(path, [&](const std::string& temp) { return writeWholeFile(temp, bytes); })) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

} // namespace morvi
