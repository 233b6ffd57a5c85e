#include <gtest/gtest.h>

#include "characters/animation_frames.h"

using namespace morvi;

namespace {

// A character whose poses are made by hand: every pose's pixel (x, y) is 1 + (x + 3y) % 11, so
// mirrored rows are told apart, and pose 7 has colour 13 at (0, 0).
CharacterSprites handMade() {
    CharacterSprites ch;
    for (int pose = 0; pose < kPoseCount; ++pose) {
        IndexedImage& image = ch.sprites[std::size_t(pose)];
        const PoseSize size = poseSize(pose);
        image.allocateImage(size.width, size.height);
        for (int c = 0; c < 16; ++c) image.setPaletteEntry(std::uint8_t(c), makeColor(std::uint8_t(16 * c), 0, 0));
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) image.setPixel(x, y, std::uint8_t(1 + (x + 3 * y) % 11));
    }
    ch.sprites[7].setPixel(0, 0, 13);
    return ch;
}

} // namespace

TEST(Animations, TheGamesTableAndItsTiming) {
    const auto& all = gameAnimations();
    ASSERT_EQ(all.size(), 28u);
    const std::vector<std::string> names = {"walk-up", "walk-right", "walk-down", "walk-left", "ride-left", "ride-right",
                                            "battle-standing", "battle-ready", "battle-forward", "battle-back", "battle-down",
                                            "battle-up", "attack-back", "attack-front", "casting", "kneeling", "hit",
                                            "knocked-out", "lying", "blinking", "winking", "arms-down", "arms-jump", "arms-up",
                                            "wagging", "shaking-head", "laughing", "spinning"};
    for (std::size_t k = 0; k < names.size(); ++k) {
        EXPECT_EQ(all[k].name, names[k]);
        EXPECT_EQ(all[k].frames.size(), 4u) << names[k] << ": a single-pose action plays as four frames";
        EXPECT_EQ(all[k].framesPerPose, 8);
        EXPECT_EQ(all[k].battle, k >= 6) << names[k];
    }
    EXPECT_EQ(formatPoseSequence(findAnimation("walk-right")->frames), "7m 8m 7m 6m");
    EXPECT_EQ(formatPoseSequence(findAnimation("ride-left")->frames), "41 40 41 40");
    EXPECT_EQ(formatPoseSequence(findAnimation("shaking-head")->frames), "35 1 35m 1");
    EXPECT_EQ(formatPoseSequence(findAnimation("lying")->frames), "42 42 42 42");
    EXPECT_EQ(findAnimation("walk-sideways"), nullptr);
    // The battle shows these poses and Lying; the tent, crying and the riding poses never.
    for (int pose : {12, 10, 16, 17, 9, 11, 18, 42, 35, 15}) EXPECT_TRUE(std::count(battlePoses().begin(), battlePoses().end(), pose)) << pose;
    for (int pose : {39, 38, 40, 41, 24, 21}) EXPECT_FALSE(std::count(battlePoses().begin(), battlePoses().end(), pose)) << pose;
    // 8/60 s a pose is 13 1/3 hundredths: 13, 13, 14 keeps the time over every three.
    EXPECT_EQ(gifDelayOfFrame(8, 0), 13);
    EXPECT_EQ(gifDelayOfFrame(8, 1), 13);
    EXPECT_EQ(gifDelayOfFrame(8, 2), 14);
    int total = 0;
    for (int k = 0; k < 300; ++k) total += gifDelayOfFrame(8, k);
    EXPECT_EQ(total, 4000);
    EXPECT_EQ(gifDelayOfFrame(4, 0) + gifDelayOfFrame(4, 1) + gifDelayOfFrame(4, 2), 20);
}

TEST(Animations, SequencesAreReadOrRefusedWithTheReason) {
    std::string why;
    const auto frames = parsePoseSequence("7 8\t7  6m, 42M", why);
    ASSERT_TRUE(frames);
    EXPECT_EQ(*frames, (std::vector<AnimationFrame>{{7, false}, {8, false}, {7, false}, {6, true}, {42, true}}));
    for (const char* bad : {"", "   ", "43", "7 8 x", "-1", "m", "7mm", "1.5", "007", "99999999999"}) {
        EXPECT_FALSE(parsePoseSequence(bad, why)) << bad;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_NE(why.find("0 to 42"), std::string::npos);
}

TEST(Animations, FramesAreDrawnAsTheGameDrawsThem) {
    const CharacterSprites ch = handMade();
    const IndexedImage& two = ch.sprites[2];
    // Pose 2: the bottom eight rows mirrored, the rest as stored.
    const IndexedImage drawn = renderPose(ch, {2, false}, false);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(drawn.pixel(x, y), y >= 16 ? two.pixel(15 - x, y) : two.pixel(x, y)) << x << "," << y;
    // Mirrored as a whole, its feet come back as stored.
    const IndexedImage both = renderPose(ch, {2, true}, false);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(both.pixel(x, y), y >= 16 ? two.pixel(x, y) : two.pixel(15 - x, y));
    const IndexedImage right = renderPose(ch, {7, true}, false);
    EXPECT_EQ(right.pixel(15, 0), 13);
    EXPECT_EQ(right.palette[13], ch.sprites[7].palette[13]);
    // In battle, colours 12 to 15 show the marker; other colours stay.
    const IndexedImage battle = renderPose(ch, {7, false}, true);
    EXPECT_EQ(battle.palette[13], kBattleMarkerColor);
    EXPECT_EQ(battle.palette[11], ch.sprites[7].palette[11]);
    // A sequence with Lying is 24 x 24: each pose at the bottom centre.
    const std::vector<AnimationFrame> mixed = {{42, false}, {1, false}};
    const FrameBox box = frameBoxOf(mixed);
    EXPECT_EQ(box.width, 24);
    EXPECT_EQ(box.height, 24);
    const IndexedImage standing = renderFrame(ch, {1, false}, box, false);
    EXPECT_EQ(standing.pixel(3, 10), 0);
    EXPECT_EQ(standing.pixel(4, 0), ch.sprites[1].pixel(0, 0));
    const IndexedImage lying = renderFrame(ch, {42, false}, box, false);
    EXPECT_EQ(lying.pixel(0, 7), 0);
    EXPECT_EQ(lying.pixel(0, 8), ch.sprites[42].pixel(0, 0));
}

TEST(Animations, ThePlayerKeepsTheGamesPaceAndTheOnionItsNeighbours) {
    AnimationPlayer player;
    player.setSequence(findAnimation("walk-down")->frames, 8);
    int changes = 0;
    std::vector<int> shown;
    for (int t = 0; t < 32; ++t)
        if (player.tick()) {
            ++changes;
            shown.push_back(player.current().pose);
        }
    EXPECT_EQ(changes, 4) << "a pose every 8 ticks";
    EXPECT_EQ(shown, (std::vector<int>{2, 1, 0, 1}));
    player.step(-1);
    EXPECT_EQ(player.current().pose, 0);
    player.step(-3);
    EXPECT_EQ(player.index(), 0);
    player.setFramesPerPose(4);
    for (int t = 0; t < 3; ++t) EXPECT_FALSE(player.tick());
    EXPECT_TRUE(player.tick());

    const CharacterSprites ch = handMade();
    // Walking right (7m 8m 7m 6m): beside pose 7, drawn unmirrored, 6 before and 8 after, unmirrored.
    OnionNeighbours n = onionNeighbours(findAnimation("walk-right")->frames, 7, ch);
    ASSERT_TRUE(n.previous && n.next);
    EXPECT_EQ(*n.previous, (AnimationFrame{6, false}));
    EXPECT_EQ(*n.next, (AnimationFrame{8, false}));
    // Shaking head (35 1 35m 1): pose 35's first place has 1 on both sides.
    n = onionNeighbours(findAnimation("shaking-head")->frames, 35, ch);
    EXPECT_EQ(*n.previous, (AnimationFrame{1, false}));
    // A pose the animation does not show: its neighbours in the sheet.
    n = onionNeighbours(findAnimation("walk-down")->frames, 30, ch);
    EXPECT_EQ(*n.previous, (AnimationFrame{29, false}));
    EXPECT_EQ(*n.next, (AnimationFrame{31, false}));
    // The pose itself as a neighbour is no onion.
    n = onionNeighbours(findAnimation("lying")->frames, 42, ch);
    EXPECT_FALSE(n.previous);
    EXPECT_FALSE(n.next);
}
