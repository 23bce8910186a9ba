#pragma once
// A marked place (class key "Zaloupe"): never drawn, never hit, no size; it
// keeps its "HitDistance" (50 until read; a missing key reads 0) and its
// place for whoever looks it up.

#include "game/scenes/objects/spy_object.h"

class SpyObjZaloupe : public SpyObject {
public:
    static constexpr float kDefaultHitDistance = 50.0f;

    SpyObjZaloupe(SpyRoom* room, const std::string& name);
    ~SpyObjZaloupe() override;

    void Create(const aOptionsFile& section) override;
    bool IsKindOf(const std::string& key) const override;
    float GetWidth() const override { return 0.0f; }
    float GetHeight() const override { return 0.0f; }
    void Draw(uint32_t) override {}

    float GetHitDistance() const { return m_hitDistance; }

private:
    float m_hitDistance = kDefaultHitDistance;
};
