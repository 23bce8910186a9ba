#pragma once
// The safe ("OpenSafe"): a dial of 26 positions and a row of letter wheels,
// one per value of the combination. The player chooses a wheel (a thumb
// points at it), turns the dial by dragging its rim and lets go: the wheel
// rolls forward to the dial's value and shows whether it is right. When
// every wheel is right the safe opens on a closed case; a click on the case
// opens it and the round is solved.
//
// The key "Code" of the level's "BonusRound" section lists the combination,
// values 0 to 25. Pictures (image group "bonus"): "background", "dial"
// (drawn turned about the dial's centre; at angle 0 it shows value 0),
// "digits" (a strip of 26 cells across, the values 0 to 25 in its top half
// and the same as right values in its bottom half; a wheel shows a window of
// one cell), "thumb", and the open safe with its case, "pistol_case_closed"
// and "pistol_case_open". Each wheel that comes right starts the particle
// system "safe_digit_lock" on it.

#include "game/bonus/bonus_round.h"

#include <cstdint>
#include <vector>

class OpenSafe : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "safe";
    static constexpr int32_t kValues = 26;
    static constexpr float kStep = 0.24166098f; // 2 pi / 26
    static constexpr int32_t kDialX = 493;
    static constexpr int32_t kDialY = 296;
    // The dial is turned by its rim, from this far from the centre to that far.
    static constexpr int32_t kGripInner = 57;
    static constexpr int32_t kGripOuter = 120;
    // Wheel i's centre is at (kWheelX + kWheelStep x i, kWheelY).
    static constexpr int32_t kWheelX = 385;
    static constexpr int32_t kWheelStep = 18;
    static constexpr int32_t kWheelY = 484;
    // Where a click opens the case, once the safe is open.
    static constexpr int32_t kCaseX = 298, kCaseY = 549, kCaseWidth = 406, kCaseHeight = 154;

    OpenSafe(const aOptionsFile& options, GameServices* game);
    ~OpenSafe() override;

    void Update(float dt) override;
    void Draw() override;
    void OnCompleted() override;
    // The dial turns by itself to the current wheel's value.
    void UseHint() override;
    // The safe and the case open.
    void Solve() override;

    static float PointerAngle(float dx, float dy);
    // The next wheel after the current one (cyclically) that is not right
    // becomes current; false when every wheel is right.
    bool NextWrongWheel();
    // True while a wheel rolls.
    bool UpdateWheels(float dt);
    void UpdateHintTurn(float dt);
    void DrawWheels() const;
    // The value under the dial's mark at its angle.
    static int32_t DialValue(float angle);

    const std::vector<int32_t>& GetCombination() const { return m_combination; }
    const std::vector<int32_t>& GetEntered() const { return m_entered; }
    const std::vector<float>& GetWheelPositions() const { return m_positions; }
    int32_t GetCurrentWheel() const { return m_current; }
    float GetDialAngle() const { return m_dialAngle; }
    bool IsDialGrabbed() const { return m_dialGrabbed; }
    bool IsSafeOpen() const { return m_safeOpen; }
    bool IsCaseOpen() const { return m_caseOpen; }
    bool IsHintTurning() const { return m_hintTurning; }
    int32_t GetCellWidth() const { return m_cellWidth; }
    int32_t GetWindowHeight() const { return m_windowHeight; }

private:
    bool IsRight(size_t wheel) const { return m_entered[wheel] == m_combination[wheel]; }
    void DrawWheel(size_t wheel) const;

    std::vector<int32_t> m_combination;
    std::vector<int32_t> m_entered;
    std::vector<float> m_positions;
    int32_t m_current = 0;
    float m_dialAngle = 0.0f;
    float m_dialGrabAngle = 0.0f;
    float m_grabReference = 0.0f;
    bool m_dialGrabbed = false;
    bool m_safeOpen = false;
    bool m_caseOpen = false;
    bool m_hintTurning = false;
    float m_hintRemaining = 0.0f;
    int32_t m_cellWidth = 0;
    int32_t m_windowHeight = 0;
    aImage* m_background = nullptr;
    aImage* m_caseClosed = nullptr;
    aImage* m_caseOpenImage = nullptr;
    aImage* m_dial = nullptr;
    aImage* m_digits = nullptr;
    aImage* m_thumb = nullptr;
    aSound* m_soundDialStart = nullptr;
    aSound* m_soundDialEnd = nullptr;
    aSound* m_soundDialRotating = nullptr;
    aSound* m_soundDigitRotating = nullptr;
    aSound* m_soundDigitBad = nullptr;
    aSound* m_soundDigitGood = nullptr;
    aSound* m_soundThumb = nullptr;
    aSound* m_soundOpen = nullptr;
    aSound* m_soundCaseOpen = nullptr;
};
