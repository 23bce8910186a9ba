// Option button built from a script: cycling forward on left clicks and
// backward on right ones, the order of its events, setting the option from
// code, and the label and option texts it draws.

#include "mirel/gui/listbox/w3_support.h"

using namespace w3test;

namespace {

class OptionButtonTest : public guitest::GuiFixture {
protected:
    void SetUp() override {
        RegisterTypes();
        h.LoadScript(FontSection(h) + "optionbutton opt\n{\n AreaRect 100 100 100 20\n Font fixed\n"
                                      " TextVertAlign top\n TextExtent 4 2\n TextPushOffset 1 1\n}\n");
        opt = h.FindAs<GUI::OptionButton>("opt");
        ASSERT_NE(opt, nullptr);
        opt->SubscribeEvent(GUI::Widget::EventClick, &clicks);
        opt->SubscribeEvent(GUI::OptionButton::EventOptionChanged, &changes);
    }
    void AddOptions() {
        for (const char16_t* t : {u"a", u"b", u"c"})
            opt->AddOption(t);
    }

    GUI::OptionButton* opt = nullptr;
    std::vector<std::string> order;
    Counter clicks{"Click", &order};
    Counter changes{"OptionChanged", &order};
};

} // namespace

TEST_F(OptionButtonTest, CyclesInBothDirections) {
    EXPECT_TRUE(opt->IsKindOf("ButtonBase"));
    EXPECT_EQ(opt->GetCurrentOption(), -1);
    AddOptions();
    for (int expected : {0, 1, 2, 0}) {
        Click(h, 150, 110);
        EXPECT_EQ(opt->GetCurrentOption(), expected);
    }
    EXPECT_EQ(changes.count, 4);
    const std::vector<std::string> pairs = {"Click", "OptionChanged", "Click", "OptionChanged",
                                            "Click", "OptionChanged", "Click", "OptionChanged"};
    EXPECT_EQ(order, pairs);

    // The right button steps back; the toolkit only clicks with the left, so callers pass it.
    opt->SetCurrentOption(-1);
    for (int expected : {2, 1, 0, 2}) {
        GUI::MouseEventArgs e;
        e.widget = opt;
        e.button = 1;
        opt->OnClick(e);
        EXPECT_EQ(opt->GetCurrentOption(), expected);
    }
    GUI::MouseEventArgs middle;
    middle.button = 2;
    opt->OnClick(middle);
    EXPECT_EQ(opt->GetCurrentOption(), 2);
}

TEST_F(OptionButtonTest, WithoutOptionsAClickIsOnlyAClick) {
    Click(h, 150, 110);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(opt->GetCurrentOption(), -1);

    LogCapture log;
    opt->SetCurrentOption(0);
    EXPECT_TRUE(log.has("OptionButton::SetCurrentOption - option index 0 is out of range"));
    AddOptions();
    opt->SetCurrentOption(1);
    opt->SetCurrentOption(1);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(opt->GetOption(1), u"b");
    EXPECT_EQ(opt->GetOption(3), u"");
    opt->ClearOptions();
    EXPECT_EQ(opt->GetCurrentOption(), -1);
    EXPECT_EQ(changes.count, 2);
}

TEST_F(OptionButtonTest, DrawsTheLabelLeftAndTheOptionRight) {
    opt->SetText(u"ab");
    AddOptions();
    opt->SetCurrentOption(2);
    h.SetCursor(10, 10);
    h.Frame();
    const uint32_t white = 0xFFFFFFFFu, black = 0xFF000000u;
    EXPECT_EQ(h.Pixel(104, 102), white); // "ab" from the extent
    EXPECT_EQ(h.Pixel(123, 111), white);
    EXPECT_EQ(h.Pixel(124, 102), black);
    EXPECT_EQ(h.Pixel(103, 102), black);
    EXPECT_EQ(h.Pixel(186, 102), white); // "c" ends 4 pixels before the right edge
    EXPECT_EQ(h.Pixel(195, 102), white);
    EXPECT_EQ(h.Pixel(196, 102), black);
    EXPECT_EQ(h.Pixel(185, 102), black);

    // Pushed: both texts move by the push offset.
    h.SetCursor(150, 110);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(h.Pixel(104, 102), black);
    EXPECT_EQ(h.Pixel(105, 103), white);
    EXPECT_EQ(h.Pixel(196, 103), white);
    EXPECT_EQ(h.Pixel(186, 103), black);
}
