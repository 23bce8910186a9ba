#pragma once
// The candy box ("ChocolatesPuzzle"), played in two stages. First the 24
// candies of the box are put in order by swapping pairs: a click selects a
// candy, a click on another swaps the two; a candy that comes to its own
// cell locks there. Once every candy has lain in place for half a second the
// level's text "bonus_candies_ordered" is shown and the second stage begins:
// the knife beside the box is taken with a click, and a click with it on the
// candy that hides the clue (candy 14, column 2 of row 2) solves the round.
//
// Pictures (image group "bonus"): "background"; "candies", a sheet of 6 x 5
// equal cells, rows 0 to 3 the candies in their order and row 4 one paper
// cup per column, drawn under a candy in place; "candies_shadow", the same
// sheet's shadows; "knife", a column of four frames: the knife, its shadow,
// its glow and what the cut shows. Texts: the level's "bonus_desc" in the
// first stage, "bonus_desc_2" in the second.

#include "game/bonus/bonus_round.h"

#include "mirel/base/a_rect.h"

#include <cstdint>

class ChocolatesPuzzle : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "chocolates";
    static constexpr int32_t kColumns = 6;
    static constexpr int32_t kRows = 4;
    static constexpr int32_t kCount = kColumns * kRows;
    // The box's top-left corner on the screen.
    static constexpr int32_t kBoxX = 274;
    static constexpr int32_t kBoxY = 159;
    // The candy that hides the clue.
    static constexpr int32_t kHidingCandy = 14;
    static constexpr float kSwapTime = 0.3f;
    // Seconds every candy must lie in place before the box counts as ordered.
    static constexpr float kSettleTime = 0.5f;
    static constexpr int32_t kKnifeStartX = 729;
    static constexpr int32_t kKnifeStartY = 655;
    // The held knife's handle point and blade tip, from its top-left corner.
    static constexpr int32_t kKnifeHoldX = 95;
    static constexpr int32_t kKnifeHoldY = 31;
    static constexpr int32_t kKnifeTipX = 7;
    static constexpr int32_t kKnifeTipY = 6;

    struct Candy {
        int32_t x = 0, y = 0; // the cell's top-left corner on the screen
        aRect picture;        // the candy picture it shows, in the sheet
        bool inPlace = false;
        float placedTime = 0.0f;
    };

    ChocolatesPuzzle(const aOptionsFile& options, GameServices* game);
    ~ChocolatesPuzzle() override;

    void Update(float dt) override;
    void Draw() override;
    void Show() override;
    void OnCompleted() override;
    void UseHint() override {}
    // The box in order, the knife in the hiding candy.
    void Solve() override;

    bool IsCandyInPlace(const Candy& candy) const;
    // Exchanges the two candies' pictures.
    void SwapCandies(Candy& a, Candy& b);
    // The description of the current stage.
    void UpdateDescriptionStage();

    const Candy& GetCandy(int32_t index) const { return m_candies[index]; }
    int32_t GetCellWidth() const { return m_cellWidth; }
    int32_t GetCellHeight() const { return m_cellHeight; }
    int32_t GetFirstSelected() const { return m_first; }
    int32_t GetSecondSelected() const { return m_second; }
    bool IsSwapping() const { return m_swapTimer >= 0.0f; }
    bool IsOrdered() const { return m_ordered; }
    bool IsKnifeTaken() const { return m_knifeTaken; }
    int32_t GetKnifeX() const { return m_knifeX; }
    int32_t GetKnifeY() const { return m_knifeY; }
    float GetKnifePhase() const { return m_knifePhase; }

private:
    void Shuffle();
    void UpdateOrdering(float dt, int32_t mx, int32_t my, bool pressed);
    void UpdateKnife(float dt, int32_t mx, int32_t my, bool pressed);
    bool IsOnKnife(int32_t mx, int32_t my) const;
    void DrawCandy(const Candy& candy, float x, float y) const;
    void DrawKnifeFrame(int32_t frame, uint32_t colour) const;
    aRect Cell(int32_t column, int32_t row) const;

    Candy m_candies[kCount];
    // The sheet's cell size; 0 when the sheet is too small to play.
    int32_t m_cellWidth = 0, m_cellHeight = 0;
    int32_t m_first = -1, m_second = -1;
    int32_t m_swapDX = 0, m_swapDY = 0;
    float m_swapTimer = -1.0f;
    bool m_ordered = false;
    bool m_knifeTaken = false;
    int32_t m_knifeX = kKnifeStartX, m_knifeY = kKnifeStartY;
    float m_knifePhase = 0.0f;
    aImage* m_background = nullptr;
    aImage* m_sheet = nullptr;
    aImage* m_shadows = nullptr;
    aImage* m_knife = nullptr;
    aSound* m_soundSelect = nullptr;
    aSound* m_soundSwap = nullptr;
    aSound* m_soundLock = nullptr;
    aSound* m_soundOrdered = nullptr;
    aSound* m_soundTakeKnife = nullptr;
    aSound* m_soundTestTrue = nullptr;
    aSound* m_soundTestFalse = nullptr;
};
