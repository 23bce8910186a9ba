// The rasterizer's fast paths against its plain reference paths: each scene
// is drawn twice, once as usual and once with the device set to the reference
// rasterizer, at every vector level the processor has, and the two pictures
// must agree in every pixel.

#include "mirel/platform/graphics/a_devicesprite.h"
#include "mirel/platform/graphics/a_raster.h"
#include "support/log_capture.h"
#include "support/simd_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kFormats[] = {A_FMT_A8R8G8B8, A_FMT_X8R8G8B8, A_FMT_R5G6B5, A_FMT_A1R5G5B5, A_FMT_A4R4G4B4};

// Random texels with the alpha kinds that take different kernel branches:
// opaque and clear runs beside translucent ones.
aTexture* randomTexture(aDevice& dev, uint32_t w, uint32_t h, int format, std::mt19937& rng) {
    aTexture* t = nullptr;
    EXPECT_EQ(dev.createTexture(w, h, 1, 0, format, A_POOL_MANAGED, &t), A_OK);
    aLockedRect lr;
    EXPECT_EQ(t->lockRect(&lr, nullptr, 0), A_OK);
    const int bytes = a_formatBytes(format);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t v = rng();
            const uint32_t kind = (x / 5 + y / 3) % 3;
            if (format == A_FMT_A8R8G8B8) {
                v = kind == 0 ? v | 0xFF000000u : kind == 1 ? v & 0x00FFFFFFu : v;
            }
            std::memcpy(static_cast<uint8_t*>(lr.bits) + size_t(y) * lr.pitch + size_t(x) * bytes, &v,
                        size_t(bytes));
        }
    }
    EXPECT_EQ(t->unlockRect(), A_OK);
    return t;
}

struct Picture {
    std::unique_ptr<aDevice> dev;
    aDeviceSprite* sprite = nullptr;
    Picture(uint32_t w, uint32_t h, bool reference) {
        aPresentParams pp;
        pp.backBufferWidth = w;
        pp.backBufferHeight = h;
        EXPECT_EQ(aDevice::create(pp, nullptr, &dev), A_OK);
        EXPECT_EQ(aDeviceSprite::create(dev.get(), &sprite), A_OK);
        dev->setReferenceRaster(reference);
        dev->setVertexShader(A_FVF_TLVERTEX);
        // A background that every blend reads.
        for (uint32_t i = 0; i < w * h; ++i) {
            dev->backBuffer()[i] = 0xFF000000u | (i * 0x2F1D3Bu & 0xFFFFFFu);
        }
    }
    ~Picture() { sprite->release(); }
    std::vector<uint32_t> pixels() const {
        return std::vector<uint32_t>(dev->backBuffer(), dev->backBuffer() + dev->width() * dev->height());
    }
};

// Draws the scene with and without the reference rasterizer at every level
// and expects the same pixels.
void expectSameAsReference(uint32_t w, uint32_t h, const std::function<void(aDevice&, aDeviceSprite&)>& draw,
                           const std::string& what) {
    SimdLevels levels;
    Picture reference(w, h, true);
    draw(*reference.dev, *reference.sprite);
    const std::vector<uint32_t> want = reference.pixels();
    for (int level : levels.all()) {
        a_setRasterSimdLevel(level);
        Picture fast(w, h, false);
        draw(*fast.dev, *fast.sprite);
        const std::vector<uint32_t> got = fast.pixels();
        for (size_t i = 0; i < want.size(); ++i) {
            ASSERT_EQ(got[i], want[i]) << what << " level " << level << " pixel " << i % w << "," << i / w;
        }
    }
}

void setStates(aDevice& dev, uint32_t filter, int srcBlend, int dstBlend, bool blend) {
    dev.setRenderState(A_RS_ALPHABLENDENABLE, blend ? 1 : 0);
    dev.setRenderState(A_RS_SRCBLEND, uint32_t(srcBlend));
    dev.setRenderState(A_RS_DESTBLEND, uint32_t(dstBlend));
    dev.setTextureStageState(0, A_TSS_MAGFILTER, filter);
    dev.setTextureStageState(0, A_TSS_MINFILTER, filter);
}

TEST(RasterFastPaths, SpritesShiftedScaledStretchedAndTurnedMatchTheReference) {
    struct Transform {
        const char* name;
        float sx, sy, angle, x, y;
        uint32_t texW, texH;
    } transforms[] = {
        {"whole pixels", 1, 1, 0, 3, 2, 37, 21},
        {"half a pixel across", 1, 1, 0, 2.5f, 1, 37, 21},
        {"fractions both ways", 1, 1, 0, -1.3f, 0.7f, 45, 30},
        {"a quarter down", 1, 1, 0, 4, 3.25f, 20, 20},
        {"scaled 1.01", 1.01f, 1.01f, 0, 0.2f, 0.4f, 40, 28},
        {"halved", 0.5f, 0.5f, 0, 1, 1.5f, 90, 61},
        {"doubled", 2, 2, 0, -0.5f, 0.25f, 23, 15},
        {"stretched tiny", 16.25f, 9.5f, 0, 0.3f, -0.2f, 4, 4},
        {"one texel", 40, 30, 0, 0, 0, 1, 1},
        {"mirrored", -1.5f, 0.75f, 0, 40, 2, 25, 31},
        {"uneven", 1.7f, 0.6f, 0, 3.4f, 5.1f, 19, 40},
        {"turned a little", 1, 1, 0.1f, 4, -3, 45, 32},
        {"turned and scaled", 1.6f, 0.8f, 2.2f, 30, 25, 20, 20},
        {"turned a quarter", 1.25f, 1.25f, float(M_PI / 2), 40, 0, 30, 22},
        // Texel pairs clamped in two columns (and one, by the source rectangle),
        // row windows as wide as the texture, and steps of more than a texel.
        {"turned, two texels wide", 4, 3, 0.7f, 10, 5, 2, 12},
        {"turned, nine texels wide", 1.3f, 1.3f, 2.5f, 20, 18, 9, 9},
        {"turned and shrunk", 0.6f, 0.55f, -0.9f, 10, 8, 70, 60},
    };
    const uint32_t colours[] = {0xFFFFFFFFu, 0x80FFFFFFu, 0xC080FF40u};
    std::mt19937 rng(17);
    for (const Transform& t : transforms) {
        for (int format : kFormats) {
            for (uint32_t filter : {A_TEXF_POINT, A_TEXF_LINEAR}) {
                for (uint32_t colour : colours) {
                    const uint32_t seed = rng();
                    auto draw = [&](aDevice& dev, aDeviceSprite& sprite) {
                        std::mt19937 r(seed);
                        aTexture* tex = randomTexture(dev, t.texW, t.texH, format, r);
                        setStates(dev, filter, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, true);
                        const aVec2 scale{t.sx, t.sy}, at{t.x, t.y};
                        const aVec2 centre{t.texW * t.sx / 2, t.texH * t.sy / 2};
                        sprite.draw(tex, nullptr, &scale, &centre, t.angle, &at, colour);
                        // A source rectangle and the additive blend over it.
                        const aDeviceRect src{1, 1, int32_t(t.texW), int32_t(t.texH)};
                        dev.setRenderState(A_RS_DESTBLEND, A_BLEND_ONE);
                        const aVec2 at2{t.x + 7, t.y + 5};
                        if (t.texW > 1 && t.texH > 1) {
                            sprite.draw(tex, &src, &scale, &centre, t.angle, &at2, colour);
                        }
                        tex->release();
                    };
                    expectSameAsReference(48, 40, draw,
                                          std::string(t.name) + " format " + std::to_string(format) +
                                              " filter " + std::to_string(filter) + " colour " +
                                              std::to_string(colour));
                    if (HasFatalFailure()) {
                        return;
                    }
                }
            }
        }
    }
}

TEST(RasterFastPaths, ViewportsAndBlendStatesMatchTheReference) {
    struct Blend {
        bool on;
        int src, dst;
    } blends[] = {{false, A_BLEND_ONE, A_BLEND_ZERO},
                  {true, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA},
                  {true, A_BLEND_SRCALPHA, A_BLEND_ONE},
                  {true, A_BLEND_INVSRCALPHA, A_BLEND_SRCALPHA}};
    std::mt19937 rng(5);
    for (const Blend& b : blends) {
        for (int format : kFormats) {
            const uint32_t seed = rng();
            auto draw = [&](aDevice& dev, aDeviceSprite& sprite) {
                std::mt19937 r(seed);
                aTexture* tex = randomTexture(dev, 33, 27, format, r);
                ASSERT_EQ(dev.setViewport(aViewport{3, 4, 29, 21, 0, 1}), A_OK);
                setStates(dev, A_TEXF_LINEAR, b.src, b.dst, b.on);
                const aVec2 positions[] = {{-5, -4}, {-2.5f, 10.75f}, {20.1f, -3.9f}, {9, 9}};
                const aVec2 scales[] = {{1, 1}, {1, 1}, {1.3f, 0.9f}, {0.45f, 2.2f}};
                for (int i = 0; i < 4; ++i) {
                    sprite.draw(tex, nullptr, &scales[i], nullptr, 0.0f, &positions[i], 0xFFFFFFFFu);
                }
                tex->release();
            };
            expectSameAsReference(40, 32, draw,
                                  "blend " + std::to_string(b.src) + "/" + std::to_string(b.dst) +
                                      " format " + std::to_string(format));
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(RasterFastPaths, LargeLayersMatchTheReference) {
    // Rows long enough for every vector width, drawn the ways a scene draws
    // its layers.
    struct Case {
        float sx, sy, angle, x, y;
    } cases[] = {{1, 1, 0, 0, 0},       {1, 1, 0, -0.5f, 0}, {1, 1, 0, -0.3f, -0.7f}, {1.01f, 1.01f, 0, 0, 0},
                 {0.5f, 0.5f, 0, 0, 0}, {2, 2, 0, -1, -1},   {1, 1, 0.1f, -20, -14},  {1, 1, -0.05f, -8, -5}};
    for (int format : kFormats) {
        for (const Case& c : cases) {
            auto draw = [&](aDevice& dev, aDeviceSprite& sprite) {
                std::mt19937 r{uint32_t(format)};
                aTexture* tex = randomTexture(dev, 180, 140, format, r);
                // Wide bands of opaque and of clear texels take the shortcuts
                // of whole groups.
                aLockedRect lr;
                ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
                const int bytes = a_formatBytes(format);
                for (uint32_t y = 0; y < 140; ++y) {
                    for (uint32_t x = 0; x < 180; ++x) {
                        const uint32_t band = (x / 40 + y / 35) % 4;
                        uint8_t* p = static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * bytes;
                        const uint32_t v = band == 0 ? 0xFFFFFFFFu : 0u;
                        if (band < 2) {
                            std::memcpy(p, &v, size_t(bytes));
                        }
                    }
                }
                ASSERT_EQ(tex->unlockRect(), A_OK);
                setStates(dev, A_TEXF_LINEAR, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, true);
                const aVec2 scale{c.sx, c.sy}, at{c.x, c.y}, centre{90 * c.sx, 70 * c.sy};
                sprite.draw(tex, nullptr, &scale, &centre, c.angle, &at, 0xFFFFFFFFu);
                sprite.draw(tex, nullptr, &scale, &centre, c.angle, &at, 0x80FFFFFFu);
                tex->release();
            };
            expectSameAsReference(160, 120, draw,
                                  "format " + std::to_string(format) + " scale " + std::to_string(c.sx) +
                                      " angle " + std::to_string(c.angle) + " at " + std::to_string(c.x));
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(RasterFastPaths, MirelSimdLowersTheLevelAndLogsWhatItCannotUse) {
    struct Case {
        const char* asked;
        int best, level;
        const char* line; // the log line, or none
    } cases[] = {
        {nullptr, 3, 3, nullptr},
        {"sse2", 3, 1, nullptr},
        {"avx2", 3, 2, nullptr},
        {"avx512", 3, 3, nullptr},
        {"avx2", 2, 2, nullptr},
        {"avx512", 2, 2,
         "aRaster. The processor lacks the vector level 'avx512' of MIREL_SIMD; avx2 is used"},
        {"avx2", 1, 1, "aRaster. The processor lacks the vector level 'avx2' of MIREL_SIMD; sse2 is used"},
        {"AVX2", 3, 3,
         "aRaster. Unknown vector level 'AVX2' in MIREL_SIMD (sse2, avx2, avx512); avx512 is used"},
        {"", 2, 2, "aRaster. Unknown vector level '' in MIREL_SIMD (sse2, avx2, avx512); avx2 is used"},
        {"plain", 2, 2,
         "aRaster. Unknown vector level 'plain' in MIREL_SIMD (sse2, avx2, avx512); avx2 is used"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(a_pickSimdLevel(c.asked, c.best), c.level)
            << (c.asked ? c.asked : "(unset)") << " on " << c.best;
        if (c.line) {
            EXPECT_EQ(log.lines, std::vector<std::string>{c.line});
        } else {
            EXPECT_TRUE(log.lines.empty()) << log.lines.front();
        }
    }
}

TEST(RasterFastPaths, RowConversionMatchesThePlainFormula) {
    SimdLevels levels;
    std::mt19937 rng(3);
    for (int format : kFormats) {
        for (int n : {1, 3, 7, 8, 9, 16, 33, 100}) {
            std::vector<uint8_t> row(size_t(n) * 4);
            for (auto& b : row) {
                b = uint8_t(rng());
            }
            std::vector<uint32_t> want(static_cast<size_t>(n));
            a_convertRowReference(want.data(), row.data(), format, n);
            for (int level : levels.all()) {
                a_setRasterSimdLevel(level);
                std::vector<uint32_t> got(static_cast<size_t>(n));
                a_convertRow(got.data(), row.data(), format, n);
                ASSERT_EQ(got, want) << "format " << format << " n " << n << " level " << level;
            }
        }
    }
}

} // namespace

namespace {

aVertex corner(float x, float y, uint32_t c, float u, float v) {
    return aVertex{x, y, 0.0f, 1.0f, c, u, v};
}

TEST(RasterFastPaths, TrianglesMatchTheReference) {
    // Particle-like turned quads of a few pixels, large and thin triangles,
    // flat and shaded, textured or not, clipped by the viewport.
    std::mt19937 rng(23);
    std::uniform_real_distribution<float> pos(-6.0f, 54.0f), unit(0.0f, 1.0f), angle(0.0f, 6.3f);
    for (int format : kFormats) {
        for (uint32_t filter : {A_TEXF_POINT, A_TEXF_LINEAR}) {
            for (bool textured : {false, true}) {
                const uint32_t seed = rng();
                auto draw = [&](aDevice& dev, aDeviceSprite&) {
                    std::mt19937 r(seed);
                    aTexture* tex = randomTexture(dev, 8, 8, format, r);
                    setStates(dev, filter, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, true);
                    dev.setTexture(0, textured ? tex : nullptr);
                    ASSERT_EQ(dev.setViewport(aViewport{2, 1, 44, 36, 0, 1}), A_OK);
                    std::vector<aVertex> quads;
                    for (int i = 0; i < 60; ++i) {
                        const float cx = pos(r), cy = pos(r), size = 1.0f + 9.0f * unit(r), a = angle(r);
                        const float c = std::cos(a) * size / 2, s = std::sin(a) * size / 2;
                        const uint32_t colour = r() | 0x10000000u;
                        const aVertex p0 = corner(cx - c + s, cy - s - c, colour, 0, 0);
                        const aVertex p1 = corner(cx + c + s, cy + s - c, colour, 1, 0);
                        const aVertex p2 = corner(cx - c - s, cy - s + c, colour, 0, 1);
                        const aVertex p3 = corner(cx + c - s, cy + s + c, colour, 1, 1);
                        quads.insert(quads.end(), {p0, p1, p2, p1, p3, p2});
                    }
                    ASSERT_EQ(dev.drawPrimitiveUP(A_PT_TRIANGLELIST, uint32_t(quads.size() / 3), quads.data(),
                                                  sizeof(aVertex)),
                              A_OK);
                    // Shaded triangles of any shape, some far outside.
                    dev.setRenderState(A_RS_DESTBLEND, A_BLEND_ONE);
                    std::vector<aVertex> tris;
                    for (int i = 0; i < 30; ++i) {
                        const float scale = i % 10 == 0 ? 900.0f : 1.0f;
                        for (int k = 0; k < 3; ++k) {
                            tris.push_back(corner(pos(r) * scale, pos(r), r(), unit(r) * 2 - 0.5f, unit(r)));
                        }
                    }
                    // Corners on half pixels: pixel centres fall exactly on edges.
                    for (int i = 0; i < 30; ++i) {
                        tris.push_back(
                            corner(float(r() % 100) / 2, float(r() % 80) / 2, r(), unit(r), unit(r)));
                    }
                    ASSERT_EQ(dev.drawPrimitiveUP(A_PT_TRIANGLELIST, 40, tris.data(), sizeof(aVertex)), A_OK);
                    dev.setTexture(0, nullptr);
                    tex->release();
                };
                expectSameAsReference(48, 40, draw,
                                      "format " + std::to_string(format) + " filter " +
                                          std::to_string(filter) + (textured ? " textured" : " untextured"));
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

} // namespace

TEST(RasterFastPaths, TurnedRingsOverClearTexelsMatchTheReference) {
    // A ring of texels in a square of clear ones, as a ring puzzle draws its
    // pictures: the clear texels carry colour that must never show, and a
    // texel painted into the hole after a first draw must.
    struct Blend {
        int src, dst;
    } blends[] = {{A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA},
                  {A_BLEND_SRCALPHA, A_BLEND_ONE},
                  {A_BLEND_INVSRCALPHA, A_BLEND_SRCALPHA}};
    const float angles[] = {0.3f, 2.0f, -1.1f, float(M_PI)};
    std::mt19937 rng(29);
    for (const Blend& b : blends) {
        for (uint32_t filter : {A_TEXF_POINT, A_TEXF_LINEAR}) {
            for (uint32_t colour : {0xFFFFFFFFu, 0xFFA0A0A0u, 0x90FFC080u}) {
                const uint32_t seed = rng();
                auto draw = [&](aDevice& dev, aDeviceSprite& sprite) {
                    std::mt19937 r(seed);
                    aTexture* tex = randomTexture(dev, 150, 150, A_FMT_A8R8G8B8, r);
                    aLockedRect lr;
                    ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
                    for (int y = 0; y < 150; ++y) {
                        auto* row =
                            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.bits) + y * lr.pitch);
                        for (int x = 0; x < 150; ++x) {
                            const int d2 = (x - 75) * (x - 75) + (y - 75) * (y - 75);
                            if (d2 < 40 * 40 || d2 > 70 * 70) {
                                row[x] &= 0x00FFFFFFu;
                            }
                        }
                    }
                    ASSERT_EQ(tex->unlockRect(), A_OK);
                    setStates(dev, filter, b.src, b.dst, true);
                    const aVec2 scale{1, 1}, centre{75, 75}, at{85, 80};
                    const aDeviceRect part{10, 20, 140, 150};
                    for (float angle : angles) {
                        sprite.draw(tex, nullptr, &scale, &centre, angle, &at, colour);
                    }
                    sprite.draw(tex, &part, &scale, &centre, 0.7f, &at, colour);
                    // A spot in the hole and one in a corner, then turned again.
                    ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
                    for (int y = 70; y < 80; ++y) {
                        auto* row =
                            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.bits) + y * lr.pitch);
                        row[72] = row[3] = 0xC0F02010u;
                    }
                    ASSERT_EQ(tex->unlockRect(), A_OK);
                    const aVec2 half{0.75f, 0.75f};
                    sprite.draw(tex, nullptr, &scale, &centre, 1.3f, &at, colour);
                    sprite.draw(tex, nullptr, &half, &centre, -0.4f, &at, colour);
                    tex->release();
                };
                expectSameAsReference(170, 160, draw,
                                      "blend " + std::to_string(b.src) + "/" + std::to_string(b.dst) +
                                          " filter " + std::to_string(filter) + " colour " +
                                          std::to_string(colour));
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

TEST(RasterFastPaths, ClearsThatWaitForTheFirstDrawMatchTheReference) {
    // The reference clears at once; the fast device leaves each row's fill to
    // the first draw over it, and drops the part an opaque draw covers. Rows
    // a draw covers in part, opaque and translucent pictures, a tint, the
    // adding blend, triangles, a second clear while rows still wait, and a
    // read and a present between draws must all see the same pixels.
    enum Texels { Opaque, OneClear, Translucent };
    struct Layer {
        int format;
        Texels texels;
        uint32_t colour;
        float sx, sy, angle, x, y;
    } layers[] = {
        {A_FMT_X8R8G8B8, Opaque, 0xFFFFFFFFu, 1, 1, 0, 5, 3},           // a copy over the middle of rows
        {A_FMT_A8R8G8B8, Translucent, 0xFFFFFFFFu, 1, 1, 0, 25, 2},     // over both parts of those rows
        {A_FMT_A8R8G8B8, Opaque, 0xFFC0C0C0u, 1, 1, 0, -3, 10},         // opaque texels, a grey tint
        {A_FMT_A8R8G8B8, OneClear, 0xFFFFFFFFu, 1, 1, 0, 12, 16},       // one clear texel: not opaque
        {A_FMT_R5G6B5, Opaque, 0x80FFFFFFu, 1, 1, 0, 0, 20},            // a translucent tint
        {A_FMT_A8R8G8B8, Opaque, 0xFFFFFFFFu, 1, 1.7f, 0, 0, 14},       // stretched down the rows
        {A_FMT_X8R8G8B8, Opaque, 0xFFFFFFFFu, 1.2f, 1.2f, 0.4f, 8, 24}, // turned
        {A_FMT_A8R8G8B8, Translucent, 0xFFFFFFFFu, 1, 1, 0, -20, 26},   // over rows the turned one covered
    };
    for (int blend = 0; blend < 2; ++blend) {
        auto draw = [&](aDevice& dev, aDeviceSprite& sprite) {
            setStates(dev, A_TEXF_LINEAR, A_BLEND_SRCALPHA, blend ? A_BLEND_ONE : A_BLEND_INVSRCALPHA, true);
            ASSERT_EQ(dev.setViewport(aViewport{2, 1, 40, 34, 0, 1}), A_OK);
            ASSERT_EQ(dev.clear(A_CLEAR_TARGET, 0xFF203040u), A_OK);
            std::mt19937 r(7);
            int i = 0;
            for (const Layer& l : layers) {
                aTexture* tex = nullptr;
                ASSERT_EQ(dev.createTexture(30, 12, 1, 0, l.format, A_POOL_MANAGED, &tex), A_OK);
                aLockedRect lr;
                ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
                const int bytes = a_formatBytes(l.format);
                for (int y = 0; y < 12; ++y) {
                    for (int x = 0; x < 30; ++x) {
                        const uint32_t v = l.texels == Translucent                    ? r()
                                           : l.texels == OneClear && x == 7 && y == 5 ? 0u
                                                                                      : r() | 0xFF000000u;
                        std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * bytes, &v,
                                    size_t(bytes));
                    }
                }
                ASSERT_EQ(tex->unlockRect(), A_OK);
                const aVec2 scale{l.sx, l.sy}, at{l.x, l.y}, centre{15, 6};
                sprite.draw(tex, nullptr, &scale, &centre, l.angle, &at, l.colour);
                tex->release();
                if (++i == 4) {
                    // A read while rows still wait, then a clear of part of
                    // the screen over rows that wait and rows drawn.
                    EXPECT_NE(dev.backPixel(41, 33), 0u);
                    ASSERT_EQ(dev.setViewport(aViewport{0, 16, 48, 20, 0, 1}), A_OK);
                    ASSERT_EQ(dev.clear(A_CLEAR_TARGET, 0xFF605040u), A_OK);
                    ASSERT_EQ(dev.setViewport(aViewport{0, 0, 48, 40, 0, 1}), A_OK);
                }
            }
            // An opaque picture drawn, then given a translucent texel: the
            // next draw of it over waiting rows must not take it for opaque.
            aTexture* tex = nullptr;
            ASSERT_EQ(dev.createTexture(20, 6, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &tex), A_OK);
            aLockedRect lr;
            ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
            for (int y = 0; y < 6; ++y) {
                for (int x = 0; x < 20; ++x) {
                    static_cast<uint32_t*>(lr.bits)[y * lr.pitch / 4 + x] = r() | 0xFF000000u;
                }
            }
            ASSERT_EQ(tex->unlockRect(), A_OK);
            const aVec2 left{0, 2}, right{25, 2};
            sprite.draw(tex, nullptr, nullptr, nullptr, 0.0f, &left, 0xFFFFFFFFu);
            ASSERT_EQ(tex->lockRect(&lr, nullptr, 0), A_OK);
            static_cast<uint32_t*>(lr.bits)[2 * lr.pitch / 4 + 3] = 0x40FFFFFFu;
            ASSERT_EQ(tex->unlockRect(), A_OK);
            ASSERT_EQ(dev.setViewport(aViewport{0, 0, 48, 9, 0, 1}), A_OK);
            ASSERT_EQ(dev.clear(A_CLEAR_TARGET, 0xFF0000FFu), A_OK);
            ASSERT_EQ(dev.setViewport(aViewport{0, 0, 48, 40, 0, 1}), A_OK);
            sprite.draw(tex, nullptr, nullptr, nullptr, 0.0f, &right, 0xFFFFFFFFu);
            tex->release();
            const aVertex tri[3] = {corner(1, 30, 0x80FF0000u, 0, 0), corner(40, 32, 0x80FF0000u, 0, 0),
                                    corner(20, 39, 0x80FF0000u, 0, 0)};
            dev.setTexture(0, nullptr);
            ASSERT_EQ(dev.setViewport(aViewport{10, 28, 30, 12, 0, 1}), A_OK);
            ASSERT_EQ(dev.clear(A_CLEAR_TARGET, 0xFF101010u), A_OK);
            ASSERT_EQ(dev.setViewport(aViewport{0, 0, 48, 40, 0, 1}), A_OK);
            ASSERT_EQ(dev.drawPrimitiveUP(A_PT_TRIANGLELIST, 1, tri, sizeof(aVertex)), A_OK);
        };
        expectSameAsReference(48, 40, draw, blend ? "adding" : "normal");
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(RasterFastPaths, APresentShowsTheClearThatWaits) {
    aPresentParams pp;
    pp.backBufferWidth = 16;
    pp.backBufferHeight = 8;
    std::unique_ptr<aDevice> dev;
    ASSERT_EQ(aDevice::create(pp, nullptr, &dev), A_OK);
    ASSERT_EQ(dev->clear(A_CLEAR_TARGET, 0x00336699u), A_OK);
    ASSERT_EQ(dev->present(), A_OK);
    EXPECT_EQ(dev->frontBuffer(), std::vector<uint32_t>(16 * 8, 0xFF336699u));
}
