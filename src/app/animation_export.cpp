#include "app/animation_export.h"

#include <algorithm>

#include "rom/rom_file.h"

namespace morvi {

AnimationPictures characterAnimationPictures(const CharacterSprites& ch, const std::vector<AnimationFrame>& frames) {
    AnimationPictures out;
    out.colours.assign(ch.sprites[0].palette.begin(), ch.sprites[0].palette.begin() + 16);
    out.box = frameBoxOf(frames);
    // The character's own colours: the GIF shows the field's look, no battle replacement.
    out.render = [&ch, box = out.box](AnimationFrame f) { return renderFrame(ch, f, box, false); };
    out.refuse = [&ch](AnimationFrame f) {
        return ch.hasPose(f.pose) ? std::string() : "this character has no pose " + std::to_string(f.pose) + " (" + poseName(f.pose) + ")";
    };
    return out;
}

AnimationPictures fieldAnimationPictures(const FieldSpriteSet& set, int index, const std::vector<AnimationFrame>& frames) {
    AnimationPictures out;
    const FieldSheet& sheet = set.sheet(index);
    const auto colours = set.palette(std::clamp(sheet.palette, 0, kFieldPaletteCount - 1));
    out.colours.assign(colours.begin(), colours.end());
    const int count = int(sheet.frames.size());
    for (const AnimationFrame& f : frames)
        if (f.pose >= 0 && f.pose < count) {
            out.box.width = std::max(out.box.width, sheet.frames[std::size_t(f.pose)].width());
            out.box.height = std::max(out.box.height, sheet.frames[std::size_t(f.pose)].height());
        }
    out.render = [&set, index, box = out.box](AnimationFrame f) {
        IndexedImage frame;
        frame.allocateImage(std::max(1, box.width), std::max(1, box.height));
        const IndexedImage drawn = renderFieldAnimationFrame(set, index, f);
        frame.palette = drawn.palette;
        frame.colorCount = 16;
        const int ox = (box.width - drawn.width) / 2, oy = box.height - drawn.height;
        for (int y = 0; y < drawn.height; ++y)
            for (int x = 0; x < drawn.width; ++x) frame.setPixel(ox + x, oy + y, drawn.pixel(x, y));
        return frame;
    };
    out.refuse = [count, index](AnimationFrame f) {
        return f.pose >= 0 && f.pose < count ? std::string()
                                             : "sheet " + std::to_string(index) + " has frames 0 to " + std::to_string(count - 1);
    };
    return out;
}

GifAnimation buildAnimationGif(const CharacterSprites& ch, const AnimationExport& request) {
    return buildAnimationGif(characterAnimationPictures(ch, request.frames), request);
}

bool exportAnimationGif(const CharacterSprites& ch, const AnimationExport& request, const std::string& path, std::string& error) {
    return exportAnimationGif(characterAnimationPictures(ch, request.frames), request, path, error);
}

GifAnimation buildAnimationGif(const AnimationPictures& pictures, const AnimationExport& request) {
    GifAnimation gif;
    gif.scale = request.scale;
    const FrameBox box = pictures.box;
    // With a backdrop, its colours follow the picture's 16 (those it shares are not repeated).
    std::vector<PaletteColor> colours = pictures.colours;
    colours.resize(16);
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
        IndexedImage frame = pictures.render(request.frames[k]);
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

bool exportAnimationGif(const AnimationPictures& pictures, const AnimationExport& request, const std::string& path, std::string& error) {
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
        if (std::string why = pictures.refuse(f); !why.empty()) {
            error = why;
            return false;
        }
    const std::vector<std::uint8_t> bytes = encodeAnimatedGif(buildAnimationGif(pictures, request), error);
    if (bytes.empty()) return false;
    if (!writeReplacing(path, [&](const std::string& temp) { return writeWholeFile(temp, bytes); })) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

} // namespace morvi
