// Check boxes and radio buttons built from a GUI script and clicked with
// scripted mouse input.

#include "mirel/gui/gui_checkbox.h"
#include "mirel/gui/gui_radiobutton.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

using GUI::Checkbox;
using GUI::RadioButton;

namespace {

using Counter = guitest::EventCounter;

class CheckboxTest : public guitest::GuiFixture {
protected:
    void SetUp() override {
        // Already there once the factory lists the types itself.
        GUI::WidgetFactory::Instance().Register("checkbox", &GUI::WidgetFactory::Create<Checkbox>);
        GUI::WidgetFactory::Instance().Register("radiobutton", &GUI::WidgetFactory::Create<RadioButton>);
    }
    // Presses and releases a button at the point, one frame each.
    void click(int32_t x, int32_t y, int button = 0) {
        h.SetCursor(x, y);
        h.Frame();
        h.SetButton(button, true);
        h.Frame();
        h.SetButton(button, false);
        h.Frame();
    }
    static std::string box(const std::string& name, const std::string& rect, const std::string& extra) {
        return "checkbox " + name + "\n{\n AreaRect " + rect + "\n" + extra + " widget " + name +
               "_auto_check\n {\n  AreaRect 2 2 4 4\n  Static 1\n }\n}\n";
    }
};

TEST_F(CheckboxTest, TypesAnswerForTheirBases) {
    Checkbox c("c");
    RadioButton r("r");
    EXPECT_EQ(c.GetType(), "Checkbox");
    EXPECT_EQ(r.GetType(), "RadioButton");
    for (const char* base : {"Checkbox", "ImageButton", "ButtonBase"}) {
        EXPECT_TRUE(c.IsKindOf(base)) << base;
        EXPECT_TRUE(r.IsKindOf(base)) << base;
    }
    EXPECT_TRUE(r.IsKindOf("RadioButton"));
    EXPECT_FALSE(c.IsKindOf("RadioButton"));
    EXPECT_FALSE(c.IsKindOf("Widget"));

    // Filling Checked raises CheckChanged once, before any indicator exists.
    Counter changed;
    c.SubscribeEvent("CheckChanged", &changed);
    c.BeginFillProperties();
    c.Set("Checked", "1");
    c.Set("Checked", "2");
    c.EndFillProperties();
    EXPECT_TRUE(c.IsChecked());
    EXPECT_EQ(changed.count, 1);
}

TEST_F(CheckboxTest, ScriptStateIndicatorAndClicks) {
    h.LoadScript(box("on", "10 10 20 20", " Checked 1\n") + box("off", "40 10 20 20", ""));
    auto* on = h.FindAs<Checkbox>("on");
    auto* off = h.FindAs<Checkbox>("off");
    ASSERT_TRUE(on && off);
    EXPECT_TRUE(on->IsChecked());
    EXPECT_TRUE(on->GetCheckWidget()->IsVisible(true));
    EXPECT_FALSE(off->IsChecked());
    EXPECT_FALSE(off->GetCheckWidget()->IsVisible(true));

    Counter changed, clicks;
    off->SubscribeEvent("CheckChanged", &changed);
    off->SubscribeEvent("Click", &clicks);
    click(45, 15);
    EXPECT_TRUE(off->IsChecked());
    EXPECT_TRUE(off->GetCheckWidget()->IsVisible(true));
    click(45, 15);
    EXPECT_FALSE(off->IsChecked());
    EXPECT_EQ(changed.count, 2);
    EXPECT_EQ(clicks.count, 2);

    click(45, 15, 1); // the right button does not toggle
    EXPECT_FALSE(off->IsChecked());

    // Unchanged state: no event, but the indicator follows.
    off->GetCheckWidget()->SetVisible(true);
    off->SetChecked(false);
    EXPECT_FALSE(off->GetCheckWidget()->IsVisible(true));
    EXPECT_EQ(changed.count, 2);
}

TEST_F(CheckboxTest, HotkeyTogglesLikeALeftClick) {
    h.LoadScript(box("keyed", "10 10 20 20", " Hotkey ctrl|t\n"));
    auto* cb = h.FindAs<Checkbox>("keyed");
    ASSERT_NE(cb, nullptr);
    h.SetKey(A_KEY_LCONTROL, true);
    h.SetKey(A_KEY_T, true);
    h.Frame();
    EXPECT_TRUE(cb->IsChecked());
    h.SetKey(A_KEY_T, false);
    h.SetKey(A_KEY_LCONTROL, false);
    h.Frame();
    EXPECT_TRUE(cb->IsChecked());
}

TEST_F(CheckboxTest, DoubleClickTogglesTwiceWithMultiClick) {
    h.LoadScript(box("multi", "10 10 20 20", " MultiClick 1\n MultiClickTime 0.3\n") +
                 box("single", "40 10 20 20", ""));
    for (const char* name : {"multi", "single"}) {
        SCOPED_TRACE(name);
        auto* cb = h.FindAs<Checkbox>(name);
        const int32_t x = cb->GetAbsoluteX() + 5;
        h.SetCursor(x, 15);
        h.Frame();
        bool states[4];
        for (int i = 0; i < 4; ++i) {
            h.SetButton(0, i % 2 == 0);
            h.Frame();
            states[i] = cb->IsChecked();
        }
        const bool multi = std::string(name) == "multi";
        // press, release (click), press (double click with multi click), release
        EXPECT_FALSE(states[0]);
        EXPECT_TRUE(states[1]);
        EXPECT_EQ(states[2], !multi);
        EXPECT_FALSE(states[3]);
    }
}

TEST_F(CheckboxTest, MissingOrDestroyedIndicator) {
    LogCapture log;
    h.LoadScript("checkbox bare\n{\n AreaRect 0 0 20 20\n}\n" + box("lost", "30 0 20 20", ""));
    EXPECT_TRUE(log.has("Checkbox::Initialize - Check widget for checkbox 'bare' not found"));
    auto* bare = h.FindAs<Checkbox>("bare");
    click(5, 5);
    EXPECT_TRUE(bare->IsChecked());

    auto* lost = h.FindAs<Checkbox>("lost");
    delete lost->GetCheckWidget();
    EXPECT_EQ(lost->GetCheckWidget(), nullptr);
    lost->SetChecked(true);
    EXPECT_TRUE(lost->IsChecked());
}

TEST_F(CheckboxTest, RadioGroupsAmongSiblings) {
    auto radio = [](const std::string& name, int x, const std::string& extra) {
        return " radiobutton " + name + "\n {\n  AreaRect " + std::to_string(x) + " 0 20 20\n" + extra +
               " }\n";
    };
    h.LoadScript("widget p1\n{\n AreaRect 0 0 200 20\n" + radio("r1", 0, "  GroupID 2\n  Checked 1\n") +
                 radio("r2", 30, "  GroupID 2\n") + radio("r3", 60, "  GroupID 2\n") +
                 radio("z1", 90, "  Checked 1\n") + radio("z2", 120, "") +
                 "}\nwidget p2\n{\n AreaRect 0 50 200 20\n" + radio("q1", 0, "  GroupID 2\n  Checked 1\n") +
                 "}\n");
    auto checked = [&](const char* name) { return h.FindAs<RadioButton>(name)->IsChecked(); };
    EXPECT_TRUE(checked("r1"));
    Counter changed;
    h.FindAs<RadioButton>("r2")->SubscribeEvent("CheckChanged", &changed);

    click(35, 5); // r2
    EXPECT_FALSE(checked("r1"));
    EXPECT_TRUE(checked("r2"));
    EXPECT_FALSE(checked("r3"));
    EXPECT_TRUE(checked("q1"));  // same group, other parent
    EXPECT_EQ(changed.count, 0); // radio buttons raise no CheckChanged

    click(35, 5); // checked already: stays checked
    EXPECT_TRUE(checked("r2"));

    click(125, 5); // group 0: z1 stays checked
    EXPECT_TRUE(checked("z2"));
    EXPECT_TRUE(checked("z1"));
    EXPECT_TRUE(checked("r2"));
}

} // namespace
