// Scrollbar: thumb length and position from page and document sizes, the
// clamped scroll position, auto-hide, and dragging the thumb with the mouse.

#include "mirel/gui/statictext/widget_test_support.h"

using namespace guitest;

namespace {

class ScrollbarTest : public GuiFixture {
protected:
    void SetUp() override { RegisterWidgetTypes(); }

    // A scrollbar at (100, 100), 20 x 200 (vertical) with a 20 x 20 thumb.
    GUI::Scrollbar* Make(const std::string& extra = "", bool vertical = true) {
        h.LoadScript(std::string("scrollbar sb\n{\n AreaRect 100 100 ") + (vertical ? "20 200" : "200 20") +
                     "\n Vertical " + (vertical ? "1" : "0") + "\n" + extra +
                     " widget sb_auto_thumb\n {\n  AreaRect 0 0 20 20\n }\n"
                     " widget sb_auto_incbtn\n {\n  AreaRect 0 0 1 1\n }\n}\n");
        auto* sb = h.FindAs<GUI::Scrollbar>("sb");
        sb->SubscribeEvent(GUI::Scrollbar::EventPositionChanged, &m_counter);
        return sb;
    }
    guitest::EventCounter m_counter{"", nullptr, true};
};

TEST_F(ScrollbarTest, ThumbFollowsPageDocumentAndPosition) {
    GUI::Scrollbar* sb = Make();
    GUI::Widget* thumb = sb->GetThumb();
    ASSERT_NE(thumb, nullptr);
    sb->SetPageSize(100);
    sb->SetDocumentSize(400);
    EXPECT_EQ(thumb->GetHeight(), 50);

    struct Case {
        float set;
        float position;
        int16_t thumbY;
        int events; // total so far
    };
    const Case cases[] = {
        {150, 150, 75, 1}, {150, 150, 75, 1}, // unchanged: no event
        {-5, 0, 0, 2},     {1000, 300, 150, 3}, {1000, 300, 150, 3},
    };
    for (const Case& c : cases) {
        sb->SetScrollPosition(c.set);
        EXPECT_FLOAT_EQ(sb->GetScrollPosition(), c.position) << c.set;
        EXPECT_EQ(thumb->GetAreaRect().y, c.thumbY) << c.set;
        EXPECT_EQ(m_counter.count, c.events) << c.set;
    }

    // A size change keeps the thumb where the position says, and pulls a
    // position past the new end back (with an event).
    sb->SetPageSize(200); // max 200, thumb 100, range 100
    EXPECT_FLOAT_EQ(sb->GetScrollPosition(), 200);
    EXPECT_EQ(thumb->GetHeight(), 100);
    EXPECT_EQ(thumb->GetAreaRect().y, 100);
    EXPECT_EQ(m_counter.count, 4);
}

TEST_F(ScrollbarTest, DocumentThatFits) {
    {
        GUI::Scrollbar* sb = Make(" AutoHide 1\n");
        sb->SetPageSize(100);
        sb->SetDocumentSize(80);
        EXPECT_FALSE(sb->IsVisible(true));
        sb->SetDocumentSize(400);
        EXPECT_TRUE(sb->IsVisible(true));
    }
    h.Root()->RemoveAllChildren();
    GUI::Scrollbar* sb = Make(" Stretch 0\n");
    GUI::Widget* thumb = sb->GetThumb();
    GUI::Widget* inc = h.Find("sb_auto_incbtn");
    sb->SetPageSize(100);
    sb->SetDocumentSize(80);
    EXPECT_FALSE(thumb->IsVisible(true));
    EXPECT_FALSE(inc->IsEnabled(true));
    EXPECT_FLOAT_EQ(sb->GetScrollPosition(), 0);
    // A larger document brings the thumb and the buttons back.
    sb->SetDocumentSize(400);
    EXPECT_TRUE(thumb->IsVisible(true));
    EXPECT_TRUE(inc->IsEnabled(true));
    EXPECT_EQ(thumb->GetHeight(), 20); // stretch off keeps its length
}

TEST_F(ScrollbarTest, StretchedThumbFillsTrackWhenDocumentFits) {
    GUI::Scrollbar* sb = Make();
    sb->SetPageSize(100);
    sb->SetDocumentSize(80);
    EXPECT_TRUE(sb->IsVisible(true));
    EXPECT_EQ(sb->GetThumb()->GetHeight(), 200);
    // Nothing to scroll: every position is 0 and nothing divides by zero.
    sb->SetScrollPosition(50);
    EXPECT_FLOAT_EQ(sb->GetScrollPosition(), 0);
    EXPECT_EQ(sb->GetThumb()->GetAreaRect().y, 0);
}

TEST_F(ScrollbarTest, ZeroPageSizeIsLoggedAndSafe) {
    GUI::Scrollbar* sb = Make();
    LogCapture log;
    sb->SetPageSize(0);
    EXPECT_TRUE(log.contains("GUI::Scrollbar::SetPageSize: size"));
    sb->SetDocumentSize(0);
    sb->SetDocumentSize(300);
    EXPECT_EQ(sb->GetThumb()->GetHeight(), 0);
    sb->SetScrollPosition(120);
    EXPECT_FLOAT_EQ(sb->GetScrollPosition(), 120);
}

TEST_F(ScrollbarTest, MissingThumbIsLogged) {
    LogCapture log;
    h.LoadScript("scrollbar lonely\n{\n AreaRect 0 0 20 100\n}\n");
    EXPECT_TRUE(log.has("Scrollbar::Initialize - Thumb for scrollbar 'lonely' not found"));
    auto* sb = h.FindAs<GUI::Scrollbar>("lonely");
    sb->SetPageSize(10);
    sb->SetDocumentSize(100);
    sb->SetScrollPosition(40);
    EXPECT_FLOAT_EQ(sb->GetScrollPosition(), 40);
}

TEST_F(ScrollbarTest, DraggingTheThumbStopsAtBothEnds) {
    GUI::Scrollbar* sb = Make();
    sb->SetPageSize(100);
    sb->SetDocumentSize(400); // thumb 50 high, range 150, max 300
    GUI::Widget* thumb = sb->GetThumb();
    int started = 0, finished = 0;
    struct Count : GUI::SubscriberInterface {
        int* n;
        explicit Count(int* p) : n(p) {}
        bool Invoke(const GUI::EventArgs&) override { return ++*n, true; }
    } onStart(&started), onFinish(&finished);
    sb->SubscribeEvent(GUI::Scrollbar::EventThumbTrackStarted, &onStart);
    sb->SubscribeEvent(GUI::Scrollbar::EventThumbTrackFinished, &onFinish);

    h.SetCursor(110, 110);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    EXPECT_TRUE(sb->IsTracking());
    EXPECT_EQ(started, 1);

    struct Step {
        int cursorY;
        int16_t thumbY;
        float position;
    };
    const Step steps[] = {
        {140, 30, 60},   // follows the pointer
        {300, 150, 300}, // lowered to the end of the track
        {330, 150, 300}, // at the end: nothing moves
        {290, 150, 300}, // back, but still past the grab point
        {240, 100, 200}, // back before the grab point: the whole movement
        {0, 0, 0},       // raised to the start
    };
    for (const Step& s : steps) {
        h.SetCursor(110, s.cursorY);
        h.Frame();
        EXPECT_EQ(thumb->GetAreaRect().y, s.thumbY) << s.cursorY;
        EXPECT_FLOAT_EQ(sb->GetScrollPosition(), s.position) << s.cursorY;
    }
    const int events = m_counter.count;
    h.SetCursor(110, 0);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_FALSE(sb->IsTracking());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(m_counter.count, events);
}

TEST_F(ScrollbarTest, RightButtonDoesNotTrack) {
    GUI::Scrollbar* sb = Make();
    sb->SetPageSize(100);
    sb->SetDocumentSize(400);
    h.SetCursor(110, 110);
    h.Frame();
    h.SetButton(1, true);
    h.Frame();
    h.SetCursor(110, 150);
    h.Frame();
    EXPECT_FALSE(sb->IsTracking());
    EXPECT_EQ(sb->GetThumb()->GetAreaRect().y, 0);
}

} // namespace
