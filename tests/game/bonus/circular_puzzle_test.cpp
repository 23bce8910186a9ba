// The ring puzzle played with the mouse: grabbing a ring by its radius,
// turning it about the centre, locking within 6 degrees, the hint's turn,
// Solve, the open picture, rings that cannot be reached, and the picture
// kept while the rings stand still.

#include "puzzle_test_support.h"

#include "game/bonus/circular_puzzle.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <cmath>
#include <vector>

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

// The kept picture of the rings at rest: the frames drawn from it against
// the frames drawn anew, with rings whose edges are translucent and whose
// middles are clear, turned at angles the filter mixes.
class CircularStillTest : public CircularTest {
protected:
    void SetUp() override { PuzzleTest::SetUp(); }
    // Rings of outer radius 60, 100, 140, ... and width 40, each a texel
    // pattern with soft edges, in pictures of the given sizes; the
    // background may hold one clear texel, the outermost picture a texel in
    // its corner.
    void EnterRings(const std::vector<uint32_t>& sizes, bool clearTexelInBackground = false,
                    bool cornerTexel = false) {
        EnterPuzzle("[BonusRound]\nClass = CircularPuzzle\nCirclesCount = " + std::to_string(sizes.size()) +
                        "\nRadius0 = 60\nRadiusDelta = 40\n",
                    [&] {
                        data->Text("images/bonus/circular/ImageList.txt", "");
                        content::Picture background(845, 768);
                        for (uint32_t i = 0; i < background.argb.size(); ++i)
                            background.argb[i] = 0xFF000000u | (i * 0x9E3779B1u >> 8);
                        if (clearTexelInBackground)
                            background.at(300, 150) = 0;
                        Image("circular", "background", background);
                        Image("circular", "background_open", content::Picture(845, 768, kLensOpen));
                        content::Picture overlay(845, 768);
                        overlay.at(400, 100) = 0x80FFFFFFu;
                        Image("circular", "overlay", overlay);
                        for (size_t k = 0; k < sizes.size(); ++k) {
                            const uint32_t n = sizes[k];
                            const double outer = 60.0 + 40.0 * double(k);
                            content::Picture ring(n, n);
                            for (uint32_t y = 0; y < n; ++y) {
                                for (uint32_t x = 0; x < n; ++x) {
                                    const double d = std::hypot(x + 0.5 - n / 2.0, y + 0.5 - n / 2.0);
                                    const double edge = std::min(outer - d, d - (outer - 40.0));
                                    const uint32_t a = edge <= 0 ? 0 : edge >= 3 ? 255 : uint32_t(edge * 85);
                                    ring.at(x, y) =
                                        (a << 24) | ((x * 7 + y * 13 + uint32_t(k) * 50) & 0xFFFFFFu);
                                }
                            }
                            if (cornerTexel && k + 1 == sizes.size())
                                ring.at(0, 0) = 0xFF808080u;
                            Image("circular", "0" + std::to_string(k + 1), ring);
                        }
                    });
        lens = Puzzle<CircularPuzzle>();
        ASSERT_NE(lens, nullptr);
        // The innermost ring, locked from the start, darkens over its first frames.
        harness->MoveTo(1010, 760);
        while (Ring(0).glow < 1.0f)
            harness->Step();
        harness->Step();
    }
    std::vector<uint32_t> Frame() { return harness->Window()->lastFrame(); }
};

TEST_F(CircularStillTest, AtRestTheKeptPictureGivesTheDrawnFramesPixels) {
    EnterRings({130, 210, 290});
    ASSERT_FALSE(lens->IsDrawnFromStill()) << "the rings stood still for a frame only";
    const std::vector<uint32_t> drawn = Frame();
    harness->Step();
    ASSERT_TRUE(lens->IsDrawnFromStill());
    EXPECT_EQ(Frame(), drawn);

    // A ring turned a little and let go: drawn anew at once, kept again
    // once it stands still, and the same as drawn.
    const float held = TurnRingTo(2, 120.0f, Ring(2).angle + 0.3f);
    ASSERT_FALSE(Ring(2).locked);
    EXPECT_FALSE(lens->IsDrawnFromStill());
    const std::vector<uint32_t> turned = Frame();
    EXPECT_NE(turned, drawn);
    EXPECT_FLOAT_EQ(Ring(2).angle, held);
    harness->Step();
    ASSERT_TRUE(lens->IsDrawnFromStill());
    EXPECT_EQ(Frame(), turned);

    // A locked ring darkens over a third of a second: drawn anew until its
    // grey stands.
    TurnRingTo(1, 80.0f, 2.0f * kPi);
    ASSERT_TRUE(Ring(1).locked);
    EXPECT_FALSE(lens->IsDrawnFromStill());
    while (Ring(1).glow < 1.0f) {
        harness->Step();
        EXPECT_FALSE(lens->IsDrawnFromStill());
    }
    harness->Step();
    const std::vector<uint32_t> darkened = Frame();
    harness->Step();
    ASSERT_TRUE(lens->IsDrawnFromStill());
    EXPECT_EQ(Frame(), darkened);
}

TEST_F(CircularStillTest, APictureIsKeptOnlyWhereNothingElseShowsAndNothingShowsOutside) {
    struct Case {
        const char* what;
        bool clearTexel, cornerTexel, kept;
    } cases[] = {
        // A picture 700 wide whose texels stay within 140 of the centre.
        {"a wide picture", false, false, true},
        // What lies under a clear texel of the background would show through.
        {"a clear background texel", true, false, false},
        // A texel in the corner of the 700 wide picture reaches past the
        // background's bottom edge, 340 below the centre.
        {"a ring past the background", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnterRings({130, 210, 700}, c.clearTexel, c.cornerTexel);
        harness->Steps(3);
        EXPECT_EQ(lens->IsDrawnFromStill(), c.kept);
        if (c.clearTexel) {
            EXPECT_EQ(At(300 + 179, 150), 0xFF000000u) << "the clear colour shows through";
        }
    }
}
