// The ring puzzle played with the mouse: grabbing a ring by its radius,
// turning it about the centre, locking within 6 degrees, the hint's turn,
// Solve, the open picture, and rings that cannot be reached.

#include "puzzle_test_support.h"

#include "game/bonus/circular_puzzle.h"

using namespace gametest;

namespace {

constexpr uint32_t kLensBackground = 0xFF203048;
constexpr uint32_t kLensOpen = 0xFF70A040;
constexpr int32_t kCx = CircularPuzzle::kCentreX, kCy = CircularPuzzle::kCentreY;
constexpr float kDegree = kPi / 180.0f;

class CircularTest : public PuzzleTest {
protected:
    void Enter(const std::string& keys) {
        EnterPuzzle("[BonusRound]\nClass = CircularPuzzle\n" + keys, [this] {
            data->Text("images/bonus/circular/ImageList.txt", "");
            Image("circular", "background", content::Picture(845, 768, kLensBackground));
            Image("circular", "background_open", content::Picture(845, 768, kLensOpen));
            Image("circular", "overlay", content::Picture(10, 10, 0));
            for (int i = 1; i <= 3; ++i)
                Image("circular", "0" + std::to_string(i),
                      content::Picture(uint32_t(100 + 120 * i), uint32_t(100 + 120 * i),
                                       0xFF000000u | 0x404040u * uint32_t(i)));
        });
        lens = Puzzle<CircularPuzzle>();
        ASSERT_NE(lens, nullptr);
    }
    void SetUp() override {
        PuzzleTest::SetUp();
        a_srand(11);
        Enter("CirclesCount = 3\nRadius0 = 50\nRadiusDelta = 60\n");
    }
    const CircularPuzzle::Ring& Ring(int i) { return lens->GetRings()[size_t(i)]; }
    // Grabs ring i at the distance r, turns it to the angle and lets go;
    // returns the angle the ring had when let go.
    float TurnRingTo(int i, float radius, float target) {
        const float start = Ring(i).angle;
        int32_t x = 0, y = 0;
        Polar(kCx, kCy, 1.0f, radius, x, y);
        harness->MoveTo(x, y);
        harness->Press();
        harness->Step();
        EXPECT_EQ(lens->GetGrabbed(), i);
        const float ref = CircularPuzzle::PointerAngle(float(x - kCx), float(y - kCy));
        const float goal = ref + target - start;
        for (int step = 1; step <= 8; ++step) {
            Polar(kCx, kCy, ref + (goal - ref) * float(step) / 8.0f, radius, x, y);
            harness->MoveTo(x, y);
            harness->Step();
        }
        const float held = Ring(i).angle;
        harness->Release();
        harness->Step();
        return held;
    }

    CircularPuzzle* lens = nullptr;
};

} // namespace

TEST_F(CircularTest, AnglesFollowTheScreenCounterClockwise) {
    struct Case {
        float dx, dy, angle;
    };
    const Case cases[] = {{1, 0, 0}, {0, -1, kPi / 2}, {-1, 0, kPi}, {0, 1, 1.5f * kPi}, {1, 1, 1.75f * kPi}};
    for (const Case& c : cases)
        EXPECT_NEAR(CircularPuzzle::PointerAngle(c.dx, c.dy), c.angle, 1e-5f) << c.dx << "," << c.dy;
    EXPECT_FLOAT_EQ(CircularPuzzle::WrapAngle(-0.5f), 2.0f * kPi - 0.5f);
    EXPECT_NEAR(CircularPuzzle::WrapAngle(2.0f * kPi + 0.25f), 0.25f, 1e-5f);
    EXPECT_FLOAT_EQ(CircularPuzzle::WrapAngle(3.0f), 3.0f);
}

TEST_F(CircularTest, StartsWithTheInnermostRingLockedAndTheOthersTurned) {
    ASSERT_EQ(lens->GetRings().size(), 3u);
    EXPECT_TRUE(Ring(0).locked);
    EXPECT_FLOAT_EQ(Ring(0).angle, 0.0f);
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(Ring(i).locked);
        EXPECT_GE(Ring(i).angle, 30.0f * kDegree - 1e-4f);
        EXPECT_LE(Ring(i).angle, 330.0f * kDegree + 1e-4f);
        EXPECT_FLOAT_EQ(Ring(i).dragBase, Ring(i).angle);
    }
    EXPECT_EQ(At(kCx + 300, kCy), kLensBackground);
}

TEST_F(CircularTest, ARingLetGoNearItsRightAngleLocks) {
    struct Case {
        float degrees;
        bool locks;
    };
    // Ring 2 let go at 7, 180 and 355 degrees; ring 1 at 5.
    const Case cases[] = {{7.0f, false}, {180.0f, false}, {355.0f, true}, {5.0f, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const int ring = c.degrees == 5.0f ? 1 : 2;
        const float held = TurnRingTo(ring, ring == 1 ? 80.0f : 150.0f, c.degrees * kDegree);
        EXPECT_NEAR(held, c.degrees * kDegree, 0.6f * kDegree) << "the ring followed the cursor";
        EXPECT_EQ(Ring(ring).locked, c.locks);
        EXPECT_EQ(lens->GetGrabbed(), -1);
        if (c.locks) {
            EXPECT_FLOAT_EQ(Ring(ring).angle, 0.0f);
            EXPECT_TRUE(Playing("circular_lock"));
            continue;
        }
        EXPECT_FLOAT_EQ(Ring(2).angle, held) << "it stays where it was let go";
        EXPECT_FLOAT_EQ(Ring(2).dragBase, held);
        EXPECT_TRUE(Playing("circular_rotate_end"));
    }
    // A locked ring darkens to half within a third of a second.
    EXPECT_FLOAT_EQ(Ring(2).glow, 1.0f) << "ring 2 locked while ring 1 turned";
}

TEST_F(CircularTest, OnlyAnUnlockedRingUnderTheCursorIsGrabbed) {
    const float before = Ring(1).angle;
    for (auto [x, y] : {std::pair{kCx + 20, kCy}, std::pair{kCx + 175, kCy}, std::pair{kCx, kCy + 200}}) {
        harness->ClickAt(x, y);
        EXPECT_EQ(lens->GetGrabbed(), -1) << x << "," << y;
    }
    // Grabbed and let go without moving: unchanged.
    harness->MoveTo(kCx + 80, kCy);
    harness->Press();
    harness->Step();
    EXPECT_EQ(lens->GetGrabbed(), 1);
    EXPECT_TRUE(Playing("circular_rotate_start"));
    harness->Step();
    harness->Release();
    harness->Step();
    EXPECT_EQ(lens->GetGrabbed(), -1);
    EXPECT_FLOAT_EQ(Ring(1).angle, before);
}

TEST_F(CircularTest, SolvedByHandThenOpens) {
    TurnRingTo(1, 80.0f, 2.0f * kDegree);
    TurnRingTo(2, 150.0f, 358.0f * kDegree);
    ASSERT_TRUE(Ring(1).locked && Ring(2).locked);
    EXPECT_TRUE(lens->IsCompleted());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_TRUE(Playing("circular_open"));
    EXPECT_EQ(At(600, 100), kLensOpen) << "the open picture replaces the whole view";
}

TEST_F(CircularTest, AHintTurnsTheFirstUnlockedRingHomeAndLocksIt) {
    lens->UseHint();
    ASSERT_TRUE(lens->IsHinting());
    EXPECT_EQ(lens->GetGrabbed(), 1);
    EXPECT_TRUE(Playing("circular_rotating"));
    // Input waits while it turns.
    harness->ClickAt(kCx + 150, kCy);
    for (int i = 0; i < 200 && lens->IsHinting(); ++i)
        harness->Step();
    EXPECT_FALSE(lens->IsHinting());
    EXPECT_TRUE(Ring(1).locked);
    EXPECT_FLOAT_EQ(Ring(1).angle, 0.0f);
    EXPECT_EQ(lens->GetGrabbed(), -1);
    EXPECT_FALSE(Playing("circular_rotating"));
    lens->UseHint();
    for (int i = 0; i < 200 && lens->IsHinting(); ++i)
        harness->Step();
    harness->Step();
    EXPECT_TRUE(lens->IsCompleted());
    // Nothing left to turn.
    lens->UseHint();
    EXPECT_FALSE(lens->IsHinting());
    EXPECT_EQ(lens->GetGrabbed(), -1);
}

TEST_F(CircularTest, SolveLocksEveryRing) {
    lens->Solve();
    for (const CircularPuzzle::Ring& ring : lens->GetRings()) {
        EXPECT_TRUE(ring.locked);
        EXPECT_FLOAT_EQ(ring.angle, 0.0f);
    }
    EXPECT_TRUE(lens->IsCompleted());
}

class CircularDamagedTest : public CircularTest {
protected:
    void SetUp() override { PuzzleTest::SetUp(); }
};

TEST_F(CircularDamagedTest, OneRingIsSolvedAtOnce) {
    Enter("CirclesCount = 1\nRadius0 = 50\nRadiusDelta = 60\n");
    ASSERT_EQ(lens->GetRings().size(), 1u);
    EXPECT_TRUE(lens->IsCompleted()) << "completed on its first update";
}

TEST_F(CircularDamagedTest, NoRadiusStepLeavesOnlyTheInnermostRingAndTheSkip) {
    Enter("CirclesCount = 3\nRadius0 = 50\nRadiusDelta = 0\n");
    EXPECT_TRUE(harness->Log().contains("RadiusDelta is 0"));
    harness->ClickAt(kCx + 30, kCy);
    harness->ClickAt(kCx + 100, kCy);
    EXPECT_EQ(lens->GetGrabbed(), -1);
    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    harness->Step();
    EXPECT_TRUE(lens->IsCompleted());
}

TEST_F(CircularDamagedTest, ACountOutOfRangeIsLoggedAndBounded) {
    Enter("CirclesCount = -4\nRadius0 = 50\nRadiusDelta = 60\n");
    EXPECT_TRUE(harness->Log().contains("CirclesCount must be 0 to 99"));
    EXPECT_TRUE(lens->GetRings().empty());
    EXPECT_TRUE(lens->IsCompleted());
}
