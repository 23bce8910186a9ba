#pragma once
// A clock face (class key "Clock") whose hands turn with a running 12-hour
// time. Its picture is a strip of one frame per layer it has, side by side
// in the order dial, seconds, minutes, hours; "Layers" names them with the
// letters "b", "s", "m" and "h". Each hand turns about the drag hotspot. The
// clock starts a few minutes from the local time and runs while its room
// is updated; it stops while it vanishes. A clock without layers draws
// nothing (logged).

#include "game/scenes/objects/spy_obj_image.h"

class SpyObjClock : public SpyObjImage {
public:
    // Bits of the layer mask, and their angle's index.
    enum Layer : uint32_t { LAYER_DIAL = 0, LAYER_SECONDS = 1, LAYER_MINUTES = 2, LAYER_HOURS = 3 };
    static constexpr float kDialSeconds = 43200.0f;

    SpyObjClock(SpyRoom* room, const std::string& name);
    ~SpyObjClock() override;

    void Create(const aOptionsFile& section) override;
    // The time from the local minute and the engine's random numbers.
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    void Update(float dt) override;
    float GetWidth() const override;
    float GetHeight() const override { return float(m_rect.height); }
    void Draw(uint32_t colour) override;

    // Seconds on the dial, and the hands set for them.
    void SetTime(float seconds);
    float GetTime() const { return m_time; }
    uint32_t GetLayers() const { return m_layers; }
    uint32_t GetLayerCount() const { return m_layerCount; }
    // Radians, negative turns clockwise on the screen.
    float GetAngle(uint32_t layer) const { return layer < 4 ? m_angles[layer] : 0.0f; }
    // The hours, minutes and seconds hands' angles for a time.
    static void ComputeAngles(float time, float angles[4]);

private:
    void DrawLayers(const float* position, uint32_t colour, const float* scale) const;

    uint32_t m_layers = 0;
    uint32_t m_layerCount = 0;
    float m_time = 0.0f;
    float m_angles[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
