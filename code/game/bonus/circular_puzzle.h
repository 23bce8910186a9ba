#pragma once
// The ring puzzle ("CircularPuzzle"): a picture cut into concentric rings,
// each but the innermost turned by a random angle. The player drags a ring
// round about the centre; let go within 6 degrees of its right angle it
// locks there and darkens a little. When every ring is locked the open
// picture replaces the whole view.
//
// Keys of the level's "BonusRound" section: "CirclesCount" (the rings),
// "Radius0" (the outer radius of ring 0, the innermost) and "RadiusDelta"
// (the width of every further ring). Pictures (image group "bonus"): the
// rings "01", "02", ... (innermost first, each centred on the centre),
// "background", "background_open" and "overlay", drawn over the rings.
// Angles are radians, counter-clockwise on the screen positive.

#include "game/bonus/bonus_round.h"

#include <cstdint>
#include <vector>

class CircularPuzzle : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "circular";
    static constexpr int32_t kCentreX = 585;
    static constexpr int32_t kCentreY = 428;
    // A ring let go within this of its right angle locks.
    static constexpr float kLockAngle = 0.10471976f;
    // The rings' pictures are named "01" to "99".
    static constexpr int32_t kMaxRings = 99;

    struct Ring {
        aImage* image = nullptr;
        float dragBase = 0.0f; // the angle when the current drag began
        float angle = 0.0f;    // [0, 2 pi); 0 is the right angle
        float glow = 0.0f;
        bool locked = false;
    };

    CircularPuzzle(const aOptionsFile& options, GameServices* game);
    ~CircularPuzzle() override;

    void Update(float dt) override;
    void Draw() override;
    void OnCompleted() override;
    // The first unlocked ring turns to its right angle and locks.
    void UseHint() override;
    // Every ring locks at its right angle.
    void Solve() override;

    // -atan2(dy, dx) in [0, 2 pi): counter-clockwise on the screen is positive.
    static float PointerAngle(float dx, float dy);
    // One turn added or taken off to bring the angle into [0, 2 pi).
    static float WrapAngle(float a);
    void RotateHintedRing(float dt);

    const std::vector<Ring>& GetRings() const { return m_rings; }
    int32_t GetRadius0() const { return m_radius0; }
    int32_t GetRadiusDelta() const { return m_radiusDelta; }
    int32_t GetGrabbed() const { return m_grabbed; }
    bool IsHinting() const { return m_hint; }
    // The ring under the point, from the centre outwards; -1 for none.
    int32_t RingAt(float dx, float dy) const;

private:
    std::vector<Ring> m_rings;
    int32_t m_radius0 = 0;
    int32_t m_radiusDelta = 0;
    int32_t m_grabbed = -1; // also the hinted ring while the hint turns it
    float m_grabReference = 0.0f;
    bool m_hint = false;
    aImage* m_background = nullptr;
    aImage* m_backgroundOpen = nullptr;
    aImage* m_overlay = nullptr;
    aSound* m_soundRotateStart = nullptr;
    aSound* m_soundRotateEnd = nullptr;
    aSound* m_soundRotating = nullptr;
    aSound* m_soundLock = nullptr;
    aSound* m_soundOpen = nullptr;
};
