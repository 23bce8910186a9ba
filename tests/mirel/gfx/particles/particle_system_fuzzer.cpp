// Arbitrary bytes as a particle file, run: emitted, moved against a
// collision line and a force rectangle over frames short and long, and
// drawn. One update must stay bounded however extreme the file.
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particle.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct Bench {
    Bench() : files("particles") {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setLogObserver([](const char*, void*) {}, nullptr);
        graph = std::make_unique<aGraphServer>(128, 64, false, true, "fuzz", 0, false);
        aImage::setGraphServer(graph.get());
        image.createEmpty(4, 4);
    }
    FuzzFiles files;
    std::unique_ptr<aGraphServer> graph;
    aImage image;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    bench.files.write(data, size);
    aParticleSystem system(bench.files.path(0));
    system.setImage(&bench.image);
    system.setBoundingBoxEnabled(true);
    aParticleCollisionLine line;
    line.x = 100.0f;
    line.nx = -1.0f;
    line.kind = size % 3;
    system.addCollisionLine(line);
    aParticleForceRect force{0.0f, 0.0f, 64.0f, 64.0f, 5.0f, -5.0f};
    system.addForceRect(force);
    system.startAt(32, 32);
    for (float dt : {0.016f, 0.5f, 10.0f, 0.016f}) {
        system.update(dt);
        if (bench.graph->beginScene()) {
            system.render();
            bench.graph->endScene();
        }
    }
    if (system.getLiveCount() > aParticleSystem::MAX_LIVE)
        __builtin_trap();
    return 0;
}
