#pragma once
// What the scene objects with effects of their own reach besides their room:
// the particle manager they start their systems with. That is the game's of
// their room, unless a test has put one of its own in its place.

class SpyRoom;
class aParticlesManager;

// The one set below, else the particle manager of the room's game; null when
// there is neither.
aParticlesManager* SpyParticles(const SpyRoom* room);
// A manager to use instead of the game's (null: the game's again).
void SpySetParticles(aParticlesManager* particles);
