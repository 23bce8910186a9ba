#pragma once
// A flag (class key "Flag"): an image on a grid of "DistColsCount" columns
// and two rows whose columns wave in a travelling wave, fixed at one side.
//
// Keys besides the image's: "RightMount" (non-zero: fixed at the right edge,
// else at the left), "HorAmplitude" and "VerAmplitude" (pixels),
// "PeriodsCount" (waves across the flag), "LoopTime" (seconds of one cycle;
// one that is not above 0 is logged and 1 is used).

#include "game/scenes/objects/spy_obj_distortion.h"

class SpyObjFlag : public SpyObjDistortion {
public:
    static constexpr float kDefaultLoopTime = 1.0f;

    SpyObjFlag(SpyRoom* room, const std::string& name);
    ~SpyObjFlag() override;

    void Create(const aOptionsFile& section) override;
    bool IsKindOf(const std::string& key) const override;
    // The phase runs on and every column but the fixed one moves to
    // (cos a x horizontal, sin a x vertical) from its rest place, with
    // a = periods x 2 pi x column / columns + phase.
    void Update(float dt) override;

    float GetPhase() const { return m_phase; }

private:
    bool m_rightMount = false;
    float m_horAmplitude = 0.0f;
    float m_verAmplitude = 0.0f;
    float m_periodsCount = 0.0f;
    float m_loopTime = kDefaultLoopTime;
    float m_phase = 0.0f; // radians
};
