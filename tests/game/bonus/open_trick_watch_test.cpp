// The trick watch played with the mouse: the hours of the hands' angles,
// the chips' show of the sequence and its pause, turning the minute hand
// (the hour hand following at a twelfth), releases that count only on the
// right hours after a change, the hint's turn, the open watch, and two
// watches of one run keeping their own record.

#include "puzzle_test_support.h"

#include "game/bonus/open_trick_watch.h"

using namespace gametest;

namespace {

constexpr uint32_t kBench = 0xFF1E3A30;
constexpr uint32_t kOpenWatch = 0xFFE6C65A;
constexpr int32_t kCx = OpenTrickWatch::kCentreX, kCy = OpenTrickWatch::kCentreY;
constexpr float kHour = kPi / 6.0f;
constexpr float kTurn = 2.0f * kPi;

class WatchTest : public PuzzleTest {
protected:
    void SetUp() override {
        PuzzleTest::SetUp();
        EnterPuzzle("[BonusRound]\nClass = OpenTrickWatch\n", [this] {
            data->Text("images/bonus/trick_watch/ImageList.txt", "");
            Image("trick_watch", "background", content::Picture(845, 768, kBench));
            Image("trick_watch", "background_open", content::Picture(845, 768, kOpenWatch));
            Image("trick_watch", "clock", content::Picture(600, 600, 0xFFEFE3C8));
            Image("trick_watch", "winder", content::Picture(204, 170, 0xFFC9A227));
            Image("trick_watch", "glass", content::Picture(480, 480, 0x10FFFFFF));
            Image("trick_watch", "chip", content::Picture(40, 40, 0xFFFFFFFF));
            Image("trick_watch", "clock_hand_1", content::Picture(250, 68, 0xFF1F2A40));
            Image("trick_watch", "clock_hand_2", content::Picture(180, 64, 0xFF402A1F));
        });
        watch = Puzzle<OpenTrickWatch>();
        ASSERT_NE(watch, nullptr);
    }
    const OpenTrickWatch::Hand& Minute() { return watch->GetHand(OpenTrickWatch::MINUTE_HAND); }
    const OpenTrickWatch::Hand& HourHand() { return watch->GetHand(OpenTrickWatch::HOUR_HAND); }
    // Takes the minute hand, turns it by the angle in small moves, lets go.
    void TurnMinute(float delta, bool release = true) {
        const float start = Minute().angle;
        int32_t x = 0, y = 0;
        Polar(kCx, kCy, start, 150.0f, x, y);
        harness->MoveTo(x, y);
        harness->Step();
        ASSERT_TRUE(Minute().lit) << "lit under the cursor";
        harness->Press();
        harness->Step();
        ASSERT_EQ(watch->GetGrabbed(), OpenTrickWatch::MINUTE_HAND);
        const int moves = int(std::ceil(std::fabs(delta) / 0.4f));
        for (int i = 1; i <= moves; ++i) {
            Polar(kCx, kCy, start + delta * float(i) / float(moves), 150.0f, x, y);
            harness->MoveTo(x, y);
            harness->Step();
        }
        if (!release)
            return;
        harness->Release();
        harness->Step();
        EXPECT_EQ(watch->GetGrabbed(), -1);
    }

    OpenTrickWatch* watch = nullptr;
};

} // namespace

TEST_F(WatchTest, HandsAndChipsAtTheirHours) {
    struct Case {
        float angle;
        int32_t hour;
    };
    const Case cases[] = {{kPi / 2, 11},         {kPi / 3, 0},
                          {kPi / 6, 1},          {0.0f, 2},
                          {-kHour + kTurn, 3},   {kPi, 8},
                          {kPi / 2 + 0.26f, 11}, {kPi / 2 + 0.27f, 10},
                          {kPi / 2 - 0.26f, 11}, {kPi / 2 - 0.27f, 0},
                          {1.5f * kPi, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(OpenTrickWatch::HourIndex(c.angle), c.hour) << c.angle;
    EXPECT_FLOAT_EQ(Minute().angle, kPi / 2);
    EXPECT_FLOAT_EQ(HourHand().angle, kPi / 6);
    // Chip k at hour k on the circle of 265: one o'clock up and right.
    const OpenTrickWatch::Chip& one = watch->GetChip(0);
    EXPECT_NEAR(one.x, std::cos(kPi / 3) * 265.0f + float(kCx) - 20.0f, 1e-3f);
    EXPECT_NEAR(one.y, float(kCy) - std::sin(kPi / 3) * 265.0f - 20.0f, 1e-3f);
    EXPECT_NEAR(watch->GetChip(2).rotation, -kPi / 2, 1e-5f);
    ASSERT_EQ(watch->GetLevels().size(), 1u);
    EXPECT_EQ(watch->GetLevels()[0].size(), 5u);
}

TEST_F(WatchTest, TheChipsShowTheSequenceThenPause) {
    // Step 1's chip (three o'clock) flashes red first.
    EXPECT_GE(watch->GetChip(2).flash, 0.0f);
    EXPECT_EQ(watch->GetChip(2).flashColour, 0xFFFF0000u);
    harness->RunFor(1.3f);
    EXPECT_EQ(watch->GetShowIndex(), 1);
    EXPECT_GE(watch->GetChip(0).flash, 0.0f);
    harness->RunFor(1.3f);
    EXPECT_EQ(watch->GetChip(6).flashColour, 0xFF00FF00u);
    harness->RunFor(2.6f);
    EXPECT_EQ(watch->GetChip(4).flashColour, 0xFF00FFFFu);
    harness->RunFor(1.4f);
    EXPECT_GE(watch->GetPauseTimer(), 0.0f) << "after the last step the show pauses";
    EXPECT_EQ(watch->GetShowIndex(), 0);
    harness->RunFor(3.1f);
    EXPECT_LT(watch->GetPauseTimer(), 0.0f);
    EXPECT_GE(watch->GetChip(2).flash, 0.0f) << "and begins again";
}

TEST_F(WatchTest, AFullTurnOfTheMinuteHandMovesTheHourHandOneHour) {
    TurnMinute(-kTurn);
    EXPECT_NEAR(Minute().angle, kPi / 2, 0.01f);
    EXPECT_NEAR(std::remainder(HourHand().angle, 2.0f * kPi), 0.0f, 0.002f);
}

TEST_F(WatchTest, OnlyTheMinuteHandNearTheCursorIsTaken) {
    int32_t x = 0, y = 0;
    for (float off : {0.1f, -0.1f}) {
        Polar(kCx, kCy, kPi / 2 + off, 150.0f, x, y);
        harness->ClickAt(x, y);
        EXPECT_EQ(watch->GetGrabbed(), -1) << off;
    }
    Polar(kCx, kCy, HourHand().angle, 100.0f, x, y);
    harness->ClickAt(x, y);
    EXPECT_EQ(watch->GetGrabbed(), -1) << "the hour hand is not taken";
    EXPECT_FALSE(HourHand().lit);
    Polar(kCx, kCy, kPi / 2 + 0.08f, 150.0f, x, y);
    harness->MoveTo(x, y);
    harness->Step();
    EXPECT_TRUE(Minute().lit);
}

TEST_F(WatchTest, TheSequenceEnteredWithTheMouseOpensTheWatch) {
    // A wrong hour does not count; nor does letting go again unmoved.
    TurnMinute(-2.0f * kTurn);
    EXPECT_EQ(watch->GetProgress(), 0);
    TurnMinute(kTurn);
    EXPECT_EQ(watch->GetProgress(), 1) << "three o'clock";
    EXPECT_TRUE(Playing("trick_watch_match"));
    EXPECT_GE(watch->GetChip(2).ring, 0.0f);
    EXPECT_EQ(watch->GetChip(2).ringColour, 0xFFFF0000u);
    TurnMinute(0.0f);
    EXPECT_EQ(watch->GetProgress(), 1) << "no change, no count";

    const float turns[] = {2.0f, -6.0f, -3.0f, -7.0f};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        TurnMinute(turns[i] * kTurn);
        EXPECT_EQ(watch->GetProgress(), i + 2);
    }
    EXPECT_TRUE(watch->IsSolved());
    EXPECT_TRUE(watch->IsCompleted());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_TRUE(Playing("trick_watch_open"));
    EXPECT_EQ(At(900, 100), kOpenWatch);
}

TEST_F(WatchTest, AHintTurnsTheHandsToTheNextHour) {
    watch->UseHint();
    ASSERT_TRUE(watch->IsHinting());
    for (int i = 0; i < 40 && watch->IsHinting(); ++i)
        harness->Step();
    EXPECT_FALSE(watch->IsHinting());
    EXPECT_NEAR(HourHand().angle, 0.0f, 1e-4f);
    harness->Step();
    EXPECT_EQ(watch->GetProgress(), 1) << "let go where the hint stopped";
    watch->UseHint();
    for (int i = 0; i < 60 && watch->IsHinting(); ++i)
        harness->Step();
    harness->Step();
    EXPECT_EQ(watch->GetProgress(), 2);
    EXPECT_NEAR(HourHand().angle, kPi / 3, 1e-4f);
}

TEST_F(WatchTest, SolveOpensTheWatch) {
    watch->Solve();
    EXPECT_TRUE(watch->IsSolved());
    EXPECT_TRUE(watch->IsCompleted());
    watch->UseHint();
    EXPECT_FALSE(watch->IsHinting());
}

TEST_F(WatchTest, TwoWatchesKeepTheirOwnRecordOfTheHands) {
    std::unique_ptr<OpenTrickWatch> other = Make<OpenTrickWatch>("OpenTrickWatch");
    ASSERT_NE(other, nullptr);
    // The other one updates while this one's hands move to the first hour.
    TurnMinute(-kTurn, false);
    other->Update(0.05f);
    other->Update(0.05f);
    harness->Release();
    harness->Step();
    EXPECT_EQ(watch->GetProgress(), 1);
    // The other's hands never moved: letting them go counts nothing.
    other->Update(0.05f);
    EXPECT_EQ(other->GetProgress(), 0);
    TurnMinute(0.0f);
    EXPECT_EQ(watch->GetProgress(), 1);
}
