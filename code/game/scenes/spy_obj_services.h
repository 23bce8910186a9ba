#pragma once
// What the scene objects with effects of their own reach besides their room:
// the particle manager they start their systems with. That is the game's,
// unless a test has put one of its own in its place.

class aParticlesManager;

// The game's particle manager, or the one set below; null when neither is there.
aParticlesManager* SpyParticles();
// A manager to use instead of the game's (null: the game's again).
void SpySetParticles(aParticlesManager* particles);
