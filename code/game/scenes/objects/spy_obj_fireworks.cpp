#include "game/scenes/objects/spy_obj_fireworks.h"

#include "game/scenes/objects/spy_obj_services.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Fireworks", &SpyObjectFactory::Create<SpyObjFireworks>);

constexpr float kPi = 3.1415927f;

// A random entry of the list, played as a clone of its own; null when none.
aSound* playRandom(const SpyShotType& type, const std::vector<aSound*>& sounds) {
    if (sounds.empty())
        return nullptr;
    aSound* sound = sounds[size_t(a_rand()) % sounds.size()];
    if (!sound || !type.sounds)
        return nullptr;
    aSound* clone = type.sounds->clone(sound, 0);
    if (clone)
        clone->play(false, -1.0f, -2.0f);
    return clone;
}

} // namespace

struct SpyObjFireworks::Rocket {
    const SpyShotType* type = nullptr;
    aParticlesManager* particles = nullptr;
    aParticleSystem* bullet = nullptr;
    aParticleSystem* trail = nullptr;
    aParticleSystem* trail2 = nullptr;
    aParticleSystem* explosion = nullptr;
    bool exploded = false;
    aSound* launchSound = nullptr;
    aSound* explodeSound = nullptr;

    ~Rocket() {
        for (aParticleSystem** system : {&bullet, &trail, &trail2, &explosion})
            Drop(*system);
        if (type && type->sounds) {
            if (launchSound)
                type->sounds->freeClone(launchSound);
            if (explodeSound)
                type->sounds->freeClone(explodeSound);
        }
    }
    void Drop(aParticleSystem*& system) {
        if (system && particles)
            particles->remove(system);
        system = nullptr;
    }
    // The trails follow the bullet; systems that have run out leave the
    // manager. True when none is left.
    bool Update() {
        if (const aParticle* head = bullet ? bullet->getFirstParticle() : nullptr) {
            if (trail)
                trail->moveTo(head->x, head->y);
            if (trail2)
                trail2->moveTo(head->x, head->y);
        }
        for (aParticleSystem** system : {&bullet, &trail, &trail2, &explosion}) {
            if (*system && !(*system)->isAlive())
                Drop(*system);
        }
        return !bullet && !trail && !trail2 && !explosion;
    }
    void Draw() const {
        for (aParticleSystem* system : {bullet, trail, trail2, explosion}) {
            if (system)
                system->render();
        }
    }
    size_t Systems() const {
        return size_t(bullet != nullptr) + size_t(trail != nullptr) + size_t(trail2 != nullptr) +
               size_t(explosion != nullptr);
    }
};

SpyObjFireworks::SpyObjFireworks(SpyRoom* room, const std::string& name) : SpyObject(room, name) {}

SpyObjFireworks::~SpyObjFireworks() {
    DestroyRockets();
}

void SpyObjFireworks::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    DestroyRockets();
    m_sequence = SpyFireworksSequence();
    const std::string roomName = m_room ? m_room->GetName() : std::string();
    aOptionsFile file("data:rooms/" + roomName + "/" + m_name + ".ini");
    m_sequence =
        SpyReadFireworksSequence(file, m_name, m_room ? m_room->GetSoundManager() : nullptr, roomName);
    m_timer = 0.0f;
    m_current = 0;
    m_crowded = false;
}

void SpyObjFireworks::UnloadResources() {
    DestroyRockets();
    SpyObject::UnloadResources();
}

bool SpyObjFireworks::IsKindOf(const std::string& key) const {
    return key == "Fireworks";
}

void SpyObjFireworks::DestroyRockets() {
    m_rockets.clear();
}

size_t SpyObjFireworks::GetSystemCount() const {
    size_t count = 0;
    for (const auto& rocket : m_rockets)
        count += rocket->Systems();
    return count;
}

const aParticleSystem* SpyObjFireworks::GetBullet(size_t rocket) const {
    return rocket < m_rockets.size() ? m_rockets[rocket]->bullet : nullptr;
}

const aParticleSystem* SpyObjFireworks::GetTrail(size_t rocket) const {
    return rocket < m_rockets.size() ? m_rockets[rocket]->trail : nullptr;
}

const aParticleSystem* SpyObjFireworks::GetExplosion(size_t rocket) const {
    return rocket < m_rockets.size() ? m_rockets[rocket]->explosion : nullptr;
}

void SpyObjFireworks::Update(float dt) {
    if (!m_sequence.shots.empty()) {
        m_timer += dt;
        while (m_timer > m_sequence.shots[m_current].delay) {
            const SpyShot& shot = m_sequence.shots[m_current];
            Launch(shot);
            m_timer -= shot.delay;
            if (++m_current >= m_sequence.shots.size()) {
                m_current = 0;
                m_timer = 0.0f;
            }
        }
    }
    for (size_t i = 0; i < m_rockets.size();) {
        if (m_rockets[i]->Update())
            m_rockets.erase(m_rockets.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
    SpyObject::Update(dt);
}

void SpyObjFireworks::Launch(const SpyShot& shot) {
    if (shot.type >= m_sequence.types.size())
        return;
    aParticlesManager* particles = SpyParticles(m_room);
    if (!particles)
        return;
    if (m_rockets.size() >= kMaxRockets) {
        if (!m_crowded)
            a_log("SpyObjFireworks - more than %d rockets in the air for object '%s', shots are skipped",
                  int(kMaxRockets), m_name.c_str());
        m_crowded = true;
        return;
    }
    const SpyShotType& type = m_sequence.types[shot.type];
    const float at[2] = {float(shot.x), float(shot.y)};
    aParticleSystem* bullet = particles->Add(type.bullet, at, kParticleId, false, false);
    if (!bullet)
        return;
    const float angle = float(shot.angle) * kPi / 180.0f;
    bullet->setSpread(angle, angle);
    bullet->start();

    auto rocket = std::make_unique<Rocket>();
    rocket->type = &type;
    rocket->particles = particles;
    rocket->bullet = bullet;
    rocket->launchSound = playRandom(type, type.launchSounds);
    const float from[2] = {bullet->getX(), bullet->getY()};
    if (!type.trail.empty())
        rocket->trail = particles->Add(type.trail, from, kParticleId, false, true);
    if (!type.trail2.empty())
        rocket->trail2 = particles->Add(type.trail2, from, kParticleId, false, true);
    bullet->setParticleCallback(&SpyObjFireworks::OnBulletParticleDied, rocket.get());
    m_rockets.push_back(std::move(rocket));
}

void SpyObjFireworks::OnBulletParticleDied(aParticleSystem*, aParticle* particle, void* user) {
    Rocket* rocket = static_cast<Rocket*>(user);
    if (!rocket->exploded && !rocket->type->explode.empty()) {
        rocket->exploded = true;
        rocket->explodeSound = playRandom(*rocket->type, rocket->type->explodeSounds);
        const float at[2] = {particle->x, particle->y};
        rocket->explosion = rocket->particles->Add(rocket->type->explode, at, kParticleId, false, true);
    }
    if (rocket->trail)
        rocket->trail->stop();
    if (rocket->trail2)
        rocket->trail2->stop();
}

void SpyObjFireworks::Draw(uint32_t) {
    if (m_state != STATE_PRESENT)
        return;
    for (const auto& rocket : m_rockets)
        rocket->Draw();
}
