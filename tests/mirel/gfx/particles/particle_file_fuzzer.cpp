// Particle files of any content: the reader keeps its parameters sane.
#include "mirel/gfx/a_particlefile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    aParticleParams params;
    a_readParticleText(reinterpret_cast<const char*>(data), size, params, "fuzz");
    const float values[] = {params.emitterLife, params.emitterSizeX, params.emitterSizeY, params.spreadMin,
                            params.spreadMax,   params.lifeMin,      params.lifeMax,      params.velocityMin,
                            params.velocityMax, params.sizeStart,    params.sizeEnd,      params.colorVar};
    for (float v : values) {
        if (!std::isfinite(v))
            std::abort();
    }
    if (params.fps < 0)
        std::abort();
    return 0;
}
