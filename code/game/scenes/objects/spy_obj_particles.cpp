#include "game/scenes/objects/spy_obj_particles.h"

#include "game/scenes/objects/spy_obj_services.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_values.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/util/a_optionsfile.h"

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Particles", &SpyObjectFactory::Create<SpyObjParticles>);

} // namespace

SpyObjParticles::SpyObjParticles(SpyRoom* room, const std::string& name) : SpyObject(room, name) {}

SpyObjParticles::~SpyObjParticles() = default;

void SpyObjParticles::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    RemoveSystem();
    m_particles = SpyParticles(m_room);
    if (!m_particles)
        return;
    const float at[2] = {m_x, m_y};
    m_system = m_particles->Add(section.getString("System"), at, kParticleId, false, true);
    if (!m_system)
        return;
    if (section.hasKey("EmitterSize")) {
        SpyPoint size{0.0f, 0.0f};
        if (SpyReadPoint(section.getString("EmitterSize"), size))
            m_system->setEmitterSize(size.x, size.y);
    }
    const int fps = m_system->getFps();
    if (fps > 0) {
        const float step = 1.0f / float(fps);
        for (int i = 0; i < fps * kWarmUpSeconds; ++i)
            m_system->update(step);
    }
}

void SpyObjParticles::RemoveSystem() {
    if (m_system && m_particles)
        m_particles->remove(m_system);
    m_system = nullptr;
    m_particles = nullptr;
}

void SpyObjParticles::UnloadResources() {
    RemoveSystem();
    SpyObject::UnloadResources();
}

bool SpyObjParticles::IsKindOf(const std::string& key) const {
    return key == "Particles";
}

void SpyObjParticles::Draw(uint32_t) {
    if (m_state == STATE_PRESENT && m_system)
        m_system->render();
}
