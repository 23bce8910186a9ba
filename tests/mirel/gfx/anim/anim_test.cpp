// Sprite frame lists and animation play modes.

#include "mirel/gfx/a_anim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

aAnim makeAnim(int frames, uint32_t flags) {
    aAnim a;
    for (int i = 0; i < frames; ++i) {
        aRect r(int16_t(i * 10), 0, 10, 10);
        a.addFrame(1, nullptr, &r);
    }
    a.setFrameTime(0.1f);
    a.setStartFlags(flags);
    return a;
}

// Frame after each of n updates of one frame time, "s" when stopped.
std::string play(uint32_t flags, int n, int frames = 3) {
    aAnim a = makeAnim(frames, flags);
    a.play();
    std::string seq;
    for (int i = 0; i < n; ++i) {
        a.update(0.1f);
        seq += std::to_string(a.getFrame());
        if (a.isStopped())
            seq += "s";
    }
    return seq;
}

} // namespace

TEST(Anim, SequencesPerFlagCombination) {
    struct Case {
        uint32_t flags;
        std::string expect; // 8 updates of 3 frames
    };
    const Case cases[] = {
        {0, "122s2s2s2s2s2s"},
        {A_ANIM_LOOP, "12012012"},
        {A_ANIM_PINGPONG, "122100s0s0s"}, // to the end, back to 0, stops there
        {A_ANIM_PINGPONG | A_ANIM_LOOP, "12210012"},
        {A_ANIM_REVERSE, "0s0s0s0s0s0s0s0s"}, // starts on frame 0, which ends a reversed play
        {A_ANIM_REVERSE | A_ANIM_LOOP, "21021021"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(play(c.flags, 8), c.expect) << "flags " << c.flags;
}

TEST(Anim, TimingAndState) {
    aAnim fresh;
    EXPECT_TRUE(fresh.isStopped());
    EXPECT_FLOAT_EQ(fresh.getFrameTime(), 0.025f);
    EXPECT_EQ(fresh.getStartFlags(), uint32_t(A_ANIM_LOOP));

    aAnim a = makeAnim(5, A_ANIM_LOOP);
    a.update(1.0f); // stopped: nothing moves
    EXPECT_EQ(a.getFrame(), 0);
    a.play();
    a.update(0.25f);
    EXPECT_EQ(a.getFrame(), 2);
    EXPECT_NEAR(a.getAccumulator(), 0.05f, 1e-5);

    // A frame time that is not above 0 is logged, kept, and never loops for ever.
    a.setFrameTime(0.0f);
    a.update(0.1f);
    EXPECT_EQ(a.getFrame(), 2);

    // A copy keeps the frame and the flags.
    aAnim b = makeAnim(5, A_ANIM_LOOP);
    b.play();
    b.update(0.3f);
    aAnim c(b);
    EXPECT_EQ(c.getFrame(), 3);
    EXPECT_FALSE(c.isStopped());
}

TEST(Sprite, FramesAndSharing) {
    aSprite s;
    EXPECT_FALSE(s.nextFrame());
    EXPECT_FALSE(s.isLastFrame());
    EXPECT_EQ(s.getWidth(), 0);
    for (int i = 0; i < 5; ++i) {
        aRect r(0, 0, int16_t(10 + i), 7);
        s.addFrame(uint16_t(i + 1), nullptr, &r);
    }
    s.setFrame(5); // beyond the last: ignored
    EXPECT_EQ(s.getFrame(), 0);
    s.setFrame(2);
    EXPECT_EQ(s.getTicksLeft(), 3);
    EXPECT_EQ(s.getWidth(), 12);
    s.setFrame(4, 1);
    EXPECT_TRUE(s.nextFrame()); // wraps to 0
    EXPECT_TRUE(s.isFirstFrame());
    EXPECT_EQ(s.getTicksLeft(), 1);
    EXPECT_TRUE(s.prevFrame()); // back to the last
    EXPECT_TRUE(s.isLastFrame());
    EXPECT_EQ(s.getPixel(0, 0), 0u); // no image

    aSprite copy(s);
    copy.clearFrames();
    EXPECT_EQ(copy.getFrameCount(), 0);
    EXPECT_EQ(s.getFrameCount(), 5);
    copy = s;
    EXPECT_EQ(copy.getFrameCount(), 5);
    copy = copy;
    EXPECT_EQ(copy.getFrameCount(), 5);
}

TEST(Sprite, GridCut) {
    aImage none;
    aSprite s;
    aRect area(0, 0, 100, 64);
    s.setFramesFromGrid(&none, &area, 32, 32, 7);
    ASSERT_EQ(s.getFrameCount(), 7);
    const aRect expect[] = {
        {0, 0, 32, 32}, {32, 0, 32, 32}, {64, 0, 32, 32}, {0, 32, 32, 32}, {0, 64, 32, 32}};
    const int index[] = {0, 1, 2, 3, 6};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(s.frames()[index[i]].rect, expect[i]) << index[i];
    EXPECT_EQ(s.frames()[3].ticks, 1);
}
