#pragma once
// A mouse (class key "Mouse") that can be found but is not always there:
// after a random wait it comes out at a random place along the bottom of the
// playfield, plays its three animations in turn and goes again, to wait for
// its next time at a new place. A hint makes it come out at once.
//
// Keys besides the base's:
//   "Anim1Params".."Anim3Params"  "w h count fps": the frames of each phase,
//                                 cut from the room's images "<name>_1".."_3"
//   "Anim2x", "Anim3x"            x of phases 2 and 3 from the base place
//   "XRange"                      "min max": the base x from the playfield's left edge
//   "YRange"                      the base y from the bottom of the screen: 0 up to this
//   "OccurenceTime"               "min max": seconds of the wait
// Its sound is the room's sound named like it. The places and waits draw
// from the engine's random numbers. A frame count below 1 is logged and 1 is
// used, and so is a rate above 1000 frames a second (1000). The phase and the wait are not saved: Init starts a new wait.

#include "game/scenes/objects/spy_object.h"
#include "mirel/gfx/a_anim.h"

class SpyObjMouse : public SpyObject {
public:
    static constexpr int kPhases = 3;

    SpyObjMouse(SpyRoom* room, const std::string& name);
    ~SpyObjMouse() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    // A new place and wait; the first animation rewound and stopped.
    void Reset() override;
    bool Activate(bool on, SpyObject* used) override;
    void Leave() override;
    void SetHighlight(bool on) override;
    float GetWidth() const override { return float(m_anims[m_phase].getWidth()); }
    float GetHeight() const override { return float(m_anims[m_phase].getHeight()); }
    void Draw(uint32_t colour) override;

    int GetPhase() const { return m_phase; }
    // Waiting for the next appearance (the first animation stopped).
    bool IsWaiting() const { return m_phase == 0 && m_anims[0].isStopped(); }
    float GetWait() const { return m_wait; }
    float GetBaseX() const { return m_baseX; }
    float GetBaseY() const { return m_baseY; }
    const aAnim& GetAnim(int phase) const { return m_anims[phase]; }

private:
    void Place();

    aAnim m_anims[kPhases];
    float m_offsets[kPhases] = {0.0f, 0.0f, 0.0f};
    int m_phase = 0;
    float m_xRange[2] = {0.0f, 0.0f};
    float m_yRange = 0.0f;
    float m_timeRange[2] = {0.0f, 0.0f};
    float m_baseX = 0.0f;
    float m_baseY = 0.0f;
    float m_wait = 0.0f;
    aSound* m_sound = nullptr; // the room's sound group's
};
