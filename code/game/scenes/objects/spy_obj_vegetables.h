#pragma once
// A pile of vegetables (class key "Vegetables"): "Count" layers side by side
// in the image rectangle, drawn one over the other at the object's place;
// now and then one of them bobs up and down once. "Amplitude" ("min max",
// pixels) and "Interval" ("min max", seconds between bobs) are ranges drawn
// from the engine's random numbers, "PeriodTime" the seconds of one bob. A
// "Count" of 0 or below, or a period that is not above 0, is logged and 1 is
// used. Hit anywhere in its box; taken, it swells away like an image.

#include "game/scenes/objects/spy_obj_image.h"

class SpyObjVegetables : public SpyObjImage {
public:
    SpyObjVegetables(SpyRoom* room, const std::string& name);
    ~SpyObjVegetables() override;

    void Create(const aOptionsFile& section) override;
    bool IsKindOf(const std::string& key) const override;
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    bool Activate(bool on, SpyObject* used) override;
    float GetWidth() const override { return float(LayerWidth()); }
    float GetHeight() const override { return float(m_rect.height); }
    void Draw(uint32_t colour) override;

    int32_t GetCount() const { return m_count; }
    int32_t GetBobbingLayer() const { return m_bobbing; }
    float GetPhaseTime() const { return m_phaseTime; }
    float GetBobAmplitude() const { return m_amplitude; }
    // How far the bobbing layer is lifted now, in pixels.
    float GetLift() const;

private:
    int32_t LayerWidth() const { return m_rect.width / m_count; }
    float NextPause() const;

    int32_t m_count = 1;
    float m_periodTime = 1.0f;
    float m_amplitudeRange[2] = {0.0f, 0.0f};
    float m_intervalRange[2] = {0.0f, 0.0f};
    int32_t m_bobbing = -1;
    float m_amplitude = 0.0f;
    float m_phaseTime = 0.0f;
};
