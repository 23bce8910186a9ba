// The mouse: its three animations cut from the room's pictures, its random
// places and waits from the engine's seeded random numbers, the appearance
// cycle, a hint that brings it out, a click while it shows, and the guards.

#include "living_room.h"

#include "game/scenes/objects/spy_obj_mouse.h"

using namespace scenetest;

namespace {

// A strip of frames 20 x 10; the frames listed as clear are transparent.
content::Picture Strip(uint32_t frames, std::initializer_list<uint32_t> clear) {
    content::Picture p(20 * frames, 10, 0xFF6B5B4B);
    for (uint32_t f : clear)
        for (uint32_t y = 0; y < 10; ++y)
            for (uint32_t x = 0; x < 20; ++x)
                p.at(f * 20 + x, y) = 0;
    return p;
}

constexpr const char* kMouse =
    "[mouse]\nClass = Mouse\nX = 0\nY = 0\n"
    "Anim1Params = 20 10 3 10\nAnim2Params = 20 10 2 10\nAnim3Params = 20 10 2 10\n"
    "Anim2x = 30\nAnim3x = 60\nXRange = 100 300\nYRange = 4\nOccurenceTime = 2 4\n";

class MouseTest : public LivingRoom {
protected:
    SpyObjMouse* Mouse(const std::string& more = std::string()) {
        Write(kMouse + more,
              {{"mouse_1", Strip(3, {0})}, {"mouse_2", Strip(2, {})}, {"mouse_3", Strip(2, {1})}}, {"mouse"},
              "[mouse]\nObject = mouse\nDiffLevel = 0\n");
        Load("MustBeItems = mouse\nItemsCount = 1, 0, 0\n");
        return As<SpyObjMouse>("mouse");
    }
    // The place and wait the next three random numbers give.
    struct Draw {
        float x, y, wait;
    };
    static Draw Next() {
        const float r1 = float(a_rand()) / 32767.0f, r2 = float(a_rand()) / 32767.0f,
                    r3 = float(a_rand()) / 32767.0f;
        return Draw{100.0f + 200.0f * r1 + 179.0f, 4.0f * r2 + 768.0f, 2.0f + 2.0f * r3};
    }
};

} // namespace

TEST_F(MouseTest, ItWaitsAtARandomPlaceThenPlaysItsThreeAnimationsAndMovesOn) {
    // Loading the room draws the item list first: follow the same numbers.
    SpyObjMouse* mouse = Mouse();
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(mouse->IsKindOf("Mouse"));
    EXPECT_FALSE(mouse->IsKindOf("Image"));
    EXPECT_EQ(mouse->GetAnim(0).getFrameCount(), 3u);
    EXPECT_FLOAT_EQ(mouse->GetAnim(1).getFrameTime(), 0.1f);

    a_srand(4242);
    const Draw first = Next();
    a_srand(4242);
    mouse->Reset();
    EXPECT_TRUE(mouse->IsWaiting());
    EXPECT_FLOAT_EQ(mouse->GetBaseX(), first.x);
    EXPECT_FLOAT_EQ(mouse->GetBaseY(), first.y);
    EXPECT_FLOAT_EQ(mouse->GetWait(), first.wait);
    EXPECT_FLOAT_EQ(mouse->GetX(), first.x);
    EXPECT_FLOAT_EQ(mouse->GetY(), first.y - 10.0f) << "standing on its base place";
    EXPECT_FALSE(mouse->HitTest(10, 5)) << "the first frame is clear: nothing to hit while it waits";

    mouse->Update(first.wait - 0.05f);
    EXPECT_TRUE(mouse->IsWaiting());
    mouse->Update(0.1f);
    EXPECT_FALSE(mouse->IsWaiting()) << "out when the wait is over";
    EXPECT_EQ(mouse->GetPhase(), 0);
    mouse->Update(0.1f);
    EXPECT_TRUE(mouse->HitTest(10, 5)) << "its second frame shows";

    const int32_t seed = 77;
    // Phase 1 ends after its three frames, phase 2 starts at its offset.
    mouse->Update(0.1f);
    mouse->Update(0.1f);
    EXPECT_EQ(mouse->GetPhase(), 1);
    EXPECT_FLOAT_EQ(mouse->GetX(), first.x + 30.0f);
    mouse->Update(0.1f);
    mouse->Update(0.1f);
    EXPECT_EQ(mouse->GetPhase(), 2);
    EXPECT_FLOAT_EQ(mouse->GetX(), first.x + 60.0f);
    mouse->Update(0.1f);
    a_srand(seed);
    const Draw second = Next();
    a_srand(seed);
    mouse->Update(0.1f);
    EXPECT_TRUE(mouse->IsWaiting()) << "gone again after the third animation";
    EXPECT_FLOAT_EQ(mouse->GetBaseX(), second.x);
    EXPECT_FLOAT_EQ(mouse->GetWait(), second.wait);
    EXPECT_NE(mouse->GetBaseX(), first.x) << "a new place";
}

TEST_F(MouseTest, AHintBringsItOutAndAClickWhileItShowsFindsIt) {
    SpyObjMouse* mouse = Mouse();
    ASSERT_GT(mouse->GetWait(), 1.0f);
    mouse->SetHighlight(true);
    EXPECT_FLOAT_EQ(mouse->GetWait(), 0.0f);
    mouse->Update(0.02f);
    EXPECT_FALSE(mouse->IsWaiting()) << "out on the next frame";
    mouse->Update(0.1f);

    ASSERT_TRUE(room->OnObjectClicked(mouse));
    EXPECT_TRUE(mouse->IsVanishing());
    EXPECT_FALSE(mouse->HitTest(10, 5)) << "not hit while it vanishes";
    const int phase = mouse->GetPhase();
    mouse->Update(0.5f);
    EXPECT_EQ(mouse->GetPhase(), phase) << "it stops where it is";
    room->Update(1.5f);
    EXPECT_EQ(mouse->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(room->GetItemsFound(), 1u);
    EXPECT_FALSE(mouse->Activate(false, nullptr));
    mouse->Leave();
}

TEST_F(MouseTest, BadAnimationsAreLoggedAndLoadingGoesOn) {
    Write("[mouse]\nClass = Mouse\nX = 0\nY = 0\nAnim1Params = 20 10 0 0\nAnim2Params = 20 10 2 -5\n"
          "Anim3Params = 20 10 2 1e30\nXRange = 0 0\nYRange = 0\nOccurenceTime = 1 1\n",
          {{"mouse_1", Strip(3, {})}, {"mouse_2", Strip(2, {})}, {"mouse_3", Strip(2, {})}});
    Load();
    SpyObjMouse* mouse = As<SpyObjMouse>("mouse");
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(log.has(
        "SpyObjMouse::Create - frame count 0 of animation 1 of object 'mouse' is below 1, 1 is used"));
    EXPECT_TRUE(log.contains("setFrameTime: t > 0")) << "the animation's own line";
    EXPECT_TRUE(log.has(
        "SpyObjMouse::Create - animation 3 of object 'mouse' runs above 1000 frames a second, 1000 is used"));
    EXPECT_FLOAT_EQ(mouse->GetAnim(2).getFrameTime(), 0.001f);
    EXPECT_EQ(mouse->GetAnim(0).getFrameCount(), 1u);
    // A rate of 0 or below would be a phase without end, the mouse out for
    // good: it is read as 1 frame a second.
    for (int n : {1, 2})
        EXPECT_TRUE(log.has("SpyObjMouse::Create - frame rate of animation " + std::to_string(n) +
                            " of object 'mouse' is not above 0, read as 1"))
            << n;
    EXPECT_FLOAT_EQ(mouse->GetAnim(0).getFrameTime(), 1.0f);
    EXPECT_FLOAT_EQ(mouse->GetAnim(1).getFrameTime(), 1.0f);
    mouse->SetHighlight(true);
    mouse->Update(0.1f);
    ASSERT_FALSE(mouse->IsWaiting());
    bool back = false;
    for (int i = 0; i < 50 && !back; ++i) {
        mouse->Update(0.1f);
        back = mouse->IsWaiting();
    }
    EXPECT_TRUE(back) << "in again after its three phases";
    mouse->UnloadResources();
    EXPECT_EQ(mouse->GetAnim(0).getFrameCount(), 0u);
    EXPECT_FLOAT_EQ(mouse->GetWidth(), 0.0f);
}
