#include "app_test_support.h"

#include "mirel/gui/gui_widget.h"

using namespace gametest;

namespace {

class ClockTest : public GameTest {};

} // namespace

TEST_F(ClockTest, RunsInAHiddenObjectRoomAndStandsOnTheMapAndWhileABoxIsUp) {
    NewGameOnMap();
    const float start = Game().GetTimeLeft();
    EXPECT_FLOAT_EQ(start, 600.0f);
    harness->RunFor(2.0f);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), start); // no room: the clock stands
    EXPECT_EQ(harness->Text("clock_text"), u"--:--");

    EnterRoom("harbour");
    ASSERT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
    harness->Steps(2); // a change of the stop state shows within two frames
    const float entered = Game().GetTimeLeft();
    harness->RunFor(1.0f);
    EXPECT_NEAR(Game().GetTimeLeft(), entered - 1.0f, 1e-3f);
    EXPECT_NEAR(Game().GetPlayTime(), double(start - Game().GetTimeLeft()), 1e-3);
    EXPECT_EQ(harness->Text("clock_text"), u"09:58");

    // A message box stops it again.
    ASSERT_TRUE(
        Game().ShowMessageBox("msgbox_text", GameApp::ACTION_NONE, "card_room_empty", nullptr, nullptr));
    harness->Steps(2);
    const float boxed = Game().GetTimeLeft();
    harness->RunFor(1.0f);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), boxed);
    EXPECT_TRUE(Game().IsClockStopped());
}

TEST_F(ClockTest, LowTimeSoundOnceBelow121SecondsThenTimeOverRestartsTheLevel) {
    data->WriteShell();
    data->WriteLevel(1, 122, 3, 2, {"harbour", "clockshop", "inn"});
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    StartGame();
    harness->Step();
    CloseBox();
    CloseTip();
    EnterRoom("harbour");
    harness->Steps(2);
    // While the clock shows 02:01 (121.x s) there is no warning; from 02:00
    // on (s = 120) there is, once.
    while (Game().GetTimeLeft() - GameHarness::kFrame >= 121.0f) {
        harness->Step();
        ASSERT_FALSE(Game().IsLowTimeWarned()) << Game().GetTimeLeft();
    }
    harness->Step();
    EXPECT_TRUE(Game().IsLowTimeWarned());
    EXPECT_LT(Game().GetTimeLeft(), 121.0f);

    // Time over once the clock shows 00:00: one box with action 132, and the
    // clock stands while it is up.
    for (int i = 0; i < 2000 && Game().GetMessageBoxes().empty(); ++i)
        harness->Step(0.1f);
    EXPECT_EQ(harness->Text("clock_text"), u"00:00");
    EXPECT_LT(Game().GetTimeLeft(), 1.0f);
    harness->RunFor(3.0f, 0.1f);
    ASSERT_EQ(Game().GetMessageBoxes().size(), 1u);
    EXPECT_EQ(FrontBox(), "msgbox_timeover");
    EXPECT_EQ(Game().GetMessageBoxAction(), uint32_t(GameApp::ACTION_RESTART_LEVEL));
    EXPECT_EQ(harness->Text("clock_text"), u"--:--");

    // Closing it restarts the level: the map, the level's time again, one
    // more time-over, and the game saved.
    ASSERT_TRUE(CloseBox());
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_EQ(Game().GetCurrentRoom(), nullptr);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), 122.0f);
    EXPECT_FALSE(Game().IsLowTimeWarned());
    EXPECT_EQ(g_currentSettings.timeOverCount, 1u);
    EXPECT_TRUE(harness->Visible("game_map"));
    EXPECT_FALSE(ReadBytes(harness->SavesDir() + MakeSaveFileName("en", "Mara")).empty());
}

TEST_F(ClockTest, ThreeQuickMissesCostThirtySecondsWithAWarning) {
    NewGameOnMap();
    EnterRoom("harbour");
    harness->Steps(2);
    const float before = Game().GetTimeLeft();
    RoomOf("harbour")->MissThrice();
    harness->Step();
    EXPECT_NEAR(Game().GetTimeLeft(), before - 30.0f - GameHarness::kFrame, 1e-3f);
    EXPECT_EQ(FrontBox(), "msgbox_cheater_warning");
    // The flag was taken: no second penalty.
    CloseBox();
    const float after = Game().GetTimeLeft();
    harness->Steps(3);
    EXPECT_GT(Game().GetTimeLeft(), after - 30.0f);
}

TEST_F(ClockTest, ALongFrameUpdatesNothing) {
    NewGameOnMap();
    EnterRoom("harbour");
    harness->Steps(2);
    float before = Game().GetTimeLeft();
    harness->Step(0.2f); // exactly the limit: updated
    EXPECT_NEAR(Game().GetTimeLeft(), before - 0.2f, 1e-3f);
    before = Game().GetTimeLeft();
    harness->Step(0.21f);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), before);
    EXPECT_EQ(Game().GetFrameTime(), 0.0f);
}

TEST_F(ClockTest, PauseByTheClockFadesInAndByDeactivationShowsAtOnce) {
    NewGameOnMap();
    EnterRoom("harbour");
    harness->Steps(2);

    // A click on the clock: paused, the input blocked, the picture fading in.
    ASSERT_TRUE(harness->Click("clock"));
    EXPECT_TRUE(Game().IsPaused());
    EXPECT_TRUE(harness->Visible("empty"));
    EXPECT_LT(Game().GetPauseFade(), 0.5f);
    const float frozen = Game().GetTimeLeft();
    harness->RunFor(1.0f);
    EXPECT_FLOAT_EQ(Game().GetPauseFade(), 0.5f);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), frozen);
    // The pause picture covers the middle of the screen, the veil the rest.
    EXPECT_EQ(harness->Pixel(512, 384), kPauseColour & 0xFFFFFFu);
    EXPECT_EQ(harness->Pixel(1000, 10), 0x000000u) << "the veil is 87.5% black over a dark room";
    // Any key ends it.
    harness->TapKey(A_KEY_SPACE);
    EXPECT_FALSE(Game().IsPaused());
    EXPECT_FALSE(harness->Visible("empty"));

    // The window loses the focus: paused at full strength at once.
    harness->Deactivate();
    harness->Step();
    EXPECT_TRUE(Game().IsPaused());
    EXPECT_FLOAT_EQ(Game().GetPauseFade(), 0.5f);
    harness->Activate();
    harness->Step();
    EXPECT_TRUE(Game().IsPaused()) << "coming back does not resume by itself";
    harness->ClickAt(600, 400);
    EXPECT_FALSE(Game().IsPaused());
}
