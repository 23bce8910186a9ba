// The pairs played with the mouse: the layout round the empty middle, the
// seeded shuffle, selecting and deselecting, pairs that match and that do
// not, the flip to the back, and a sheet too small for its cells.

#include "puzzle_test_support.h"

#include "game/bonus/memory_match.h"

#include <set>

using namespace gametest;

namespace {

constexpr uint32_t kBaize = 0xFF2A4E52;
constexpr uint32_t kBack = 0xFF2E4057;
constexpr uint32_t kSelection = 0xFFF2A541;
constexpr int32_t kCard = 40;

uint32_t FaceColour(int32_t cell) {
    return 0xFF000000u | uint32_t(0x30 + cell * 8) << 16 | uint32_t(0x20 + cell * 5) << 8 | 0x80u;
}

class MemoryTest : public PuzzleTest {
protected:
    void Enter(uint32_t sheetWidth = 5 * kCard, uint32_t sheetHeight = 6 * kCard) {
        EnterPuzzle("[BonusRound]\nClass = MemoryMatch\nImage = sheet.png\n", [&] {
            data->Text("images/bonus/memory/ImageList.txt", "");
            Image("memory", "background", content::Picture(845, 768, kBaize));
            content::Picture sheet(sheetWidth, sheetHeight, 0);
            for (uint32_t y = 0; y < sheetHeight && sheetHeight >= 6 * kCard; ++y)
                for (uint32_t x = 0; x < sheetWidth; ++x) {
                    const int32_t cell = int32_t(y / kCard) * 5 + int32_t(x / kCard);
                    const bool edge = x % kCard < 3 || y % kCard < 3;
                    sheet.at(x, y) = cell < 24            ? FaceColour(cell)
                                     : cell == 24         ? kBack
                                     : cell == 25         ? 0x80000000u
                                     : cell == 26 && edge ? kSelection
                                                          : 0;
                }
            data->Picture("images/bonus/memory/sheet.png", sheet);
        });
        memory = Puzzle<MemoryMatch>();
        ASSERT_NE(memory, nullptr);
    }
    const MemoryMatch::Card& C(size_t i) { return memory->GetCards()[i]; }
    void ClickCard(const MemoryMatch::Card& card) {
        harness->ClickAt(card.x + kCard / 2, card.y + kCard / 2);
    }
    // Two cards of one pair, and one of another.
    void Pick(const MemoryMatch::Card*& a, const MemoryMatch::Card*& b, const MemoryMatch::Card*& other) {
        a = &C(0);
        for (const MemoryMatch::Card& card : memory->GetCards()) {
            if (&card != a && card.pair == a->pair)
                b = &card;
            if (card.pair != a->pair && !other)
                other = &card;
        }
    }

    MemoryMatch* memory = nullptr;
};

} // namespace

TEST_F(MemoryTest, CardsLieRoundTheEmptyMiddleInASeededOrder) {
    Enter();
    ASSERT_EQ(memory->GetCards().size(), 24u);
    EXPECT_EQ(memory->GetCardWidth(), kCard);
    std::set<std::pair<int32_t, int32_t>> places;
    int pairs[12] = {};
    for (const MemoryMatch::Card& card : memory->GetCards()) {
        places.insert({card.x, card.y});
        ++pairs[card.pair];
        EXPECT_EQ((card.x - 500) % kCard, 0);
    }
    EXPECT_EQ(places.size(), 24u);
    EXPECT_EQ(places.count({600 - kCard / 2, 384 - kCard / 2}), 0u) << "the middle stays empty";
    EXPECT_EQ(places.begin()->first, 600 - 5 * kCard / 2);
    for (int n : pairs)
        EXPECT_EQ(n, 2);
    EXPECT_EQ(memory->FindCardAt(600, 384), nullptr);

    // One seed, one layout; another seed, another.
    std::vector<int32_t> first, again, other;
    for (auto [seed, out] : {std::pair{9u, &first}, std::pair{9u, &again}, std::pair{10u, &other}}) {
        a_srand(seed);
        std::unique_ptr<MemoryMatch> made = Make<MemoryMatch>("MemoryMatch");
        for (const MemoryMatch::Card& card : made->GetCards())
            out->push_back(card.face.x + 1000 * card.face.y);
    }
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST_F(MemoryTest, PairsTurnOverAndOthersGoBack) {
    Enter();
    const MemoryMatch::Card *a = nullptr, *b = nullptr, *other = nullptr;
    Pick(a, b, other);
    ASSERT_TRUE(a && b && other);

    ClickCard(*a);
    EXPECT_TRUE(a->selected);
    EXPECT_EQ(memory->GetFirstSelected(), a);
    EXPECT_TRUE(Playing("memory_select"));
    EXPECT_EQ(At(a->x + 1, a->y + 1), kSelection) << "the frame over a selected card";
    ClickCard(*a);
    EXPECT_FALSE(a->selected);
    EXPECT_EQ(memory->GetFirstSelected(), nullptr);

    // Two of different pairs: put back in the very update that took the second.
    ClickCard(*a);
    harness->MoveTo(other->x + 5, other->y + 5);
    harness->Press();
    harness->Step();
    EXPECT_FALSE(other->selected);
    EXPECT_FALSE(a->selected);
    EXPECT_EQ(memory->GetFirstSelected(), nullptr);
    EXPECT_EQ(memory->GetSecondSelected(), nullptr);
    EXPECT_TRUE(Playing("memory_pair_bad"));
    EXPECT_EQ(At(other->x + 1, other->y + 1), FaceColour(other->face.x / kCard + other->face.y / kCard * 5));
    harness->Release();
    harness->Step();

    ClickCard(*a);
    ClickCard(*b);
    EXPECT_TRUE(a->matched && b->matched);
    EXPECT_TRUE(Playing("memory_pair_good"));
    harness->RunFor(0.25f);
    EXPECT_FLOAT_EQ(a->flipPhase, kPi);
    EXPECT_EQ(At(a->x + kCard / 2, a->y + kCard / 2), kBack) << "turned over";
    // A matched card takes no click.
    ClickCard(*a);
    EXPECT_EQ(memory->GetFirstSelected(), nullptr);

    // Every other pair, then the round is done.
    for (int32_t pair = 0; pair < 12; ++pair) {
        const MemoryMatch::Card* cards[2] = {};
        for (const MemoryMatch::Card& card : memory->GetCards())
            if (card.pair == pair)
                cards[cards[0] ? 1 : 0] = &card;
        if (cards[0]->matched)
            continue;
        ClickCard(*cards[0]);
        ClickCard(*cards[1]);
    }
    EXPECT_TRUE(memory->IsCompleted());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
}

TEST_F(MemoryTest, TheCardClosesToALineAndOpensOnItsBack) {
    struct Case {
        float phase, scale;
    };
    for (const Case& c : {Case{0.0f, 1.0f}, Case{kPi / 4, 0.5f}, Case{kPi / 2, 0.0f}, Case{3 * kPi / 4, 0.5f},
                          Case{kPi, 1.0f}})
        EXPECT_NEAR(MemoryMatch::CardFlipScale(c.phase), c.scale, 1e-5f) << c.phase;
    Enter();
    const MemoryMatch::Card *a = nullptr, *b = nullptr, *other = nullptr;
    Pick(a, b, other);
    ClickCard(*a);
    harness->MoveTo(b->x + 5, b->y + 5);
    harness->Press();
    harness->Step();
    ASSERT_TRUE(a->matched);
    harness->Release();
    harness->Step(0.0625f); // a quarter of the flip: half height, still the face
    EXPECT_NEAR(a->flipPhase, kPi / 4, 1e-4f);
    const uint32_t face = FaceColour(a->face.x / kCard + a->face.y / kCard * 5);
    EXPECT_EQ(At(a->x + kCard / 2, a->y + kCard / 2), face);
    EXPECT_NE(At(a->x + kCard / 2, a->y + 3), face) << "the top quarter is open";
}

TEST_F(MemoryTest, ASheetTooSmallForItsCellsIsLoggedAndCanBeSkipped) {
    Enter(4, 5);
    EXPECT_TRUE(harness->Log().contains("smaller than its 5x6 cells"));
    EXPECT_EQ(memory->FindCardAt(600, 384), nullptr);
    harness->ClickAt(600, 384);
    EXPECT_EQ(memory->GetFirstSelected(), nullptr);
    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    harness->Step();
    EXPECT_TRUE(memory->IsCompleted());
}
