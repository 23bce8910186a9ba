// Window: dragging with the left button inside the parent, the pointer kept
// inside the parent, drag events, a parent region deciding where a drag may
// start, and the styles it draws.

#include "mirel/gui/stylebutton/styles_support.h"

#include <vector>

using namespace guitest;

namespace {

class WindowTest : public GuiFixture {
protected:
    void SetUp() override { RegisterStyledTypes(); }
    void Load(const std::string& drag) {
        h.LoadScript(SolidStyle(h, "frame", 0xFFFF0000) +
                     "widget area\n{\n AreaRect 100 100 200 100\n"
                     " window win\n {\n  AreaRect 10 10 50 30\n  NormalStyle frame\n" +
                     drag + " }\n}\n");
        w = h.FindAs<GUI::Window>("win");
        ASSERT_NE(w, nullptr);
        for (const std::string* name :
             {&GUI::Window::EventDragStarted, &GUI::Window::EventDragging, &GUI::Window::EventDragFinished})
            w->SubscribeEvent(*name, std::make_unique<EventCounter>(*name, &events, true));
        h.SetCursor(120, 120);
        h.Frame();
    }
    GUI::Window* w = nullptr;
    std::vector<std::string> events;
};

TEST_F(WindowTest, DragsInsideItsParentAndRaisesItsEvents) {
    Load(" Drag 1\n");
    EXPECT_EQ(h.Pixel(115, 115), 0xFFFF0000u);
    h.SetButton(0, true);
    h.Frame();
    h.SetCursor(150, 140);
    h.Frame();
    EXPECT_EQ(w->GetAreaRect().x, 40);
    EXPECT_EQ(w->GetAreaRect().y, 30);
    // Past the parent's left edge the pointer is held at its column 0.
    h.SetCursor(20, 140);
    h.Frame();
    EXPECT_EQ(w->GetAreaRect().x, -10);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_FALSE(w->IsDragging());
    EXPECT_EQ(events, (std::vector<std::string>{"DragStarted", "Dragging", "Dragging", "DragFinished"}));
    EXPECT_EQ(h.Pixel(100, 140), 0xFFFF0000u); // drawn where it went, clipped by the parent
    EXPECT_EQ(h.Pixel(99, 140), 0xFF000000u);
}

TEST_F(WindowTest, WithoutDragNothingMoves) {
    Load("");
    h.SetButton(0, true);
    h.Frame();
    h.SetCursor(150, 140);
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(w->GetAreaRect().x, 10);
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowTest, RightButtonDoesNotDrag) {
    Load(" Drag 1\n");
    h.SetButton(1, true);
    h.Frame();
    h.SetCursor(150, 140);
    h.Frame();
    EXPECT_EQ(w->GetAreaRect().x, 10);
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowTest, ParentRegionDecidesWhereADragStarts) {
    // A 2 x 1 mask stretched over the parent: only its left half belongs to it.
    h.WriteFile("half.bmp", content::writeBmp1(2, 1, {1, 0}));
    h.LoadScript("regionlist\n{\n half " + h.dir + "half.bmp\n}\n" + SolidStyle(h, "frame", 0xFFFF0000) +
                 "widget area\n{\n AreaRect 100 100 200 100\n Region half\n"
                 " window win\n {\n  AreaRect 10 10 50 30\n  NormalStyle frame\n  Drag 1\n }\n}\n");
    w = h.FindAs<GUI::Window>("win");
    ASSERT_NE(w, nullptr);
    h.SetCursor(120, 120); // the left half
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    EXPECT_TRUE(w->IsDragging());
    h.SetButton(0, false);
    h.Frame();

    w->SetPosition(150, 10);
    h.SetCursor(260, 120); // the right half
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(h.server->GetMouseWidget(), w);
    EXPECT_FALSE(w->IsDragging());
    h.SetButton(0, false);
    h.Frame();
}

} // namespace
