#include "recording_widget.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_mousecursor.h"
#include "mirel/platform/window/a_platform_input.h"

#include <gtest/gtest.h>

#include <algorithm>

using guitest::GuiFixture;
using guitest::Journal;
using Lines = std::vector<std::string>;

namespace {

class DispatchTest : public GuiFixture {
protected:
    void SetUp() override {
        guitest::RecWidget::Register();
        Journal().clear();
    }
    // The journal since the last call.
    Lines Take() {
        Lines lines = Journal();
        Journal().clear();
        return lines;
    }
    // Only the entries that start with `prefix`.
    static Lines Only(const Lines& lines, const std::string& prefix) {
        Lines out;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                     [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
        return out;
    }
    // Loads the script and forgets what initialisation wrote.
    void Load(const std::string& text, const std::string& name = "test.agui") {
        h.LoadScript(text, true, name);
        Journal().clear();
    }
    guitest::RecWidget* Rec(const std::string& name) { return h.FindAs<guitest::RecWidget>(name); }
};

const char* kTwoButtons = "recwidget btn\n{\n AreaRect 10 10 20 20\n}\n"
                          "recwidget other\n{\n AreaRect 100 100 20 20\n}\n";

} // namespace

TEST_F(DispatchTest, PressMoveOffAndReleaseGivesNoClick) {
    Load(kTwoButtons);
    h.SetCursor(15, 15);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseEnter", "btn:MouseMove"}));
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseDown0"}));
    h.SetCursor(105, 105); // the pressed widget keeps the mouse
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseMove"}));
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp0", "btn:MouseLeave", "other:MouseEnter"}));

    // Pressed and released inside: a click.
    h.SetCursor(15, 15);
    h.Frame();
    Take();
    h.SetButton(0, true);
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseDown0", "btn:MouseUp0", "btn:Click"}));
}

TEST_F(DispatchTest, APressInTheFrameTheCursorArrivesGoesToTheWidgetUnderIt) {
    Load(kTwoButtons);
    h.SetCursor(105, 105);
    h.Frame();
    Take();
    // Moved onto btn and pressed before the next frame: the press is btn's.
    h.SetCursor(15, 15);
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"other:MouseLeave", "btn:MouseEnter", "btn:MouseDown0", "btn:MouseMove"}));
    EXPECT_EQ(h.server->GetMouseWidget(), Rec("btn"));
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp0", "btn:Click"}));

    // Released over another widget: the release is still the pressed widget's,
    // and the hover moves on in the same frame.
    h.SetButton(0, true);
    h.Frame();
    Take();
    h.SetCursor(105, 105);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp0", "btn:MouseLeave", "other:MouseEnter", "other:MouseMove"}));
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"other:MouseDown0"}));
}

TEST_F(DispatchTest, OneHeldButtonAtATime) {
    Load(kTwoButtons);
    h.SetCursor(15, 15);
    h.Frame();
    Take();
    h.SetButton(0, true);
    h.Frame();
    h.SetButton(1, true); // not reported while left is held
    h.Frame();
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseDown0"}));
    h.SetButton(0, false);
    h.Frame(); // the release frame reports only the release
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp0", "btn:Click"}));
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseDown1"}));
    h.SetButton(1, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp1"})); // a right press is never a click
}

TEST_F(DispatchTest, HoverChainsAndDisabledWidgets) {
    Load("recwidget parent\n{\n AreaRect 0 0 100 100\n"
         " recwidget child\n {\n  AreaRect 10 10 20 20\n }\n}\n"
         "recwidget back\n{\n AreaRect 200 0 50 50\n}\n"
         "recwidget front\n{\n AreaRect 200 0 50 50\n Enabled 0\n}\n");
    struct Step {
        int x, y;
        Lines expected;
    };
    const Step steps[] = {
        {50, 50, {"parent:MouseEnter", "parent:MouseMove"}},
        {15, 15, {"child:MouseEnter", "child:MouseMove"}}, // no leave for the parent
        {50, 50, {"child:MouseLeave", "parent:MouseMove"}},
        {15, 15, {"child:MouseEnter", "child:MouseMove"}},
        {500, 500, {"parent:MouseLeave", "child:MouseLeave"}}, // outermost first
        {210, 10, {}},                                         // a disabled widget hides the one behind it
    };
    for (const Step& s : steps) {
        h.SetCursor(s.x, s.y);
        h.Frame();
        EXPECT_EQ(Take(), s.expected) << s.x << "," << s.y;
    }
    EXPECT_EQ(h.server->GetMouseWidget(), nullptr);
}

TEST_F(DispatchTest, KeyRepeatTiming) {
    Load("recwidget edit\n{\n AreaRect 0 0 10 10\n AutoRepeatDelay 0.25\n AutoRepeatRate 0.0625\n}\n");
    Rec("edit")->focusable = true;
    h.server->SetFocus(Rec("edit"));
    EXPECT_EQ(Take(), (Lines{"edit:FocusGain"}));

    const float dt = 1.0f / 64.0f;
    h.SetKey(A_KEY_A, true);
    std::vector<int> downFrames;
    for (int frame = 0; frame < 32; ++frame) {
        h.Frame(dt, false);
        for (const std::string& l : Take())
            if (l.rfind("edit:KeyDown", 0) == 0)
                downFrames.push_back(frame);
    }
    // At once, after the delay (16 frames), then every rate (4 frames).
    EXPECT_EQ(downFrames, (std::vector<int>{0, 15, 19, 23, 27, 31}));

    // A long frame still repeats only once.
    h.Frame(1.0f, false);
    EXPECT_EQ(Only(Take(), "edit:KeyDown").size(), 1u);
    h.SetKey(A_KEY_A, false);
    h.Frame(dt, false);
    EXPECT_EQ(Take(), (Lines{"edit:KeyUp" + std::to_string(A_KEY_A)}));
    h.Frame(1.0f, false);
    EXPECT_EQ(Take(), Lines{});
}

TEST_F(DispatchTest, KeysPressedWithinOneFrameArriveInPressOrder) {
    Load("recwidget edit\n{\n AreaRect 0 0 10 10\n AutoRepeatDelay 0.25\n AutoRepeatRate 0.0625\n}\n");
    Rec("edit")->focusable = true;
    h.server->SetFocus(Rec("edit"));
    Take();
    const std::string s = std::to_string(A_KEY_S), a = std::to_string(A_KEY_A);
    // S (0x1F) before A (0x1E), then S let go and pressed again.
    h.SetKey(A_KEY_S, true);
    h.SetKey(A_KEY_A, true);
    h.SetKey(A_KEY_S, false);
    h.SetKey(A_KEY_S, true);
    h.Frame(0.02f, false);
    EXPECT_EQ(Only(Take(), "edit:Key"), (Lines{"edit:KeyDown" + s + "/115", "edit:KeyDown" + a + "/97",
                                               "edit:KeyUp" + s, "edit:KeyDown" + s + "/115"}));

    // The key pressed last is the one that repeats.
    for (int i = 0; i < 20; ++i)
        h.Frame(0.02f, false);
    const Lines repeats = Only(Take(), "edit:Key");
    EXPECT_FALSE(repeats.empty());
    EXPECT_EQ(Only(repeats, "edit:KeyDown" + s).size(), repeats.size());

    // Let go and pressed again between two frames: the release, then the press.
    h.SetKey(A_KEY_A, false);
    h.SetKey(A_KEY_A, true);
    h.Frame(0.02f, false);
    EXPECT_EQ(Only(Take(), "edit:Key"), (Lines{"edit:KeyUp" + a, "edit:KeyDown" + a + "/97"}));

    // Shift let go within the frame still shifts the letter typed before.
    h.window->releaseAllKeys();
    h.Frame(0.02f, false);
    Take();
    h.SetKey(A_KEY_LSHIFT, true);
    h.SetKey(A_KEY_A, true);
    h.SetKey(A_KEY_LSHIFT, false);
    h.SetKey(A_KEY_S, true);
    h.Frame(0.02f, false);
    EXPECT_EQ(Only(Take(), "edit:KeyDown"), (Lines{"edit:KeyDown" + std::to_string(A_KEY_LSHIFT) + "/0",
                                                   "edit:KeyDown" + a + "/65", "edit:KeyDown" + s + "/115"}));
}

TEST_F(DispatchTest, CharactersFromKeysWithShiftAndCapsLock) {
    Load("recwidget edit\n{\n AreaRect 0 0 10 10\n}\n");
    Rec("edit")->focusable = true;
    h.server->SetFocus(Rec("edit"));
    struct Case {
        bool shift, caps;
        uint8_t key;
        char expected;
    };
    const Case cases[] = {
        {true, false, A_KEY_SPACE, 0}, {false, false, A_KEY_SPACE, ' '}, {true, false, A_KEY_1, '!'},
        {false, false, A_KEY_A, 'a'},  {true, false, A_KEY_A, 'A'},      {false, true, A_KEY_A, 'A'},
        {true, true, A_KEY_A, 'a'},    {true, true, A_KEY_1, '!'},
    };
    for (const Case& c : cases) {
        h.SetKey(A_KEY_LSHIFT, c.shift);
        h.SetToggled(aToggleKey::CapsLock, c.caps);
        h.Frame(0.02f, false);
        Take();
        h.SetKey(c.key, true);
        h.Frame(0.02f, false);
        EXPECT_EQ(Only(Take(), "edit:KeyDown"),
                  (Lines{"edit:KeyDown" + std::to_string(c.key) + "/" + std::to_string(int(c.expected))}))
            << int(c.key) << " shift " << c.shift << " caps " << c.caps;
        h.SetKey(c.key, false);
        h.Frame(0.02f, false);
    }
    EXPECT_EQ(h.server->GetModifiers() & GUI::MOD_CAPSLOCK, GUI::MOD_CAPSLOCK);
}

TEST_F(DispatchTest, HotkeysDoNotReachTheFocusWidget) {
    Load("recwidget edit\n{\n AreaRect 0 0 10 10\n}\n"
         "recwidget save\n{\n AreaRect 50 50 10 10\n Hotkey ctrl s\n}\n");
    Rec("edit")->focusable = true;
    h.server->SetFocus(Rec("edit"));
    Take();
    h.SetKey(A_KEY_LCONTROL, true);
    h.Frame();
    h.SetKey(A_KEY_S, true);
    for (int i = 0; i < 40; ++i) // held well past the repeat delay
        h.Frame();
    Lines got = Take();
    EXPECT_EQ(Only(got, "save:"), (Lines{"save:Click"}));
    EXPECT_EQ(Only(got, "edit:KeyDown" + std::to_string(A_KEY_S)), Lines{});
    h.SetKey(A_KEY_S, false);
    h.Frame();
    EXPECT_EQ(Only(Take(), "edit:KeyUp" + std::to_string(A_KEY_S)).size(), 1u); // its release still does
}

TEST_F(DispatchTest, KeysPressedWhileAButtonIsHeldArriveWithTheRelease) {
    Load("recwidget edit\n{\n AreaRect 0 0 10 10\n}\n");
    Rec("edit")->focusable = true;
    h.SetCursor(5, 5);
    h.Frame();
    h.SetButton(0, true);
    h.Frame(); // the press gives the focus
    EXPECT_EQ(h.server->GetFocusWidget(), Rec("edit"));
    Take();
    h.SetKey(A_KEY_B, true);
    h.Frame();
    h.Frame();
    EXPECT_EQ(Take(), Lines{});
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(),
              (Lines{"edit:MouseUp0", "edit:Click", "edit:KeyDown" + std::to_string(A_KEY_B) + "/98"}));
}

TEST_F(DispatchTest, HandlersMayDestroyWidgets) {
    Load("recwidget panel\n{\n AreaRect 0 0 100 100\n"
         " recwidget inner\n {\n  AreaRect 10 10 20 20\n }\n}\n"
         "recwidget edit\n{\n AreaRect 200 200 10 10\n}\n");
    // Entering the panel destroys it and its child before the child's enter.
    guitest::OnEvent(h.Find("panel"), "MouseEnter", [&](const GUI::EventArgs&) {
        delete h.Find("panel");
        return true;
    });
    h.SetCursor(15, 15);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"panel:MouseEnter"}));
    EXPECT_EQ(h.Find("inner"), nullptr);
    EXPECT_EQ(h.server->GetMouseWidget(), nullptr);

    // A press that destroys the pressed widget; moves, wheel and release go nowhere.
    Load("recwidget doomed\n{\n AreaRect 0 0 50 50\n MouseAutoRepeat 1\n}\n", "more.agui");
    guitest::OnEvent(h.Find("doomed"), "MouseDown", [&](const GUI::EventArgs&) {
        delete h.Find("doomed");
        return true;
    });
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"doomed:MouseEnter", "doomed:MouseMove"})); // InitializeWidgets reset the hover
    h.SetButton(0, true);
    h.SetCursor(20, 20);
    h.TurnWheel(1);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"doomed:MouseDown0"}));
    h.Frame(1.0f);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), Lines{});

    // A key handler that destroys the focus widget; its key-up goes nowhere.
    Rec("edit")->focusable = true;
    h.server->SetFocus(Rec("edit"));
    guitest::OnEvent(h.Find("edit"), "KeyDown", [&](const GUI::EventArgs&) {
        delete h.Find("edit");
        return true;
    });
    Take();
    h.SetKey(A_KEY_C, true);
    h.Frame();
    h.Frame(1.0f);
    h.SetKey(A_KEY_C, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"edit:KeyDown" + std::to_string(A_KEY_C) + "/99"}));
    EXPECT_EQ(h.server->GetFocusWidget(), nullptr);
}

TEST_F(DispatchTest, DestroyingAWidgetLeavesTheOthersTheirPressHoverAndFocus) {
    Load(kTwoButtons + std::string("recwidget doomed\n{\n AreaRect 200 200 20 20\n}\n"));
    Rec("other")->focusable = true;
    h.server->SetFocus(Rec("other"));
    h.SetCursor(15, 15);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    Take();
    delete h.Find("doomed");
    EXPECT_EQ(h.server->GetMouseWidget(), Rec("btn"));
    EXPECT_EQ(h.server->GetFocusWidget(), Rec("other"));
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"btn:MouseUp0", "btn:Click"})); // the held press ends normally
    h.SetKey(A_KEY_X, true);
    h.Frame();
    EXPECT_EQ(Only(Take(), "other:KeyDown"), (Lines{"other:KeyDown" + std::to_string(A_KEY_X) + "/120"}));
    h.SetKey(A_KEY_X, false);
    h.Frame();
}

TEST_F(DispatchTest, DestroyingTheHoveredOrFocusedWidgetForgetsOnlyIt) {
    Load("recwidget parent\n{\n AreaRect 0 0 100 100\n"
         " recwidget child\n {\n  AreaRect 10 10 20 20\n"
         "  recwidget grandchild\n  {\n   AreaRect 0 0 5 5\n  }\n }\n}\n");
    Rec("grandchild")->focusable = true;
    h.server->SetFocus(Rec("grandchild"));
    h.SetCursor(12, 12);
    h.Frame();
    EXPECT_EQ(h.server->GetMouseWidget(), Rec("grandchild"));
    Take();

    // The hovered and focused widget dies with its parent: both are forgotten,
    // and nothing is sent to the dying widgets.
    delete h.Find("child");
    EXPECT_EQ(Take(), Lines{});
    EXPECT_EQ(h.server->GetMouseWidget(), nullptr);
    EXPECT_EQ(h.server->GetFocusWidget(), nullptr);

    // The parent it leaves still holds the hover: no second enter for it, and
    // a leave once the cursor goes.
    h.Frame();
    EXPECT_EQ(Take(), Lines{});
    EXPECT_EQ(h.server->GetMouseWidget(), Rec("parent"));
    h.SetCursor(500, 500);
    h.Frame();
    EXPECT_EQ(Take(), (Lines{"parent:MouseLeave"}));
}

TEST_F(DispatchTest, CursorsFollowTheWidgetUnderTheMouse) {
    h.AddImage("arrows", content::Picture(32, 8, 0xFFFFFFFF));
    LogCapture log;
    Load("cursor plain\n{\n}\n"
         "cursor hand\n{\n Image arrows\n NumFrames 4\n FrameSize 8 8\n HotSpot 3.7 2.2\n}\n"
         "cursor broken\n{\n Image arrows\n FPS 0\n}\n"
         "recwidget link\n{\n AreaRect 0 0 50 50\n Cursor hand\n}\n"
         "recwidget text\n{\n AreaRect 100 0 50 50\n Cursor plain\n}\n");
    GUI::MouseCursor* hand = h.server->GetMouseCursor("hand");
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->GetAnim().getFrameCount(), 4);
    EXPECT_FLOAT_EQ(hand->GetAnim().getFrameTime(), 1.0f / 40.0f);
    EXPECT_EQ(hand->GetHotSpotX(), 3);
    EXPECT_EQ(hand->GetHotSpotY(), 2);
    EXPECT_TRUE(log.has("MouseCursor::EndFillProperties - invalid FPS = '0'"));
    EXPECT_FLOAT_EQ(h.server->GetMouseCursor("broken")->GetAnim().getFrameTime(), 1.0f / 40.0f);

    h.SetCursor(10, 10);
    h.Frame();
    EXPECT_EQ(h.server->GetCurrentMouseCursor(), hand);
    EXPECT_TRUE(hand->IsActive());
    ASSERT_FALSE(h.host.cursorSprites.empty());
    EXPECT_EQ(h.host.cursorSprites.back(), &hand->GetAnim());
    EXPECT_EQ(h.input->getHotSpotX(), 3);
    EXPECT_EQ(h.input->getHotSpotY(), 2);

    h.SetCursor(110, 10); // a cursor without frames is the system arrow
    h.Frame();
    EXPECT_FALSE(hand->IsActive());
    EXPECT_TRUE(h.server->GetMouseCursor("plain")->IsActive());
    ASSERT_FALSE(h.host.systemCursorIds.empty());
    EXPECT_EQ(h.host.systemCursorIds.back(), GUI::MouseCursor::SYSTEM_ARROW);
    EXPECT_EQ(GUI::MouseCursor::SYSTEM_ARROW, 32512);

    log.clear();
    h.server->SetMouseCursor("");
    h.server->SetMouseCursor("nothing");
    EXPECT_EQ(log.lines, (Lines{"Server::GetMouseCursor - mouse cursor 'nothing' not found!"}));
    EXPECT_TRUE(h.server->GetMouseCursor("plain")->IsActive());
}

TEST_F(DispatchTest, MouseAutoRepeatAndWheel) {
    Load("recwidget spin\n{\n AreaRect 0 0 20 20\n MouseAutoRepeat 1\n AutoRepeatDelay 0.25\n AutoRepeatRate "
         "0.0625\n}\n"
         "recwidget plain\n{\n AreaRect 40 0 20 20\n}\n");
    const float dt = 1.0f / 64.0f;
    h.SetCursor(5, 5);
    h.TurnWheel(2);
    h.Frame(dt, false);
    EXPECT_EQ(Take(), (Lines{"spin:MouseEnter", "spin:MouseMove", "spin:MouseWheel2"}));

    h.SetButton(0, true);
    std::vector<int> downFrames;
    for (int frame = 0; frame < 24; ++frame) {
        if (frame == 20)
            h.SetCursor(30, 5); // off the widget: no more repeats
        h.Frame(dt, false);
        for (const std::string& l : Take())
            if (l == "spin:MouseDown0")
                downFrames.push_back(frame);
    }
    EXPECT_EQ(downFrames, (std::vector<int>{0, 15, 19}));
    h.SetButton(0, false);
    h.Frame(dt, false);
    Take();

    // Without the flag a held button repeats nothing.
    h.SetCursor(45, 5);
    h.Frame(dt, false);
    h.SetButton(0, true);
    for (int frame = 0; frame < 30; ++frame)
        h.Frame(dt, false);
    EXPECT_EQ(Only(Take(), "plain:MouseDown"), (Lines{"plain:MouseDown0"}));
}
