// The candy box played with the mouse: the shuffle, selecting and swapping,
// locking, the ordered box's message and second stage, the knife's pulse,
// taking it and cutting, Solve, and a sheet too small to be cut in cells.

#include "puzzle_test_support.h"

#include "game/bonus/chocolates_puzzle.h"
#include "mirel/gui/gui_widget.h"

#include <set>

using namespace gametest;

namespace {

constexpr uint32_t kChocBackground = 0xFF402818;
constexpr uint32_t kCup = 0xFF30A0A0;
constexpr uint32_t kKnife = 0xFFD0D0D8;
constexpr uint32_t kKey = 0xFFE0C040;
constexpr int32_t kCell = 80;

uint32_t CandyColour(int32_t k) {
    return 0xFF000000u | uint32_t(0x20 + k * 8) << 16 | uint32_t(0xC0 - k * 4) << 8 | 0x40u;
}

class ChocolatesTest : public PuzzleTest {
protected:
    void SetUp() override {
        PuzzleTest::SetUp();
        a_srand(5);
        EnterPuzzle("[BonusRound]\nClass = ChocolatesPuzzle\n", [this] { WriteBox(); });
        box = Puzzle<ChocolatesPuzzle>();
        ASSERT_NE(box, nullptr);
    }
    void WriteBox(uint32_t sheetWidth = 6 * kCell, uint32_t sheetHeight = 5 * kCell) {
        data->Text("images/bonus/chocolates/ImageList.txt", "");
        Image("chocolates", "background", content::Picture(845, 768, kChocBackground));
        content::Picture sheet(sheetWidth, sheetHeight, kCup);
        for (uint32_t y = 0; y < sheetHeight && sheetWidth >= 6 * kCell; ++y)
            for (uint32_t x = 0; x < sheetWidth; ++x) {
                const int32_t k = int32_t(y / kCell) * 6 + int32_t(x / kCell);
                if (k < 24)
                    sheet.at(x, y) = CandyColour(k);
            }
        // Candy 14 has a transparent corner: the knife finds nothing there.
        for (uint32_t y = 160; y < 170 && sheetHeight >= 5 * kCell; ++y)
            for (uint32_t x = 160; x < 170; ++x)
                sheet.at(x, y) = 0;
        Image("chocolates", "candies", sheet);
        Image("chocolates", "candies_shadow", content::Picture(sheetWidth, sheetHeight, 0x60000000));
        // The knife's frames: the knife (its left half), shadow, glow, key.
        content::Picture knife(200, 256, 0);
        for (uint32_t y = 0; y < 256; ++y)
            for (uint32_t x = 0; x < 200; ++x) {
                if (y < 64)
                    knife.at(x, y) = x < 100 ? kKnife : 0;
                else if (y < 128)
                    knife.at(x, y) = 0x40000000;
                else if (y < 192)
                    knife.at(x, y) = x < 100 ? 0xFFFFA040 : 0;
                else
                    knife.at(x, y) = x < 40 && y < 220 ? kKey : 0;
            }
        Image("chocolates", "knife", knife);
        data->extraLocale += "lev1.bonus_desc_2 = \"Now the knife.\"\n"
                             "lev1.bonus_candies_ordered = \"All in order.\"\n";
        data->WriteLocale();
    }
    static int32_t CellX(int32_t i) { return 274 + (i % 6) * kCell + kCell / 2; }
    static int32_t CellY(int32_t i) { return 159 + (i / 6) * kCell + kCell / 2; }
    void ClickCandy(int32_t i) { harness->ClickAt(CellX(i), CellY(i)); }
    // The cell whose candy belongs in cell i.
    int32_t Holder(int32_t i) {
        for (int32_t j = 0; j < 24; ++j) {
            const aRect& r = box->GetCandy(j).picture;
            if (r.x == (i % 6) * kCell && r.y == (i / 6) * kCell)
                return j;
        }
        return -1;
    }
    void Order() {
        for (int32_t i = 0; i < 24; ++i) {
            if (box->GetCandy(i).inPlace)
                continue;
            const int32_t j = Holder(i);
            ASSERT_GE(j, 0);
            ClickCandy(i);
            ClickCandy(j);
            harness->RunFor(0.3f);
            ASSERT_TRUE(box->GetCandy(i).inPlace) << i;
        }
    }

    ChocolatesPuzzle* box = nullptr;
};

} // namespace

TEST_F(ChocolatesTest, EveryShuffleMovesAllButThreeCandies) {
    for (uint32_t seed : {1u, 2u, 77u, 4000u, 123456u}) {
        SCOPED_TRACE(seed);
        a_srand(seed);
        std::unique_ptr<ChocolatesPuzzle> made = Make<ChocolatesPuzzle>("ChocolatesPuzzle");
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetCellWidth(), kCell);
        std::set<std::pair<int, int>> pictures;
        for (int32_t i = 0; i < 24; ++i) {
            const ChocolatesPuzzle::Candy& candy = made->GetCandy(i);
            pictures.insert({candy.picture.x, candy.picture.y});
            EXPECT_EQ(candy.x, 274 + (i % 6) * kCell);
            EXPECT_EQ(candy.y, 159 + (i / 6) * kCell);
            const bool startsInPlace = i == 3 || i == 16 || i == 18;
            EXPECT_EQ(candy.inPlace, startsInPlace) << i;
            EXPECT_EQ(made->IsCandyInPlace(candy), startsInPlace) << i;
        }
        EXPECT_EQ(pictures.size(), 24u) << "every picture once";
    }
}

TEST_F(ChocolatesTest, OrderedByTheMouseThenCutWithTheKnife) {
    EXPECT_EQ(harness->Text("bonus_desc"), u"Put the letter together.");
    // A candy in place cannot be taken; the selected one again deselects it.
    ClickCandy(3);
    EXPECT_EQ(box->GetFirstSelected(), -1);
    int32_t loose = 0;
    while (box->GetCandy(loose).inPlace)
        ++loose;
    ClickCandy(loose);
    EXPECT_EQ(box->GetFirstSelected(), loose);
    EXPECT_TRUE(Playing("chocolates_select"));
    EXPECT_GT(At(CellX(loose), CellY(loose)) & 0xFF, CandyColour(0) & 0xFF)
        << "drawn brighter while selected";
    ClickCandy(loose);
    EXPECT_EQ(box->GetFirstSelected(), -1);

    // A swap runs 0.3 s; a click meanwhile is ignored.
    int32_t other = loose + 1;
    while (box->GetCandy(other).inPlace)
        ++other;
    ClickCandy(loose);
    ClickCandy(other);
    EXPECT_TRUE(box->IsSwapping());
    EXPECT_TRUE(Playing("chocolates_swap"));
    int32_t third = other + 1;
    while (box->GetCandy(third).inPlace)
        ++third;
    ClickCandy(third);
    EXPECT_EQ(box->GetFirstSelected(), loose) << "the click during the swap did nothing";
    harness->RunFor(0.3f);
    EXPECT_FALSE(box->IsSwapping());
    EXPECT_EQ(box->GetFirstSelected(), -1);

    Order();
    EXPECT_TRUE(Playing("chocolates_lock"));
    EXPECT_FALSE(box->IsOrdered()) << "each must lie in place half a second";
    harness->RunFor(0.6f);
    ASSERT_TRUE(box->IsOrdered());
    EXPECT_TRUE(Playing("chocolates_ordered"));
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_EQ(harness->Text("bonus_desc"), u"Now the knife.");
    ASSERT_TRUE(CloseBox());
    // In place: the cup under the candy, the candy's own colour at its middle.
    EXPECT_EQ(At(CellX(14), CellY(14)), CandyColour(14));
    EXPECT_EQ(At(274 + 2, 159 + 2), CandyColour(0));

    // The knife pulses while it lies; on it the pulse holds at full.
    harness->MoveTo(300, 600);
    harness->RunFor(0.25f);
    EXPECT_LT(box->GetKnifePhase(), 2.0f * kPi);
    harness->MoveTo(729 + 150, 655 + 20); // its transparent half
    harness->Step();
    harness->MoveTo(729 + 50, 655 + 20);
    harness->RunFor(1.0f);
    EXPECT_FLOAT_EQ(box->GetKnifePhase(), kPi);
    harness->ClickAt(729 + 50, 655 + 20);
    ASSERT_TRUE(box->IsKnifeTaken());
    EXPECT_TRUE(Playing("chocolates_take_knife"));
    EXPECT_FALSE(box->IsCompleted()) << "the press that takes the knife cuts nothing";

    // The knife's tip lies 88, 25 up-left of the cursor: cuts that miss.
    for (auto [x, y] :
         {std::pair{362 + 165, 184 + 165}, std::pair{362 + 100, 184 + 200}, std::pair{600, 700}}) {
        harness->ClickAt(x, y);
        EXPECT_EQ(box->GetKnifeX(), x - 95);
        EXPECT_FALSE(box->IsCompleted()) << x << "," << y;
        EXPECT_TRUE(Playing("chocolates_test_false"));
    }
    harness->ClickAt(362 + 200, 184 + 200);
    EXPECT_TRUE(box->IsCompleted());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_TRUE(Playing("chocolates_test_true"));
}

TEST_F(ChocolatesTest, SolvePutsEveryCandyInPlaceAndTheKnifeInTheHiddenOne) {
    box->Solve();
    EXPECT_TRUE(box->IsCompleted());
    EXPECT_TRUE(box->IsOrdered());
    std::set<std::pair<int, int>> cells;
    for (int32_t i = 0; i < 24; ++i) {
        const ChocolatesPuzzle::Candy& candy = box->GetCandy(i);
        EXPECT_TRUE(candy.inPlace);
        EXPECT_TRUE(box->IsCandyInPlace(candy));
        cells.insert({candy.x, candy.y});
    }
    EXPECT_EQ(cells.size(), 24u) << "one candy a cell";
    EXPECT_EQ(box->GetKnifeX(), 40 + 160 + 267);
    EXPECT_EQ(box->GetKnifeY(), 40 + 160 + 153);
    harness->Step();
    ASSERT_TRUE(CloseBox());
    harness->Step();
    // The knife with what the cut shows, the key, at its tip.
    EXPECT_EQ(At(box->GetKnifeX() + 20, box->GetKnifeY() + 20), kKey);
    EXPECT_EQ(box->GetResult(), uint32_t(BonusRound::RESULT_SOLVED));
}

class ChocolatesDamagedTest : public PuzzleTest {};

TEST_F(ChocolatesDamagedTest, ASheetTooSmallForItsCellsIsLoggedAndCanBeSkipped) {
    EnterPuzzle("[BonusRound]\nClass = ChocolatesPuzzle\n", [this] {
        data->Text("images/bonus/chocolates/ImageList.txt", "");
        Image("chocolates", "candies", content::Picture(5, 4, 0xFF808080));
    });
    auto* box = Puzzle<ChocolatesPuzzle>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(harness->Log().contains("smaller than its 6x5 cells"));
    EXPECT_EQ(box->GetCellWidth(), 0);
    harness->ClickAt(300, 200);
    harness->RunFor(1.0f);
    EXPECT_FALSE(box->IsOrdered());
    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    harness->Step();
    EXPECT_TRUE(box->IsCompleted());
}

// Back in the room after the candies are in order, the line at the top asks
// for the knife: the first stage's text would ask for what is done.
TEST_F(ChocolatesTest, ComingBackInTheSecondStageShowsTheKnifesText) {
    Order();
    harness->RunFor(0.6f);
    ASSERT_TRUE(box->IsOrdered());
    ASSERT_TRUE(CloseBox());
    Game().ShowMap();
    harness->Step();
    Game().GotoRoom(BonusRoom::kName);
    harness->Step();
    ASSERT_EQ(Puzzle<ChocolatesPuzzle>(), box) << "the same round, still in its second stage";
    EXPECT_TRUE(harness->Visible("bonus_desc"));
    EXPECT_EQ(harness->Text("bonus_desc"), u"Now the knife.");
}
