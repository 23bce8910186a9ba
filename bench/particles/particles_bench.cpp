// One frame of 1,000 live particles: updated at the file's rate (60 steps per
// second, one 1/60 s frame) and drawn as 8 x 8 quads on a 1024 x 768 device.
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particle.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

struct Scene {
    std::unique_ptr<aGraphServer> server;
    aImage image;
    std::unique_ptr<aParticleSystem> system;

    Scene(bool draw) {
        setenv("MIREL_HEADLESS", "1", 1);
        server = std::make_unique<aGraphServer>(1024, 768, false, true, "bench", 0, false);
        aImage::setGraphServer(server.get());
        image.createEmpty(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(x, y, 0x80FFC040u);
        const std::string path = (std::filesystem::temp_directory_path() / "mirel_bench.psi").string();
        std::ofstream(path) << "max_particles 1000\nfps 60\nemit_per_sec 400\nparticle_life 2.5 2.5\n"
                               "emitter_type 1\nemitter_size 300 200\nvelocity 10 40\ngravity 5 20\n"
                               "wind -3 3\nradial_acc 1 4\ntangential_acc -2 2\nspin 0 3 1\n"
                               "size 1 0.5 0.5\ncolor FFFFFFFF 00FF8040 0.5 0.5\nblend_mode 1\n";
        a_srand(1);
        system = std::make_unique<aParticleSystem>(path);
        if (draw)
            system->setImage(&image);
        system->startAt(512, 384);
        while (system->getLiveCount() < 1000)
            system->update(1.0f / 60.0f);
    }
    ~Scene() {
        system.reset();
        image = aImage();
        aImage::setGraphServer(nullptr);
    }
};

void BM_UpdateAndDraw1000(benchmark::State& state) {
    Scene scene(true);
    for (auto _ : state) {
        scene.system->update(1.0f / 60.0f);
        scene.system->render();
    }
    state.counters["live"] = scene.system->getLiveCount();
}
BENCHMARK(BM_UpdateAndDraw1000)->Unit(benchmark::kMicrosecond);

void BM_Update1000(benchmark::State& state) {
    Scene scene(false);
    for (auto _ : state)
        scene.system->update(1.0f / 60.0f);
    state.counters["live"] = scene.system->getLiveCount();
}
BENCHMARK(BM_Update1000)->Unit(benchmark::kMicrosecond);

void BM_BuildQuads1000(benchmark::State& state) {
    // Drawing outside the viewport: the vertex work and draw call without pixels.
    Scene scene(true);
    scene.system->shiftTo(-5000, -5000);
    for (auto _ : state)
        scene.system->render();
}
BENCHMARK(BM_BuildQuads1000)->Unit(benchmark::kMicrosecond);

} // namespace
