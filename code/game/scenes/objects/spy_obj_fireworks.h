#pragma once
// Fireworks over a room (class key "Fireworks"): an endless timed sequence
// of shots read from "data:rooms/<room>/<object>.ini" (spy_fireworks_sequence.h).
// Each shot starts its bullet system at the shot's place, every particle
// leaving at the shot's angle, with a random launch sound and the trails
// following the bullet; when the first bullet particle dies the explosion
// starts there with a random explosion sound and the trails stop. Every
// system of a rocket leaves the particle manager as soon as it has run out,
// and the rocket itself when all have, so a room left running holds only
// the rockets still in the air. It cannot be clicked and has no size; taken
// (state 1) it draws nothing but the sequence goes on. The sequence place is
// not saved.

#include "game/scenes/objects/spy_fireworks_sequence.h"
#include "game/scenes/objects/spy_object.h"

#include <memory>
#include <vector>

class aParticleSystem;
class aParticlesManager;
struct aParticle;

class SpyObjFireworks : public SpyObject {
public:
    // The particle manager's id of the fireworks' systems (drawn by the object).
    static constexpr uint32_t kParticleId = 3;
    // The most rockets in the air at once: a sequence that shoots faster
    // than its rockets burn out skips shots (logged once) past this.
    static constexpr size_t kMaxRockets = 64;

    SpyObjFireworks(SpyRoom* room, const std::string& name);
    ~SpyObjFireworks() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    bool IsKindOf(const std::string& key) const override;
    void Update(float dt) override;
    float GetWidth() const override { return 0.0f; }
    float GetHeight() const override { return 0.0f; }
    void Draw(uint32_t colour) override;

    const SpyFireworksSequence& GetSequence() const { return m_sequence; }
    size_t GetRocketCount() const { return m_rockets.size(); }
    // The particle systems of the rockets in the air.
    size_t GetSystemCount() const;
    // The systems of a rocket in the air (null: none, or run out).
    const aParticleSystem* GetBullet(size_t rocket) const;
    const aParticleSystem* GetTrail(size_t rocket) const;
    const aParticleSystem* GetExplosion(size_t rocket) const;
    uint32_t GetCurrentShot() const { return m_current; }
    float GetTimer() const { return m_timer; }

private:
    struct Rocket;

    void Launch(const SpyShot& shot);
    void DestroyRockets();
    static void OnBulletParticleDied(aParticleSystem* system, aParticle* particle, void* user);

    SpyFireworksSequence m_sequence;
    std::vector<std::unique_ptr<Rocket>> m_rockets;
    float m_timer = 0.0f;
    uint32_t m_current = 0;
    bool m_crowded = false; // the rocket limit was logged
};
