// Slider: the set position with its thumb and events, and dragging the thumb
// with the mouse, with its ends and the right button.

#include "mirel/gui/statictext/widget_test_support.h"

using namespace guitest;

namespace {

struct Counter : guitest::EventCounter {
    Counter() : EventCounter("", nullptr, true) {}
};

class SliderTest : public GuiFixture {
protected:
    void SetUp() override { RegisterWidgetTypes(); }

    // A slider at (50, 50), 200 x 20 (or 20 x 200 vertical), thumb 20 x 20.
    GUI::Slider* Make(bool vertical) {
        h.LoadScript(std::string("slider sl\n{\n AreaRect 50 50 ") + (vertical ? "20 200" : "200 20") +
                     "\n Vertical " + (vertical ? "1" : "0") +
                     "\n widget sl_auto_thumb\n {\n  AreaRect 0 0 20 20\n }\n}\n");
        auto* sl = h.FindAs<GUI::Slider>("sl");
        sl->SubscribeEvent(GUI::Slider::EventPositionChanged, &changed);
        return sl;
    }
    Counter changed;
};

TEST_F(SliderTest, SetPositionClampsMovesThumbAndAlwaysRaises) {
    GUI::Slider* sl = Make(false);
    GUI::Widget* thumb = sl->GetThumb();
    struct Case {
        float set;
        float stored;
        int16_t thumbX;
    };
    const Case cases[] = {{0.5f, 0.5f, 90}, {1.5f, 1.0f, 180}, {1.0f, 1.0f, 180}, {-2.0f, 0.0f, 0}};
    int events = 0;
    for (const Case& c : cases) {
        sl->SetSliderPosition(c.set);
        EXPECT_FLOAT_EQ(sl->m_position, c.stored) << c.set;
        EXPECT_EQ(thumb->GetAreaRect().x, c.thumbX) << c.set;
        EXPECT_EQ(changed.count, ++events) << c.set;
    }
}

TEST_F(SliderTest, DragVerticalThumb) {
    GUI::Slider* sl = Make(true);
    GUI::Widget* thumb = sl->GetThumb();
    h.SetCursor(60, 60);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    ASSERT_TRUE(sl->IsTracking());
    h.SetCursor(60, 150); // down 90 of a range of 180
    h.Frame();
    EXPECT_EQ(thumb->GetAreaRect().y, 90);
    EXPECT_FLOAT_EQ(sl->m_position, 0.5f);
    h.SetCursor(60, 400);
    h.Frame();
    EXPECT_EQ(thumb->GetAreaRect().y, 180);
    EXPECT_FLOAT_EQ(sl->m_position, 1.0f);
    // Already at the end: 30 pixels more change nothing.
    const int events = changed.count;
    h.SetCursor(60, 430);
    h.Frame();
    EXPECT_EQ(thumb->GetAreaRect().y, 180);
    EXPECT_EQ(changed.count, events);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_FALSE(sl->IsTracking());
}

TEST_F(SliderTest, RightButtonDoesNotTrack) {
    GUI::Slider* sl = Make(false);
    h.SetCursor(60, 60);
    h.Frame();
    h.SetButton(1, true);
    h.Frame();
    h.SetCursor(120, 60);
    h.Frame();
    EXPECT_FALSE(sl->IsTracking());
    EXPECT_EQ(sl->GetThumb()->GetAreaRect().x, 0);
    EXPECT_EQ(changed.count, 0);
}

TEST_F(SliderTest, ThumbAsLongAsTrackOrMissing) {
    h.LoadScript(
        "slider full\n{\n AreaRect 0 0 20 20\n widget full_auto_thumb\n {\n  AreaRect 0 0 20 20\n }\n}\n");
    auto* full = h.FindAs<GUI::Slider>("full");
    full->SetSliderPosition(0.7f);
    EXPECT_EQ(full->GetThumb()->GetAreaRect().x, 0);

    LogCapture log;
    h.LoadScript("slider bare\n{\n AreaRect 0 100 100 20\n}\n");
    EXPECT_TRUE(log.has("Slider::Initialize - Thumb for slider 'bare' not found"));
    auto* bare = h.FindAs<GUI::Slider>("bare");
    Counter c;
    bare->SubscribeEvent(GUI::Slider::EventPositionChanged, &c);
    bare->SetSliderPosition(0.25f);
    EXPECT_FLOAT_EQ(bare->m_position, 0.25f);
    EXPECT_EQ(c.count, 1);
}

} // namespace
