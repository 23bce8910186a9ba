#pragma once
// The trick watch ("OpenTrickWatch"): chips round the rim of a pocket watch
// flash a sequence of hours in colours. The player turns the minute hand by
// dragging it (the hour hand follows at a twelfth of its speed) and lets go
// with the hands at each shown hour in turn, the minute hand at twelve.
// When the whole sequence is entered the watch opens and the round is solved.
//
// Pictures (image group "bonus"): "background", "background_open", "clock"
// (the watch face, centred on the dial's centre), "winder" (the crown, drawn
// behind the watch and pulled out a little with every step entered),
// "glass", "chip" (one light of the rim, tinted by its colour), and the
// hands "clock_hand_1" (minute) and "clock_hand_2" (hour), each pointing to
// three o'clock with its normal picture in the top half and its lit picture
// in the bottom half. Angles are radians counter-clockwise from three
// o'clock; hour index 0 is one o'clock, 11 twelve o'clock.

#include "game/bonus/bonus_round.h"

#include <cstdint>
#include <vector>

class OpenTrickWatch : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "trick_watch";
    static constexpr int32_t kCentreX = 601;
    static constexpr int32_t kCentreY = 428;
    static constexpr float kChipRadius = 265.0f;
    static constexpr int32_t kHours = 12;
    // The pointer within this of the minute hand's angle grabs it.
    static constexpr float kNearAngle = 0.08726647f;
    static constexpr float kFlashTime = 2.5f;
    static constexpr float kShowStepTime = 1.25f;
    static constexpr float kShowPause = 3.0f;

    struct Hand {
        aImage* image = nullptr;
        float angle = 0.0f;
        float pivotX = 0.0f, pivotY = 0.0f; // the image's point on the centre
        bool lit = false;
    };
    struct Chip {
        aImage* image = nullptr;
        float x = 0.0f, y = 0.0f, rotation = 0.0f;
        float flash = -1.0f;
        uint32_t flashColour = 0;
        float ring = -1.0f;
        uint32_t ringColour = 0;
    };
    struct Step {
        int32_t hourHand, minuteHand; // hour indices
        uint32_t colour;
    };
    enum { MINUTE_HAND = 0, HOUR_HAND = 1 };

    OpenTrickWatch(const aOptionsFile& options, GameServices* game);
    ~OpenTrickWatch() override;

    void Update(float dt) override;
    void Draw() override;
    void OnCompleted() override;
    // The minute hand turns by itself until the hour hand is at the current step's hour.
    void UseHint() override;
    void Solve() override;

    void PlaceOnDial(Chip& chip, aImage* image, float angle) const;
    // -atan2(y - centre y, x - centre x) in [0, 2 pi).
    static float PointerAngle(float x, float y);
    bool IsAngleNear(const Hand& hand, float x, float y) const;
    void UpdateChip(Chip& chip, float dt) const;
    void DrawChip(const Chip& chip) const;
    void DrawHand(const Hand& hand) const;
    static int32_t HourIndex(float angle);
    // The angle of the chip at that hour index.
    static float ChipAngle(int32_t index);

    const Hand& GetHand(int32_t hand) const { return m_hands[hand]; }
    const Chip& GetChip(int32_t index) const { return m_chips[size_t(index)]; }
    const std::vector<std::vector<Step>>& GetLevels() const { return m_levels; }
    int32_t GetLevel() const { return m_level; }
    int32_t GetProgress() const { return m_progress; }
    int32_t GetShowIndex() const { return m_showIndex; }
    float GetPauseTimer() const { return m_pauseTimer; }
    int32_t GetGrabbed() const { return m_grabbed; }
    bool IsHinting() const { return m_hint; }
    bool IsSolved() const { return m_solved; }

private:
    void TurnMinuteHand(float delta);
    const std::vector<Step>& Steps() const { return m_levels[size_t(m_level)]; }

    std::vector<std::vector<Step>> m_levels;
    Hand m_hands[2];
    std::vector<Chip> m_chips;
    int32_t m_level = 0;
    int32_t m_progress = 0;
    int32_t m_showIndex = 0;
    float m_pauseTimer = -1.0f;
    int32_t m_grabbed = -1;
    float m_lastAngle = 0.0f;
    bool m_hint = false;
    float m_hintRemaining = 0.0f;
    bool m_solved = false;
    // The hour indices (hour hand, minute hand) at the last update, and
    // whether they changed since the last release.
    int32_t m_lastHour = -1, m_lastMinute = -1;
    bool m_changed = false;
    aImage* m_background = nullptr;
    aImage* m_backgroundOpen = nullptr;
    aImage* m_clock = nullptr;
    aImage* m_winder = nullptr;
    aImage* m_glass = nullptr;
    aSound* m_soundOpen = nullptr;
    aSound* m_soundMatch = nullptr;
};
