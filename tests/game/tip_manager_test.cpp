// Tip balloons through a GUI script of their own: the tips file, placement by
// quarter, the fade in and out driven by scripted clicks, the don't-show
// check, counting per level and per game, and the saved counters.

#include "game_test_support.h"
#include "mirel/gui/statictext/widget_test_support.h"
#include "mirel/gui/stylebutton/styles_support.h"
#include "mirel/sound/sound_test_support.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "game/tip_manager.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/locale/a_localeserver.h"

#include <memory>

using namespace gametest;

namespace {

constexpr const char* kTips = "[General]\nFadeTime = 0.5\nCloseAnywhereTime = 2\n"
                              "[clock]\nTimesPerLevel = 2\n"
                              "[evidence_room_intro]\nLevelsCount = 1\nQuarter = 3\n"
                              "[hint]\n"
                              "[once]\nTimesPerLevel = 1\nLevelsCount = 1\n";

// Balloon 200 x 60 at (20, 12) in the window: pointer offset 20, tail 12;
// text top 8; "dont_show" 16 high at y 30 (the gap below the text).
constexpr const char* kLayout =
    "window game_tip\n{\n AreaRect 0 0 1024 768\n Visible 0\n"
    " window balloon\n {\n  AreaRect 20 12 200 60\n"
    "  statictext text\n  {\n   AreaRect 10 8 180 20\n   Font fixed\n  }\n"
    "  widget close\n  {\n   AreaRect 170 30 20 16\n  }\n"
    "  widget dont_show\n  {\n   AreaRect 10 30 20 16\n"
    "   widget dont_show_auto_check\n   {\n    AreaRect 0 0 16 16\n    Static 1\n   }\n  }\n"
    " }\n}\n";

const uint32_t kStyleColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

class TipTest : public testing::Test {
protected:
    void SetUp() override {
        std::string styles;
        for (int q = 0; q < 4; ++q)
            styles += guitest::SolidStyle(h, "tip_style" + std::to_string(q), kStyleColours[q]);
        h.LoadScript(guitest::FixedFontSection(h) + styles + kLayout);
        ASSERT_TRUE(
            soundgen::writeFile(soundtest::level(0.5, 1.0), soundgen::Format::Wav, h.dir + "tip.wav"));
        h.sounds->loadList(h.WriteFile("SoundList.txt", "tip.wav 1.0\n"));
        const std::string strings = "tip.clock = \"ab\"\ntip.hint = \"cd\"\n";
        locale.parseBuffer("strings", strings.data(), strings.size());
        settings = ProfileRecord();
        Make(kTips);
    }
    void Make(const std::string& tipsFile) {
        tips.reset();
        tips = std::make_unique<TipManager>(*h.server, h.sounds.get(), &locale, settings,
                                            h.WriteFile("tips.ini", tipsFile));
    }
    GUI::Widget* W(const std::string& name) { return h.Find(name); }
    void Click(int32_t x, int32_t y) {
        h.SetCursor(x, y);
        h.Frame(0.0f, false);
        h.SetButton(0, true);
        h.Frame(0.0f, false);
        h.SetButton(0, false);
        h.Frame(0.0f, false);
    }
    // A point of the balloon that none of its children covers.
    void ClickBalloon() {
        GUI::Widget* b = W("balloon");
        Click(b->GetAbsoluteX() + 195, b->GetAbsoluteY() + 2);
    }
    void ClickClose() {
        GUI::Widget* c = W("close");
        Click(c->GetAbsoluteX() + 2, c->GetAbsoluteY() + 2);
    }
    void ClickDontShow() {
        GUI::Widget* d = W("dont_show");
        Click(d->GetAbsoluteX() + 2, d->GetAbsoluteY() + 2);
    }
    float Alpha() { return W("balloon")->GetAlpha(true); }

    soundtest::ManualOutput output;
    guitest::GuiHarness h;
    aLocaleServer locale;
    LogCapture log;
    ProfileRecord settings;
    std::unique_ptr<TipManager> tips;
};

TEST_F(TipTest, TipsFileAfterItsGeneralSection) {
    EXPECT_FLOAT_EQ(tips->GetFadeTime(), 0.5f);
    EXPECT_FLOAT_EQ(tips->GetCloseAnywhereTime(), 2.0f);
    EXPECT_EQ(tips->GetTips().size(), 4u);
    EXPECT_EQ(tips->FindTip("General"), nullptr);
    const TipManager::Tip* clock = tips->FindTip("clock");
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->timesPerLevel, 2);
    EXPECT_EQ(clock->levelsCount, -1);
    EXPECT_EQ(clock->quarter, -1);
    EXPECT_EQ(clock->levelsLeft, 0xFFFFFFFFu); // -1: no limit
    EXPECT_EQ(tips->FindTip("evidence_room_intro")->quarter, 3);
    EXPECT_EQ(&TipManager::getSingleton(), tips.get());

    // A file whose first section is a tip loses it, and has no fade times.
    Make("[clock]\nTimesPerLevel = 2\n[hint]\nQuarter = 99999999999\n");
    EXPECT_EQ(tips->FindTip("clock"), nullptr);
    ASSERT_NE(tips->FindTip("hint"), nullptr);
    EXPECT_EQ(tips->FindTip("hint")->quarter, INT32_MAX);
    EXPECT_FLOAT_EQ(tips->GetFadeTime(), 0.0f);
}

TEST_F(TipTest, BalloonOpensTowardsTheQuarterOfThePoint) {
    struct Case {
        int32_t x, y;
        int quarter;
    };
    // The tip "hint" chooses from the point; one line of text is 10 high, so
    // the balloon is max(60, 16 + 2 x 8 + 30 + 12 + 10) = 84 high.
    const Case cases[] = {{100, 100, 0}, {512, 384, 1}, {511, 385, 2}, {600, 500, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quarter);
        tips->ResetTipCounts(true);
        ASSERT_TRUE(tips->ShowTip(c.x, c.y, "hint"));
        const bool left = c.quarter & 1, above = c.quarter & 2;
        const aRect& r = W("balloon")->GetAreaRect();
        EXPECT_EQ(r.x, left ? c.x + 20 - 200 : c.x - 20);
        EXPECT_EQ(r.y, above ? c.y - 84 : c.y);
        EXPECT_EQ(r.width, 200);
        EXPECT_EQ(r.height, 84);
        const int textY = above ? 8 : 20;
        EXPECT_EQ(W("text")->GetAreaRect().y, textY);
        EXPECT_EQ(W("text")->GetHeight(), 10);
        EXPECT_EQ(W("text")->GetText(), u"cd"); // the locale text "tip.hint"
        EXPECT_EQ(W("dont_show")->GetAreaRect().y, textY + 30 + 10);
        EXPECT_EQ(W("close")->GetAreaRect().y, textY + 30 + 10);
        EXPECT_TRUE(W("game_tip")->IsVisible());
        EXPECT_FALSE(W("dont_show_auto_check")->IsVisible(true));
        EXPECT_FLOAT_EQ(Alpha(), 0.0f);
        tips->Update(0.5f);
        tips->Update(0.0f); // faded in: the quarter's style shows
        h.Render();
        EXPECT_EQ(h.Pixel(uint32_t(r.x + 195), uint32_t(r.y + 2)), kStyleColours[c.quarter]);
        tips->HideTip();
        EXPECT_FALSE(W("game_tip")->IsVisible());
    }
    // A fixed quarter wins over the point; a text given wins over the locale's.
    ASSERT_TRUE(
        tips->ShowTip(100, 100, "evidence_room_intro", u"ab ab ab ab ab ab ab ab ab ab ab ab ab ab ab"));
    EXPECT_EQ(W("text")->GetHeight(), 30); // three lines
    EXPECT_EQ(W("balloon")->GetAreaRect().height, 16 + 16 + 30 + 12 + 30);
    EXPECT_EQ(W("balloon")->GetAreaRect().x, 100 + 20 - 200);
    EXPECT_EQ(W("balloon")->GetAreaRect().y, 100 - 104);
    EXPECT_TRUE(h.sounds->getSound("tip")->isPlaying());
}

TEST_F(TipTest, ShowsAreCountedPerLevelAndLevelsPerGame) {
    EXPECT_FALSE(tips->ShowTip(1, 1, "nope"));
    EXPECT_TRUE(log.has("TipManager::FindTip - tip 'nope' not defined"));

    settings.showTips = 0; // switched off: answered, not shown, but counted
    EXPECT_TRUE(tips->ShowTip(1, 1, "clock"));
    EXPECT_FALSE(tips->IsTipShown());
    settings.showTips = 1;
    EXPECT_TRUE(tips->ShowTip(1, 1, "clock"));
    EXPECT_TRUE(tips->IsTipShown());
    tips->HideTip();
    EXPECT_FALSE(tips->ShowTip(1, 1, "clock")); // two per level
    tips->ResetTipCounts(false);
    EXPECT_TRUE(tips->ShowTip(1, 1, "clock"));

    EXPECT_TRUE(tips->ShowTip(1, 1, "once"));
    tips->EndLevel();
    EXPECT_FALSE(tips->IsTipShown());
    EXPECT_EQ(tips->FindTip("once")->levelsLeft, 0u);
    EXPECT_EQ(tips->FindTip("evidence_room_intro")->levelsLeft, 1u); // not shown: keeps its level
    EXPECT_EQ(tips->FindTip("clock")->showsLeft, 2u);
    tips->ResetTipCounts(false);
    EXPECT_FALSE(tips->ShowTip(1, 1, "once")); // its one level is used up
    EXPECT_TRUE(tips->ShowTip(1, 1, "evidence_room_intro"));
    tips->ResetTipCounts(true); // a new game
    EXPECT_TRUE(tips->ShowTip(1, 1, "once"));
}

TEST_F(TipTest, FadeInCloseAndFadeOut) {
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    tips->Update(0.25f);
    EXPECT_FLOAT_EQ(Alpha(), 0.0f);
    tips->Update(0.25f);
    EXPECT_FLOAT_EQ(Alpha(), 0.5f);
    tips->Update(0.25f);
    EXPECT_FLOAT_EQ(Alpha(), 1.0f);
    ClickBalloon(); // before F + C: only "close" closes
    Click(900, 700);
    EXPECT_GT(tips->GetTimer(), 0.0f);
    ClickClose();
    EXPECT_FLOAT_EQ(tips->GetTimer(), -0.5f);
    tips->Update(0.25f);
    EXPECT_FLOAT_EQ(Alpha(), 0.5f);
    EXPECT_TRUE(tips->IsTipShown());
    tips->Update(0.25f);
    EXPECT_FALSE(tips->IsTipShown());
    EXPECT_FALSE(W("game_tip")->IsVisible());
}

TEST_F(TipTest, CloseDuringTheFadeInFadesOutFromTheAlphaReached) {
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    ClickClose(); // the first frame: t is 0, nothing yet
    EXPECT_FLOAT_EQ(tips->GetTimer(), 0.0f);
    tips->Update(0.1f);
    tips->Update(0.1f);
    EXPECT_NEAR(Alpha(), 0.2f, 1e-6f);
    ClickBalloon();
    EXPECT_NEAR(tips->GetTimer(), 0.2f, 1e-6f); // ignored during the fade in
    ClickClose();
    EXPECT_NEAR(tips->GetTimer(), -0.2f, 1e-6f);
    tips->Update(0.1f);
    EXPECT_NEAR(Alpha(), 0.2f, 1e-6f);
    tips->Update(0.1f);
    EXPECT_FALSE(tips->IsTipShown());
}

TEST_F(TipTest, AfterCloseAnywhereTimeAClickAnywhereCloses) {
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    for (int i = 0; i < 10; ++i)
        tips->Update(0.5f);
    EXPECT_FLOAT_EQ(tips->GetTimer(), 2.5f); // held at F + C
    Click(900, 700);                         // "game_tip" itself
    EXPECT_FLOAT_EQ(tips->GetTimer(), -0.5f);
    tips->Update(0.6f);
    EXPECT_FALSE(tips->IsTipShown());
    Click(900, 700); // no tip: nothing happens
}

TEST_F(TipTest, WithoutFadeTimeTheBalloonComesAndGoesAtOnce) {
    Make("[General]\n[hint]\n");
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    tips->Update(0.1f);
    EXPECT_FLOAT_EQ(Alpha(), 1.0f);
    ClickBalloon(); // F + C = 0: any click closes, and there is nothing to fade
    EXPECT_FALSE(tips->IsTipShown());
    EXPECT_FALSE(W("game_tip")->IsVisible());

    Make("[General]\nCloseAnywhereTime = 1\n[hint]\n");
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    tips->Update(0.1f);
    tips->Update(0.1f);
    ClickClose();
    EXPECT_FALSE(tips->IsTipShown());
}

TEST_F(TipTest, DontShowFlipsTheSettingWhileTheBalloonIsUp) {
    ASSERT_TRUE(tips->ShowTip(300, 300, "hint"));
    ClickDontShow(); // t is still 0
    EXPECT_EQ(settings.showTips, 1);
    tips->Update(0.1f);
    ClickDontShow();
    EXPECT_EQ(settings.showTips, 0);
    EXPECT_TRUE(W("dont_show_auto_check")->IsVisible(true));
    ClickDontShow();
    EXPECT_EQ(settings.showTips, 1);
    EXPECT_FALSE(W("dont_show_auto_check")->IsVisible(true));
    ClickDontShow();
    tips->HideTip();
    EXPECT_TRUE(tips->ShowTip(300, 300, "clock")); // off for the game: answered, not shown
    EXPECT_FALSE(tips->IsTipShown());
}

TEST_F(TipTest, CountersTravelInTheSave) {
    ASSERT_TRUE(tips->ShowTip(1, 1, "clock"));
    ASSERT_TRUE(tips->ShowTip(1, 1, "once"));
    tips->EndLevel();
    ASSERT_TRUE(tips->ShowTip(1, 1, "clock"));
    tips->HideTip();
    const std::string path = h.dir + "save.dat";
    SaveLoadSystem system(1);
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(*tips);
    ASSERT_TRUE(system.EndSave());
    SaveFileBuilder body;
    body.U32(4);
    body.U8(1).U32(1).U32(0xFFFFFFFE);          // clock: one show left; "no limit" counts down too
    body.U8(1).U32(0xFFFFFFFF).U32(1);          // evidence_room_intro
    body.U8(1).U32(0xFFFFFFFF).U32(0xFFFFFFFF); // hint
    body.U8(1).U32(1).U32(0);                   // once
    EXPECT_EQ(ReadBytes(path),
              SaveFileBuilder().Header(2768, 1).Record("<tip_manager>", body.bytes).Finish());

    tips->ResetTipCounts(true);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    EXPECT_TRUE(system.LoadEntity(*tips));
    EXPECT_EQ(tips->FindTip("clock")->showsLeft, 1u);
    EXPECT_EQ(tips->FindTip("once")->levelsLeft, 0u);
    EXPECT_FALSE(tips->ShowTip(1, 1, "once"));

    // Fewer entries than tips: the rest keep their counters; entries past the
    // record's end are not read, whatever the count says.
    tips->ResetTipCounts(true);
    SaveFileBuilder shortBody;
    shortBody.U32(4).U8(0).U32(7).U32(7).U8(0).U32(8);
    WriteBytes(path, SaveFileBuilder().Header(2768, 1).Record("<tip_manager>", shortBody.bytes).Finish());
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    system.LoadEntity(*tips);
    EXPECT_EQ(tips->FindTip("clock")->showsLeft, 7u);
    EXPECT_EQ(tips->FindTip("clock")->enabled, 0);
    EXPECT_EQ(tips->FindTip("evidence_room_intro")->showsLeft, 0xFFFFFFFFu);
    EXPECT_EQ(tips->FindTip("evidence_room_intro")->enabled, 1);
    EXPECT_TRUE(tips->ShowTip(1, 1, "clock")); // disabled: answered, not shown
    EXPECT_FALSE(tips->IsTipShown());
}

TEST(TipManagerWithoutLayout, LogsAndShowsNothing) {
    guitest::GuiHarness h;
    h.LoadScript("widget other\n{\n}\n");
    LogCapture log;
    ProfileRecord settings;
    TipManager tips(*h.server, nullptr, nullptr, settings, h.WriteFile("tips.ini", kTips));
    EXPECT_TRUE(log.has("TipManager::TipManager - widget 'game_tip' not found"));
    EXPECT_FALSE(tips.ShowTip(1, 1, "hint"));
    EXPECT_FALSE(tips.IsTipShown());
    tips.Update(1.0f);
    tips.EndLevel();
}

} // namespace
