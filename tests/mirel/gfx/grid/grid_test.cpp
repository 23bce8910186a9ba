// Distortion grids: rest places, texture coordinates, vertex moves, shared
// buffers and drawing.

#include "mirel/gfx/a_distortiongrid.h"
#include "mirel/gfx/particles/particle_env.h"

using namespace ptest;

class GridTest : public GraphFixture {};

TEST_F(GridTest, RestPlacesAndTextureCoordinates) {
    const aImage img = solidImage(100, 50, 0xFFFFFFFF);
    aDistortionGrid g(4, 3);
    g.setImage(&img);
    EXPECT_EQ(g.getCellWidth(), 33u);
    EXPECT_EQ(g.getCellHeight(), 25u);
    const float xs[4] = {0, 33, 66, 99};
    for (uint32_t c = 0; c < 4; ++c) {
        EXPECT_EQ(g.getVertex(c, 2).x, xs[c]);
        EXPECT_EQ(g.getVertex(c, 2).y, 50.0f);
        EXPECT_EQ(g.getVertex(c, 0).colour, 0xFFFFFFFFu);
    }
    EXPECT_FLOAT_EQ(g.getVertex(3, 2).u, 1.0f); // the rectangle's right edge
    EXPECT_FLOAT_EQ(g.getVertex(3, 2).v, 1.0f);
    EXPECT_FLOAT_EQ(g.getVertex(1, 1).u, 1.0f / 3.0f);

    // A part of the image.
    const aRect r(10, 5, 60, 40);
    g.setImage(&img, &r);
    EXPECT_EQ(g.getCellWidth(), 20u);
    EXPECT_EQ(g.getCellHeight(), 20u);
    EXPECT_FLOAT_EQ(g.getVertex(0, 0).u, 0.1f);
    EXPECT_FLOAT_EQ(g.getVertex(0, 0).v, 0.1f);
    EXPECT_FLOAT_EQ(g.getVertex(2, 1).u, 0.5f);
    EXPECT_FLOAT_EQ(g.getVertex(3, 2).v, 0.9f);

    g.setImage(nullptr); // changes nothing
    EXPECT_EQ(g.getCellWidth(), 20u);
}

TEST_F(GridTest, SetVertexModesAndColours) {
    const aImage img = solidImage(40, 20, 0xFFFFFFFF);
    aDistortionGrid g(5, 3);
    g.setImage(&img);
    struct Case {
        uint32_t c, r;
        float x, y;
        int mode;
        float ex, ey;
    };
    const Case cases[] = {
        {1, 1, 5, 0, 0, 15, 10},  // rest place + offset
        {4, 2, -2, 3, 0, 38, 23}, // a corner
        {0, 0, 1, 2, 1, 21, 12},  // centre (20, 10) + offset
        {2, 1, 7, 8, 2, 7, 8},    // as given
        {3, 0, 7, 8, 99, 7, 8},   // any other mode: as given
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mode);
        g.setVertex(k.c, k.r, k.x, k.y, k.mode);
        EXPECT_EQ(g.getVertex(k.c, k.r).x, k.ex);
        EXPECT_EQ(g.getVertex(k.c, k.r).y, k.ey);
    }
    // Outside the grid: ignored (and harmless).
    g.setVertex(5, 0, 100, 100, 2);
    g.setVertex(0, 3, 100, 100, 2);
    g.setColor(5, 5, 0);
    g.setColor(2, 2, 0x80FF0000u);
    EXPECT_EQ(g.getVertex(2, 2).colour, 0x80FF0000u);
    g.reset(0xFF00FF00u);
    EXPECT_EQ(g.getVertex(1, 1).x, 10.0f);
    EXPECT_EQ(g.getVertex(3, 0).x, 30.0f);
    EXPECT_EQ(g.getVertex(2, 2).colour, 0xFF00FF00u);
}

TEST_F(GridTest, BadSizesBecomeTheSmallestGrid) {
    struct Case {
        uint32_t c, r;
        bool bad;
    };
    const Case cases[] = {{1, 5, true},      {5, 0, true},      {0, 0, true},    {130, 130, true},
                          {129, 129, false}, {2, 16385, false}, {2, 16386, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.c) + " x " + std::to_string(k.r));
        LogCapture log;
        aDistortionGrid g(k.c, k.r);
        EXPECT_EQ(log.lines.size(), k.bad ? 1u : 0u);
        EXPECT_EQ(g.getColumns(), k.bad ? 2u : k.c);
        EXPECT_EQ(g.getRows(), k.bad ? 2u : k.r);
    }
}

TEST_F(GridTest, SharedBuffersGrowWithTheLargestGrid) {
    auto g5 = std::make_unique<aDistortionGrid>(5, 5);
    EXPECT_EQ(aDistortionGrid::getSharedCells(), 16u);
    auto g10 = std::make_unique<aDistortionGrid>(10, 10);
    EXPECT_EQ(aDistortionGrid::getSharedCells(), 81u);
    auto g3 = std::make_unique<aDistortionGrid>(3, 3);
    EXPECT_EQ(aDistortionGrid::getSharedCells(), 81u);
    g10.reset();
    g5.reset();
    EXPECT_EQ(aDistortionGrid::getSharedCells(), 81u);
    g3.reset();
    EXPECT_EQ(aDistortionGrid::getSharedCells(), 0u); // the last grid releases them
    LogCapture log;
    device()->setFault(aDeviceCall::CreateVertexBuffer, A_ERR_OUTOFVIDEOMEMORY);
    aDistortionGrid bad(3, 3);
    device()->setFault(aDeviceCall::CreateVertexBuffer, A_OK);
    EXPECT_TRUE(log.has("aDistortionGrid. Vertex buffer creation failed (D3DERR_OUTOFVIDEOMEMORY)"));
    bad.render(0, 0); // no buffers, no image: nothing happens
}

TEST_F(GridTest, DrawsTheRectangleAtScale) {
    aImage img;
    img.createEmpty(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, x < 4 ? 0xFFFF0000u : 0xFF0000FFu);
    aDistortionGrid g(2, 2); // one quad: the whole rectangle
    g.setImage(&img);
    device()->clear(A_CLEAR_TARGET, 0xFF000000);
    const uint32_t draws = device()->drawCallCount();
    g.render(10, 10, 2.0f); // scaleY -1: both directions
    EXPECT_EQ(device()->drawCallCount(), draws + 1);
    EXPECT_EQ(px(10, 10), 0xFF0000u);
    EXPECT_EQ(px(17, 25), 0xFF0000u);
    EXPECT_EQ(px(18, 10), 0x0000FFu);
    EXPECT_EQ(px(25, 25), 0x0000FFu);
    EXPECT_EQ(px(26, 20), 0u);
    EXPECT_EQ(px(20, 26), 0u);
    EXPECT_EQ(px(9, 9), 0u);

    // A moved vertex and a vertex colour on a 3 x 3 grid.
    aDistortionGrid w(3, 3);
    w.setImage(&img);
    w.setVertex(2, 2, 4, 4, 0); // the bottom-right corner to (12, 12)
    w.setColor(0, 0, 0xFF000000u);
    w.setColor(1, 0, 0xFF000000u);
    w.setColor(0, 1, 0xFF000000u);
    w.setColor(1, 1, 0xFF000000u);
    device()->clear(A_CLEAR_TARGET, 0xFF000000);
    w.render(30, 30, 1.0f, 1.0f);
    EXPECT_EQ(px(31, 31), 0u);        // the black top-left cell
    EXPECT_EQ(px(41, 41), 0x0000FFu); // inside the stretched corner cell
    EXPECT_EQ(px(42, 41), 0u);        // beyond it

    LogCapture log;
    device()->setFault(aDeviceCall::LockVertexBuffer, A_ERR_INVALIDCALL);
    g.render(0, 0, 1.0f);
    device()->setFault(aDeviceCall::LockVertexBuffer, A_OK);
    EXPECT_EQ(device()->drawCallCount(), draws + 2); // a failed lock draws nothing
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(GridTest, AtRestDrawsExactlyWhatASpriteDraws) {
    // Every texel its own colour, so that half a texel of blur shows anywhere.
    aImage img;
    img.createEmpty(16, 8);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            img.setPixel(int(x), int(y),
                         0xFF000000u | (x * 16u) << 16 | (y * 32u) << 8 | ((x + y) & 1u) * 255u);
    auto frame = [&](auto&& draw) {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(m_server->beginScene()); // linear filtering, as every frame
        device()->clear(A_CLEAR_TARGET, 0xFF000000);
        draw();
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                pixels.push_back(px(x, y));
        m_server->endScene();
        return pixels;
    };
    struct Case {
        uint32_t columns, rows;
        float x, y, scale;
    };
    const Case cases[] = {{2, 2, 10, 10, 1}, {5, 3, 7, 20, 1}, {3, 3, 4.25f, 6.5f, 1}, {9, 5, 3, 3, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows) + " at scale " +
                     std::to_string(c.scale));
        aDistortionGrid g(c.columns, c.rows);
        g.setImage(&img);
        const float scale[2] = {c.scale, c.scale};
        const std::vector<uint32_t> sprite = frame([&] { img.drawAt(c.x, c.y, 0xFFFFFFFF, scale); });
        const std::vector<uint32_t> grid = frame([&] { g.render(c.x, c.y, c.scale); });
        int differ = 0;
        for (size_t i = 0; i < sprite.size(); ++i)
            differ += sprite[i] != grid[i];
        EXPECT_EQ(differ, 0);
        EXPECT_NE(sprite[size_t(c.y + 1) * 64 + size_t(c.x + 1)], 0u); // something was drawn
    }
}
