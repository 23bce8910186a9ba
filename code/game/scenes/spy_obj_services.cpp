#include "game/scenes/spy_obj_services.h"

#include "game/game_app.h"

namespace {

aParticlesManager* g_particles = nullptr;

// The application object is the game's (see room.cpp).
__attribute__((no_sanitize("vptr"), noinline)) GameApp* theGame() {
    return static_cast<GameApp*>(aApplication::getInstance());
}

} // namespace

aParticlesManager* SpyParticles() {
    if (g_particles)
        return g_particles;
    GameApp* game = theGame();
    return game ? game->GetParticlesManager() : nullptr;
}

void SpySetParticles(aParticlesManager* particles) {
    g_particles = particles;
}
