// Static animation: animation words, a random or given start frame, size from
// the frame, the frames advancing with time, and the disabled animation.

#include "support/gui_harness.h"

#include "mirel/base/a_random.h"
#include "mirel/gui/gui_staticanim.h"

using namespace guitest;

namespace {

const uint32_t kColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

class StaticAnimTest : public GuiFixture {
protected:
    void SetUp() override {
        GUI::WidgetFactory::Instance().Register("staticanim", &GUI::WidgetFactory::Create<GUI::StaticAnim>);
        // Four 8 x 8 frames in a row: red, green, blue, white.
        content::Picture strip(32, 8);
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 32; ++x)
                strip.at(x, y) = kColours[x / 8];
        h.AddImage("strip", strip);
        h.AddImage("grey", content::Picture(32, 8, 0xFF808080));
    }
    GUI::StaticAnim* Load(const std::string& lines) {
        h.LoadScript(
            "staticanim anim\n{\n AreaRect 0 0 0 0\n NormalImage strip\n NumFrames 4\n FrameSize 8 8\n"
            " FPS 10\n" +
            lines + "}\n");
        return h.FindAs<GUI::StaticAnim>("anim");
    }
};

TEST(AnimType, Words) {
    struct Case {
        const char* text;
        uint32_t flags;
    };
    for (const Case& c :
         {Case{"", A_ANIM_LOOP}, Case{"noloop", 0u}, Case{"pingpong", A_ANIM_LOOP | A_ANIM_PINGPONG},
          Case{"noloop back", A_ANIM_REVERSE}, Case{"back pingpong noloop", A_ANIM_REVERSE | A_ANIM_PINGPONG},
          Case{"fast loop", A_ANIM_LOOP}})
        EXPECT_EQ(GUI::ParseAnimType(c.text), c.flags) << c.text;
}

TEST_F(StaticAnimTest, SizeFromTheFrameAndPlaysForward) {
    GUI::StaticAnim* a = Load(" StartFrame 0\n");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetAreaRect(), aRect(0, 0, 8, 8));
    h.Frame(0.0f);
    EXPECT_EQ(h.Pixel(4, 4), kColours[0]);
    h.Frame(0.1f); // one frame time
    EXPECT_EQ(h.Pixel(4, 4), kColours[1]);
    h.Frame(0.3f); // three more: round to the first frame
    EXPECT_EQ(h.Pixel(4, 4), kColours[0]);
}

TEST_F(StaticAnimTest, RandomStartFrameFromTheEngineGenerator) {
    for (int seed = 0; seed < 4; ++seed) {
        a_srand(uint32_t(seed));
        const int expected = a_rand() % 4;
        a_srand(uint32_t(seed));
        GUI::StaticAnim* a = Load("");
        EXPECT_EQ(a->GetAnim().getFrame(), expected) << seed;
        h.Root()->RemoveChild(a);
        delete a;
    }
}

TEST_F(StaticAnimTest, NoLoopBackwardsStopsOnTheFirstFrame) {
    GUI::StaticAnim* a = Load(" AnimType noloop back\n StartFrame 3\n");
    for (int i = 0; i < 10; ++i)
        h.Frame(0.1f);
    EXPECT_TRUE(a->GetAnim().isStopped());
    EXPECT_EQ(a->GetAnim().getFrame(), 0);
}

TEST_F(StaticAnimTest, DisabledAnimationAndZeroFrames) {
    GUI::StaticAnim* a = Load(" StartFrame 2\n DisabledImage grey\n Enabled 0\n");
    h.Frame(0.0f);
    EXPECT_EQ(h.Pixel(4, 4), 0xFF808080u);
    a->SetEnabled(true);
    h.Frame(0.0f);
    EXPECT_EQ(h.Pixel(4, 4), kColours[2]);

    // No frames and no frame rate: one frame at 40 a second.
    h.LoadScript("staticanim zero\n{\n AreaRect 20 0 0 0\n NormalImage strip\n NumFrames 0\n FPS 0\n}\n");
    GUI::StaticAnim* z = h.FindAs<GUI::StaticAnim>("zero");
    EXPECT_EQ(z->GetAnim().getFrameCount(), 1);
    EXPECT_FLOAT_EQ(z->GetAnim().getFrameTime(), 0.025f);
}

} // namespace
