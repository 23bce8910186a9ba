#include "game/scenes/objects/spy_obj_services.h"

#include "game/game_services.h"
#include "game/scenes/spy_room.h"

namespace {

aParticlesManager* g_particles = nullptr;

} // namespace

aParticlesManager* SpyParticles(const SpyRoom* room) {
    if (g_particles)
        return g_particles;
    GameServices* game = room ? room->GetGame() : nullptr;
    return game ? game->GetParticlesManager() : nullptr;
}

void SpySetParticles(aParticlesManager* particles) {
    g_particles = particles;
}
