#pragma once
// The pairs ("MemoryMatch"): 24 picture cards lie face up in a 5 x 5 grid
// centred on the screen, the middle place empty; they form 12 pairs of
// pictures that belong together. The player clicks two cards: a pair turns
// over and stays turned, any other two are put back. When every card is
// turned the round is solved.
//
// The card sheet is the file named by the key "Image" of the level's
// "BonusRound" section, in "data:images/bonus/memory/": 5 columns by 6 rows
// of equal cells. Cells 0 to 23 are the faces (cells 2k and 2k + 1 are
// pair k), cell 24 the back, column 1 of row 5 the selection frame and
// column 0 of row 5 the shadow. The puzzle's folder also holds "background".

#include "game/bonus/bonus_round.h"

#include "mirel/base/a_rect.h"

#include <cstdint>
#include <memory>
#include <vector>

class MemoryMatch : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "memory";
    static constexpr int32_t kCardCount = 24;
    static constexpr int32_t kPairCount = 12;
    static constexpr int32_t kSheetColumns = 5;
    static constexpr int32_t kSheetRows = 6;
    // The grid's centre on the screen.
    static constexpr int32_t kCentreX = 600;
    static constexpr int32_t kCentreY = 384;

    struct Card {
        int32_t pair = 0;
        int32_t x = 0, y = 0; // top-left corner
        aRect face;
        bool selected = false;
        bool matched = false;
        float flipPhase = 0.0f; // 0 face up .. pi back up
    };

    MemoryMatch(const aOptionsFile& options, GameServices* game);
    ~MemoryMatch() override;

    void Update(float dt) override;
    void Draw() override;
    void UseHint() override {}

    // The first card whose rectangle holds the point; null for none.
    const Card* FindCardAt(int32_t x, int32_t y) const;
    void DrawCardShadow(const Card& card) const;
    void DrawCard(const Card& card) const;
    // The card's height factor at a flip phase: 1 face up, 0 edge on at pi / 2, 1 back up at pi.
    static float CardFlipScale(float phase);

    const std::vector<Card>& GetCards() const { return m_cards; }
    int32_t GetCardWidth() const { return m_cardWidth; }
    int32_t GetCardHeight() const { return m_cardHeight; }
    const Card* GetFirstSelected() const { return m_first; }
    const Card* GetSecondSelected() const { return m_second; }

private:
    Card* CardAt(int32_t x, int32_t y);
    void Shuffle();
    aRect Cell(int32_t index) const;

    std::vector<Card> m_cards;
    int32_t m_cardWidth = 0, m_cardHeight = 0;
    aRect m_back, m_frame, m_shadow;
    Card* m_first = nullptr;
    Card* m_second = nullptr;
    std::unique_ptr<aImage> m_sheet;
    aImage* m_background = nullptr;
    aSound* m_soundSelect = nullptr;
    aSound* m_soundGood = nullptr;
    aSound* m_soundBad = nullptr;
};
