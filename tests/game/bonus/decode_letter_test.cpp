// The letter with holes played with the mouse: the scan of the scrap map
// (alpha and bit 15), the start places, taking and dropping scraps, sticking
// only over their own hole, decoys, the play area's edge, the hint's flight,
// Solve, and maps without decoys or letters that reach the bottom.

#include "puzzle_test_support.h"

#include "game/bonus/decode_letter.h"

using namespace gametest;

namespace {

constexpr uint32_t kTable = 0xFF302418;
constexpr uint32_t kPaper = 0xFFE8E0C8;
constexpr uint32_t kInk = 0xFF202060;
constexpr uint32_t kHole = 0xFF101010;
constexpr int32_t kOx = 400, kOy = 100;

struct TestScrap {
    int16_t x, y, w, h;
    uint32_t pixel; // its colour in the map
    bool required;
};
// Two holes in the top row, two decoys from row 150.
const TestScrap kScraps[] = {
    {10, 10, 40, 20, 0x80008000u, true}, // alpha and green's top bit just set
    {100, 10, 60, 20, 0xFF00FF00u, true},
    {20, 150, 50, 20, 0xFFFF7F00u, false}, // green below 0x80: a decoy
    {120, 150, 30, 20, 0xFF0000FFu, false},
};

class DecodeTest : public PuzzleTest {
protected:
    void Enter(bool decoys = true, int32_t originY = kOy, const std::string& starts = "") {
        EnterPuzzle("[BonusRound]\nClass = DecodeLetter\nLetter = test\n", [&] {
            const std::string folder = "images/bonus/letter_decode/";
            data->Text(folder + "ImageList.txt", "");
            Image("letter_decode", "background", content::Picture(845, 768, kTable));
            content::Picture layout(300, 200, 0), text(300, 200, 0);
            layout.at(200, 60) = 0x7FFFFFFF; // below the alpha threshold: no scrap
            for (const TestScrap& s : kScraps) {
                if (!s.required && !decoys)
                    continue;
                for (int y = s.y; y < s.y + s.h; ++y)
                    for (int x = s.x; x < s.x + s.w; ++x) {
                        layout.at(uint32_t(x), uint32_t(y)) = s.pixel;
                        text.at(uint32_t(x), uint32_t(y)) = kInk;
                    }
            }
            data->Picture(folder + "test/layout.png", layout);
            data->Picture(folder + "test/paper.png", content::Picture(300, 200, kPaper));
            data->Picture(folder + "test/placement.png", content::Picture(300, 200, kHole));
            data->Picture(folder + "test/text.png", text);
            data->Text(
                folder + "test/ImageList.txt",
                "layout.png 8888 8888\npaper.png 8888 8888\nplacement.png 8888 8888\ntext.png 8888 8888\n");
            data->Text(
                folder + "test/params.ini",
                "[letter]\nx = " + std::to_string(kOx) + "\ny = " + std::to_string(originY) + "\n[scraps]\n" +
                    (starts.empty() ? "a = 250,600\nb = 600,600\nc = 300,650\nd = somewhere\n" : starts));
        });
        letter = Puzzle<DecodeLetter>();
        ASSERT_NE(letter, nullptr);
    }
    const DecodeLetter::Scrap& S(int i) { return letter->GetScraps()[size_t(i)]; }
    // Takes scrap i by a point inside it.
    void Take(int i) {
        harness->ClickAt(int32_t(S(i).x) + 5, int32_t(S(i).y) + 5);
        ASSERT_EQ(letter->GetDragged(), i);
    }
    // Moves the held scrap so that its corner is at (x, y), and clicks there.
    void DropAt(float x, float y) {
        const DecodeLetter::Scrap& s = S(letter->GetDragged());
        int32_t cx = 0, cy = 0;
        Cursor(cx, cy);
        const int32_t tx = cx + int32_t(std::lround(x - s.x)), ty = cy + int32_t(std::lround(y - s.y));
        harness->MoveTo(tx, ty);
        harness->Step();
        harness->ClickAt(tx, ty);
    }
    float HoleX(int i) { return float(kOx + S(i).rect.x); }
    float HoleY(int i) { return float(kOy + S(i).rect.y); }

    DecodeLetter* letter = nullptr;
};

} // namespace

TEST_F(DecodeTest, TheMapIsScannedByAlphaAndBit15) {
    Enter();
    ASSERT_EQ(letter->GetScraps().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const aRect& r = S(int(i)).rect;
        EXPECT_EQ(r.x, kScraps[i].x);
        EXPECT_EQ(r.y, kScraps[i].y);
        EXPECT_EQ(r.width, kScraps[i].w);
        EXPECT_EQ(r.height, kScraps[i].h);
        EXPECT_EQ(S(int(i)).required, kScraps[i].required);
    }
    EXPECT_EQ(letter->GetLetterHeight(), 150) << "the first decoy's row";
    EXPECT_EQ(letter->GetOriginX(), kOx);
    EXPECT_EQ(letter->GetOriginY(), kOy);
    // Start places by file order; one that cannot be read stays random below the letter.
    EXPECT_FLOAT_EQ(S(0).x, 250.0f);
    EXPECT_FLOAT_EQ(S(1).y, 600.0f);
    EXPECT_TRUE(harness->Log().contains("the start of scrap 4 (\"somewhere\") is not \"x,y\""));
    EXPECT_GE(S(3).y, float(kOy + 150));
    EXPECT_LT(S(3).y, 718.0f);
    EXPECT_GE(S(3).x, 229.0f);
    EXPECT_LT(S(3).x, 974.0f);
    EXPECT_FLOAT_EQ(S(2).x, 300.0f);

    // The letter above its height, a hole for each missing scrap.
    harness->MoveTo(1000, 10);
    harness->Step();
    EXPECT_EQ(At(kOx + 250, kOy + 100), kPaper);
    EXPECT_EQ(At(kOx + 250, kOy + 160), kTable) << "below the letter's height no paper";
    EXPECT_EQ(At(kOx + 20, kOy + 15), kHole);
    EXPECT_EQ(At(kOx + 25, kOy + 160), kTable) << "a decoy has no hole";
    EXPECT_EQ(At(252, 602), kInk) << "the scrap shows its part of the text";
}

TEST_F(DecodeTest, ScrapsStickOnlyOverTheirOwnHole) {
    Enter();
    Take(0);
    EXPECT_TRUE(Playing("letter_decode_grab"));
    EXPECT_EQ(letter->GetDragged(), 0) << "the press that takes it does not drop it";
    DropAt(HoleX(0) + 6, HoleY(0) - 5);
    EXPECT_TRUE(S(0).placed);
    EXPECT_FLOAT_EQ(S(0).x, HoleX(0));
    EXPECT_FLOAT_EQ(S(0).y, HoleY(0));
    EXPECT_TRUE(Playing("letter_decode_lock"));
    EXPECT_EQ(letter->GetDragged(), -1);

    // b over a's hole; b covering less than a quarter of its own; a decoy.
    struct Case {
        int scrap;
        float x, y;
    };
    const Case misses[] = {
        {1, HoleX(0), HoleY(0)}, {1, HoleX(1) + 50, HoleY(1)}, {2, float(kOx + 20), float(kOy + 150)}};
    for (const Case& c : misses) {
        SCOPED_TRACE(c.scrap);
        Take(c.scrap);
        DropAt(c.x, c.y);
        EXPECT_FALSE(S(c.scrap).placed);
        EXPECT_FLOAT_EQ(S(c.scrap).x, S(c.scrap).startX) << "back where it lay";
        EXPECT_FLOAT_EQ(S(c.scrap).y, S(c.scrap).startY);
        EXPECT_TRUE(Playing("letter_decode_placeback"));
    }
    // Outside the play area a click leaves it held.
    Take(1);
    harness->ClickAt(100, 600);
    EXPECT_EQ(letter->GetDragged(), 1);
    DropAt(HoleX(1), HoleY(1));
    EXPECT_TRUE(S(1).placed);
    EXPECT_TRUE(letter->IsCompleted()) << "the decoys are not needed";
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
}

TEST_F(DecodeTest, AHeldScrapIsLiftedAndGlows) {
    Enter();
    harness->MoveTo(255, 605);
    harness->Steps(2);
    EXPECT_TRUE(S(0).hovered);
    EXPECT_NEAR(S(0).glow, 0.05f / 0.3f, 1e-4f) << "it glows from the update after it was hovered";
    Take(0);
    harness->Steps(6);
    EXPECT_FLOAT_EQ(S(0).glow, 1.0f);
    // Lifted by 2 pixels, its shadow 6 pixels off.
    EXPECT_NE(At(int32_t(S(0).x) - 2, int32_t(S(0).y) - 2), kTable);
    harness->MoveTo(300, 300);
    harness->Step();
    EXPECT_FLOAT_EQ(S(0).x, 250.0f + 45.0f) << "it follows the cursor's moves";
}

TEST_F(DecodeTest, AHintFliesOneMissingScrapIntoItsHole) {
    Enter();
    Take(1);
    letter->UseHint();
    ASSERT_TRUE(letter->IsFlying());
    for (int i = 0; i < 30 && letter->IsFlying(); ++i)
        harness->Step();
    EXPECT_FALSE(letter->IsFlying());
    int placed = 0;
    for (const DecodeLetter::Scrap& s : letter->GetScraps())
        placed += s.placed ? 1 : 0;
    EXPECT_EQ(placed, 1);
    letter->UseHint();
    for (int i = 0; i < 30 && letter->IsFlying(); ++i)
        harness->Step();
    harness->Step();
    EXPECT_TRUE(letter->IsCompleted());
    letter->UseHint();
    EXPECT_FALSE(letter->IsFlying()) << "nothing left to fly";
}

TEST_F(DecodeTest, SolveFillsEveryHole) {
    Enter();
    Take(0);
    letter->Solve();
    EXPECT_TRUE(letter->IsCompleted());
    EXPECT_EQ(letter->GetDragged(), -1);
    EXPECT_TRUE(S(0).placed && S(1).placed);
    EXPECT_FALSE(S(2).placed || S(3).placed);
    EXPECT_FLOAT_EQ(S(1).x, HoleX(1));
}

TEST_F(DecodeTest, WithoutDecoysTheWholePaperIsTheLetter) {
    Enter(false, kOy, "a = 250,600\n");
    EXPECT_EQ(letter->GetScraps().size(), 2u);
    EXPECT_EQ(letter->GetLetterHeight(), -1);
    harness->MoveTo(1000, 10);
    harness->Step();
    EXPECT_EQ(At(kOx + 250, kOy + 190), kPaper);
    // Random places from the origin's row down.
    EXPECT_GE(S(1).y, float(kOy - 1));
    EXPECT_LT(S(1).y, 718.0f);
}

TEST_F(DecodeTest, ALetterThatReachesTheBottomIsLoggedAndStillPlays) {
    Enter(true, 640, "a = 250,600\n");
    EXPECT_TRUE(harness->Log().contains("the letter reaches the bottom of the screen"));
    EXPECT_FLOAT_EQ(S(2).y, 718.0f);
    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    harness->Step();
    EXPECT_TRUE(letter->IsCompleted());
}
