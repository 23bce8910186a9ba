#pragma once
// A particle effect at the object's place (class key "Particles"): a candle
// flame, chimney smoke, embers. "System" names the particle template,
// "EmitterSize" ("w h", optional) sets its emitter's size. The system runs
// 30 seconds ahead when it starts, so the effect is settled when the room
// shows; the particle manager updates it, the object draws it in state 0.
// It cannot be clicked and has no size.

#include "game/scenes/objects/spy_object.h"

class aParticleSystem;
class aParticlesManager;

class SpyObjParticles : public SpyObject {
public:
    static constexpr uint32_t kParticleId = 3;
    // Seconds the system runs ahead when it starts.
    static constexpr int kWarmUpSeconds = 30;

    SpyObjParticles(SpyRoom* room, const std::string& name);
    ~SpyObjParticles() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    bool IsKindOf(const std::string& key) const override;
    float GetWidth() const override { return 0.0f; }
    float GetHeight() const override { return 0.0f; }
    void Draw(uint32_t colour) override;

    aParticleSystem* GetSystem() const { return m_system; }

private:
    void RemoveSystem();

    aParticleSystem* m_system = nullptr; // the particle manager's
    aParticlesManager* m_particles = nullptr;
};
