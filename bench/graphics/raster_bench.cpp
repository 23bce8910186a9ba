// Rasterizer speed: full-screen alpha-blended layers (the common frame of a
// scene), the same layers copied with memcpy for comparison, one full-screen
// layer drawn each way a scene draws it, a full-screen layer turned or
// scaled a little against the same layer drawn 1:1 at each vector level, and
// a frame of rotated and scaled small sprites.
//
// Content comes in two kinds: "mixed" (bands of opaque, clear and translucent
// texels as in painted scenery, where whole blocks take shortcuts) and
// "translucent" (every texel translucent: the honest worst case).

#include "mirel/platform/graphics/a_devicesprite.h"
#include "mirel/platform/graphics/a_raster.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
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

// The picture of a layer as 0xAARRGGBB: with translucentOnly every alpha lies
// in 1..254, otherwise opaque, clear and translucent bands alternate.
std::vector<uint32_t> layerPixels(uint32_t w, uint32_t h, uint32_t seed, bool translucentOnly) {
    std::vector<uint32_t> px(size_t(w) * h);
    uint32_t s = seed * 2654435761u + 1;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            uint32_t a;
            if (translucentOnly) {
                a = 1 + (s >> 24) % 254;
            } else {
                const uint32_t band = ((x / 64) + (y / 48) + seed) % 4;
                a = band == 0 ? 255 : band == 1 ? 0 : (s >> 24);
            }
            px[size_t(y) * w + x] = (a << 24) | (s & 0xFFFFFFu);
        }
    }
    return px;
}

// One stored texel of the format from an ARGB colour (16-bit formats keep the
// top bits of each channel).
uint32_t storedTexel(uint32_t argb, int format) {
    const uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
    case A_FMT_R5G6B5:
        return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case A_FMT_A1R5G5B5:
        return ((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case A_FMT_A4R4G4B4:
        return ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
    default:
        return argb;
    }
}

aTexture* makeLayer(aDevice& dev, uint32_t w, uint32_t h, uint32_t seed, bool translucentOnly,
                    int format = A_FMT_A8R8G8B8) {
    aTexture* t = nullptr;
    dev.createTexture(w, h, 1, 0, format, A_POOL_MANAGED, &t);
    aLockedRect lr;
    t->lockRect(&lr, nullptr, 0);
    const std::vector<uint32_t> px = layerPixels(w, h, seed, translucentOnly);
    const int bytes = a_formatBytes(format);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(lr.bits) + size_t(y) * lr.pitch;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = storedTexel(px[size_t(y) * w + x], format);
            std::memcpy(row + size_t(x) * bytes, &v, size_t(bytes));
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

// One layer covering the whole screen (unless said otherwise), drawn as the
// game draws its layers: from a texture of texW x texH texels, scaled, turned
// about its centre by angle and moved by (x, y), through the linear filter and
// the normal blend. Compare each with OneToOne of the same content.
struct Layer {
    int format;
    uint32_t colour;
    uint32_t texW, texH;
    float scaleX, scaleY;
    float angle;
    float x, y;
};

void BM_Layer(benchmark::State& state, Layer layer, bool translucentOnly) {
    auto dev = makeDevice();
    aDeviceSprite* sprite = nullptr;
    aDeviceSprite::create(dev.get(), &sprite);
    aTexture* t = makeLayer(*dev, layer.texW, layer.texH, 5, translucentOnly, layer.format);
    const aVec2 scale{layer.scaleX, layer.scaleY};
    const aVec2 centre{layer.texW * layer.scaleX / 2, layer.texH * layer.scaleY / 2};
    const aVec2 at{layer.x, layer.y};
    for (auto _ : state) {
        sprite->draw(t, nullptr, &scale, &centre, layer.angle, &at, layer.colour);
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
    t->release();
    sprite->release();
}

constexpr uint32_t kWhite = 0xFFFFFFFFu;
const Layer kOneToOne{A_FMT_A8R8G8B8, kWhite, kW, kH, 1, 1, 0, 0, 0};
const Layer kOpaqueX8{A_FMT_X8R8G8B8, kWhite, kW, kH, 1, 1, 0, 0, 0};
const Layer kTinted{A_FMT_A8R8G8B8, 0x80FFFFFFu, kW, kH, 1, 1, 0, 0, 0};
const Layer kR5G6B5{A_FMT_R5G6B5, kWhite, kW, kH, 1, 1, 0, 0, 0};
const Layer kA4R4G4B4{A_FMT_A4R4G4B4, kWhite, kW, kH, 1, 1, 0, 0, 0};
const Layer kA4R4G4B4Tinted{A_FMT_A4R4G4B4, 0x80FFFFFFu, kW, kH, 1, 1, 0, 0, 0};
// A sub-pixel position: half a pixel across, and a fraction both ways (a
// texel larger than the screen, so that it still covers it).
const Layer kSubPixelX{A_FMT_A8R8G8B8, kWhite, kW + 1, kH, 1, 1, 0, -0.5f, 0};
const Layer kSubPixelXY{A_FMT_A8R8G8B8, kWhite, kW + 1, kH + 1, 1, 1, 0, -0.3f, -0.7f};
// Scaled: the texture is the screen's size divided by the scale.
const Layer kScaled101{A_FMT_A8R8G8B8, kWhite, 1014, 761, 1.01f, 1.01f, 0, 0, 0};
const Layer kScaledHalf{A_FMT_A8R8G8B8, kWhite, 2 * kW, 2 * kH, 0.5f, 0.5f, 0, 0, 0};
const Layer kScaledTwice{A_FMT_A8R8G8B8, kWhite, kW / 2, kH / 2, 2, 2, 0, 0, 0};
// The screen-sized layer itself drawn at half its size (a quarter of the
// screen) and at twice its size (the screen shows a quarter of it).
const Layer kHalfSize{A_FMT_A8R8G8B8, kWhite, kW, kH, 0.5f, 0.5f, 0, 0, 0};
const Layer kDoubleSize{A_FMT_A8R8G8B8, kWhite, kW, kH, 2, 2, 0, 0, 0};
// Turned by 0.1 rad about the screen's centre: a texture a quarter larger
// still covers the screen.
const Layer kRotated{A_FMT_A8R8G8B8, kWhite, 1280, 960, 1, 1, 0.1f, -128, -96};
// The pause veil: a 4 x 4 picture stretched over the screen.
const Layer kVeil{A_FMT_A8R8G8B8, kWhite, 4, 4, kW / 4.0f, kH / 4.0f, 0, 0, 0};

#define LAYER_BENCH(name, layer)                                                                             \
    BENCHMARK_CAPTURE(BM_Layer, name##_mixed, layer, false)->Unit(benchmark::kMicrosecond);                  \
    BENCHMARK_CAPTURE(BM_Layer, name##_translucent, layer, true)->Unit(benchmark::kMicrosecond)

LAYER_BENCH(OneToOne, kOneToOne);
LAYER_BENCH(OpaqueX8R8G8B8, kOpaqueX8);
LAYER_BENCH(Tinted, kTinted);
LAYER_BENCH(R5G6B5, kR5G6B5);
LAYER_BENCH(A4R4G4B4, kA4R4G4B4);
LAYER_BENCH(A4R4G4B4Tinted, kA4R4G4B4Tinted);
LAYER_BENCH(SubPixelX, kSubPixelX);
LAYER_BENCH(SubPixelXY, kSubPixelXY);
LAYER_BENCH(Scaled1_01, kScaled101);
LAYER_BENCH(Scaled0_5, kScaledHalf);
LAYER_BENCH(Scaled2, kScaledTwice);
LAYER_BENCH(ScreenLayerAtHalfSize, kHalfSize);
LAYER_BENCH(ScreenLayerAtDoubleSize, kDoubleSize);
LAYER_BENCH(Rotated, kRotated);
LAYER_BENCH(Veil, kVeil);

// The pause veil as the game makes it: one translucent black all over.
void BM_UniformVeil(benchmark::State& state) {
    auto dev = makeDevice();
    aDeviceSprite* sprite = nullptr;
    aDeviceSprite::create(dev.get(), &sprite);
    aTexture* t = nullptr;
    dev->createTexture(4, 4, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t);
    aLockedRect lr;
    t->lockRect(&lr, nullptr, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const uint32_t v = 0x80000000u;
            std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * 4, &v, 4);
        }
    }
    t->unlockRect();
    const aVec2 scale{kW / 4.0f, kH / 4.0f};
    for (auto _ : state) {
        sprite->draw(t, nullptr, &scale, nullptr, 0.0f, nullptr, 0xFFFFFFFFu);
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
    t->release();
    sprite->release();
}
BENCHMARK(BM_UniformVeil)->Unit(benchmark::kMicrosecond);

// The processor time of this thread: a machine busy with other work slows
// the wall clock of both draws of a comparison unevenly.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The 1024 x 768 layer turned by degrees about its centre, or scaled 1.01,
// at the vector level of the argument (levels the processor lacks are
// skipped), in processor time. "x_1to1" is its time against the same layer
// drawn 1:1 at that level.
void BM_LayerAgainstOneToOne(benchmark::State& state, float degrees, float scale, bool translucentOnly) {
    const int level = int(state.range(0));
    if (level > a_rasterCpuSimdLevel()) {
        state.SkipWithError("the processor lacks this vector level");
        return;
    }
    const int before = a_rasterSimdLevel();
    a_setRasterSimdLevel(level);
    auto dev = makeDevice();
    aDeviceSprite* sprite = nullptr;
    aDeviceSprite::create(dev.get(), &sprite);
    aTexture* t = makeLayer(*dev, kW, kH, 5, translucentOnly);
    const aVec2 scaling{scale, scale}, centre{kW / 2.0f, kH / 2.0f}, at{0, 0};
    const float angle = degrees * float(M_PI) / 180.0f;
    // Each iteration draws both, so that a busy machine weighs on them alike;
    // the iteration's time is the turned or scaled draw's.
    double best = 1e30, plainBest = 1e30;
    for (auto _ : state) {
        const double start = threadSeconds();
        sprite->draw(t, nullptr, &scaling, &centre, angle, &at, 0xFFFFFFFFu);
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
        const double middle = threadSeconds();
        sprite->draw(t, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFFu);
        benchmark::DoNotOptimize(dev->backBuffer()[12345]);
        benchmark::ClobberMemory();
        const double end = threadSeconds();
        state.SetIterationTime(middle - start);
        best = std::min(best, middle - start);
        plainBest = std::min(plainBest, end - middle);
    }
    // The fastest of each: the draws the rest of the machine disturbed least.
    state.counters["x_1to1"] = best / plainBest;
    state.SetItemsProcessed(state.iterations() * kW * kH);
    t->release();
    sprite->release();
    a_setRasterSimdLevel(before);
}

#define AGAINST_ONE_TO_ONE(name, degrees, scale)                                                             \
    BENCHMARK_CAPTURE(BM_LayerAgainstOneToOne, name##_mixed, degrees, scale, false)                          \
        ->ArgName("level")                                                                                   \
        ->DenseRange(1, 3)                                                                                   \
        ->UseManualTime()                                                                                    \
        ->Unit(benchmark::kMicrosecond);                                                                     \
    BENCHMARK_CAPTURE(BM_LayerAgainstOneToOne, name##_translucent, degrees, scale, true)                     \
        ->ArgName("level")                                                                                   \
        ->DenseRange(1, 3)                                                                                   \
        ->UseManualTime()                                                                                    \
        ->Unit(benchmark::kMicrosecond)

AGAINST_ONE_TO_ONE(Turned5, 5.0f, 1.0f);
AGAINST_ONE_TO_ONE(Turned30, 30.0f, 1.0f);
AGAINST_ONE_TO_ONE(Turned45, 45.0f, 1.0f);
AGAINST_ONE_TO_ONE(Scaled1_01, 0.0f, 1.01f);

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
