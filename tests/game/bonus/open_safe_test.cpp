// The safe played with the mouse: the dial's values, turning it by its rim,
// the wheels that roll forward to the value and show whether it is right,
// choosing a wheel, the thumb moving on, the safe and the case opening, the
// hint's turn, Solve, and a missing or damaged combination.

#include "puzzle_test_support.h"

#include "game/bonus/open_safe.h"
#include "mirel/gfx/a_particle.h"

using namespace gametest;

namespace {

constexpr uint32_t kSafeBackground = 0xFF3A3E44;
constexpr uint32_t kCaseClosed = 0xFF6A3A20;
constexpr uint32_t kCaseOpen = 0xFFE0D0A0;
constexpr int32_t kDx = OpenSafe::kDialX, kDy = OpenSafe::kDialY;

uint32_t Digit(int32_t value, bool right) {
    return 0xFF000000u | uint32_t(right ? 0x20 : 0xC0) << 16 | uint32_t(0x10 + value * 9) << 8 | 0x30u;
}

class SafeTest : public PuzzleTest {
protected:
    void Enter(const std::string& code = "Code = 3, 25, 0\n", uint32_t stripWidth = 26 * 16) {
        EnterPuzzle("[BonusRound]\nClass = OpenSafe\n" + code, [&] {
            data->Text("images/bonus/safe/ImageList.txt", "");
            Image("safe", "background", content::Picture(845, 768, kSafeBackground));
            Image("safe", "pistol_case_closed", content::Picture(845, 768, kCaseClosed));
            Image("safe", "pistol_case_open", content::Picture(845, 768, kCaseOpen));
            Image("safe", "dial", content::Picture(250, 250, 0xFF909090));
            Image("safe", "thumb", content::Picture(28, 16, 0xFFF2A541));
            content::Picture strip(stripWidth, 48, 0);
            for (uint32_t y = 0; y < 48; ++y)
                for (uint32_t x = 0; x < stripWidth; ++x)
                    strip.at(x, y) = Digit(int32_t(x / 16), y >= 24);
            Image("safe", "digits", strip);
            data->Text("particles/config.ini", "[btn_finish_level]\nSystem = finish.txt\nImage = white_dot\n"
                                               "[safe_digit_lock]\nSystem = finish.txt\nImage = white_dot\n");
        });
        safe = Puzzle<OpenSafe>();
        ASSERT_NE(safe, nullptr);
    }
    // Turns the dial by its rim until the value is under the mark and lets go.
    void Dial(int32_t value, float radius = 90.0f) {
        int32_t x = 0, y = 0;
        Polar(kDx, kDy, 0.3f, radius, x, y);
        harness->MoveTo(x, y);
        harness->Press();
        harness->Step();
        ASSERT_TRUE(safe->IsDialGrabbed());
        const float ref = OpenSafe::PointerAngle(float(x - kDx), float(y - kDy));
        float turn = OpenSafe::kStep * float(26 - value) - safe->GetDialAngle();
        turn = std::remainder(turn, 2.0f * kPi);
        for (int step = 1; step <= 6; ++step) {
            Polar(kDx, kDy, ref + turn * float(step) / 6.0f, radius, x, y);
            harness->MoveTo(x, y);
            harness->Step();
        }
        harness->Release();
        harness->Step();
        ASSERT_FALSE(safe->IsDialGrabbed());
    }
    void Settle() {
        for (int i = 0; i < 60 && safe->UpdateWheels(0.0f); ++i)
            harness->Step();
        harness->Step();
    }
    void ClickWheel(int i) {
        harness->ClickAt(OpenSafe::kWheelX + OpenSafe::kWheelStep * i, OpenSafe::kWheelY);
    }

    OpenSafe* safe = nullptr;
};

} // namespace

TEST_F(SafeTest, TheValueUnderTheMark) {
    struct Case {
        float angle;
        int32_t value;
    };
    const float s = OpenSafe::kStep;
    const Case cases[] = {{0.0f, 0},      {s, 25},         {2 * kPi - s, 1},     {s * 7, 19},
                          {s * 0.49f, 0}, {s * 0.51f, 25}, {2 * kPi - 0.01f, 0}, {s * 22, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(OpenSafe::DialValue(c.angle), c.value) << c.angle;
    Enter();
    EXPECT_EQ(safe->GetCombination(), (std::vector<int32_t>{3, 25, 0}));
    EXPECT_EQ(safe->GetEntered(), (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_EQ(safe->GetCellWidth(), 16);
    EXPECT_EQ(safe->GetWindowHeight(), 24);
}

TEST_F(SafeTest, OpenedWithTheMouse) {
    Enter();
    // Wheel 0 to 20 (wrong), then to 3: it rolls forward through 25 and 0.
    Dial(20);
    EXPECT_EQ(safe->GetEntered()[0], 20);
    EXPECT_TRUE(Playing("safe_dial_rotate_end"));
    EXPECT_NEAR(safe->GetDialAngle(), OpenSafe::kStep * 6, 1e-4f) << "snapped to the value";
    Settle();
    EXPECT_FLOAT_EQ(safe->GetWheelPositions()[0], 21.0f);
    EXPECT_TRUE(Playing("safe_digit_bad"));
    EXPECT_EQ(safe->GetCurrentWheel(), 0) << "a wrong wheel stays current";
    const int32_t wx = OpenSafe::kWheelX, wy = OpenSafe::kWheelY;
    EXPECT_EQ(At(wx, wy), Digit(20, false));

    Dial(3);
    std::vector<float> seen;
    for (int i = 0; i < 60 && safe->UpdateWheels(0.0f); ++i) {
        seen.push_back(safe->GetWheelPositions()[0]);
        harness->Step();
    }
    ASSERT_GT(seen.size(), 3u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GE(seen[i], seen[i - 1]) << "it never rolls back";
    EXPECT_GT(seen.back(), 26.0f) << "through 25 and round";
    harness->Step();
    EXPECT_FLOAT_EQ(safe->GetWheelPositions()[0], 4.0f);
    EXPECT_TRUE(Playing("safe_digit_good"));
    EXPECT_GT(Game().GetParticlesManager()->getInstanceCount(), 0u) << "sparks on the wheel";
    harness->RunFor(2.0f);
    EXPECT_EQ(At(wx, wy), Digit(3, true)) << "a right wheel shows its green letter";
    EXPECT_EQ(safe->GetCurrentWheel(), 1) << "the thumb moves on";

    // A right wheel cannot be chosen again; another can.
    ClickWheel(0);
    EXPECT_EQ(safe->GetCurrentWheel(), 1);
    ClickWheel(2);
    EXPECT_EQ(safe->GetCurrentWheel(), 2);
    EXPECT_TRUE(Playing("safe_thumb_move"));
    Dial(0);
    Settle();
    EXPECT_EQ(safe->GetCurrentWheel(), 1) << "from the last wheel round to the first wrong one";
    Dial(25);
    Settle();
    ASSERT_TRUE(safe->IsSafeOpen());
    EXPECT_TRUE(Playing("safe_open"));
    EXPECT_EQ(At(600, 100), kCaseClosed);

    // Only the case takes the click.
    harness->ClickAt(250, 500);
    EXPECT_FALSE(safe->IsCompleted());
    harness->ClickAt(500, 600);
    EXPECT_TRUE(safe->IsCaseOpen());
    EXPECT_TRUE(safe->IsCompleted());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_TRUE(Playing("safe_case_open"));
    EXPECT_EQ(At(600, 100), kCaseOpen);
}

TEST_F(SafeTest, TheDialIsTurnedOnlyByItsRim) {
    Enter();
    for (float r : {50.0f, 125.0f}) {
        int32_t x = 0, y = 0;
        Polar(kDx, kDy, 1.0f, r, x, y);
        harness->ClickAt(x, y);
        EXPECT_FALSE(safe->IsDialGrabbed()) << r;
    }
    Dial(7, 60.0f);
    EXPECT_EQ(safe->GetEntered()[0], 7);
}

TEST_F(SafeTest, AHintTurnsTheDialToTheCurrentWheelsValue) {
    Enter();
    safe->UseHint();
    ASSERT_TRUE(safe->IsHintTurning());
    EXPECT_TRUE(Playing("safe_dial_rotating"));
    for (int i = 0; i < 100 && safe->IsHintTurning(); ++i)
        harness->Step();
    EXPECT_EQ(safe->GetEntered()[0], 3);
    EXPECT_EQ(OpenSafe::DialValue(safe->GetDialAngle()), 3);
    Settle();
    EXPECT_EQ(safe->GetCurrentWheel(), 1);
    // Every wheel by hints.
    for (int n = 0; n < 2; ++n) {
        safe->UseHint();
        for (int i = 0; i < 100 && safe->IsHintTurning(); ++i)
            harness->Step();
        Settle();
    }
    EXPECT_TRUE(safe->IsSafeOpen());
    safe->UseHint();
    EXPECT_FALSE(safe->IsHintTurning());
}

TEST_F(SafeTest, SolveOpensSafeAndCase) {
    Enter();
    safe->Solve();
    EXPECT_TRUE(safe->IsSafeOpen());
    EXPECT_TRUE(safe->IsCaseOpen());
    EXPECT_TRUE(safe->IsCompleted());
    EXPECT_EQ(safe->GetEntered(), safe->GetCombination());
}

TEST_F(SafeTest, ACodeValueOutOfRangeIsLoggedAndBounded) {
    Enter("Code = 30, 4\n");
    EXPECT_TRUE(harness->Log().contains("Code value '30' is not 0 to 25"));
    EXPECT_EQ(safe->GetCombination(), (std::vector<int32_t>{25, 4}));
}

TEST_F(SafeTest, WithoutACodeTheSafeOpensAtOnce) {
    Enter("");
    EXPECT_TRUE(harness->Log().contains("the level gives no \"Code\""));
    harness->Step();
    EXPECT_TRUE(safe->IsSafeOpen()) << "no wheels: the safe opens at once";
    safe->UseHint();
    EXPECT_FALSE(safe->IsHintTurning());
}

TEST_F(SafeTest, ADigitStripTooNarrowIsLoggedAndCanBeSkipped) {
    Enter("Code = 3, 25, 0\n", 20);
    EXPECT_TRUE(harness->Log().contains("smaller than its 26 x 2 cells"));
    ClickWheel(1);
    EXPECT_EQ(safe->GetCurrentWheel(), 0);
    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    harness->Step();
    EXPECT_TRUE(safe->IsCompleted());
}
