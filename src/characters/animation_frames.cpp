#include "characters/animation_frames.h"

#include <algorithm>

namespace morvi {

IndexedImage renderPose(const CharacterSprites& ch, AnimationFrame frame, bool battleColours) {
    if (frame.pose < 0 || frame.pose >= kPoseCount) return {};
    return renderPose(ch.sprites[std::size_t(frame.pose)], frame, battleColours);
}

IndexedImage renderPose(const IndexedImage& sprite, AnimationFrame frame, bool battleColours) {
    IndexedImage out;
    if (frame.pose < 0 || frame.pose >= kPoseCount) return out;
    out = sprite;
    if (!out.hasPixels()) {
        const PoseSize size = poseSize(frame.pose);
        out.allocateImage(size.width, size.height);
    }
    // The game draws the bottom eight rows of poses 2 and 5 mirrored; a mirrored frame mirrors
    // the whole pose after that.
    auto mirrorRows = [&](int from) {
        for (int y = from; y < out.height; ++y) std::reverse(out.pixels.begin() + std::ptrdiff_t(y) * out.width,
                                                             out.pixels.begin() + std::ptrdiff_t(y + 1) * out.width);
    };
    if (poseHasMirroredFeet(frame.pose)) mirrorRows(out.height - 8);
    if (frame.mirrored) mirrorRows(0);
    if (battleColours)
        for (int c = kFirstFieldOnlyColor; c < 16; ++c) out.palette[std::size_t(c)] = kBattleMarkerColor;
    return out;
}

FrameBox frameBoxOf(const std::vector<AnimationFrame>& frames) {
    FrameBox box;
    for (const AnimationFrame& f : frames) {
        const PoseSize size = poseSize(f.pose);
        box.width = std::max(box.width, size.width);
        box.height = std::max(box.height, size.height);
    }
    return box;
}

IndexedImage renderFrame(const CharacterSprites& ch, AnimationFrame frame, FrameBox box, bool battleColours) {
    if (frame.pose < 0 || frame.pose >= kPoseCount) return renderFrame(IndexedImage{}, frame, box, battleColours);
    return renderFrame(ch.sprites[std::size_t(frame.pose)], frame, box, battleColours);
}

IndexedImage renderFrame(const IndexedImage& sprite, AnimationFrame frame, FrameBox box, bool battleColours) {
    const IndexedImage pose = renderPose(sprite, frame, battleColours);
    IndexedImage out;
    out.allocateImage(box.width, box.height);
    out.palette = pose.palette;
    out.colorCount = 16;
    if (!pose.hasPixels()) return out;
    const int x0 = (box.width - pose.width) / 2, y0 = box.height - pose.height;
    for (int y = 0; y < pose.height; ++y)
        for (int x = 0; x < pose.width; ++x)
            if (out.contains(x0 + x, y0 + y)) out.setPixel(x0 + x, y0 + y, pose.pixel(x, y));
    return out;
}

void AnimationPlayer::setSequence(std::vector<AnimationFrame> frames, int framesPerPose) {
    m_frames = std::move(frames);
    m_framesPerPose = std::max(1, framesPerPose);
    m_index = 0;
    m_ticks = 0;
}

void AnimationPlayer::setFramesPerPose(int framesPerPose) {
    m_framesPerPose = std::max(1, framesPerPose);
    m_ticks = std::min(m_ticks, m_framesPerPose - 1);
}

bool AnimationPlayer::tick() {
    if (m_frames.empty()) return false;
    if (++m_ticks < m_framesPerPose) return false;
    m_ticks = 0;
    m_index = (m_index + 1) % int(m_frames.size());
    return m_frames.size() > 1;
}

void AnimationPlayer::step(int poses) {
    if (m_frames.empty()) return;
    const int n = int(m_frames.size());
    m_index = ((m_index + poses) % n + n) % n;
    m_ticks = 0;
}

OnionNeighbours onionNeighbours(const std::vector<AnimationFrame>& frames, int pose, const CharacterSprites& ch) {
    OnionNeighbours out;
    const auto place = std::find_if(frames.begin(), frames.end(), [pose](const AnimationFrame& f) { return f.pose == pose; });
    const AnimationFrame self{pose, false};
    auto keep = [&](AnimationFrame f) -> std::optional<AnimationFrame> {
        if (f == self || !ch.hasPose(f.pose)) return std::nullopt;
        return f;
    };
    if (place != frames.end()) {
        const int n = int(frames.size()), at = int(place - frames.begin());
        // Shown beside the pose as the canvas draws it (unmirrored): a neighbour is mirrored
        // against it exactly when the two differ in the sequence.
        auto relative = [&](int k) {
            AnimationFrame f = frames[std::size_t((k % n + n) % n)];
            f.mirrored = f.mirrored != place->mirrored;
            return f;
        };
        out.previous = keep(relative(at - 1));
        out.next = keep(relative(at + 1));
        return out;
    }
    if (pose > 0) out.previous = keep({pose - 1, false});
    if (pose + 1 < kPoseCount) out.next = keep({pose + 1, false});
    return out;
}

} // namespace morvi
