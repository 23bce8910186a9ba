// Pixel tests of the software rasterizer: fill rule, primitives, blending,
// clipping, buffers, texture storage, presenting and error codes.

#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/graphics/a_raster.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace {

std::unique_ptr<aDevice> makeDevice(uint32_t w = 32, uint32_t h = 32, aPresentSink* sink = nullptr) {
    aPresentParams pp;
    pp.backBufferWidth = w;
    pp.backBufferHeight = h;
    std::unique_ptr<aDevice> dev;
    EXPECT_EQ(aDevice::create(pp, sink, &dev), A_OK);
    dev->setVertexShader(A_FVF_TLVERTEX);
    return dev;
}

aVertex vtx(float x, float y, uint32_t c = 0xFFFFFFFFu, float u = 0, float v = 0) {
    return aVertex{x, y, 0.0f, 1.0f, c, u, v};
}

// Pixels that differ from the clear colour.
int countPainted(const aDevice& dev, uint32_t background = 0xFF000000u) {
    int n = 0;
    for (uint32_t y = 0; y < dev.height(); ++y) {
        for (uint32_t x = 0; x < dev.width(); ++x) {
            n += dev.backPixel(x, y) != background;
        }
    }
    return n;
}

void drawRect(aDevice& dev, float x, float y, float w, float h, uint32_t c) {
    const aVertex v[4] = {vtx(x, y, c), vtx(x + w, y, c), vtx(x, y + h, c), vtx(x + w, y + h, c)};
    ASSERT_EQ(dev.drawPrimitiveUP(A_PT_TRIANGLESTRIP, 2, v, sizeof(aVertex)), A_OK);
}

TEST(GraphicsDevice, FilledRectanglesCoverExactlyTheirPixels) {
    struct Case {
        float x, y, w, h;
        int x0, y0, x1, y1; // covered pixels, x1/y1 exclusive
    } cases[] = {
        {5, 5, 1, 1, 5, 5, 6, 6}, // one pixel
        {2, 3, 7, 4, 2, 3, 9, 7},
        {4.5f, 4.5f, 2, 2, 5, 5, 7, 7}, // half-pixel corners: pixels 5 and 6
        {4.25f, 4.75f, 1, 1, 5, 5, 6, 6},
        {-3, -3, 5, 5, 0, 0, 2, 2}, // clipped at the buffer's edge
        {30, 30, 10, 10, 30, 30, 32, 32},
    };
    for (const Case& c : cases) {
        auto dev = makeDevice();
        drawRect(*dev, c.x, c.y, c.w, c.h, 0xFFFFFFFFu);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool in = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                ASSERT_EQ(dev->backPixel(x, y), in ? 0xFFFFFFFFu : 0xFF000000u)
                    << "rect " << c.x << "," << c.y << " " << c.w << "x" << c.h << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(GraphicsDevice, SharedEdgesAreDrawnOnce) {
    // Additive quarter-bright triangles: a pixel drawn twice would be brighter.
    auto dev = makeDevice();
    dev->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    dev->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
    dev->setRenderState(A_RS_DESTBLEND, A_BLEND_ONE);
    const uint32_t c = 0x40FFFFFFu;
    // A fan of four triangles around an off-grid centre, and a slanted strip.
    const aVertex fan[6] = {vtx(10.3f, 9.7f, c), vtx(2, 2, c),  vtx(20, 2, c),
                            vtx(20, 20, c),      vtx(2, 20, c), vtx(2, 2, c)};
    ASSERT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLEFAN, 4, fan, sizeof(aVertex)), A_OK);
    const aVertex strip[5] = {vtx(22, 3, c), vtx(31, 1, c), vtx(23.5f, 17.25f, c), vtx(30.2f, 12, c),
                              vtx(25, 30, c)};
    ASSERT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLESTRIP, 3, strip, sizeof(aVertex)), A_OK);
    int fanPixels = 0;
    for (uint32_t y = 0; y < 32; ++y) {
        for (uint32_t x = 0; x < 32; ++x) {
            const uint32_t p = dev->backPixel(x, y);
            ASSERT_TRUE(p == 0xFF000000u || p == 0xFF404040u) << x << "," << y << " " << std::hex << p;
            fanPixels += (x < 21 && p != 0xFF000000u);
        }
    }
    EXPECT_EQ(fanPixels, 18 * 18);
}

TEST(GraphicsDevice, BlendModesAndVertexColour) {
    struct Case {
        bool blend;
        int src, dst;
        uint32_t background, colour, expected;
    } cases[] = {
        {true, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, 0xFF0000FFu, 0x80FF0000u, 0xFF80007Fu},
        {true, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, 0xFF102030u, 0xFFABCDEFu, 0xFFABCDEFu},
        {true, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, 0xFF102030u, 0x00ABCDEFu, 0xFF102030u},
        {true, A_BLEND_SRCALPHA, A_BLEND_ONE, 0xFF4000FFu, 0x80FF0000u, 0xFFC000FFu},
        {true, A_BLEND_SRCALPHA, A_BLEND_ONE, 0xFF808080u, 0xFF808080u, 0xFFFFFFFFu}, // saturates
        {false, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA, 0xFF808080u, 0x00123456u, 0xFF123456u},
        {true, A_BLEND_ONE, A_BLEND_ONE, 0xFF101010u, 0x00202020u, 0xFF303030u},
    };
    for (const Case& c : cases) {
        auto dev = makeDevice(8, 8);
        dev->clear(A_CLEAR_TARGET, c.background);
        dev->setRenderState(A_RS_ALPHABLENDENABLE, c.blend);
        dev->setRenderState(A_RS_SRCBLEND, uint32_t(c.src));
        dev->setRenderState(A_RS_DESTBLEND, uint32_t(c.dst));
        drawRect(*dev, 0, 0, 8, 8, c.colour);
        for (uint32_t i = 0; i < 64; ++i) {
            ASSERT_EQ(dev->backBuffer()[i], c.expected) << std::hex << c.colour << " over " << c.background;
        }
    }
}

TEST(GraphicsDevice, GouraudColourReachesTheCornerValues) {
    auto dev = makeDevice(16, 16);
    const aVertex v[4] = {vtx(0, 0, 0xFFFF0000u), vtx(16, 0, 0xFF00FF00u), vtx(0, 16, 0xFFFF0000u),
                          vtx(16, 16, 0xFF00FF00u)};
    ASSERT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLESTRIP, 2, v, sizeof(aVertex)), A_OK);
    EXPECT_EQ(dev->backPixel(0, 5), 0xFFFF0000u);
    EXPECT_EQ(dev->backPixel(8, 5), 0xFF808000u); // halfway: 127.5 rounds up
    for (uint32_t x = 1; x < 16; ++x) {
        EXPECT_LT(dev->backPixel(x, 3) >> 16 & 255, dev->backPixel(x - 1, 3) >> 16 & 255);
    }
}

TEST(GraphicsDevice, PointsAndLines) {
    struct Case {
        int type;
        std::vector<aVertex> v;
        uint32_t prims;
        std::vector<std::pair<int, int>> pixels;
    } cases[] = {
        {A_PT_POINTLIST, {vtx(3, 4), vtx(7.4f, 1.6f)}, 2, {{3, 4}, {7, 2}}},
        // A line stops short of its end pixel.
        {A_PT_LINELIST, {vtx(1, 1), vtx(5, 1)}, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {A_PT_LINELIST, {vtx(2, 6), vtx(2, 3)}, 1, {{2, 6}, {2, 5}, {2, 4}}},
        {A_PT_LINELIST, {vtx(0, 0), vtx(3, 3)}, 1, {{0, 0}, {1, 1}, {2, 2}}},
        {A_PT_LINELIST, {vtx(0, 0), vtx(4, 2)}, 1, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {A_PT_LINELIST, {vtx(4, 4), vtx(4, 4)}, 1, {}}, // zero length: nothing
        // A closed outline: each corner once.
        {A_PT_LINESTRIP,
         {vtx(1, 1), vtx(3, 1), vtx(3, 3), vtx(1, 3), vtx(1, 1)},
         4,
         {{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}}},
    };
    for (const Case& c : cases) {
        auto dev = makeDevice(10, 10);
        ASSERT_EQ(dev->drawPrimitiveUP(c.type, c.prims, c.v.data(), sizeof(aVertex)), A_OK);
        for (auto [x, y] : c.pixels) {
            EXPECT_EQ(dev->backPixel(x, y), 0xFFFFFFFFu) << "type " << c.type << " at " << x << "," << y;
        }
        EXPECT_EQ(countPainted(*dev), int(c.pixels.size())) << "type " << c.type;
    }
}

TEST(GraphicsDevice, ViewportClipsDrawsAndClears) {
    auto dev = makeDevice(16, 16);
    ASSERT_EQ(dev->setViewport(aViewport{4, 5, 6, 3, 0, 1}), A_OK);
    dev->clear(A_CLEAR_TARGET, 0xFF00FF00u);
    drawRect(*dev, 0, 0, 16, 6, 0xFFFF0000u);
    const aVertex line[2] = {vtx(0, 7), vtx(16, 7)};
    dev->drawPrimitiveUP(A_PT_LINELIST, 1, line, sizeof(aVertex));
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            uint32_t want = 0xFF000000u;
            if (x >= 4 && x < 10 && y >= 5 && y < 8) {
                want = y == 5 ? 0xFFFF0000u : y == 7 ? 0xFFFFFFFFu : 0xFF00FF00u;
            }
            ASSERT_EQ(dev->backPixel(x, y), want) << x << "," << y;
        }
    }
    // A viewport leaving the buffer is refused and the old one stays.
    EXPECT_EQ(dev->setViewport(aViewport{10, 0, 7, 4, 0, 1}), A_ERR_INVALIDCALL);
    EXPECT_EQ(dev->viewport().x, 4u);
}

aTexture* makeTexture(aDevice& dev, uint32_t w, uint32_t h, int format, const std::vector<uint32_t>& texels) {
    aTexture* t = nullptr;
    EXPECT_EQ(dev.createTexture(w, h, 1, 0, format, A_POOL_MANAGED, &t), A_OK);
    aLockedRect lr;
    EXPECT_EQ(t->lockRect(&lr, nullptr, 0), A_OK);
    const int bytes = a_formatBytes(format);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = texels[y * w + x];
            std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * bytes, &v, size_t(bytes));
        }
    }
    EXPECT_EQ(t->unlockRect(), A_OK);
    return t;
}

TEST(GraphicsDevice, IndexedTriangleListsFromBuffers) {
    auto dev = makeDevice(16, 16);
    aVertexBuffer* vb = nullptr;
    aIndexBuffer* ib = nullptr;
    ASSERT_EQ(
        dev->createVertexBuffer(8 * sizeof(aVertex), A_USAGE_WRITEONLY, A_FVF_TLVERTEX, A_POOL_MANAGED, &vb),
        A_OK);
    ASSERT_EQ(dev->createIndexBuffer(12 * 2, A_USAGE_WRITEONLY, A_FMT_INDEX16, A_POOL_MANAGED, &ib), A_OK);
    void* p = nullptr;
    ASSERT_EQ(vb->lock(0, 0, &p, 0), A_OK);
    aVertex* v = static_cast<aVertex*>(p);
    // Two quads: (1,1)-(5,4) red, (8,8)-(10,15) green.
    v[0] = vtx(1, 1, 0xFFFF0000u), v[1] = vtx(5, 1, 0xFFFF0000u), v[2] = vtx(1, 4, 0xFFFF0000u),
    v[3] = vtx(5, 4, 0xFFFF0000u);
    v[4] = vtx(8, 8, 0xFF00FF00u), v[5] = vtx(10, 8, 0xFF00FF00u), v[6] = vtx(8, 15, 0xFF00FF00u),
    v[7] = vtx(10, 15, 0xFF00FF00u);
    // Drawing from a locked buffer is refused.
    dev->setStreamSource(0, vb, sizeof(aVertex));
    dev->setIndices(ib, 0);
    EXPECT_EQ(dev->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, 8, 0, 4), A_ERR_INVALIDCALL);
    ASSERT_EQ(vb->unlock(), A_OK);
    ASSERT_EQ(ib->lock(0, 0, &p, 0), A_OK);
    const uint16_t idx[12] = {0, 1, 2, 1, 2, 3, 4, 5, 6, 5, 6, 7};
    std::memcpy(p, idx, sizeof idx);
    ASSERT_EQ(ib->unlock(), A_OK);
    ASSERT_EQ(dev->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, 8, 0, 4), A_OK);
    EXPECT_EQ(countPainted(*dev), 4 * 3 + 2 * 7);
    EXPECT_EQ(dev->backPixel(4, 3), 0xFFFF0000u);
    EXPECT_EQ(dev->backPixel(9, 14), 0xFF00FF00u);
    // An index beyond the vertices (here through the base vertex) draws nothing.
    dev->clear(A_CLEAR_TARGET, 0);
    dev->setIndices(ib, 1);
    EXPECT_EQ(dev->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, 8, 0, 4), A_ERR_INVALIDCALL);
    EXPECT_EQ(dev->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, 8, 6, 4),
              A_ERR_INVALIDCALL); // past the indices
    EXPECT_EQ(countPainted(*dev), 0);
    dev->setIndices(nullptr, 0);
    dev->setStreamSource(0, nullptr, 0);
    vb->release();
    ib->release();
}

TEST(GraphicsDevice, TexturedTriangleModulatesTexelsByVertexColour) {
    auto dev = makeDevice(8, 8);
    aTexture* t =
        makeTexture(*dev, 2, 2, A_FMT_A8R8G8B8, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
    dev->setTexture(0, t);
    // Point sampling: texel floor(u * 2) at the pixel's sample point.
    const uint32_t c = 0xFF808080u;
    const aVertex v[4] = {vtx(0, 0, c, 0, 0), vtx(4, 0, c, 1, 0), vtx(0, 4, c, 0, 1), vtx(4, 4, c, 1, 1)};
    ASSERT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLESTRIP, 2, v, sizeof(aVertex)), A_OK);
    EXPECT_EQ(dev->backPixel(0, 0), 0xFF800000u);
    EXPECT_EQ(dev->backPixel(3, 1), 0xFF008000u);
    EXPECT_EQ(dev->backPixel(1, 3), 0xFF000080u);
    EXPECT_EQ(dev->backPixel(2, 2), 0xFF808080u);
    dev->setTexture(0, nullptr);
    t->release();
}

TEST(GraphicsDevice, TextureFormatsKeepTheirOwnLayout) {
    struct Case {
        int format;
        uint32_t stored;   // as written through the lock
        uint32_t expected; // as drawn opaque
    } cases[] = {
        {A_FMT_A8R8G8B8, 0x80123456u, 0xFF123456u}, {A_FMT_X8R8G8B8, 0x00ABCDEFu, 0xFFABCDEFu},
        {A_FMT_R5G6B5, 0xF800u, 0xFFFF0000u},       {A_FMT_R5G6B5, 0x07E0u, 0xFF00FF00u},
        {A_FMT_R5G6B5, 0x8410u, 0xFF848284u}, // 16/32/16: the low bits repeat the top ones
        {A_FMT_A1R5G5B5, 0x801Fu, 0xFF0000FFu},     {A_FMT_A1R5G5B5, 0x7C00u, 0xFFFF0000u},
        {A_FMT_A4R4G4B4, 0xF5A3u, 0xFF55AA33u},
    };
    for (const Case& c : cases) {
        auto dev = makeDevice(4, 4);
        aTexture* t = makeTexture(*dev, 3, 2, c.format, std::vector<uint32_t>(6, c.stored));
        EXPECT_EQ(t->pitch(), 3u * uint32_t(a_formatBytes(c.format)));
        // The bytes come back through the lock as they were written.
        aLockedRect lr;
        const aDeviceRect one{2, 1, 3, 2};
        ASSERT_EQ(t->lockRect(&lr, &one, A_LOCK_READONLY), A_OK);
        uint32_t back = 0;
        std::memcpy(&back, lr.bits, size_t(a_formatBytes(c.format)));
        EXPECT_EQ(back, c.stored) << c.format;
        EXPECT_EQ(t->lockRect(&lr, nullptr, 0), A_ERR_INVALIDCALL); // already locked
        ASSERT_EQ(t->unlockRect(), A_OK);
        dev->setTexture(0, t);
        const aVertex v[4] = {vtx(0, 0, 0xFFFFFFFFu, 0, 0), vtx(3, 0, 0xFFFFFFFFu, 1, 0),
                              vtx(0, 2, 0xFFFFFFFFu, 0, 1), vtx(3, 2, 0xFFFFFFFFu, 1, 1)};
        ASSERT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLESTRIP, 2, v, sizeof(aVertex)), A_OK);
        EXPECT_EQ(dev->backPixel(1, 1), c.expected) << c.format << " " << std::hex << c.stored;
        dev->setTexture(0, nullptr);
        t->release();
    }
    // Lock rectangles outside the texture and unknown formats are refused.
    auto dev = makeDevice(4, 4);
    aTexture* t = nullptr;
    EXPECT_EQ(dev->createTexture(4, 4, 1, 0, 24, A_POOL_MANAGED, &t), A_ERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(dev->createTexture(0, 4, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t), A_ERR_INVALIDCALL);
    ASSERT_EQ(dev->createTexture(4, 4, 1, 0, A_FMT_R5G6B5, A_POOL_MANAGED, &t), A_OK);
    aLockedRect lr;
    const aDeviceRect outside{2, 2, 5, 3};
    EXPECT_EQ(t->lockRect(&lr, &outside, 0), A_ERR_INVALIDCALL);
    EXPECT_EQ(t->unlockRect(), A_ERR_INVALIDCALL);
    t->release();
}

TEST(GraphicsDevice, BlendKernelsMatchThePlainFormula) {
    std::mt19937 rng(7);
    const aBlendOp ops[] = {a_blendOp(false, A_BLEND_ONE, A_BLEND_ZERO),
                            a_blendOp(true, A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA),
                            a_blendOp(true, A_BLEND_SRCALPHA, A_BLEND_ONE),
                            a_blendOp(true, A_BLEND_INVSRCALPHA, A_BLEND_SRCALPHA)};
    const uint32_t colours[] = {0xFFFFFFFFu, 0x80FF4020u, 0x00FFFFFFu, 0xFF000000u, 0x7F7F7F7Fu};
    for (const aBlendOp& op : ops) {
        for (uint32_t colour : colours) {
            for (int n : {1, 3, 4, 7, 8, 9, 31, 64, 203}) {
                std::vector<uint32_t> src(n), dst(n);
                for (int i = 0; i < n; ++i) {
                    src[i] = rng();
                    dst[i] = rng() | 0xFF000000u;
                    // Runs of fully opaque and fully clear texels take shortcuts.
                    if ((i / 8) % 3 == 1) {
                        src[i] |= 0xFF000000u;
                    } else if ((i / 8) % 3 == 2) {
                        src[i] &= 0x00FFFFFFu;
                    }
                }
                std::vector<uint32_t> fast = dst, plain = dst;
                a_blendSpan(fast.data(), src.data(), n, colour, op);
                a_blendSpanReference(plain.data(), src.data(), n, colour, op);
                ASSERT_EQ(fast, plain)
                    << "kind " << op.kind << " colour " << std::hex << colour << " n " << n;
            }
        }
    }
}

struct RecordingSink : aPresentSink {
    int frames = 0;
    uint32_t first = 0, width = 0;
    int32_t result = A_OK;
    int32_t present(const aFrame& f) override {
        ++frames;
        first = f.pixels[0];
        width = f.width;
        return result;
    }
};

TEST(GraphicsDevice, PresentHandsTheFrameOverAndKeepsItForReadback) {
    RecordingSink sink;
    auto dev = makeDevice(4, 3, &sink);
    dev->clear(A_CLEAR_TARGET, 0xFF336699u);
    ASSERT_EQ(dev->present(), A_OK);
    dev->clear(A_CLEAR_TARGET, 0xFF000000u);
    EXPECT_EQ(sink.frames, 1);
    EXPECT_EQ(sink.first, 0xFF336699u);
    EXPECT_EQ(sink.width, 4u);
    std::vector<uint32_t> px;
    uint32_t w = 0, h = 0;
    ASSERT_EQ(dev->getFrontBuffer(&px, &w, &h), A_OK);
    EXPECT_EQ(w * h, 12u);
    EXPECT_EQ(px, std::vector<uint32_t>(12, 0xFF336699u));
    // A sink that reports the device lost makes it lost until reset.
    sink.result = A_ERR_DEVICELOST;
    EXPECT_EQ(dev->present(), A_ERR_DEVICELOST);
    EXPECT_EQ(dev->testCooperativeLevel(), A_ERR_DEVICELOST);
}

// After a present the back buffer still holds the presented frame for what
// the next frame draws over it, whatever comes first.
TEST(GraphicsDevice, ThePresentedFrameStaysInTheBackBuffer) {
    const uint32_t shown = 0xFF336699u, older = 0xFF102030u, other = 0xFFAABBCCu;
    struct Case {
        const char* what;
        std::function<void(aDevice&)> next;
        uint32_t corner, middle; // back pixels (0, 0) and (2, 1) afterwards
        uint32_t presented;      // pixel (0, 0) of the frame a second present shows
    } cases[] = {
        {"a present: it shows the same frame again", [&](aDevice& d) { EXPECT_EQ(d.present(), A_OK); }, shown,
         shown, shown},
        {"a clear of a part keeps the rest",
         [&](aDevice& d) {
             d.setViewport(aViewport{2, 1, 1, 1, 0, 1});
             d.clear(A_CLEAR_TARGET, other);
         },
         shown, other, shown},
        {"a clear of all of it", [&](aDevice& d) { d.clear(A_CLEAR_TARGET, other); }, other, other, other},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        auto dev = makeDevice(4, 3, &sink);
        dev->clear(A_CLEAR_TARGET, older);
        ASSERT_EQ(dev->present(), A_OK);
        dev->clear(A_CLEAR_TARGET, shown);
        ASSERT_EQ(dev->present(), A_OK);
        c.next(*dev);
        EXPECT_EQ(dev->backPixel(0, 0), c.corner) << c.what;
        EXPECT_EQ(dev->backPixel(2, 1), c.middle) << c.what;
        EXPECT_EQ(dev->frontBuffer()[0], shown) << c.what;
        ASSERT_EQ(dev->present(), A_OK);
        EXPECT_EQ(sink.first, c.presented) << c.what;
    }
}

TEST(GraphicsDevice, TexturesMadeFromDecodedPixelsTakeTheirWords) {
    const std::vector<uint32_t> argb = {0x80123456u, 0x00ABCDEFu, 0xFF000000u, 0x7F7F7F7Fu, 0u, 0xFFFFFFFFu};
    struct Case {
        int format;
        uint32_t width, height;
        size_t words;
        int32_t result;
    } cases[] = {
        {A_FMT_A8R8G8B8, 3, 2, 6, A_OK},
        {A_FMT_X8R8G8B8, 2, 3, 6, A_OK},
        {A_FMT_R5G6B5, 3, 2, 6, A_ERR_INVALIDCALL}, // 16-bit formats are converted by a lock
        {A_FMT_A4R4G4B4, 3, 2, 6, A_ERR_INVALIDCALL},
        {A_FMT_A8R8G8B8, 3, 2, 5, A_ERR_INVALIDCALL}, // fewer words than texels
        {A_FMT_A8R8G8B8, 0, 2, 0, A_ERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        auto dev = makeDevice(4, 4);
        std::vector<uint32_t> pixels(argb.begin(), argb.begin() + std::ptrdiff_t(c.words));
        aTexture* t = nullptr;
        ASSERT_EQ(dev->createTextureFromPixels(pixels, c.width, c.height, c.format, A_POOL_MANAGED, &t),
                  c.result)
            << c.format << " " << c.words;
        if (c.result != A_OK) {
            EXPECT_EQ(t, nullptr);
            EXPECT_EQ(pixels.size(), c.words); // left as it was
            continue;
        }
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(pixels.empty());
        EXPECT_EQ(t->width(), c.width);
        EXPECT_EQ(t->pitch(), c.width * 4u);
        for (uint32_t i = 0; i < 6; ++i) {
            const uint32_t want = c.format == A_FMT_X8R8G8B8 ? argb[i] | 0xFF000000u : argb[i];
            EXPECT_EQ(t->texel(i % c.width, i / c.width), want) << c.format << " texel " << i;
        }
        t->release();
    }
    // An injected fault refuses it like any texture.
    auto dev = makeDevice(4, 4);
    std::vector<uint32_t> pixels(argb);
    aTexture* t = nullptr;
    dev->setFault(aDeviceCall::CreateTexture, A_ERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(dev->createTextureFromPixels(pixels, 3, 2, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t),
              A_ERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(pixels.size(), 6u);
}

TEST(GraphicsDevice, LostDeviceAndInjectedFaults) {
    auto dev = makeDevice(8, 8);
    // Lost: nothing is shown and reset is refused until the device may be reset.
    dev->setCooperativeState(A_ERR_DEVICELOST);
    EXPECT_EQ(dev->present(), A_ERR_DEVICELOST);
    aPresentParams pp = dev->presentParams();
    pp.backBufferWidth = 16;
    EXPECT_EQ(dev->reset(pp), A_ERR_DEVICELOST);
    dev->setCooperativeState(A_ERR_DEVICENOTRESET);
    EXPECT_EQ(dev->testCooperativeLevel(), A_ERR_DEVICENOTRESET);
    dev->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    ASSERT_EQ(dev->reset(pp), A_OK);
    EXPECT_EQ(dev->testCooperativeLevel(), A_OK);
    EXPECT_EQ(dev->width(), 16u);
    EXPECT_EQ(dev->viewport().width, 16u);
    EXPECT_EQ(dev->renderState(A_RS_ALPHABLENDENABLE), 0u); // states back to their defaults
    EXPECT_EQ(dev->present(), A_OK);
    dev->setCooperativeState(A_ERR_DRIVERINTERNALERROR);
    EXPECT_EQ(dev->testCooperativeLevel(), A_ERR_DRIVERINTERNALERROR);
    EXPECT_EQ(dev->reset(pp), A_ERR_DRIVERINTERNALERROR);
    dev->setCooperativeState(A_OK);

    // Every forced call fails with its code and does nothing.
    const int32_t code = A_ERR_OUTOFVIDEOMEMORY;
    aTexture* t = nullptr;
    ASSERT_EQ(dev->createTexture(2, 2, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t), A_OK);
    aVertexBuffer* vb = nullptr;
    aIndexBuffer* ib = nullptr;
    aLockedRect lr;
    void* p;
    const aVertex v[4] = {vtx(0, 0), vtx(8, 0), vtx(0, 8), vtx(8, 8)};
    struct Case {
        aDeviceCall call;
        std::function<int32_t()> run;
    } cases[] = {
        {aDeviceCall::Reset, [&] { return dev->reset(pp); }},
        {aDeviceCall::Clear, [&] { return dev->clear(A_CLEAR_TARGET, 0xFFFFFFFFu); }},
        {aDeviceCall::BeginScene, [&] { return dev->beginScene(); }},
        {aDeviceCall::EndScene, [&] { return dev->endScene(); }},
        {aDeviceCall::Present, [&] { return dev->present(); }},
        {aDeviceCall::Draw, [&] { return dev->drawPrimitiveUP(A_PT_TRIANGLESTRIP, 2, v, sizeof(aVertex)); }},
        {aDeviceCall::CreateTexture,
         [&] {
             aTexture* x = nullptr;
             int32_t r = dev->createTexture(2, 2, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &x);
             return x ? A_OK : r;
         }},
        {aDeviceCall::LockTexture, [&] { return t->lockRect(&lr, nullptr, 0); }},
        {aDeviceCall::CreateVertexBuffer, [&] { return dev->createVertexBuffer(28, 0, 0, 0, &vb); }},
        {aDeviceCall::CreateIndexBuffer,
         [&] { return dev->createIndexBuffer(12, 0, A_FMT_INDEX16, 0, &ib); }},
    };
    for (const Case& c : cases) {
        dev->setFault(c.call, code);
        EXPECT_EQ(c.run(), code) << int(c.call);
        dev->setFault(c.call, A_OK);
    }
    EXPECT_EQ(countPainted(*dev), 0);
    EXPECT_EQ(dev->presentCount(), 1u);
    // Buffers share the table: their locks can be made to fail as well.
    ASSERT_EQ(dev->createVertexBuffer(28, 0, 0, 0, &vb), A_OK);
    dev->setFault(aDeviceCall::LockVertexBuffer, A_ERR_INVALIDCALL);
    EXPECT_EQ(vb->lock(0, 0, &p, 0), A_ERR_INVALIDCALL);
    vb->release();
    t->release();

    aDevice::setCreateFault(A_ERR_DRIVERINTERNALERROR);
    std::unique_ptr<aDevice> other;
    EXPECT_EQ(aDevice::create(pp, nullptr, &other), A_ERR_DRIVERINTERNALERROR);
    EXPECT_EQ(other, nullptr);
    aDevice::setCreateFault(A_OK);
    EXPECT_STREQ(a_deviceErrorText(A_ERR_DEVICELOST), "D3DERR_DEVICELOST");
    EXPECT_STREQ(a_deviceErrorText(A_ERR_DRIVERINTERNALERROR), "D3DERR_DRIVERINTERNALERROR");
}

TEST(GraphicsDevice, BadInputIsRefusedNotDrawn) {
    auto dev = makeDevice(8, 8);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const aVertex bad[3] = {vtx(nan, 0), vtx(8, 0), vtx(0, 8)};
    EXPECT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLELIST, 1, bad, sizeof(aVertex)), A_OK);
    const aVertex huge[3] = {vtx(-1e30f, -1e30f), vtx(1e30f, 0), vtx(0, 1e30f)};
    EXPECT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLELIST, 1, huge, sizeof(aVertex)), A_OK);
    EXPECT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLELIST, 1, bad, 24), A_ERR_INVALIDCALL);
    EXPECT_EQ(dev->drawPrimitiveUP(9, 1, bad, sizeof(aVertex)), A_ERR_INVALIDCALL);
    dev->setVertexShader(0x142);
    EXPECT_EQ(dev->drawPrimitiveUP(A_PT_TRIANGLELIST, 1, bad, sizeof(aVertex)), A_ERR_INVALIDCALL);
    EXPECT_EQ(countPainted(*dev), 0);
    EXPECT_EQ(dev->setRenderState(A_RS_SRCBLEND, 99), A_ERR_INVALIDCALL);
    EXPECT_EQ(dev->clear(A_CLEAR_TARGET | 2, 0xFFFFFFFFu), A_ERR_INVALIDCALL);
}

} // namespace
