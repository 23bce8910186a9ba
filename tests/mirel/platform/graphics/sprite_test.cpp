// Pixel tests of the sprite drawer: exact texel mapping, rotation direction,
// scaling, modulation, clipping and blend states.

#include "mirel/platform/graphics/a_devicesprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Fixture {
    std::unique_ptr<aDevice> dev;
    aDeviceSprite* sprite = nullptr;
    explicit Fixture(uint32_t w = 32, uint32_t h = 32) {
        aPresentParams pp;
        pp.backBufferWidth = w;
        pp.backBufferHeight = h;
        EXPECT_EQ(aDevice::create(pp, nullptr, &dev), A_OK);
        EXPECT_EQ(aDeviceSprite::create(dev.get(), &sprite), A_OK);
        dev->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
        dev->setRenderState(A_RS_DESTBLEND, A_BLEND_INVSRCALPHA);
        dev->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_LINEAR);
        dev->setTextureStageState(0, A_TSS_MINFILTER, A_TEXF_LINEAR);
        EXPECT_EQ(sprite->begin(), A_OK);
    }
    ~Fixture() {
        sprite->end();
        sprite->release();
    }
    aTexture* texture(uint32_t w, uint32_t h, const std::vector<uint32_t>& px, int format = A_FMT_A8R8G8B8) {
        aTexture* t = nullptr;
        EXPECT_EQ(dev->createTexture(w, h, 1, 0, format, A_POOL_MANAGED, &t), A_OK);
        aLockedRect lr;
        EXPECT_EQ(t->lockRect(&lr, nullptr, 0), A_OK);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) {
                std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * a_formatBytes(format),
                            &px[y * w + x], size_t(a_formatBytes(format)));
            }
        }
        t->unlockRect();
        return t;
    }
};

// A texture whose every texel is distinct and opaque.
std::vector<uint32_t> pattern(uint32_t w, uint32_t h) {
    std::vector<uint32_t> px(w * h);
    for (uint32_t i = 0; i < w * h; ++i) {
        px[i] = 0xFF000000u | (i * 0x9E3779u & 0xFFFFFFu);
    }
    return px;
}

TEST(Sprite, UnscaledSpriteMapsTexelsExactlyWithEitherFilter) {
    for (uint32_t filter : {A_TEXF_POINT, A_TEXF_LINEAR}) {
        Fixture f;
        f.dev->setTextureStageState(0, A_TSS_MAGFILTER, filter);
        const auto px = pattern(7, 5);
        aTexture* t = f.texture(7, 5, px);
        const aVec2 at{10, 12};
        ASSERT_EQ(f.sprite->draw(t, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFFu), A_OK);
        // A source rectangle picks its texels; rotating about a centre by 0 moves nothing.
        const aDeviceRect src{2, 1, 5, 4};
        const aVec2 at2{1, 1}, centre{1.5f, 1.5f}, one{1, 1};
        ASSERT_EQ(f.sprite->draw(t, &src, &one, &centre, 0.0f, &at2, 0xFFFFFFFFu), A_OK);
        for (uint32_t y = 0; y < 32; ++y) {
            for (uint32_t x = 0; x < 32; ++x) {
                uint32_t want = 0xFF000000u;
                if (x >= 10 && x < 17 && y >= 12 && y < 17) {
                    want = px[(y - 12) * 7 + (x - 10)];
                } else if (x >= 1 && x < 4 && y >= 1 && y < 4) {
                    want = px[(y - 1 + 1) * 7 + (x - 1 + 2)];
                }
                ASSERT_EQ(f.dev->backPixel(x, y), want) << "filter " << filter << " at " << x << "," << y;
            }
        }
        t->release();
    }
}

TEST(Sprite, PositiveRotationTurnsCounterClockwiseOnScreen) {
    // A bar of 8 texels, red at its right end, turned about the centre of its
    // left texel: a quarter turn points it up, a negative one down.
    struct Case {
        float angle;
        int tipX, tipY;
    } cases[] = {
        {float(M_PI / 2), 20, 13},
        {float(-M_PI / 2), 20, 27},
        {float(M_PI), 13, 20},
        {0.0f, 27, 20},
    };
    std::vector<uint32_t> bar(8, 0xFF00FF00u);
    bar[7] = 0xFFFF0000u;
    for (const Case& c : cases) {
        Fixture f;
        f.dev->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_POINT);
        aTexture* t = f.texture(8, 1, bar);
        const aVec2 centre{0.5f, 0.5f}, at{20, 20};
        ASSERT_EQ(f.sprite->draw(t, nullptr, nullptr, &centre, c.angle, &at, 0xFFFFFFFFu), A_OK);
        EXPECT_EQ(f.dev->backPixel(20, 20), 0xFF00FF00u) << c.angle;
        EXPECT_EQ(f.dev->backPixel(c.tipX, c.tipY), 0xFFFF0000u) << c.angle;
        // Exactly eight pixels: no gaps, no extra coverage.
        int painted = 0;
        for (uint32_t i = 0; i < 32 * 32; ++i) {
            painted += f.dev->backBuffer()[i] != 0xFF000000u;
        }
        EXPECT_EQ(painted, 8) << c.angle;
        t->release();
    }
}

TEST(Sprite, ScalingAndMirroring) {
    Fixture f;
    f.dev->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_POINT);
    const std::vector<uint32_t> px = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    aTexture* t = f.texture(2, 2, px);
    const aVec2 twice{2, 3}, at{4, 4};
    ASSERT_EQ(f.sprite->draw(t, nullptr, &twice, nullptr, 0.0f, &at, 0xFFFFFFFFu), A_OK);
    // Mirrored: a scale of -1 across x about the sprite's middle.
    const aVec2 mirror{-1, 1}, centre{-1, 1}, at2{20, 20};
    ASSERT_EQ(f.sprite->draw(t, nullptr, &mirror, &centre, 0.0f, &at2, 0xFFFFFFFFu), A_OK);
    for (uint32_t y = 0; y < 32; ++y) {
        for (uint32_t x = 0; x < 32; ++x) {
            uint32_t want = 0xFF000000u;
            if (x >= 4 && x < 8 && y >= 4 && y < 10) {
                want = px[((y - 4) / 3) * 2 + (x - 4) / 2];
            } else if (x >= 18 && x < 20 && y >= 20 && y < 22) {
                want = px[(y - 20) * 2 + (19 - x)];
            }
            ASSERT_EQ(f.dev->backPixel(x, y), want) << x << "," << y;
        }
    }
    t->release();
}

TEST(Sprite, LinearFilterBlendsNeighbourTexelsWhenEnlarged) {
    Fixture f(8, 1);
    f.dev->setRenderState(A_RS_ALPHABLENDENABLE, 0);
    aTexture* t = f.texture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    const aVec2 scale{4, 1};
    ASSERT_EQ(f.sprite->draw(t, nullptr, &scale, nullptr, 0.0f, nullptr, 0xFFFFFFFFu), A_OK);
    // Texel positions 0.125, 0.375, ... 1.875: clamped at the ends, ramp between.
    const uint32_t want[8] = {0x00, 0x00, 0x20, 0x60, 0x9F, 0xDF, 0xFF, 0xFF};
    for (uint32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(f.dev->backPixel(x, 0) & 255, want[x]) << x;
    }
    t->release();
}

TEST(Sprite, TransformedDrawsAgreeAcrossFormats) {
    // The same picture in 32 and 16 bits (channels that 4 bits hold exactly)
    // must give the same pixels when turned, scaled and filtered.
    const uint32_t w = 9, h = 7;
    std::vector<uint32_t> wide(w * h), narrow(w * h);
    for (uint32_t i = 0; i < w * h; ++i) {
        const uint32_t a = (i * 7) % 16, r = (i * 5 + 3) % 16, g = (i * 11) % 16, b = (i * 13 + 1) % 16;
        narrow[i] = (a << 12) | (r << 8) | (g << 4) | b;
        wide[i] = (a * 17 << 24) | (r * 17 << 16) | (g * 17 << 8) | b * 17;
    }
    struct Case {
        float scale, angle;
        uint32_t filter;
    } cases[] = {{2.5f, 0.4f, A_TEXF_LINEAR},
                 {0.7f, -1.1f, A_TEXF_LINEAR},
                 {1.0f, 0.0001f, A_TEXF_LINEAR},
                 {1.8f, 2.0f, A_TEXF_POINT}};
    for (const Case& c : cases) {
        std::vector<uint32_t> results[2];
        for (int k = 0; k < 2; ++k) {
            Fixture f;
            f.dev->setTextureStageState(0, A_TSS_MAGFILTER, c.filter);
            f.dev->setTextureStageState(0, A_TSS_MINFILTER, c.filter);
            aTexture* t = k == 0 ? f.texture(w, h, wide) : f.texture(w, h, narrow, A_FMT_A4R4G4B4);
            const aVec2 s{c.scale, c.scale}, centre{4.5f * c.scale, 3.5f * c.scale}, at{10.3f, 9.6f};
            ASSERT_EQ(f.sprite->draw(t, nullptr, &s, &centre, c.angle, &at, 0xFFFFFFFFu), A_OK);
            results[k].assign(f.dev->backBuffer(), f.dev->backBuffer() + 32 * 32);
            t->release();
        }
        EXPECT_EQ(results[0], results[1]) << c.scale << " " << c.angle;
        EXPECT_NE(results[0], std::vector<uint32_t>(32 * 32, 0xFF000000u));
    }
}

TEST(Sprite, ColourModulationBlendModesAndFormats) {
    struct Case {
        int format;
        uint32_t texel, colour, background;
        int destBlend;
        uint32_t expected;
    } cases[] = {
        // Texel x colour, then blended by the modulated alpha.
        {A_FMT_A8R8G8B8, 0xFFC08040u, 0x80FF8000u, 0xFF000000u, A_BLEND_INVSRCALPHA, 0xFF602000u},
        {A_FMT_A8R8G8B8, 0xFFFFFFFFu, 0xFF336699u, 0xFF000000u, A_BLEND_INVSRCALPHA, 0xFF336699u},
        {A_FMT_A8R8G8B8, 0x80FFFFFFu, 0xFFFFFFFFu, 0xFF0000FFu, A_BLEND_ONE, 0xFF8080FFu},
        {A_FMT_A4R4G4B4, 0x8F00u, 0xFFFFFFFFu, 0xFF0000FFu, A_BLEND_INVSRCALPHA, 0xFF880077u},
        {A_FMT_A1R5G5B5, 0x7FFFu, 0xFFFFFFFFu, 0xFF123456u, A_BLEND_INVSRCALPHA, 0xFF123456u},
        {A_FMT_R5G6B5, 0x001Fu, 0x80FFFFFFu, 0xFFFF0000u, A_BLEND_INVSRCALPHA, 0xFF7F0080u},
    };
    for (const Case& c : cases) {
        Fixture f(4, 4);
        f.dev->clear(A_CLEAR_TARGET, c.background);
        f.dev->setRenderState(A_RS_DESTBLEND, uint32_t(c.destBlend));
        aTexture* t = f.texture(4, 4, std::vector<uint32_t>(16, c.texel), c.format);
        ASSERT_EQ(f.sprite->draw(t, nullptr, nullptr, nullptr, 0.0f, nullptr, c.colour), A_OK);
        for (uint32_t i = 0; i < 16; ++i) {
            ASSERT_EQ(f.dev->backBuffer()[i], c.expected)
                << "format " << c.format << " texel " << std::hex << c.texel;
        }
        t->release();
    }
}

TEST(Sprite, ClippedByTheViewportAndDrawnInCallOrder) {
    Fixture f(16, 16);
    aTexture* red = f.texture(8, 8, std::vector<uint32_t>(64, 0xFFFF0000u));
    aTexture* green = f.texture(8, 8, std::vector<uint32_t>(64, 0xFF00FF00u));
    ASSERT_EQ(f.dev->setViewport(aViewport{2, 2, 10, 10, 0, 1}), A_OK);
    const aVec2 a{-4, -4}, b{0, 0}, scale{1.5f, 1.5f};
    f.sprite->draw(red, nullptr, nullptr, nullptr, 0.0f, &b, 0xFFFFFFFFu);
    f.sprite->draw(green, nullptr, &scale, nullptr, 0.3f, &a, 0xFFFFFFFFu);
    f.sprite->draw(red, nullptr, nullptr, nullptr, 0.0f, &b, 0x00FFFFFFu); // fully transparent: nothing
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            if (x < 2 || y < 2 || x >= 12 || y >= 12) {
                ASSERT_EQ(f.dev->backPixel(x, y), 0xFF000000u) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(f.dev->backPixel(2, 2), 0xFF00FF00u); // the later sprite is on top
    EXPECT_EQ(f.dev->backPixel(7, 7), 0xFFFF0000u);
    red->release();
    green->release();
}

TEST(Sprite, QuadsFarOffTheScreenDrawNothing) {
    // Corners beyond any integer on every side, scaled (the transformed path)
    // and at fractional positions.
    Fixture f(8, 8);
    aTexture* t = f.texture(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu));
    const aVec2 scale{2.0f, 2.0f};
    for (float x : {-3e38f, 3e38f, 0.5f}) {
        for (float y : {-3e38f, 3e38f, 0.5f}) {
            if (x == 0.5f && y == 0.5f)
                continue;
            const aVec2 at{x, y};
            EXPECT_EQ(f.sprite->draw(t, nullptr, &scale, nullptr, 0.0f, &at, 0xFFFFFFFFu), A_OK)
                << x << "," << y;
            EXPECT_EQ(f.sprite->draw(t, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFFu), A_OK)
                << x << "," << y;
        }
    }
    for (uint32_t i = 0; i < 64; ++i) {
        ASSERT_EQ(f.dev->backBuffer()[i], 0xFF000000u);
    }
    t->release();
}

TEST(Sprite, RefusesBadArgumentsAndInjectedFaults) {
    Fixture f(8, 8);
    aTexture* t = f.texture(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu));
    const aDeviceRect outside{2, 2, 5, 4}, empty{1, 1, 1, 3};
    EXPECT_EQ(f.sprite->draw(nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0xFFFFFFFFu), A_ERR_INVALIDCALL);
    EXPECT_EQ(f.sprite->draw(t, &outside, nullptr, nullptr, 0, nullptr, 0xFFFFFFFFu), A_ERR_INVALIDCALL);
    EXPECT_EQ(f.sprite->draw(t, &empty, nullptr, nullptr, 0, nullptr, 0xFFFFFFFFu), A_ERR_INVALIDCALL);
    const aVec2 zero{0, 0}, nan{NAN, 0};
    EXPECT_EQ(f.sprite->draw(t, nullptr, &zero, nullptr, 0, nullptr, 0xFFFFFFFFu), A_OK); // nothing to cover
    EXPECT_EQ(f.sprite->draw(t, nullptr, nullptr, nullptr, 0, &nan, 0xFFFFFFFFu), A_ERR_INVALIDCALL);
    for (uint32_t i = 0; i < 64; ++i) {
        ASSERT_EQ(f.dev->backBuffer()[i], 0xFF000000u);
    }
    EXPECT_EQ(f.sprite->begin(), A_ERR_INVALIDCALL); // already begun
    f.dev->setFault(aDeviceCall::SpriteDraw, A_ERR_DEVICELOST);
    EXPECT_EQ(f.sprite->draw(t, nullptr, nullptr, nullptr, 0, nullptr, 0xFFFFFFFFu), A_ERR_DEVICELOST);
    f.dev->setFault(aDeviceCall::SpriteDraw, A_OK);
    f.dev->setFault(aDeviceCall::SpriteEnd, A_ERR_INVALIDCALL);
    EXPECT_EQ(f.sprite->end(), A_ERR_INVALIDCALL);
    f.dev->setFault(aDeviceCall::SpriteEnd, A_OK);
    f.dev->setFault(aDeviceCall::CreateSprite, A_ERR_OUTOFVIDEOMEMORY);
    aDeviceSprite* other = nullptr;
    EXPECT_EQ(aDeviceSprite::create(f.dev.get(), &other), A_ERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(other, nullptr);
    t->release();
}

} // namespace
