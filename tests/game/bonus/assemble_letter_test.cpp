// The torn letter played with the mouse through the harness: picking up,
// turning, dropping, locking, the play area's edges, hit tests by the
// pieces' own alpha in every turn, the hint's flight, Solve, and the drawing.

#include "bonus_test_support.h"

#include <cmath>

using namespace gametest;

namespace {

class AssembleLetterTest : public BonusTest {
protected:
    void SetUp() override {
        BonusTest::SetUp();
        EnterBonusRoom(kLetterSection);
        letter = Puzzle<AssembleLetter>();
        ASSERT_NE(letter, nullptr);
    }
    const AssembleLetter::Piece& P(const char* name) { return *letter->FindPiece(name); }
    // The piece a click at the point would take: the first unlocked one hit.
    const AssembleLetter::Piece* TopAt(int32_t x, int32_t y) {
        for (const AssembleLetter::Piece& piece : letter->GetPieces()) {
            if (!piece.locked && letter->HitTestPiece(piece, x, y))
                return &piece;
        }
        return nullptr;
    }
    // A point where a click takes the piece (off the skip button).
    bool GrabPoint(const AssembleLetter::Piece& p, int32_t& gx, int32_t& gy) {
        for (int32_t y = int32_t(p.y) - 60; y < int32_t(p.y) + 140; y += 5) {
            for (int32_t x = int32_t(p.x) - 60; x < int32_t(p.x) + 260; x += 5) {
                const bool onSkip = x >= 690 && x < 830 && y >= 690 && y < 740;
                if (!onSkip && TopAt(x, y) == &p) {
                    gx = x;
                    gy = y;
                    return true;
                }
            }
        }
        return false;
    }
    void Grab(const char* name) {
        const AssembleLetter::Piece& p = P(name);
        int32_t x = 0, y = 0;
        ASSERT_TRUE(GrabPoint(p, x, y)) << name;
        harness->ClickAt(x, y);
        ASSERT_EQ(letter->GetDragged(), &p) << name;
    }
    // Moves the held piece so that its top-left corner is at (x, y) and clicks there.
    void DropAt(float x, float y) {
        const AssembleLetter::Piece* p = letter->GetDragged();
        ASSERT_NE(p, nullptr);
        int32_t cx = 0, cy = 0;
        Game().getInputServer()->getMousePos(cx, cy);
        harness->ClickAt(cx + int32_t(std::lround(x - p->x)), cy + int32_t(std::lround(y - p->y)));
    }
    void TurnHeld() { harness->ClickAt(CursorX(), CursorY(), 1); }
    int32_t CursorX() {
        int32_t x = 0, y = 0;
        Game().getInputServer()->getMousePos(x, y);
        return x;
    }
    int32_t CursorY() {
        int32_t x = 0, y = 0;
        Game().getInputServer()->getMousePos(x, y);
        return y;
    }
    float TargetX(const char* name) { return float(kLetterX + P(name).targetX); }
    float TargetY(const char* name) { return float(kLetterY + P(name).targetY); }

    AssembleLetter* letter = nullptr;
};

} // namespace

TEST_F(AssembleLetterTest, ReadsItsLetter) {
    EXPECT_EQ(letter->GetLetterFolder(), "data:images/bonus/letter_assemble/test/");
    EXPECT_EQ(letter->GetOriginX(), kLetterX);
    EXPECT_EQ(letter->GetOriginY(), kLetterY);
    EXPECT_EQ(letter->GetExtentWidth(), 200);
    EXPECT_EQ(letter->GetExtentHeight(), 200);
    ASSERT_EQ(letter->GetPieces().size(), 4u);
    // The file's order is the drawing order, the first on top.
    EXPECT_EQ(letter->GetPieces().front().name, "a");
    EXPECT_FLOAT_EQ(P("a").x, 220.0f);
    EXPECT_FLOAT_EQ(P("a").y, 60.0f);
    EXPECT_EQ(P("a").orientation, 1);
    EXPECT_FLOAT_EQ(P("a").angle, 3.1415927f / 2.0f);
    EXPECT_EQ(P("c").targetY, 80);
    // Without a start place: a random one, unturned.
    const AssembleLetter::Piece& d = P("d");
    EXPECT_EQ(d.orientation, 0);
    EXPECT_GE(d.x, 229.0f);
    EXPECT_LE(d.x, 973.0f);
    EXPECT_GE(d.y, 50.0f);
    EXPECT_LE(d.y, 717.0f);
}

TEST_F(AssembleLetterTest, SolvedWithTheMouse) {
    // "a" lies turned: a quarter turn more three times brings it upright.
    Grab("a");
    EXPECT_TRUE(Playing("letter_assemble_grab"));
    EXPECT_EQ(letter->GetPieces().front().name, "a") << "the held piece is on top";
    for (int i = 0; i < 3; ++i)
        TurnHeld();
    EXPECT_EQ(P("a").orientation, 0);
    EXPECT_TRUE(Playing("letter_assemble_rotate"));
    for (const char* name : {"a", "b", "c", "d"}) {
        SCOPED_TRACE(name);
        if (std::string(name) != "a")
            Grab(name);
        DropAt(TargetX(name) + 6.0f, TargetY(name) - 9.0f);
        EXPECT_TRUE(P(name).locked);
        EXPECT_FLOAT_EQ(P(name).x, TargetX(name)) << "locked exactly in place";
        EXPECT_FLOAT_EQ(P(name).y, TargetY(name));
        EXPECT_EQ(letter->GetPieces().back().name, name) << "a locked piece goes to the bottom";
        EXPECT_TRUE(Playing("letter_assemble_lock"));
        EXPECT_EQ(letter->GetDragged(), nullptr);
    }
    EXPECT_TRUE(letter->IsCompleted());

    // Locked pieces show at 75 % until the round is complete, then brighten
    // over 0.5 s while the frame fades out.
    harness->Steps(2);
    ASSERT_TRUE(CloseBox());
    harness->Steps(12);
    EXPECT_FLOAT_EQ(letter->GetCompletionFade(), 1.0f);
    EXPECT_EQ(At(kLetterX + 50, kLetterY + 40), kPieceA);
    EXPECT_EQ(At(kLetterX + 100, kLetterY + 170), kPieceD);
    EXPECT_EQ(At(kLetterX + 150, kLetterY + 40), kPieceB);
    EXPECT_EQ(At(kLetterX - 8, kLetterY + 100), kLetterBackground) << "the frame is gone";
}

TEST_F(AssembleLetterTest, LocksOnlyCloseEnoughAndUnturned) {
    struct Case {
        float dx, dy;
        int turns;
        bool locks;
    };
    const Case cases[] = {{14, 14, 0, true},  {-14, -14, 0, true}, {15, 0, 0, false}, {0, 15, 0, false},
                          {-15, 3, 0, false}, {0, 0, 2, false},    {0, 0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " turned " << c.turns);
        letter->ApplyLayout(0);
        harness->Step();
        Grab("c");
        for (int i = 0; i < c.turns; ++i)
            TurnHeld();
        DropAt(TargetX("c") + c.dx, TargetY("c") + c.dy);
        EXPECT_EQ(P("c").locked, c.locks);
        EXPECT_EQ(letter->GetDragged(), nullptr);
        if (!c.locks) {
            EXPECT_FLOAT_EQ(P("c").x, TargetX("c") + c.dx) << "it stays where it was put";
            EXPECT_FLOAT_EQ(P("c").y, TargetY("c") + c.dy);
            EXPECT_TRUE(Playing("letter_assemble_placeback"));
        }
    }
}

TEST_F(AssembleLetterTest, APiecePutDownAtTheEdgeIsPulledIntoThePlayArea) {
    // Unturned: its own box; a quarter turn: the box as it shows.
    Grab("c");
    DropAt(1000.0f, 750.0f);
    EXPECT_FLOAT_EQ(P("c").x, 1024.0f - 200.0f);
    EXPECT_FLOAT_EQ(P("c").y, 768.0f - 60.0f);
    Grab("c");
    DropAt(100.0f, -20.0f);
    EXPECT_FLOAT_EQ(P("c").x, 179.0f);
    EXPECT_FLOAT_EQ(P("c").y, 0.0f);
    Grab("c");
    TurnHeld();
    DropAt(900.0f, -40.0f);
    // Turned, c shows 60 wide and 200 high about its centre (x + 100, y + 30).
    EXPECT_FLOAT_EQ(P("c").x + 100.0f + 30.0f, 1024.0f);
    EXPECT_FLOAT_EQ(P("c").y + 30.0f - 100.0f, 0.0f);
}

TEST_F(AssembleLetterTest, TurningKeepsTheHitTestWithThePicture) {
    // With no piece held the right button does nothing.
    const AssembleLetter::Piece& b = P("b");
    harness->ClickAt(int32_t(b.x) + 75, int32_t(b.y) + 30, 1);
    EXPECT_EQ(b.orientation, 0);
    EXPECT_EQ(letter->GetDragged(), nullptr);

    // b: the left half is transparent. Upright, the right half is b.
    Grab("b");
    DropAt(400.0f, 500.0f);
    // Away from it, until its glow is gone.
    harness->MoveTo(1000, 10);
    harness->Steps(5);
    EXPECT_TRUE(letter->HitTestPiece(b, 480, 540));
    EXPECT_FALSE(letter->HitTestPiece(b, 420, 540)) << "alpha 0x20 is not the piece";
    EXPECT_EQ(At(480, 540), kPieceB);

    // A quarter turn counter-clockwise: the right half comes to the top of
    // a box 80 wide and 100 high about the same centre (450, 540).
    struct Spot {
        int32_t x, y;
        bool inside;
    };
    const Spot turned[4][2] = {
        {{480, 540, true}, {420, 540, false}}, // upright
        {{450, 505, true}, {450, 575, false}}, // right half on top
        {{420, 540, true}, {480, 540, false}}, // right half on the left
        {{450, 575, true}, {450, 505, false}}, // right half below
    };
    for (int turn = 0; turn < 5; ++turn) {
        SCOPED_TRACE(turn);
        if (turn > 0) {
            const Spot& on = turned[(turn - 1) % 4][0];
            harness->ClickAt(on.x, on.y);
            ASSERT_EQ(letter->GetDragged(), &b);
            TurnHeld();
            DropAt(400.0f, 500.0f);
            harness->MoveTo(1000, 10);
            harness->Steps(5);
        }
        EXPECT_EQ(b.orientation, turn % 4) << "four turns bring it back";
        for (const Spot& spot : turned[turn % 4]) {
            EXPECT_EQ(letter->HitTestPiece(b, spot.x, spot.y), spot.inside) << spot.x << "," << spot.y;
            if (spot.inside)
                EXPECT_EQ(At(spot.x, spot.y), kPieceB) << "the picture agrees at " << spot.x << "," << spot.y;
            else
                EXPECT_NE(At(spot.x, spot.y), kPieceB) << spot.x << "," << spot.y;
        }
    }
}

TEST_F(AssembleLetterTest, ATransparentPartLetsThePieceBelowBePicked) {
    // b's transparent left half lies over c: a click there takes c.
    harness->ClickAt(720, 440);
    EXPECT_EQ(letter->GetDragged(), &P("c"));
    DropAt(300.0f, 650.0f);
    harness->ClickAt(780, 440);
    EXPECT_EQ(letter->GetDragged(), &P("b"));
}

TEST_F(AssembleLetterTest, TheClickThatPutsAPieceDownPicksNothingUp) {
    // c is put down with the cursor over b: that click only puts c down.
    Grab("c");
    const int32_t overB = int32_t(P("b").x) + 75, overBy = int32_t(P("b").y) + 30;
    harness->ClickAt(overB, overBy);
    EXPECT_EQ(letter->GetDragged(), nullptr);
    EXPECT_FALSE(P("c").locked);
    // The next click picks up the top piece there: c, put down over b.
    harness->ClickAt(overB, overBy);
    EXPECT_EQ(letter->GetDragged(), &P("c"));
}

TEST_F(AssembleLetterTest, AHoveredPieceGlows) {
    const AssembleLetter::Piece& c = P("c");
    harness->MoveTo(int32_t(c.x) + 150, int32_t(c.y) + 30);
    harness->Steps(2, 0.1f);
    EXPECT_EQ(letter->GetHovered(), &c);
    EXPECT_NEAR(c.glow, 1.0f, 1e-5f) << "full in 0.2 s";
    harness->MoveTo(1000, 10);
    harness->Step(0.1f);
    EXPECT_EQ(letter->GetHovered(), nullptr);
    EXPECT_NEAR(c.glow, 0.5f, 1e-5f);
}

TEST_F(AssembleLetterTest, AHintFliesAPieceToItsPlaceWhileInputWaits) {
    EXPECT_FALSE(letter->HasHint());
    Grab("a");
    letter->UseHint();
    ASSERT_TRUE(letter->IsFlying());
    const AssembleLetter::Piece& flying = letter->GetPieces().front();
    const std::string name = flying.name;
    EXPECT_EQ(letter->GetDragged() == &flying, false) << "a flying piece leaves the hand";
    // Input is ignored while it flies.
    harness->ClickAt(int32_t(P("c").x) + 30, int32_t(P("c").y) + 30);
    for (int i = 0; i < 40 && letter->IsFlying(); ++i)
        harness->Step();
    EXPECT_FALSE(letter->IsFlying());
    const AssembleLetter::Piece& landed = P(name.c_str());
    EXPECT_TRUE(landed.locked);
    EXPECT_FLOAT_EQ(landed.x, TargetX(name.c_str()));
    EXPECT_FLOAT_EQ(landed.y, TargetY(name.c_str()));
    EXPECT_EQ(landed.orientation, 0);
    // The cursor's moves no longer carry it.
    harness->MoveTo(300, 300);
    harness->Steps(2);
    EXPECT_FLOAT_EQ(landed.x, TargetX(name.c_str()));

    // Every piece by hints; then a hint finds nothing to do.
    for (int n = 0; n < 4; ++n) {
        letter->UseHint();
        for (int i = 0; i < 60 && letter->IsFlying(); ++i)
            harness->Step();
    }
    letter->UseHint();
    EXPECT_FALSE(letter->IsFlying());
    harness->Step();
    EXPECT_TRUE(letter->IsCompleted());
}

TEST_F(AssembleLetterTest, SolveLocksEveryPieceInPlace) {
    Grab("b");
    letter->Solve();
    EXPECT_EQ(letter->GetDragged(), nullptr);
    for (const AssembleLetter::Piece& piece : letter->GetPieces()) {
        EXPECT_TRUE(piece.locked) << piece.name;
        EXPECT_FLOAT_EQ(piece.x, float(kLetterX + piece.targetX));
        EXPECT_FLOAT_EQ(piece.y, float(kLetterY + piece.targetY));
    }
    EXPECT_FALSE(letter->IsCompleted()) << "the next update completes the round";
    harness->Step();
    EXPECT_TRUE(letter->IsCompleted());
    EXPECT_EQ(letter->GetResult(), uint32_t(BonusRound::RESULT_SOLVED));
}

TEST_F(AssembleLetterTest, DrawsPiecesWithShadowLiftAndTheFrame) {
    // The frame around the letter's place (its interior shows the background).
    EXPECT_EQ(At(kLetterX - 8, kLetterY + 100), kLetterFrameColour);
    if (!TopAt(kLetterX + 100, kLetterY + 100)) {
        EXPECT_EQ(At(kLetterX + 100, kLetterY + 100), kLetterBackground);
    }

    // c put down at (300, 300), then away from it: drawn where it is.
    Grab("c");
    DropAt(300.0f, 300.0f);
    harness->MoveTo(1000, 10);
    harness->Steps(5);
    ASSERT_EQ(TopAt(350, 330), &P("c"));
    EXPECT_EQ(At(298, 320), kLetterBackground);
    EXPECT_EQ(At(498, 320), kPieceC);
    // Held, it is drawn 3 px left and 1 px up, its shadow 2 px down.
    harness->ClickAt(350, 330);
    ASSERT_EQ(letter->GetDragged(), &P("c"));
    EXPECT_NE(At(298, 320), kLetterBackground);
    EXPECT_GT(At(298, 320) & 0xFF, 0x58u) << "the piece's blue";
    EXPECT_NE(At(498, 320), kPieceC);
    EXPECT_LT((At(320, 360) >> 16) & 0xFF, (kLetterBackground >> 16) & 0xFF) << "the shadow";
}

TEST_F(AssembleLetterTest, AHeldPieceIgnoresACursorJumpWhileThePuzzleWasAway) {
    Grab("b");
    const float x = P("b").x, y = P("b").y;
    // Shown again (the room came back): the cursor is taken afresh where it
    // now is, and only its moves from there carry the piece.
    letter->Show();
    harness->MoveTo(CursorX() + 200, CursorY() - 100);
    harness->Step();
    EXPECT_FLOAT_EQ(P("b").x, x);
    EXPECT_FLOAT_EQ(P("b").y, y);
    harness->MoveTo(CursorX() - 30, CursorY() + 20);
    harness->Step();
    EXPECT_FLOAT_EQ(P("b").x, x - 30.0f);
    EXPECT_FLOAT_EQ(P("b").y, y + 20.0f);
    EXPECT_EQ(letter->GetDragged(), &P("b"));
}

// The start places are read by position: a second section named like the
// first is the pieces' one all the same.
TEST_F(BonusTest, TheLettersStartPlacesAreReadByPosition) {
    WriteBonusData(kLetterSection);
    data->Text("images/bonus/letter_assemble/test/params.ini",
               "[letter]\nx = 300\ny = 120\n[letter]\na = 500,300,2\nb = 250,200,0\nx = 1\n[pieces]\nc = "
               "600,600,0\n");
    StartOnMap();
    Game().GotoRoom(BonusRoom::kName);
    harness->Step();
    auto* letter = Puzzle<AssembleLetter>();
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(letter->GetOriginX(), 300);
    EXPECT_EQ(letter->GetOriginY(), 120);
    EXPECT_FLOAT_EQ(letter->FindPiece("a")->x, 500.0f);
    EXPECT_FLOAT_EQ(letter->FindPiece("a")->y, 300.0f);
    EXPECT_EQ(letter->FindPiece("a")->orientation, 2);
    EXPECT_FLOAT_EQ(letter->FindPiece("b")->x, 250.0f);
    const AssembleLetter::Piece* c = letter->FindPiece("c");
    EXPECT_FALSE(c->x == 600.0f && c->y == 600.0f) << "the third section is not read";
}
