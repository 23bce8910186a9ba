// The game's own widgets: the map's room buttons and the panel's buttons, on
// a GUI test bench (no game), and the hint button in a running game.

#include "app_test_support.h"

#include "game/widgets/blinking_button.h"
#include "game/widgets/hint_button.h"
#include "game/widgets/panel_button.h"
#include "game/widgets/room_button.h"
#include "support/gui_harness.h"

#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_widgetfactory.h"

using namespace gametest;

namespace {

constexpr uint32_t kPicture = 0xFF404040u;

class RoomButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = std::make_unique<FileServerFixture>(h.dir);
        // The day room's picture in the group "map" and its outline: the
        // right half of the 60 x 40 rectangle.
        h.WriteFile("hall.png", content::writePng(content::Picture(60, 40, kPicture)));
        h.images->loadList(h.WriteFile("maplist.txt", "hall.png 8888 8888\n"), "map");
        h.AddImage("marks", content::Picture(1024, 768, 0xFFFFFFFF));
        std::vector<uint8_t> mask(60 * 40, 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 30; x < 60; ++x)
                mask[size_t(y) * 60 + size_t(x)] = 1;
        WriteBytes(h.dir + "data/images/map/regions/hall.bmp", content::writeBmp1(60, 40, mask));
        h.LoadScript("roombutton hall_night\n{\n AreaRect 100 100 10 10\n FadeInTime 0.5\n FadeOutTime 0.5\n"
                     " staticimage label\n {\n  NormalImage marks\n  NormalRect 100 140 60 10\n"
                     "  widget inner\n  {\n   AreaRect 110 145 5 5\n  }\n }\n"
                     " staticimage done\n {\n  NormalImage marks\n  NormalRect 140 100 20 20\n }\n"
                     " statictext count\n {\n  AreaRect 100 150 30 10\n }\n}\n");
        button = h.FindAs<RoomButton>("hall_night");
        ASSERT_NE(button, nullptr);
    }
    guitest::GuiHarness h;
    std::unique_ptr<FileServerFixture> files;
    RoomButton* button = nullptr;
};

} // namespace

TEST(GameWidgets, TheFactoryKnowsTheGameTypes) {
    const GUI::WidgetFactory& factory = GUI::WidgetFactory::Instance();
    struct Case {
        const char* name;
        const char* type;
    } cases[] = {{"blinkingbutton", "BlinkingButton"},
                 {"hintbutton", "HintButton"},
                 {"panelbutton", "PanelButton"},
                 {"roombutton", "RoomButton"}};
    for (const Case& c : cases) {
        std::unique_ptr<GUI::Widget> widget(factory.NewWidget(c.name, "w"));
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->GetType(), c.type);
        EXPECT_TRUE(widget->IsKindOf(c.type));
    }
    std::unique_ptr<GUI::Widget> room(factory.NewWidget("roombutton", "r"));
    EXPECT_TRUE(room->IsKindOf("StaticImage"));
    EXPECT_FALSE(room->IsKindOf("ImageButton"));
    std::unique_ptr<GUI::Widget> hint(factory.NewWidget("HintButton", "h"));
    EXPECT_TRUE(hint->IsKindOf("ImageButton") && hint->IsKindOf("ButtonBase"));
}

TEST_F(RoomButtonTest, ANightButtonTakesItsDayTwinsPictureAndMaskAndItsChildrenMoveIntoIt) {
    EXPECT_EQ(button->GetAreaRect(), aRect(100, 100, 60, 40)) << "sized to the picture";
    ASSERT_NE(button->GetMask(), nullptr);
    EXPECT_EQ(button->GetMask()->GetWidth(), 60);
    EXPECT_EQ(button->GetRegion(), button->GetMask());
    EXPECT_EQ(button->GetChildren()[0]->GetAreaRect(), aRect(0, 40, 60, 10));
    EXPECT_EQ(button->GetChildren()[0]->GetChildren()[0]->GetAreaRect(), aRect(10, 5, 5, 5));
    EXPECT_EQ(button->GetChildren()[1]->GetAreaRect(), aRect(40, 0, 20, 20));
    EXPECT_EQ(button->GetChildren()[2]->GetAreaRect(), aRect(0, 50, 30, 10));
    EXPECT_FALSE(button->IsPointInside(10, 20));
    EXPECT_TRUE(button->IsPointInside(50, 20));
}

TEST_F(RoomButtonTest, FlashingLightsHalfOfEachCycleAndHoverKeepsItLit) {
    h.Frame();
    EXPECT_EQ(h.Pixel(150, 120), kPicture) << "not lit";
    button->SetFlashing(true);
    std::vector<bool> lit;
    for (int i = 0; i < 10; ++i) {
        h.Frame(0.2f);
        lit.push_back(button->GetHighlight() > 0.0f);
    }
    // 0.2 0.4 | 0.6 0.8 1.0->0.0 | ...: lit while the timer is below FadeInTime.
    EXPECT_EQ(lit, (std::vector<bool>{true, true, false, false, true, true, true, false, false, true}));
    h.Frame(0.0f);
    const float timer = button->GetFlashTimer();
    button->SetFlashing(true);
    EXPECT_FLOAT_EQ(button->GetFlashTimer(), timer) << "on again does not restart";
    button->SetFlashing(false);
    button->SetFlashing(true);
    EXPECT_FLOAT_EQ(button->GetFlashTimer(), 0.0f);

    // Lit: drawn a second time, added on top.
    h.Frame(0.1f);
    EXPECT_GT(h.Pixel(150, 120) & 0xFF, kPicture & 0xFF);
    // Hovering keeps it lit when the blink is off.
    button->SetFlashing(false);
    h.SetCursor(150, 120);
    h.Frame(0.7f);
    h.Frame(0.7f);
    EXPECT_FLOAT_EQ(button->GetHighlight(), RoomButton::kHighlight);
}

TEST_F(RoomButtonTest, ADisabledButtonDrawsNothingOfItsOwnAndDimsItsLabel) {
    button->SetFlashing(true);
    button->SetEnabled(false);
    h.Frame();
    EXPECT_EQ(h.Pixel(150, 120), 0xFF000000u);
    GUI::Widget* label = button->GetChildren()[0];
    EXPECT_FLOAT_EQ(label->GetAlpha(true), RoomButton::kDisabledLabelAlpha);
    EXPECT_TRUE(label->IsStatic());
    button->SetEnabled(true);
    EXPECT_FLOAT_EQ(label->GetAlpha(true), 1.0f);
    EXPECT_FALSE(label->IsStatic());
}

TEST(PanelButtonTest, AGlowPulseLastsTwoSecondsAndEndsAfterTheFlashingStops) {
    PanelButton button("p");
    EXPECT_FLOAT_EQ(button.GetGlowTimer(), -1.0f);
    button.SetFlashing(true);
    button.UpdateFade(0.5f);
    button.SetFlashing(false);
    button.UpdateFade(1.4f);
    EXPECT_NEAR(button.GetGlowTimer(), 1.9f, 1e-5f);
    button.UpdateFade(0.1f);
    EXPECT_FLOAT_EQ(button.GetGlowTimer(), -1.0f);
    // While flashing, pulses follow each other.
    button.SetFlashing(true);
    button.UpdateFade(2.5f);
    EXPECT_NEAR(button.GetGlowTimer(), 0.5f, 1e-5f);
}

TEST(BlinkingButtonTest, TheHoverFadePulsesOncePerSecond) {
    BlinkingButton button("b");
    button.BeginFillProperties();
    button.Set("FadeInTime", "0.5");
    button.Set("FadeOutTime", "0.5");
    button.EndFillProperties();
    std::vector<float> factors;
    for (int i = 0; i < 8; ++i) {
        button.UpdateFade(0.25f);
        factors.push_back(button.GetHoverFactor());
    }
    EXPECT_EQ(factors, (std::vector<float>{0.0f, 0.5f, 1.0f, 0.5f, 0.0f, 0.5f, 1.0f, 0.5f}));
}

TEST_F(GameTest, TheHintButtonCountsHintsAndTakesOneClickASecond) {
    NewGameOnMap();
    EnterRoom("harbour");
    auto* hint = static_cast<HintButton*>(harness->Find("btn_hint"));
    harness->Step();
    EXPECT_TRUE(hint->IsEnabled());
    EXPECT_EQ(hint->GetLabel()->GetText(), u"3");
    EXPECT_FALSE(hint->GetLabel()->IsVisible(true)) << "the button draws its label itself";
    ASSERT_TRUE(harness->Click("btn_hint"));
    EXPECT_EQ(Game().GetHintsLeft(), 2u);
    ASSERT_TRUE(harness->Click("btn_hint")); // 0.15 s later: ignored
    EXPECT_EQ(Game().GetHintsLeft(), 2u);
    harness->RunFor(1.0f);
    ASSERT_TRUE(harness->Click("btn_hint"));
    EXPECT_EQ(Game().GetHintsLeft(), 1u);
    harness->RunFor(1.0f);
    harness->Click("btn_hint");
    harness->Step();
    EXPECT_EQ(Game().GetHintsLeft(), 0u);
    EXPECT_FALSE(hint->IsEnabled());
    EXPECT_EQ(hint->GetLabel()->GetText(), u"0");

    // In a room without hints a click that reaches the button explains why.
    harness->Click("btn_cardroom");
    CloseBox();
    harness->Step();
    EXPECT_FALSE(hint->IsEnabled());
    GUI::MouseEventArgs click;
    click.widget = hint;
    click.button = 0;
    hint->OnClick(click);
    EXPECT_EQ(Game().GetTipManager()->GetCurrentTipName(), "hints_disabled_here");
    EXPECT_EQ(Game().GetHintsLeft(), 0u);
}
