// Rasterizer speed: full-screen alpha-blended layers (the common frame of a
// scene), the same layers copied with memcpy for comparison, and a frame of
// rotated and scaled small sprites.

#include "mirel/platform/graphics/a_devicesprite.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kW = 1024, kH = 768, kLayers = 8;

std::unique_ptr<aDevice> makeDevice() {
    aPresentParams pp;
    pp.backBufferWidth = kW;
    pp.backBufferHeight = kH;
    std::unique_ptr<aDevice> dev;
    aDevice::create(pp, nullptr, &dev);
    dev->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    dev->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
    dev->setRenderState(A_RS_DESTBLEND, A_BLEND_INVSRCALPHA);
    dev->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_LINEAR);
    dev->setTextureStageState(0, A_TSS_MINFILTER, A_TEXF_LINEAR);
    return dev;
}

// A layer whose alpha varies over the whole range: opaque, clear and
// translucent runs mixed as in painted scenery.
aTexture* makeLayer(aDevice& dev, uint32_t w, uint32_t h, uint32_t seed, bool translucentOnly) {
    aTexture* t = nullptr;
    dev.createTexture(w, h, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t);
    aLockedRect lr;
    t->lockRect(&lr, nullptr, 0);
    uint32_t s = seed * 2654435761u + 1;
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.bits) + size_t(y) * lr.pitch);
        for (uint32_t x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            uint32_t a;
            if (translucentOnly) {
                a = 1 + (s >> 24) % 254;
            } else {
                const uint32_t band = ((x / 64) + (y / 48) + seed) % 4;
                a = band == 0 ? 255 : band == 1 ? 0 : (s >> 24);
            }
            row[x] = (a << 24) | (s & 0xFFFFFFu);
        }
    }
    t->unlockRect();
    return t;
}

void runLayers(benchmark::State& state, bool translucentOnly) {
    auto dev = makeDevice();
    aDeviceSprite* sprite = nullptr;
    aDeviceSprite::create(dev.get(), &sprite);
    std::vector<aTexture*> layers;
    for (uint32_t i = 0; i < kLayers; ++i) {
        layers.push_back(makeLayer(*dev, kW, kH, i, translucentOnly));
    }
    const aVec2 at{0, 0};
    for (auto _ : state) {
        sprite->begin();
        for (aTexture* t : layers) {
            sprite->draw(t, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFFu);
        }
        sprite->end();
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kLayers * kW * kH);
    for (aTexture* t : layers) {
        t->release();
    }
    sprite->release();
}

void BM_EightBlendedLayers(benchmark::State& state) {
    runLayers(state, false);
}
BENCHMARK(BM_EightBlendedLayers)->Unit(benchmark::kMillisecond);

void BM_EightTranslucentLayers(benchmark::State& state) {
    runLayers(state, true);
}
BENCHMARK(BM_EightTranslucentLayers)->Unit(benchmark::kMillisecond);

void BM_EightLayersMemcpy(benchmark::State& state) {
    std::vector<std::vector<uint32_t>> layers(kLayers, std::vector<uint32_t>(size_t(kW) * kH, 0x80808080u));
    for (uint32_t i = 0; i < kLayers; ++i) {
        for (size_t k = 0; k < layers[i].size(); ++k) {
            layers[i][k] = uint32_t(k * 2654435761u + i);
        }
    }
    std::vector<uint32_t> target(size_t(kW) * kH);
    for (auto _ : state) {
        for (const auto& layer : layers) {
            std::memcpy(target.data(), layer.data(), layer.size() * 4);
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(target[12345]);
    }
    state.SetItemsProcessed(state.iterations() * kLayers * kW * kH);
}
BENCHMARK(BM_EightLayersMemcpy)->Unit(benchmark::kMillisecond);

void BM_RotatedScaledSprites(benchmark::State& state) {
    auto dev = makeDevice();
    aDeviceSprite* sprite = nullptr;
    aDeviceSprite::create(dev.get(), &sprite);
    aTexture* t = makeLayer(*dev, 64, 64, 3, false);
    for (auto _ : state) {
        sprite->begin();
        for (int i = 0; i < 200; ++i) {
            const float scale = 0.5f + float(i % 7) * 0.25f; // 0.5 .. 2.0
            const aVec2 s{scale, scale}, centre{32 * scale, 32 * scale};
            const aVec2 at{float((i * 97) % 960), float((i * 61) % 700)};
            sprite->draw(t, nullptr, &s, &centre, float(i) * 0.37f, &at, 0xFFFFFFFFu);
        }
        sprite->end();
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
    }
    t->release();
    sprite->release();
}
BENCHMARK(BM_RotatedScaledSprites)->Unit(benchmark::kMillisecond);

} // namespace
