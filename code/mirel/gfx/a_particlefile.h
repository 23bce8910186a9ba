#pragma once
// The parameters of a particle system and the reader of particle files.
//
// A particle file is a plain list of lines, each a key, blanks and its
// values. The key is the line's first word and must match exactly; unknown
// keys are ignored, and so are values after the last one a key takes. A line
// whose values are missing or cannot be read keeps the defaults of the values
// it could not give, and is logged.

#include <cstddef>
#include <string>

struct aParticleParams {
    int maxParticles = 100;    // "max_particles": most live particles (never more than 1000)
    int fps = 0;               // "fps": simulation steps per second; 0 never advances
    int emitterType = 0;       // "emitter_type": 0 point or ring, 1 rotated rectangle, 2 line
    float emitterLife = -1.0f; // "emitter_life": seconds; 0 one burst; negative for ever
    float emitterSizeX = 0.0f, emitterSizeY = 0.0f;   // "emitter_size"
    float emitterAngle = 0.0f;                        // "emitter_angle", radians
    int emitPerSec = 30;                              // "emit_per_sec" (and the size of the start burst)
    int blendMode = 0;                                // "blend_mode": 1 additive, else normal alpha
    float spreadMin = 0.0f, spreadMax = 6.2831855f;   // "spread", radians
    int spreadRelative = 0;                           // "spread_relative"
    int spinByDir = 0;                                // "spin_by_dir"
    float lifeMin = 2.0f, lifeMax = 3.0f;             // "particle_life"
    float gravityMin = 0.0f, gravityMax = 0.0f;       // "gravity"
    float windMin = 0.0f, windMax = 0.0f;             // "wind"
    float radialMin = 0.0f, radialMax = 0.0f;         // "radial_acc"
    float tangentialMin = 0.0f, tangentialMax = 0.0f; // "tangential_acc"
    float velocityMin = 0.5f, velocityMax = 1.0f;     // "velocity"
    float spinStart = 0.0f, spinEnd = 0.0f, spinVar = 0.0f; // "spin"
    float sizeStart = 1.0f, sizeEnd = 0.0f, sizeVar = 0.0f; // "size"
    // "color": start and end colour (R, G, B, A as byte / 255), colour and
    // alpha variation.
    float colorStart[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float colorEnd[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float colorVar = 0.0f, alphaVar = 0.0f;
};

// Applies every line of the text to the parameters (which keep the values no
// line sets). name names the file in log lines. A negative "fps" is logged
// and read as 0; values that are not finite numbers are not taken.
void a_readParticleText(const char* data, size_t size, aParticleParams& params, const std::string& name);

// Reads the file through the file server (a file that cannot be read leaves
// the parameters as they are).
void a_readParticleFile(const std::string& path, aParticleParams& params);
